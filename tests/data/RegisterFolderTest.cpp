#include "TempRegister.h"

#include <QDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray path(const TempRegister &reg, const char *name)
{
    return QFile::encodeName(reg.file(QString::fromLatin1(name)));
}

// What stands in place of a register file: it is neither read nor written through, and the
// failure names it with its reason.
TEST(RegisterFolder, whatIsNoRegularFileIsNeitherReadNorWrittenThrough)
{
    // What data1.ini is, and the reason its failure gives.
    const std::pair<const char *, const char *> cases[] = {{"link to a private file", "シンボリックリンクは読み書きしません"},
        {"dangling link", "シンボリックリンクは読み書きしません"}, {"pipe", "通常のファイルではありません"}, {"folder", "フォルダーです"}};
    for (const auto &[what, because] : cases) {
        SCOPED_TRACE(what);
        TempRegister reg;
        const QByteArray kind = what;
        reg.write(QStringLiteral("secret"), "[DATA]\r\nNAME=secret\r\n");
        if (kind.contains("link"))
            ASSERT_EQ(::symlink(kind.startsWith("dangling") ? "nowhere" : "secret", path(reg, "data1.ini")), 0);
        else
            ASSERT_TRUE(kind == "pipe" ? ::mkfifo(path(reg, "data1.ini"), 0644) == 0 : QDir(reg.path()).mkdir(QStringLiteral("data1.ini")));
        const Snapshot before = TakeSnapshot(reg.path());
        RegisterFolder folder(QFile::encodeName(reg.path()));
        ASSERT_TRUE(folder.open(RegisterFolder::Missing::ReadsEmpty));
        const QString reason = QString::fromUtf8(because);
        QByteArray bytes;
        bool exists = false;
        const IoResult read = folder.read(QStringLiteral("data1.ini"), bytes, exists);
        EXPECT_FALSE(read);
        EXPECT_TRUE(bytes.isEmpty());
        EXPECT_EQ(read.file, reg.file(QStringLiteral("data1.ini")));
        EXPECT_EQ(read.reason, reason);
        const IoResult written = folder.replace(QStringLiteral("data1.ini"), "[DATA]\r\nNAME=new\r\n");
        EXPECT_FALSE(written);
        EXPECT_EQ(written.reason, reason);
        EXPECT_EQ(TakeSnapshot(reg.path()), before) << "something was written through or left behind";
    }
}

TEST(RegisterFolder, fileOverTheLimitIsRefused)
{
    TempRegister reg;
    for (const int number : {1, 2}) { // sparse: nothing to write
        QFile file(reg.file(DataFileName(number)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(RegisterFolder::kMaxFileSize + 2 - number));
    }
    RegisterFolder folder(QFile::encodeName(reg.path()));
    ASSERT_TRUE(folder.open(RegisterFolder::Missing::ReadsEmpty));
    QByteArray bytes;
    bool exists = false;
    const IoResult over = folder.read(QStringLiteral("data1.ini"), bytes, exists);
    EXPECT_EQ(over.reason, QStringLiteral("ファイルが大きすぎます（16 MiB まで）"));
    ASSERT_TRUE(folder.read(QStringLiteral("data2.ini"), bytes, exists));
    EXPECT_EQ(bytes.size(), RegisterFolder::kMaxFileSize);
}

// A replaced file keeps its exact mode (umask notwithstanding) and, as root, its owner.
TEST(RegisterFolder, replacedFileKeepsModeAndOwner)
{
    TempRegister reg;
    reg.write(QStringLiteral("data1.ini"), "old");
    const QByteArray file = path(reg, "data1.ini");
    ASSERT_EQ(::chmod(file, 0600), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(file, 65534, 65534), 0);
    }
    const mode_t mask = ::umask(0077);
    RegisterFolder folder(QFile::encodeName(reg.path()));
    ASSERT_TRUE(folder.open(RegisterFolder::Missing::ReadsEmpty));
    ASSERT_TRUE(folder.replace(QStringLiteral("data1.ini"), "new"));
    ASSERT_EQ(::chmod(file, 0664), 0);
    ASSERT_TRUE(folder.replace(QStringLiteral("data1.ini"), "newer"));
    ::umask(mask);
    struct stat status {};
    ASSERT_EQ(::stat(file, &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0664u);
    if (root) {
        EXPECT_EQ(status.st_uid, 65534u);
    }
    EXPECT_EQ(reg.read(QStringLiteral("data1.ini")), "newer");
}

// A name in other letters made by another program after the folder was first listed is found
// once the folder is told of it.
TEST(RegisterFolder, nameMadeAfterTheListingIsFoundWithoutRegardToCase)
{
    TempRegister reg;
    RegisterFolder folder(QFile::encodeName(reg.path()));
    ASSERT_TRUE(folder.open(RegisterFolder::Missing::ReadsEmpty));
    reg.write(QStringLiteral("Data5.Ini"), "x");
    folder.refreshName(QStringLiteral("Data5.Ini"));
    EXPECT_EQ(folder.nameOnDisk(QStringLiteral("data5.ini")), QStringLiteral("Data5.Ini"));
}

} // namespace
