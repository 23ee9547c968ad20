// The files a delete keeps aside for its undo: renamed back while they are as the delete left
// them, written afresh when not, and swept once the program that kept them is gone.
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "TempRegister.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Record 2's file as another program wrote it, with a line of its own that no written record has.
const QByteArray kFileOfB = "[DATA]\r\nNAME=b\r\nURL=http://b/\r\nMEMO=only in this file\r\n";

TEST(KeptFiles, anUndoRenamesTheKeptFileBackOnlyWhileItIsAsTheDeleteLeftIt)
{
    // What another program does between the delete and its undo; where record b comes back; whether
    // with the file the delete kept (its own line with it); what data2.ini then holds.
    const struct { const char *meanwhile; int number; bool sameFile; const char *numberTwo; } cases[] = {
        {"nothing", 2, true, "b"},
        {"changes the kept file", 2, false, "b"},
        {"removes the kept file", 2, false, "b"},
        {"takes number 2", 4, true, "z"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.meanwhile);
        TempRegister dir;
        WriteRegister(dir.path(), {MakeRecord("a", "http://a/"), MakeRecord("b", "http://b/"), MakeRecord("c", "http://c/")});
        dir.write(QStringLiteral("data2.ini"), kFileOfB);
        FolderFiles other(dir.path());
        RegisterFiles &files = other.files;
        SiteRecord b;
        bool exists = false;
        ASSERT_TRUE(files.read(2, b, exists) && exists);
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
        EXPECT_EQ(restored == kFileOfB, c.sameFile) << restored.constData();
        SiteRecord back;
        EXPECT_TRUE(files.read(c.number, back, exists) && exists && back == b);
        EXPECT_TRUE(dir.read(QStringLiteral("data2.ini")).contains(QByteArray("NAME=") + c.numberTwo));
        EXPECT_TRUE(KeptFiles(dir.path()).isEmpty()) << KeptFiles(dir.path()).join(u' ').toStdString();
    }
}

// Another program's load leaves the kept files of a running program alone, and sweeps them once
// that program has ended, however it ended: here it ends without running a destructor.
TEST(KeptFiles, aLoadSweepsThemOnlyOnceTheirProgramHasEnded)
{
    TempRegister dir;
    WriteRegister(dir.path(), {MakeRecord("a", "http://a/"), MakeRecord("b", "http://b/")});
    int toChild[2], fromChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(fromChild), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(toChild[1]);
        ::close(fromChild[0]);
        RegisterFolder folder(QFile::encodeName(dir.path()));
        RegisterFiles files(folder);
        SiteRecord a;
        bool exists = false;
        std::vector<KeptFile> kept;
        const bool done = folder.open(false) && files.read(1, a, exists) && files.removeMany({{1, a}}, &kept).done();
        char answer = done ? 'y' : 'n', wait = 0;
        (void)!::write(fromChild[1], &answer, 1);
        (void)!::read(toChild[0], &wait, 1); // until the parent has looked
        ::_exit(0);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    char answer = 0;
    ASSERT_EQ(::read(fromChild[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    const QStringList kept = KeptFiles(dir.path());
    EXPECT_EQ(kept.size(), 1);
    EXPECT_EQ(ReadRegister(dir.path()).size(), 1u);
    EXPECT_EQ(KeptFiles(dir.path()), kept);

    ::close(toChild[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ReadRegister(dir.path());
    const QStringList left = QDir(dir.path()).entryList({QStringLiteral(".sitekanri*")}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();
    ::close(fromChild[0]);
}

} // namespace
