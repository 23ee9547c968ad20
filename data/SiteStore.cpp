#include "SiteStore.h"

#include "AppDirectory.h"
#include "FileAccess.h"
#include "IniDocument.h"
#include "IniValues.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

const QString kSettingFile = QStringLiteral("setting.ini");
const QByteArray kSettingSection = QByteArrayLiteral("SETTING");
const QByteArray kCountKey = QByteArrayLiteral("DATA_CNT");

} // namespace

IoResult SiteStore::Load()
{
    RegisterFolder folder(QFile::encodeName(AppDirectory()));
    if (IoResult opened = folder.open(false); !opened)
        return opened;
    SiteList loaded;
    bool damaged = false;
    RegisterFiles files(folder);
    if (IoResult read = files.load(loaded, damaged); !read)
        return read;
    for (std::size_t i = 0; i < loaded.size(); ++i)
        m_sites.push_back(loaded.at(i), loaded.number(i));
    return IoResult::success();
}

IoResult SiteStore::Save()
{
    // Refuse what the format cannot hold before anything is written.
    for (std::size_t i = 0; i < m_sites.size(); ++i) {
        const QString bad = m_sites.at(i).UnstorableKey();
        if (!bad.isEmpty())
            return UnstorableValueFailure(AppFilePath(DataFileName(int(i) + 1)), bad);
    }

    const QString directory = AppDirectory();
    if (!QDir().mkpath(directory))
        return IoResult::failure(directory, QStringLiteral("フォルダーを作成できません"));
    RemoveLeftoverTemporaries(directory);

    FileReplacement replacement;
    for (std::size_t i = 0; i < m_sites.size(); ++i) {
        const SiteRecord &record = m_sites.at(i);
        IoResult staged = StageIniUpdate(replacement, AppFilePath(DataFileName(int(i) + 1)),
                                         [&record](IniDocument &file) { return record.WriteTo(file); });
        if (!staged)
            return staged;
    }
    // The count goes last, so that a reader never counts a record whose file is not there yet.
    const QByteArray count = QByteArray::number(qulonglong(m_sites.size()));
    IoResult staged = StageIniUpdate(replacement, AppFilePath(kSettingFile), [&count](IniDocument &file) {
        return file.setValue(kSettingSection, kCountKey, count);
    });
    if (!staged)
        return staged;
    return replacement.commit();
}
