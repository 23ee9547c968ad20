#include "BatchJournal.h"
#include "FarNumbers.h"
#include "RegisterLock.h"
#include "RegisterOperation.h"
#include "IniDocument.h"
#include "SiteClock.h"
#include "CaseFile.h"
#include "TempRegister.h"

#include <QDateTime>
#include <QDir>
#include <QScopeGuard>
#include <QFileInfo>

#include <climits>
#include <functional>

#include <sys/stat.h>

namespace {

const QString kSetting = QStringLiteral("setting.ini");
const char *const kStatuses[] = {"done", "damaged", "changed", "removed", "busy", "failed"}; // OperationStatus

QByteArray dataFile(const QByteArray &name)
{
    return "[DATA]\r\nNAME=" + name + "\r\nURL=u\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n";
}

QByteArray countFile(int count)
{
    return "[SETTING]\r\nDATA_CNT=" + QByteArray::number(count) + "\r\n";
}

// An ISO 8601 time in UTC as seconds, "-" as 0 (unknown), and back.
std::int64_t secondsOf(const QByteArray &text)
{
    return text == "-" ? 0 : QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate).toSecsSinceEpoch();
}

QByteArray isoOf(std::int64_t seconds)
{
    return seconds == 0 ? "-" : QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate).toLatin1();
}

// A record of that name with URL u, or of NAME|URL, or NAME|URL|ADDED|CHANGED.
SiteRecord named(const QByteArray &field)
{
    const QList<QByteArray> parts = field.split('|');
    SiteRecord record;
    record.SetName(parts[0]);
    record.SetUrl(parts.value(1, "u"));
    if (parts.size() > 3)
        record.SetDates(secondsOf(parts[2]), secondsOf(parts[3]));
    return record;
}

// A data file without this program's own section (dates, take-in mark), which a fresh file ends with.
QByteArray withoutOwnSection(const QByteArray &file)
{
    const qsizetype own = file.indexOf("[SITEKANRI]\r\n");
    return own < 0 ? file : file.left(own);
}

// The folder's files but the lock file, which any operation may leave (empty) behind, each with
// its inode: a file written again with the bytes it had has been written all the same.
Snapshot filesOf(const QString &folder)
{
    Snapshot files = TakeSnapshot(folder);
    files.erase(RegisterLock::lockFileName());
    for (auto &[name, bytes] : files) {
        struct stat status {};
        ::stat(QFile::encodeName(QDir(folder).filePath(name)).constData(), &status);
        bytes += "@" + QByteArray::number(qulonglong(status.st_ino));
    }
    return files;
}

// Another program's writes waiting for a moment of the next operation (RegisterFolder::testHook):
// each lands once, when that moment comes for its file (or for the file `on` names).
struct Landing
{
    QByteArray moment;
    QString file;
    QByteArray bytes;
    QString on;
};
QString landingFolder;
std::vector<Landing> landings;

void land(RegisterFolder::Moment moment, const QString &name)
{
    const char *const moments[] = {"written", "looked", "exchanged", "claiming"};
    for (auto it = landings.begin(); it != landings.end(); ++it) {
        if (it->moment == moments[int(moment)] && it->on.compare(name, Qt::CaseInsensitive) == 0) {
            WriteFile(QDir(landingFolder).filePath(it->file), it->bytes);
            landings.erase(it);
            return;
        }
    }
}

// The register of one test: a temporary folder and the register's files on it; and another
// program's lock on it, once a session holds one.
struct Register
{
    TempRegister dir;
    RegisterFolder folder{QFile::encodeName(dir.path())};
    RegisterFiles files{folder, 200};
    std::unique_ptr<FolderFiles> other;
    std::unique_ptr<RegisterLock> held;
};

