// Hand-made register files: both readers must make the same of them, and our rewrite must keep
// what the Windows rewrite keeps.
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

QByteArray utf16Le(const QString &text)
{
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : text)
        out.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return out;
}

QByteArray B(const char *bytes) { return QByteArray(bytes); }

QString dataFile(int number) { return QStringLiteral("data%1.ini").arg(number); }

void expectSameLoad(const std::vector<SiteRecord> &ours, const ProfileOracle::Load &theirs,
                    const std::vector<std::string> &labels, const std::string &context)
{
    ASSERT_TRUE(theirs.ok) << context << ": " << theirs.error.toStdString();
    ExpectSameRecords(ours, theirs.records, labels, context);
}

using FileInterop = OracleTest;

struct HandMadeFile
{
    const char *name;
    QByteArray bytes;
    enum Kind { File, Directory, Missing } kind = File;
    // Where the two readers differ in NAME, on purpose or by a known limit: what each returns.
    QByteArray oursName = {};
    QByteArray windowsName = {};
};

// Data files written by hand, by other tools or by old versions: one register, one file per case.
const std::vector<HandMadeFile> &handMadeDataFiles()
{
    static const std::vector<HandMadeFile> table{
        {"lf only", B("[DATA]\nNAME=lf name\nURL=lf url\nKEY1=k1\nKEY2=k2\nKEY3=k3\nINDATA=2024\n")},
        {"cr only", B("[DATA]\rNAME=cr name\rURL=cr url\rKEY3=k3\r")},
        {"mixed line ends and blank lines", B("\r\n\n[DATA]\n\r\n\rNAME=abc   \r\rURL=   def\n\r\n")},
        {"lower-case names", B("[data]\r\nname=lower\r\nurl=u\r\nKey1=Mixed\r\nkey2=k2\r\nkEy3=k3\r\nindata=c\r\n")},
        {"blanks around =", B("[DATA]\r\nNAME = spaced\r\nURL\t=\ttabbed\r\n  KEY1=indented\r\nKEY2   =   \r\n"
                              "KEY3 =  \"  q  \"  \r\nINDATA\t= 'x' \r\n")},
        {"duplicate keys", B("[DATA]\r\nNAME=first\r\nNAME=second\r\nurl=one\r\nURL=two\r\n")},
        {"duplicate sections", B("[DATA]\r\nNAME=sec1\r\n[OTHER]\r\nx=1\r\n[DATA]\r\nNAME=sec2\r\nURL=only in sec2\r\n")},
        {"lines before the first header", B("NAME=orphan\r\nURL=orphan\r\nplain line\r\n[DATA]\r\nKEY1=k\r\n")},
        {"key without =", B("[DATA]\r\nNAME\r\nURL=u\r\nKEY1\r\nKEY1=later\r\nKEY2 \r\n")},
        {"comment-like lines", B(";NAME=commented\r\n[DATA]\r\n; comment\r\n;URL=commented url\r\nNAME=real\r\n"
                                 "#KEY1=hash\r\nKEY2=v ; not a comment\r\n")},
        {"quotes in the file", B("[DATA]\r\nNAME=\"quoted\"   \r\nURL='  padded  '\r\nKEY1=\"a\" \"b\"\r\nKEY2=\"a'\r\n"
                                 "KEY3=\"\r\nINDATA=''\r\n")},
        {"utf-8 byte-order mark", B("\xEF\xBB\xBF[DATA]\r\nNAME=サイト管理\r\nURL=ｶﾀｶﾅ\r\nKEY1=①ⅰ纊\r\n"
                                    "KEY2=～＼\r\nKEY3=\xE3\x80\x9C\r\nINDATA=bom ascii\r\n")},
        {"utf-8 byte-order mark, characters cp932 lacks",
         B("\xEF\xBB\xBF[DATA]\r\nNAME=a😀b〜\r\nURL=em—dash−minus\r\nKEY1=\x83T\x83" "C\x83g\x8a\xc7\x97\x9d\r\n")},
        // Windows maps some characters it lacks to look-alikes ("best fit"); we do not copy
        // that table, so they read as '?' like every other character the code page lacks.
        {"utf-8 byte-order mark, best-fit characters", B("\xEF\xBB\xBF[DATA]\r\nNAME=é¥¦\r\nURL=u\r\n"),
         HandMadeFile::File, B("???"), B("e\\|")},
        {"nul byte in a value", QByteArray("[DATA]\r\nNAME=before\0after\r\nURL=u\r\n", 32)},
        {"utf-16le byte-order mark",
         utf16Le(QString::fromUtf8("[DATA]\r\nNAME=utf16 サイト\r\nURL= ｶﾅ \r\nKEY1=\"q\"\r\n"))},
        {"trail bytes that look like brackets", B("[DATA]\x83]\r\nNAME=after zo\r\n[\x83]\r\nURL=still data\r\n"
                                                   "[ab\x83]]\r\nKEY1=not data\r\n")},
        {"japanese names and blanks", B("[DATA]\r\nNAME=\x81@\x91S\x8Ap\x81@\r\nURL=\x1A" "eof blank\x1A\r\n"
                                        "") + Sjis("サイト") + B("=x\r\n")},
        {"a gap in the numbering", B(""), HandMadeFile::Missing},
        {"a directory named like a data file", B(""), HandMadeFile::Directory},
        // We read values whole; the Windows reader cuts them at 4095 bytes.
        {"long value", B("[DATA]\r\nNAME=") + QByteArray(6000, 'w') + B("\r\nURL=after long\r\n"),
         HandMadeFile::File, QByteArray(6000, 'w'), QByteArray(4095, 'w')},
    };
    return table;
}

