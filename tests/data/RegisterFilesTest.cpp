#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegisterLock.h"
#include "CaseFile.h"
#include "TempRegister.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kSetting = QStringLiteral("setting.ini");

QByteArray dataFile(const QByteArray &name)
{
    return "[DATA]\r\nNAME=" + name + "\r\nURL=u\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n";
}

QByteArray countFile(int count)
{
    return "[SETTING]\r\nDATA_CNT=" + QByteArray::number(count) + "\r\n";
}

SiteRecord named(const QByteArray &name)
{
    SiteRecord record;
    record.m_name = name;
    record.m_url = "u";
    return record;
}

// The folder's files but the lock file, which any operation may leave (empty) behind.
Snapshot filesOf(const QString &folder)
{
    Snapshot files = TakeSnapshot(folder);
    files.erase(RegisterLock::lockFileName());
    return files;
}

// The register of one test: a temporary folder and the register's files on it.
struct Register
{
    TempRegister dir;
    RegisterFolder folder{QFile::encodeName(dir.path())};
    RegisterFiles files{folder, 200};
};

SiteRecord fromField(const QByteArray &field)
{
    const qsizetype bar = field.indexOf('|');
    SiteRecord record = named(field.left(bar < 0 ? field.size() : bar));
    if (bar >= 0)
        record.m_url = field.mid(bar + 1);
    return record;
}

const char *statusName(OperationStatus status)
{
    switch (status) {
    case OperationStatus::Done: return "done";
    case OperationStatus::Damaged: return "damaged";
    case OperationStatus::ChangedElsewhere: return "changed";
    case OperationStatus::RemovedElsewhere: return "removed";
    case OperationStatus::Busy: return "busy";
    default: return "failed";
    }
}

