// Hand-made register files: both readers must make the same of them, and our rewrite must keep
// what the Windows rewrite keeps.
#include "CaseFile.h"
#include "InteropSupport.h"
#include "ProfileOracle.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegisterLock.h"
#include "TempRegister.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QString dataFile(int number) { return QStringLiteral("data%1.ini").arg(number); }

void expectSameLoad(const std::vector<SiteRecord> &ours, const ProfileOracle::Load &theirs,
                    const std::vector<std::string> &labels, const std::string &context)
{
    ASSERT_TRUE(theirs.ok) << context << ": " << theirs.error.toStdString();
    ExpectSameRecords(ours, theirs.records, labels, context);
}

using FileInterop = OracleTest;

// Every hand-made data file of one register, read by both sides.
TEST_F(FileInterop, handMadeDataFiles_bothReadTheSame)
{
    const std::vector<CaseRow> table = ReadCaseRows(InteropTable("hand_made_files.tsv"));
    const QString reg = dir(QStringLiteral("files"));
    const int count = int(table.size());
    WriteFile(QDir(reg).filePath(QStringLiteral("setting.ini")), "[SETTING]\r\nDATA_CNT=" + QByteArray::number(count) + "\r\n");
    std::vector<std::string> labels;
    std::vector<const CaseRow *> loaded; // the cases that make a record, in load order
    for (int i = 0; i < count; ++i) {
        const CaseRow &file = table[std::size_t(i)];
        const QString path = QDir(reg).filePath(dataFile(i + 1));
        if (file.fields.value(1) == "file") {
            WriteFile(path, CaseField(file.fields.value(2)));
            labels.push_back(file.fields[0].toStdString() + " (" + dataFile(i + 1).toStdString() + ")");
            loaded.push_back(&file);
        } else if (file.fields.value(1) == "folder") {
            ASSERT_TRUE(QDir().mkpath(path));
        }
    }
    // Above the count: never read.
    WriteFile(QDir(reg).filePath(dataFile(count + 1)), "[DATA]\r\nNAME=above the count\r\n");

    const ProfileOracle::Load theirs = ProfileOracle::load(reg);
    ASSERT_TRUE(theirs.ok) << theirs.error.toStdString();
    std::vector<SiteRecord> ours = LoadWithSiteStore(reg);
    ASSERT_EQ(ours.size(), labels.size());

    ASSERT_EQ(theirs.records.size(), labels.size());
    for (std::size_t r = 0; r < loaded.size(); ++r) {
        if (loaded[r]->fields.size() < 5)
            continue;
        EXPECT_EQ(ours[r].m_name, CaseField(loaded[r]->fields[3])) << labels[r];
        EXPECT_EQ(theirs.records[r].m_name, CaseField(loaded[r]->fields[4])) << labels[r];
        ours[r].m_name = theirs.records[r].m_name; // the other fields must still agree
    }

    expectSameLoad(ours, theirs, labels, "hand-made data files");
}

TEST_F(FileInterop, handMadeCounts_bothLoadTheSameRecords)
{
    const std::vector<CaseRow> cases = ReadCaseRows(InteropTable("counts.tsv"));
    QStringList dirs;
    for (const CaseRow &c : cases) {
        const QString reg = dir(QStringLiteral("count%1").arg(dirs.size()));
        ASSERT_TRUE(QDir().mkpath(reg));
        if (c.fields.value(1) != "(none)")
            WriteFile(QDir(reg).filePath(QStringLiteral("setting.ini")), CaseField(c.fields.value(1)));
        for (int n : {1, 2, 3, 5})
            WriteFile(QDir(reg).filePath(dataFile(n)), "[DATA]\r\nNAME=rec" + QByteArray::number(n) + "\r\n");
        dirs << reg;
    }
    const std::vector<ProfileOracle::Load> theirs = ProfileOracle::load(dirs);
    std::size_t loadedSomething = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::vector<SiteRecord> ours = LoadWithSiteStore(dirs[int(i)]);
        const std::string context = "DATA_CNT case \"" + cases[i].fields[0].toStdString() + "\"";
        if (cases[i].fields.value(2) == "damaged") {
            EXPECT_EQ(ours.size(), 4u) << context;
            EXPECT_TRUE(theirs[i].ok && theirs[i].records.empty()) << context;
            continue;
        }
        loadedSomething += ours.empty() ? 0 : 1;
        expectSameLoad(ours, theirs[i], {}, context);
    }
    EXPECT_GE(loadedSomething, 5u); // the table covers counts that load and counts that do not
}