// Every hand-made data file of one register, read by both sides.
TEST_F(FileInterop, handMadeDataFiles_bothReadTheSame)
{
    const auto &table = handMadeDataFiles();
    const QString reg = dir(QStringLiteral("files"));
    const int count = int(table.size());
    WriteFile(QDir(reg).filePath(QStringLiteral("setting.ini")), "[SETTING]\r\nDATA_CNT=" + QByteArray::number(count) + "\r\n");
    std::vector<std::string> labels;
    std::vector<const HandMadeFile *> loaded; // the cases that make a record, in load order
    for (int i = 0; i < count; ++i) {
        const HandMadeFile &file = table[std::size_t(i)];
        const QString path = QDir(reg).filePath(dataFile(i + 1));
        if (file.kind == HandMadeFile::File) {
            WriteFile(path, file.bytes);
            labels.push_back(std::string(file.name) + " (" + dataFile(i + 1).toStdString() + ")");
            loaded.push_back(&file);
        } else if (file.kind == HandMadeFile::Directory) {
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
        if (loaded[r]->oursName.isNull())
            continue;
        EXPECT_EQ(Shown(ours[r].m_name), Shown(loaded[r]->oursName)) << labels[r];
        EXPECT_EQ(Shown(theirs.records[r].m_name), Shown(loaded[r]->windowsName)) << labels[r];
        ours[r].m_name = theirs.records[r].m_name; // the other fields must still agree
    }

    expectSameLoad(ours, theirs, labels, "hand-made data files");
}

struct CountCase
{
    const char *name;
    QByteArray setting; // setting.ini, or no file when null
    bool damaged = false; // no count: we show every data file, the Windows loader none
};

// The record count as written by people and other tools; data1-3 and data5 exist in each.
TEST_F(FileInterop, handMadeCounts_bothLoadTheSameRecords)
{
    const std::vector<CountCase> cases{
        {"plain", B("[SETTING]\r\nDATA_CNT=3\r\n")},
        {"blank before the digits", B("[SETTING]\r\nDATA_CNT= 7\r\n")},
        {"quoted blank before the digits", B("[SETTING]\r\nDATA_CNT=\" 7\"\r\n")},
        {"digits then letters", B("[SETTING]\r\nDATA_CNT=7abc\r\n")},
        {"plus sign", B("[SETTING]\r\nDATA_CNT=+2\r\n")},
        {"minus sign", B("[SETTING]\r\nDATA_CNT=-2\r\n"), true},
        {"empty", B("[SETTING]\r\nDATA_CNT=\r\n"), true},
        {"full-width digit", B("[SETTING]\r\nDATA_CNT=\x82Q\r\n"), true},
        {"single-quoted", B("[SETTING]\r\nDATA_CNT='5'\r\n")},
        {"lower-case, lf", B("[setting]\ndata_cnt=2\n")},
        {"key missing", B("[SETTING]\r\nOTHER=1\r\n"), true},
        {"outside any section", B("DATA_CNT=2\r\n"), true},
        {"no setting.ini", QByteArray(), true},
    };
    QStringList dirs;
    for (const CountCase &c : cases) {
        const QString reg = dir(QStringLiteral("count%1").arg(dirs.size()));
        ASSERT_TRUE(QDir().mkpath(reg));
        if (!c.setting.isNull())
            WriteFile(QDir(reg).filePath(QStringLiteral("setting.ini")), c.setting);
        for (int n : {1, 2, 3, 5})
            WriteFile(QDir(reg).filePath(dataFile(n)), "[DATA]\r\nNAME=rec" + QByteArray::number(n) + "\r\n");
        dirs << reg;
    }
    const std::vector<ProfileOracle::Load> theirs = ProfileOracle::load(dirs);
    std::size_t loadedSomething = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::vector<SiteRecord> ours = LoadWithSiteStore(dirs[int(i)]);
        const std::string context = std::string("DATA_CNT case \"") + cases[i].name + "\"";
        if (cases[i].damaged) {
            EXPECT_EQ(ours.size(), 4u) << context;
            EXPECT_TRUE(theirs[i].ok && theirs[i].records.empty()) << context;
            continue;
        }
        loadedSomething += ours.empty() ? 0 : 1;
        expectSameLoad(ours, theirs[i], {}, context);
    }
    EXPECT_GE(loadedSomething, 5u); // the table covers counts that load and counts that do not
}

