// The files a delete keeps aside for its undo: renamed back while they are as the delete left
// them, written afresh when not, and swept once the program that kept them is gone.
#include "TempRegister.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Record 2's file as another program wrote it, with a line of its own that no written record has.
const QByteArray kFileOfB = "[DATA]\r\nNAME=b\r\nURL=http://b/\r\nMEMO=only in this file\r\n";

TEST(KeptFiles, anUndoRenamesTheKeptFileBackOnlyWhileItIsAsTheDeleteLeftIt)
{
    // What another program does between the delete and its undo; where record b comes back; what
    // follows the kept file's bytes there (its own line kept with them; null: written afresh without
    // it); what data2.ini then holds. Put back under a new number, it is marked with its old one.
    const struct { const char *meanwhile; int number; const char *keptWith; const char *numberTwo; } cases[] = {
        {"nothing", 2, "", "b"},
        {"changes the kept file", 2, nullptr, "b"},
        {"removes the kept file", 2, nullptr, "b"},
        {"takes number 2", 4, "[SITEKANRI]\r\nTAKENIN=2\r\n", "z"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.meanwhile);
        TempRegister dir;
        WriteRegister(dir.path(), {MakeRecord("a", "http://a/"), MakeRecord("b", "http://b/"), MakeRecord("c", "http://c/")});
        dir.write(QStringLiteral("data2.ini"), kFileOfB);
        FolderFiles other(dir.path());
        RegisterFiles &files = other.files;
        const Reading<std::optional<SiteRecord>> read = files.read(2);
        ASSERT_TRUE(read && read.value);
        const SiteRecord b = *read.value;
        std::vector<KeptFile> kept;
        ASSERT_TRUE(files.removeMany({{2, b}}, &kept).done());
        ASSERT_EQ(KeptFiles(dir.path()), QStringList{kept.at(0).name});
        const QByteArray meanwhile = c.meanwhile;
        if (meanwhile == "changes the kept file")
            dir.write(kept[0].name, "[DATA]\r\nNAME=other\r\nURL=http://o/\r\n");
        else if (meanwhile == "removes the kept file")
            QFile::remove(dir.file(kept[0].name));
        else if (meanwhile == "takes number 2")
            dir.write(QStringLiteral("data2.ini"), "[DATA]\r\nNAME=z\r\nURL=http://z/\r\n");

        std::vector<int> numbers;
        ASSERT_TRUE(files.restoreMany({{2, b}}, numbers, &kept).done());
        EXPECT_EQ(numbers, std::vector<int>{c.number});
        const QByteArray restored = dir.read(DataFileName(c.number));
        if (c.keptWith)
            EXPECT_EQ(restored, kFileOfB + c.keptWith);
        else
            EXPECT_FALSE(restored.contains("MEMO=")) << restored.constData();
        EXPECT_EQ(files.read(c.number).value, b);
        EXPECT_TRUE(dir.read(QStringLiteral("data2.ini")).contains(QByteArray("NAME=") + c.numberTwo));
        EXPECT_TRUE(KeptFiles(dir.path()).isEmpty()) << KeptFiles(dir.path()).join(u' ').toStdString();
    }
}

// Another program's load leaves the kept files of a running program alone (here: this one), and
// sweeps them once that program has ended, however it ended: here without running a destructor.
TEST(KeptFiles, aLoadSweepsThemOnlyOnceTheirProgramHasEnded)
{
    TempRegister dir;
    WriteRegister(dir.path(), {MakeRecord("a", "http://a/"), MakeRecord("b", "http://b/")});
    FolderFiles running(dir.path());
    std::vector<KeptFile> kept;
    ASSERT_TRUE(running.files.removeMany({{1, MakeRecord("a", "http://a/")}}, &kept).done());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FolderFiles ended(dir.path());
        std::vector<KeptFile> itsOwn;
        ::_exit(ended.files.removeMany({{2, MakeRecord("b", "http://b/")}}, &itsOwn).done() ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(KeptFiles(dir.path()).size(), 2);
    EXPECT_TRUE(ReadRegister(dir.path()).empty());
    EXPECT_EQ(KeptFiles(dir.path()), QStringList{kept.at(0).name});
}

} // namespace
