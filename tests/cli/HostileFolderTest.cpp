// What a sync peer, a typo or a hostile share can put into a register folder of two sites, through
// each command and the window's load: nothing is lost, each site is listed once under a number near
// the rest, the count stays within reach of the files, and names no reader opens are left alone.
// (How long each takes and what the notes kept outside the folder weigh: bench/hostile_folder.sh.)
#include "TempRegister.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

namespace {

struct Hostile
{
    const char *file;
    const char *bytes;
    const char *site;  // the site its file holds, which must be listed; "" for none
    const char *named; // what a command that writes says on stderr; "" for nothing
};

const Hostile kFolders[] = {
    {"data2000000000.ini", "[DATA]\r\nNAME=far\r\nURL=http://far.example/\r\n", "far", "data2000000000.ini"},
    {"data2147483647.ini", "[DATA]\r\nNAME=top\r\nURL=http://top.example/\r\n", "top", "data2147483647.ini"},
    {"data0.ini", "[DATA]\r\nNAME=zero\r\n", "", ""},
    {"data-1.ini", "[DATA]\r\nNAME=minus\r\n", "", ""},
    {"data007.ini", "[DATA]\r\nNAME=zeros\r\n", "", ""},
    {"setting.sync-conflict-20261207-144956-QBVMNFJ.ini", "[SETTING]\r\nDATA_CNT=2147483646\r\n", "", "2147483646"},
    {"setting.ini", "[SETTING]\r\nDATA_CNT=2000000000\r\n", "", "2000000000"},
};

TEST(HostileFolder, nothingIsLostAndEveryNumberAndCountStaysNearTheRest)
{
    TempRegister elsewhere;
    elsewhere.write(QStringLiteral("in.html"), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"http://imported.example/\">imported</A>\n</DL><p>\n");
    // Each operation's arguments, and the site it adds ("+name"), renames ("a>name") or deletes ("-b").
    const std::pair<const char *, const char *> operations[] = {
        {"add --name new --url http://new.example/", "+new"}, {"update 1 --name a2", "a>a2"}, {"delete 2", "-b"},
        {"list", ""}, {"import BOOKMARKS", "+imported"}, {"window", ""}};
    for (const Hostile &hostile : kFolders) {
        for (const auto &[operation, change] : operations) {
            SCOPED_TRACE(std::string(hostile.file) + ", " + operation);
            TempRegister reg;
            WriteRegister(reg.path(), {MakeRecord("a", "http://a.example/"), MakeRecord("b", "http://b.example/")});
            reg.write(QString::fromLatin1(hostile.file), hostile.bytes);
            const QString op = QString::fromLatin1(operation), file = QString::fromLatin1(hostile.file);
            const bool writes = op != u"list";
            if (op == u"window") {
                SiteRegister window(QFile::encodeName(reg.path()));
                ASSERT_TRUE(window.open());
                window.watch();
                for (QDeadlineTimer deadline(3000); *hostile.named && reg.read(file) == hostile.bytes && !deadline.hasExpired();)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            } else {
                const ProgramRun run = RunProgram(QStringLiteral(SITEKANRI_CLI_PATH), QStringList{QStringLiteral("--dir"), reg.path()}
                    + QString(op).replace(QLatin1String("BOOKMARKS"), elsewhere.file(QStringLiteral("in.html"))).split(u' '));
                EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
                // A listing writes nothing, and names only the count it read otherwise.
                EXPECT_TRUE(run.err.contains(writes || file == u"setting.ini" ? hostile.named : "")) << run.err.toStdString();
            }

            // Each site once, under a number near the rest (pending, with none, where nothing was written).
            QStringList expected{QStringLiteral("a"), QStringLiteral("b")};
            const QString what = QString::fromLatin1(change);
            if (what.startsWith(u'+'))
                expected << what.mid(1);
            else if (what.startsWith(u'-'))
                expected.removeAll(what.mid(1));
            else if (what.contains(u'>'))
                expected.replaceInStrings(what.section(u'>', 0, 0), what.section(u'>', 1));
            if (*hostile.site)
                expected << QString::fromLatin1(hostile.site);
            const ProgramRun list = RunProgram(QStringLiteral(SITEKANRI_CLI_PATH), {QStringLiteral("--dir"), reg.path(), QStringLiteral("list"), QStringLiteral("--ids")});
            QStringList listed;
            for (const QByteArray &line : list.out.split('\n')) {
                const int number = line.split('\t').value(0).toInt();
                if (!line.isEmpty())
                    listed << QString::fromUtf8(line.split('\t').value(1));
                EXPECT_TRUE(line.isEmpty() || (number >= 1 && number <= 5) || (!writes && number == 0)) << line.toStdString();
            }
            listed.sort(), expected.sort();
            EXPECT_EQ(listed, expected);
            const QByteArray setting = reg.read(QStringLiteral("setting.ini"));
            EXPECT_TRUE(setting.mid(setting.indexOf("DATA_CNT=") + 9).trimmed().toInt() <= 5 || (!writes && setting == hostile.bytes));
            // What no reader opens is nobody's to remove; what was taken in is gone.
            const bool openedByNone = !*hostile.site && !*hostile.named;
            EXPECT_EQ(reg.exists(file), openedByNone || !writes || file == u"setting.ini");
            EXPECT_TRUE(!openedByNone || reg.read(file) == hostile.bytes);
        }
    }
}

} // namespace