// Writing records over hand-made files: the Windows functions read our values back, and our files
// keep every unrelated line where the Windows rewrite keeps it. With values that need no quoting
// the two rewrites agree byte for byte, the untouched file above the count included.
TEST_F(FileInterop, rewriteOverHandMadeFiles_keepsWhatWindowsKeeps)
{
    const std::vector<CaseRow> cases = ReadCaseRows(InteropTable("rewrites.tsv"));
    std::vector<SiteRecord> records;
    std::vector<std::string> labels;
    for (const CaseRow &c : cases) {
        records.emplace_back();
        for (int f = 0; f < 6; ++f)
            records.back().*kRecordFields[f] = CaseField(c.fields.value(2 + f), SjisOf);
        labels.push_back(c.fields[0].toStdString());
    }
    const QString theirsDir = dir(QStringLiteral("theirs"));
    const QString oursDir = dir(QStringLiteral("ours"));
    const QByteArray setting = "; settings\n[SETTING]\nDATA_CNT=" + QByteArray::number(qsizetype(cases.size()))
        + "\nVERSION=1\n[WINDOW]\nX = 10\n";
    const QByteArray stale = "[DATA]\r\nNAME=stale record\r\n";
    for (const QString &reg : {theirsDir, oursDir}) {
        ASSERT_TRUE(QDir().mkpath(reg));
        WriteFile(QDir(reg).filePath(QStringLiteral("setting.ini")), setting);
        WriteFile(QDir(reg).filePath(dataFile(int(cases.size()) + 1)), stale);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            if (cases[i].fields.value(1) != "(none)")
                WriteFile(QDir(reg).filePath(dataFile(int(i) + 1)), CaseField(cases[i].fields.value(1)));
        }
    }

    ASSERT_EQ(ProfileOracle::save(theirsDir, records), QString());
    RegisterFolder folder(QFile::encodeName(oursDir));
    RegisterFiles files(folder);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const int number = int(i) + 1;
        const OperationResult written = cases[i].fields.value(1) == "(none)" ? files.restore(number, records[i])
                                                                             : files.update(number, records[i]);
        ASSERT_TRUE(written.done() && written.number == number) << labels[i];
    }

    const ProfileOracle::Load readBack = ProfileOracle::load(oursDir);
    expectSameLoad(records, readBack, labels, "Windows reading our rewrite");

    // Only the Windows save writes the count, which we left as it was.
    Snapshot ours = TakeSnapshot(oursDir), theirs = TakeSnapshot(theirsDir);
    for (Snapshot *files : {&ours, &theirs}) {
        files->erase(QStringLiteral("setting.ini"));
        files->erase(RegisterLock::lockFileName());
    }
    EXPECT_EQ(ours.size(), theirs.size()) << "files in our folder and theirs";
    for (const auto &[name, bytes] : theirs)
        EXPECT_EQ(ours.count(name) ? ours.at(name) : QByteArray("<missing>"), bytes) << name.toStdString();
}

// A register with gaps, as deletes leave it, loads through the Windows functions to the same
// records in the same order. When they then save it (renumbered from 1, the files above their
// count left behind), it loads back here, and the next add leaves the files behind out of the count.
TEST_F(FileInterop, registerWithGaps_survivesAWindowsSave)
{
    const QString reg = dir(QStringLiteral("gaps"));
    ASSERT_TRUE(QDir().mkpath(reg));
    std::vector<SiteRecord> records;
    for (const char *name : {"一", "二", "三", "四", "五"})
        records.push_back(MakeRecord(name, "http://example.jp/"));
    AddRecords(reg, records);
    RegisterFolder folder(QFile::encodeName(reg));
    RegisterFiles files(folder);
    ASSERT_TRUE(files.remove(2).done() && files.remove(4).done());
    const std::vector<SiteRecord> kept{records[0], records[2], records[4]};
    ASSERT_EQ(LoadWithSiteStore(reg), kept);
    expectSameLoad(kept, ProfileOracle::load(reg), {}, "Windows loading a register with gaps");

    ASSERT_EQ(ProfileOracle::save(reg, kept), QString());
    ASSERT_TRUE(TakeSnapshot(reg).count(dataFile(5))) << "the Windows save left the fifth file behind";
    ASSERT_EQ(LoadWithSiteStore(reg), kept);
    const SiteRecord added = MakeRecord("六", "http://example.jp/6");
    ASSERT_EQ(files.add(added).number, 4);
    EXPECT_EQ(LoadWithSiteStore(reg), (std::vector<SiteRecord>{records[0], records[2], records[4], added}));
}

} // namespace