// Runs the sessions of register_files.txt (its head says how they read).
TEST(RegisterFiles, sessionsRunAsWritten)
{
    std::unique_ptr<Register> reg;
    OperationResult result;
    Snapshot before;
    std::vector<OperationStatus> outcomes; // of the last updatemany
    int repairedFrom = 0, repairedTo = 0;
    QList<QByteArray> passed; // the files the last load passed over
    std::function<void(const QByteArray &, const QList<QByteArray> &, const CaseRow &)> step;
    RegisterFolder::testHook = land;
    std::unique_ptr<HeldSiteClock> clock; // a session's "clock", held until the next session
    step = [&](const QByteArray &word, const QList<QByteArray> &f, const CaseRow &row) {
        if (const qsizetype arrow = f.indexOf("\xE2\x86\x92"); arrow >= 0) { // →: the results follow
            step(word, f.mid(0, arrow), row);
            for (const QByteArray &result : f.mid(arrow + 1)) {
                QList<QByteArray> words = result.split(' ');
                const QByteArray resultWord = words.takeFirst();
                step(resultWord, words, row);
            }
            return;
        }
        const QString file = QString::fromUtf8(f.value(0));
        const bool operation = word == "add" || word == "update" || word == "remove" || word == "removemany"
            || word == "restore" || word == "updatemany" || word == "repair" || word == "takein";
        if (operation)
            before = filesOf(reg->dir.path());
        // What was to land during an operation and did not is not left for the next one.
        const auto landed = qScopeGuard([&] {
            if (operation)
                landings.clear();
        });
        landingFolder = reg->dir.path();
        if (word == "write") {
            reg->dir.write(file, row.field(2));
        } else if (word == "count") {
            reg->dir.write(kSetting, countFile(f[0].toInt()));
        } else if (word == "data") {
            for (const QByteArray &number : f)
                reg->dir.write(DataFileName(number.toInt()), dataFile("r" + number));
        } else if (word == "big") {
            QFile big(reg->dir.file(file)); // sparse: nothing to write
            ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(RegisterFolder::kMaxFileSize + 1));
        } else if (word == "meanwhile") {
            const QString landed = QString::fromUtf8(f.value(1));
            landings.push_back({f[0], landed, Unescaped(f.value(2)), f.size() > 3 ? QString::fromUtf8(f[3]) : landed});
        } else if (word == "batch") {
            std::vector<QByteArray> digests;
            for (const QByteArray &number : f.mid(1))
                digests.push_back(FileDigest(reg->dir.read(DataFileName(number.toInt()))));
            ASSERT_TRUE(reg->folder.open(RegisterFolder::Missing::ReadsEmpty));
            BatchJournal(reg->folder).begin(f[0].toInt(), digests);
        } else if (word == "hold") {
            reg->other = std::make_unique<FolderFiles>(reg->dir.path());
            reg->held = std::make_unique<RegisterLock>(reg->other->folder, RegisterLock::Mode::Shared);
            ASSERT_EQ(reg->held->state(), RegisterLock::State::Locked);
        } else if (word == "mode") {
            ASSERT_EQ(::chmod(QFile::encodeName(reg->dir.file(file)).constData(), mode_t(f[1].toInt(nullptr, 8))), 0);
        } else if (word == "removemany") {
            std::vector<std::pair<int, SiteRecord>> seen;
            for (const QByteArray &field : f)
                seen.emplace_back(field.split(':')[0].toInt(), named(field.split(':')[1]));
            result = reg->files.removeMany(seen);
        } else if (word == "updatemany") {
            std::vector<RecordUpdate> updates;
            for (const QByteArray &field : f)
                updates.push_back({field.split(':')[0].toInt(), named(Unescaped(field.split(':')[1])), named(field.split(':')[2])});
            result = reg->files.updateMany(updates, &outcomes);
        } else if (word == "folder" || word == "pipe") {
            ASSERT_TRUE(word == "folder" ? QDir(reg->dir.path()).mkdir(file)
                                         : ::mkfifo(QFile::encodeName(reg->dir.file(file)).constData(), 0644) == 0);
        } else if (word == "add") {
            std::vector<SiteRecord> records;
            for (const QByteArray &field : f)
                records.push_back(named(Unescaped(field)));
            result = records.size() == 1 ? reg->files.add(records[0]) : reg->files.addMany(records);
        } else if (word == "update") {
            result = f.size() > 2 ? reg->files.update(f[0].toInt(), named(f[1]), named(f[2])) : reg->files.update(f[0].toInt(), named(f[1]));
        } else if (word == "remove") {
            result = f.size() > 1 ? reg->files.remove(f[0].toInt(), named(f[1])) : reg->files.remove(f[0].toInt());
        } else if (word == "restore") {
            result = reg->files.restore(f[0].toInt(), named(f[1]));
        } else if (word == "takein") {
            std::vector<ConflictCopy> copies;
            result = reg->files.takeIn(copies);
        } else if (word == "repair") {
            result = reg->files.repair([&](int from, int to) { repairedFrom = from, repairedTo = to; });
        } else if (word == "result") {
            EXPECT_EQ(QByteArray(kStatuses[int(result.status)]), f[0]) << result.io.describe().toStdString();
            if (f.size() > 1) {
                EXPECT_EQ(result.number, f[1].toInt());
            }
        } else if (word == "outcomes") {
            QList<QByteArray> got;
            for (const OperationStatus status : outcomes)
                got << kStatuses[int(status)];
            EXPECT_EQ(got.join(' ').toStdString(), f.join(' ').toStdString());
        } else if (word == "names") {
            EXPECT_EQ(result.io.file, reg->dir.file(file)); // no FILE: the folder
        } else if (word == "reason") {
            EXPECT_TRUE(result.io.reason.contains(QString::fromUtf8(f.join(' ')))) << result.io.reason.toStdString();
        } else if (word == "repaired") {
            EXPECT_EQ(std::pair(repairedFrom, repairedTo), std::pair(f[0].toInt(), f[1].toInt()));
        } else if (word == "refused") {
            for (const QByteArray write : {"add new", "update 1 x", "remove 1", "restore 3 back"}) {
                QList<QByteArray> words = write.split(' ');
                const QByteArray operation = words.takeFirst();
                step(operation, words << "\xE2\x86\x92" << "result damaged" << "names setting.ini" << "reason sitekanri-cli repair" << "unchanged", row);
            }
        } else if (word == "unchanged") {
            EXPECT_EQ(filesOf(reg->dir.path()), before) << "written though refused";
        } else if (word == "loaded") {
            QList<QByteArray> listing = f;
            const bool expectDamaged = listing.removeAll("damaged") > 0;
            const Reading<LoadedRegister> loaded = reg->files.load();
            EXPECT_TRUE(loaded);
            if (!listing.isEmpty() && listing.last().startsWith('#')) {
                EXPECT_EQ(loaded.value.count, listing.takeLast().mid(1).toInt());
            }
            EXPECT_EQ(Listing(loaded.value.sites), listing.join(' ').toStdString());
            EXPECT_EQ(loaded.value.damaged, expectDamaged);
            passed.clear();
            for (const IoResult &io : loaded.value.passedOver)
                passed << QFileInfo(io.file).fileName().toUtf8();
        } else if (word == "passed") {
            EXPECT_EQ(passed.join(' ').toStdString(), f.join(' ').toStdString());
        } else if (word == "file") {
            EXPECT_EQ(reg->dir.read(file), Unescaped(f.value(1))) << file.toStdString();
        } else if (word == "clock") {
            clock.reset();
            clock = std::make_unique<HeldSiteClock>(secondsOf(f[0]));
        } else if (word == "dates") {
            SiteRecord read;
            read.ReadFrom(IniDocument::parse(reg->dir.read(DataFileName(f[0].toInt()))));
            EXPECT_EQ(isoOf(read.GetAdded()) + ' ' + isoOf(read.GetChanged()), f[1] + ' ' + f[2]) << "data" << f[0].toStdString();
        } else if (word == "counted") {
            EXPECT_EQ(reg->dir.read(kSetting), countFile(f[0].toInt()));
        } else if (word == "record") {
            EXPECT_EQ(withoutOwnSection(reg->dir.read(DataFileName(f[0].toInt()))), dataFile(f[1]));
        } else if (word == "missing") {
            EXPECT_FALSE(reg->dir.exists(file)) << file.toStdString();
        } else if (word == "listed") {
            QStringList names = QDir(reg->dir.path()).entryList(QDir::Files);
            names.removeAll(RegisterLock::lockFileName());
            EXPECT_EQ(names.join(QLatin1Char(' ')), QString::fromUtf8(f.join(' ')));
        } else {
            ADD_FAILURE() << "line " << row.line << ": unknown word " << word.toStdString();
        }
    };
    RunSessions(QStringLiteral(TEST_DATA "/register_files.txt"), [&] { clock.reset(); reg = std::make_unique<Register>(); }, step);
    RegisterFolder::testHook = nullptr;
}

