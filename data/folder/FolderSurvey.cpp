#include "FolderSurvey.h"

#include "ConflictCopyName.h"
#include "RegisterTypes.h"
#include "RegisterFolder.h"

#include <QStringList>

#include <algorithm>

IoResult FolderSurvey::take(const RegisterFolder &folder)
{
    *this = FolderSurvey();
    QStringList names;
    if (IoResult listed = folder.list(names); !listed)
        return listed;
    names.sort(); // the same order on every computer
    for (const QString &name : std::as_const(names)) {
        if (const int number = DataFileNumber(name)) {
            // Of two spellings of one number (data3.ini, DATA3.INI) the survey takes the one a load
            // reads, so that the notes it leaves name the records every reader sees.
            if (const auto [at, first] = dataFiles.emplace(number, name); !first)
                at->second = folder.nameOnDisk(DataFileName(number));
            highest = std::max(highest, number);
            continue;
        }
        const ConflictCopyName copy = ConflictCopyName::parse(name);
        if (!copy.isCopy())
            continue;
        if (copy.original.compare(QLatin1String("setting.ini"), Qt::CaseInsensitive) == 0)
            settingCopies.push_back(name);
        else if (DataFileNumber(copy.original) > 0)
            dataCopies.push_back(name);
    }
    return IoResult::success();
}

std::vector<std::pair<int, QString>> FolderSurvey::takeFar(int reach)
{
    std::vector<std::pair<int, QString>> far;
    for (auto it = dataFiles.upper_bound(reach); it != dataFiles.end(); it = dataFiles.erase(it))
        far.emplace_back(it->first, it->second);
    if (highest > reach)
        highest = dataFiles.empty() ? 0 : dataFiles.rbegin()->first;
    return far;
}
