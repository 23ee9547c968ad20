// Runs the window's operations on several records at once, which the command line has none of,
// in a process of its own so that its system calls can be recorded:
//   durability_driver DIR remove N...        deletes records N... as the window deletes a selection
//   durability_driver DIR restore N:NAME[:KEPT]...  puts records back as undoing that deletion
//                                            does, through the file KEPT that it kept where given
//   durability_driver DIR restore-one N:NAME  puts one record back as undoing a single delete does
// Exits 0 only when the operation is done.
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegisterOperation.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4)
        return 2;
    RegisterFolder folder(QFile::encodeName(arguments[1]));
    RegisterFiles files(folder);
    std::vector<std::pair<int, SiteRecord>> records;
    std::vector<KeptFile> kept;
    for (const QString &argument : arguments.mid(3)) {
        SiteRecord record;
        record.SetName(argument.section(u':', 1, 1).toUtf8());
        record.SetUrl("http://127.0.0.1/");
        records.emplace_back(argument.section(u':', 0, 0).toInt(), record);
        // The file as the delete left it: its digest is what the delete would have noted.
        const QString name = argument.section(u':', 2);
        QFile file(arguments[1] + u'/' + name);
        kept.push_back(name.isEmpty() || !file.open(QIODevice::ReadOnly) ? KeptFile() : KeptFile{name, FileDigest(file.readAll())});
    }
    OperationResult result;
    if (arguments[2] == QLatin1String("remove")) {
        // What the window saw: the records as they are now.
        for (auto &[number, record] : records) {
            const Reading<std::optional<SiteRecord>> read = files.read(number);
            if (!read || !read.value)
                return 1;
            record = *read.value;
        }
        result = files.removeMany(records);
    } else if (arguments[2] == QLatin1String("restore")) {
        std::vector<int> numbers;
        result = files.restoreMany(records, numbers, &kept);
    } else if (arguments[2] == QLatin1String("restore-one")) {
        result = files.restore(records[0].first, records[0].second);
    } else {
        return 2;
    }
    if (!result.done())
        std::fprintf(stderr, "%s\n", result.io.describe().toUtf8().constData());
    return result.done() ? 0 : 1;
}