// Another program's change to any one of the six texts is a change: the record as the user saw it
// no longer stands, and neither an update nor a delete goes through.
TEST(RegisterFiles, aChangeElsewhereToAnyFieldStopsAnUpdateOrDelete)
{
    const SiteRecord seen = MakeRecord("名前", "http://u/", "k1", "k2", "k3", "内容");
    for (std::size_t f = 0; f < 6; ++f) {
        SCOPED_TRACE(kRecordKeys[f]);
        Register reg;
        ASSERT_TRUE(reg.files.add(seen).done());
        SiteRecord edited = seen;
        edited.*kRecordFields[f] += "!";
        ASSERT_TRUE(reg.files.update(1, edited).done());
        const Snapshot before = filesOf(reg.dir.path());
        EXPECT_EQ(reg.files.update(1, named("mine"), seen).status, OperationStatus::ChangedElsewhere);
        EXPECT_EQ(reg.files.remove(1, seen).status, OperationStatus::ChangedElsewhere);
        EXPECT_EQ(filesOf(reg.dir.path()), before);
    }
}

TEST(RegisterFiles, countParsesLikeAtoiHeldToIntRange)
{
    const std::tuple<const char *, int, bool> cases[] = {
        {" 7", 7, true},   {"7abc", 7, true},    {"+2", 2, true},  {"-2", -2, true},  {"", 0, false},
        {"abc", 0, false}, {"2.9", 2, true},     {"0x3", 0, true}, {" \t12xyz", 12, true}, {"-0", 0, true},
        {"2147483647", INT_MAX, true}, {"2147483648", INT_MAX, true}, {"-99999999999", INT_MIN, true},
        {"- 1", 0, false}, {"\x82Q", 0, false}, // full-width 2
    };
    for (const auto &[text, expected, number] : cases) {
        bool hasNumber = !number;
        EXPECT_EQ(ParseRecordCount(text, &hasNumber), expected) << text;
        EXPECT_EQ(hasNumber, number) << text;
    }
}

// A number more than kFarGap above every one below it lies out of reach, and so does all above it.
TEST(FarNumbers, reachGoesOnInStepsOfAtMostTheGap)
{
    const std::pair<std::vector<int>, int> cases[] = {
        {{}, 0}, {{3, 1, 2}, 3}, {{kFarGap}, kFarGap}, {{kFarGap + 1}, 0}, {{2, 2000000000, INT_MAX}, 2},
        {{1, 1 + kFarGap, 1 + 2 * kFarGap, 2 + 3 * kFarGap}, 1 + 2 * kFarGap},
    };
    for (const auto &[numbers, reach] : cases)
        EXPECT_EQ(ReachOf(numbers), reach);
}

} // namespace