// Runs the sessions of register_files.txt (its head says how they read).
TEST(RegisterFiles, sessionsRunAsWritten)
{
    std::unique_ptr<Register> reg;
    OperationResult result;
    Snapshot before;
    int repairedFrom = 0, repairedTo = 0;
    std::function<void(const QByteArray &, const QList<QByteArray> &, const CaseRow &)> step;
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
        const SiteRecord was = named(f.value(2));
        if (word == "add" || word == "update" || word == "remove" || word == "removemany" || word == "restore"
            || word == "repair")
            before = filesOf(reg->dir.path());
        if (word == "write") {
            reg->dir.write(file, row.field(2));
        } else if (word == "count") {
            reg->dir.write(kSetting, countFile(f[0].toInt()));
        } else if (word == "data") {
            for (const QByteArray &number : f)
                reg->dir.write(DataFileName(number.toInt()), dataFile("r" + number));
        } else if (word == "big") {
            reg->dir.write(file, QByteArray(RegisterFolder::kMaxFileSize + 1, 'x'));
        } else if (word == "mode") {
            ASSERT_EQ(::chmod(QFile::encodeName(reg->dir.file(file)).constData(), mode_t(f[1].toInt(nullptr, 8))), 0);
        } else if (word == "removemany") {
            std::vector<std::pair<int, SiteRecord>> seen;
            for (const QByteArray &field : f)
                seen.emplace_back(field.split(':')[0].toInt(), named(field.split(':')[1]));
            result = reg->files.removeMany(seen);
        } else if (word == "folder" || word == "pipe") {
            ASSERT_TRUE(word == "folder" ? QDir(reg->dir.path()).mkdir(file)
                                         : ::mkfifo(QFile::encodeName(reg->dir.file(file)).constData(), 0644) == 0);
        } else if (word == "add") {
            std::vector<SiteRecord> records;
            for (const QByteArray &field : f)
                records.push_back(fromField(Unescaped(field)));
            result = records.size() == 1 ? reg->files.add(records[0]) : reg->files.addMany(records);
        } else if (word == "update") {
            result = f.size() > 2 ? reg->files.update(f[0].toInt(), named(f[1]), was) : reg->files.update(f[0].toInt(), named(f[1]));
        } else if (word == "remove") {
            const SiteRecord expected = named(f.value(1));
            result = f.size() > 1 ? reg->files.remove(f[0].toInt(), expected) : reg->files.remove(f[0].toInt());
        } else if (word == "restore") {
            result = reg->files.restore(f[0].toInt(), named(f[1]));
        } else if (word == "repair") {
            result = reg->files.repair([&](int from, int to) { repairedFrom = from, repairedTo = to; });
        } else if (word == "result") {
            EXPECT_EQ(statusName(result.status), f[0]) << result.io.describe().toStdString();
            if (f.size() > 1) {
                EXPECT_EQ(result.number, f[1].toInt());
            }
        } else if (word == "names") {
            EXPECT_EQ(result.io.file, reg->dir.file(file));
        } else if (word == "reason") {
            EXPECT_TRUE(result.io.reason.contains(file)) << result.io.reason.toStdString();
        } else if (word == "repaired") {
            EXPECT_EQ(std::pair(repairedFrom, repairedTo), std::pair(f[0].toInt(), f[1].toInt()));
        } else if (word == "refused") {
            const std::pair<const char *, std::function<OperationResult()>> writes[] = {
                {"add", [&] { return reg->files.add(named("new")); }},
                {"update", [&] { return reg->files.update(1, named("x")); }},
                {"remove", [&] { return reg->files.remove(1); }},
                {"restore", [&] { return reg->files.restore(3, named("back")); }},
            };
            for (const auto &[name, write] : writes) {
                SCOPED_TRACE(name);
                before = filesOf(reg->dir.path());
                const OperationResult refused = write();
                EXPECT_EQ(refused.status, OperationStatus::Damaged) << statusName(refused.status);
                EXPECT_EQ(refused.io.file, reg->dir.file(kSetting));
                EXPECT_TRUE(refused.io.reason.contains(QStringLiteral("sitekanri-cli repair"))) << refused.io.reason.toStdString();
                EXPECT_EQ(filesOf(reg->dir.path()), before) << "written though refused";
            }
        } else if (word == "unchanged") {
            EXPECT_EQ(filesOf(reg->dir.path()), before) << "written though refused";
        } else if (word == "loaded") {
            QList<QByteArray> listing = f;
            const bool expectDamaged = listing.removeAll("damaged") > 0;
            SiteList sites;
            bool damaged = false;
            EXPECT_TRUE(reg->files.load(sites, damaged));
            EXPECT_EQ(Listing(sites), listing.join(' ').toStdString());
            EXPECT_EQ(damaged, expectDamaged);
        } else if (word == "file") {
            EXPECT_EQ(reg->dir.read(file), Unescaped(f.value(1))) << file.toStdString();
        } else if (word == "counted") {
            EXPECT_EQ(reg->dir.read(kSetting), countFile(f[0].toInt()));
        } else if (word == "record") {
            EXPECT_EQ(reg->dir.read(DataFileName(f[0].toInt())), dataFile(f[1]));
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
    RunSessions(QStringLiteral(TEST_DATA "/register_files.txt"), [&] { reg = std::make_unique<Register>(); }, step);
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

TEST(RegisterFiles, updateKeepsOtherLinesAndSkipsAnUnchangedFile)
{
    Register reg;
    reg.dir.write(kSetting, countFile(1));
    reg.dir.write(DataFileName(1), "[DATA]\r\nNAME=a\r\nURL=u\r\n[MINE]\r\nX=1\r\n");
    ASSERT_TRUE(reg.files.update(1, named("b")).done());
    EXPECT_EQ(reg.dir.read(DataFileName(1)),
              "[DATA]\r\nNAME=b\r\nURL=u\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n[MINE]\r\nX=1\r\n");
    struct stat before {}, after {};
    ::stat(QFile::encodeName(reg.dir.file(DataFileName(1))).constData(), &before);
    ASSERT_TRUE(reg.files.update(1, named("b")).done());
    ::stat(QFile::encodeName(reg.dir.file(DataFileName(1))).constData(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an unchanged record was rewritten";
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

// Another program holding the lock for longer than the wait: the operation gives up, naming the
// folder, and writes nothing. A lock file's contents never matter.
TEST(RegisterFiles, heldLockMakesAnOperationBusy)
{
    Register reg;
    reg.dir.write(RegisterLock::lockFileName(), "1234\nother-host\n");
    ASSERT_TRUE(reg.files.add(named("one")).done()) << "a lock file with contents locked the register out";
    RegisterFolder other(QFile::encodeName(reg.dir.path()));
    ASSERT_TRUE(other.open(false));
    const RegisterLock holder(other, RegisterLock::Mode::Shared);
    ASSERT_EQ(holder.state(), RegisterLock::State::Locked);
    const OperationResult added = reg.files.add(named("two"));
    EXPECT_EQ(added.status, OperationStatus::Busy);
    EXPECT_EQ(added.io.file, reg.dir.path());
    EXPECT_EQ(reg.dir.read(kSetting), countFile(1));
    SiteList sites;
    bool damaged = false;
    EXPECT_TRUE(reg.files.load(sites, damaged)) << "loads share the lock";
}

} // namespace