struct Rewrite
{
    const char *name;
    QByteArray before; // the data file before the save; null for none
    SiteRecord record; // what is saved into it
};

// Existing files full of other content: comments, other sections and keys, odd spellings.
std::vector<Rewrite> rewrites()
{
    return {
        {"comments, other sections and keys, lf",
         B("; header comment\n[OTHER]\nfoo = bar\n\n[DATA]\n; comment in data\nEXTRA=keep me\nURL = old url\n"
           "name=old name\n  KEY1  =  old key1  \n\n[DATA2]\nx=y\n"),
         MakeRecord("新しい名前", "http://example.jp/new", "", "k2", "k3", "2024/05/06")},
        {"duplicate keys and sections",
         B("[DATA]\r\nNAME=first\r\nNAME=second\r\n[OTHER]\r\n[DATA]\r\nURL=in second DATA\r\n"),
         MakeRecord("N", "U", "k1")},
        {"utf-8 byte-order mark", B("\xEF\xBB\xBF; コメント\r\n[DATA]\r\nNAME=旧\r\nKEY9=残す\r\n"),
         MakeRecord("サイト管理", "http://example.jp/", "全てのキーワード", "ｷｰﾜｰﾄﾞ")},
        {"only another section", B("[OTHER]\r\nfoo=1\r\n"), MakeRecord("n", "u")},
        {"lines before the first header, key without =", B("orphan=1\r\nlonely\r\n[DATA]\r\nNAME\r\nURL=u\r\n"),
         MakeRecord("filled", "u", "k")},
        {"lower-case section and keys, cr only", B("[data]\rname=old\rkey3=k\r[Other]\rA=1\r"),
         MakeRecord("new", "", "", "", "k", "c")},
        {"blank lines and indentation", B("\r\n  [DATA]  \r\n\r\n   NAME   =   x   \r\n\tURL\t=\ty\r\n"),
         MakeRecord("x2", "y2", "", "", "", "")},
        {"values already as saved, lf", B("[DATA]\nNAME=same\nURL=\nKEY1=\nKEY2=\nKEY3=\nINDATA=\n"),
         MakeRecord("same", "")},
        {"no file yet", QByteArray(), MakeRecord("fresh", "http://example.jp/fresh", "", "", "", "c")},
    };
}

// Writing records over hand-made files: the Windows functions read our values back, and our files
// keep every unrelated line where the Windows rewrite keeps it. With values that need no quoting
// the two rewrites agree byte for byte, the untouched file above the count included.
TEST_F(FileInterop, rewriteOverHandMadeFiles_keepsWhatWindowsKeeps)
{
    const std::vector<Rewrite> cases = rewrites();
    const QString theirsDir = dir(QStringLiteral("theirs"));
    const QString oursDir = dir(QStringLiteral("ours"));
    const QByteArray setting = "; settings\n[SETTING]\nDATA_CNT=" + QByteArray::number(qsizetype(cases.size()))
        + "\nVERSION=1\n[WINDOW]\nX = 10\n";
    const QByteArray stale = "[DATA]\r\nNAME=stale record\r\n";
    std::vector<SiteRecord> records;
    for (const QString &reg : {theirsDir, oursDir}) {
        ASSERT_TRUE(QDir().mkpath(reg));
        WriteFile(QDir(reg).filePath(QStringLiteral("setting.ini")), setting);
        WriteFile(QDir(reg).filePath(dataFile(int(cases.size()) + 1)), stale);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            if (!cases[i].before.isNull())
                WriteFile(QDir(reg).filePath(dataFile(int(i) + 1)), cases[i].before);
        }
    }
    for (const Rewrite &c : cases)
        records.push_back(c.record);

    ASSERT_EQ(ProfileOracle::save(theirsDir, records), QString());
    RegisterFolder folder(QFile::encodeName(oursDir));
    RegisterFiles files(folder);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const int number = int(i) + 1;
        const OperationResult written = cases[i].before.isNull() ? files.restore(number, records[i])
                                                                 : files.update(number, records[i]);
        ASSERT_TRUE(written.done() && written.number == number) << cases[i].name;
    }

    const ProfileOracle::Load readBack = ProfileOracle::load(oursDir);
    std::vector<std::string> labels;
    for (const Rewrite &c : cases)
        labels.push_back(c.name);
    expectSameLoad(records, readBack, labels, "Windows reading our rewrite");

    // Only the Windows save writes the count, which we left as it was.
    Snapshot ours = TakeSnapshot(oursDir), theirs = TakeSnapshot(theirsDir);
    for (Snapshot *files : {&ours, &theirs}) {
        files->erase(QStringLiteral("setting.ini"));
        files->erase(RegisterLock::lockFileName());
    }
    EXPECT_EQ(ours.size(), theirs.size()) << "files in our folder and theirs";
    for (const auto &[name, bytes] : theirs)
        EXPECT_EQ(Shown(ours.count(name) ? ours.at(name) : QByteArray("<missing>")), Shown(bytes)) << name.toStdString();
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
