// What is no regular file in a record's place: every command sees the same register.
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "TempRegister.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// A pipe named data1.ini once made `list` fail while `add` went on writing; neither may open it
// (opening a pipe blocks until someone writes).
TEST(StrayFile, pipeInARecordsPlaceIsPassedOverByReadsAndWrites)
{
    TempRegister reg;
    WriteRegister(reg.path(), {MakeRecord("一", "http://one.jp/"), MakeRecord("二", "http://two.jp/")});
    ASSERT_TRUE(QFile::remove(reg.file(QStringLiteral("data1.ini"))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(reg.file(QStringLiteral("data1.ini"))).constData(), 0644), 0);

    const SiteList before = ReadRegister(reg.path());
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before.number(0), 2);
    RegisterFolder folder(QFile::encodeName(reg.path()));
    ASSERT_TRUE(folder.open(false));
    RegisterFiles files(folder);
    const OperationResult added = files.add(MakeRecord("三", "http://three.jp/"));
    ASSERT_TRUE(added.done()) << added.io.describe().toStdString();
    EXPECT_EQ(added.number, 3);
    const SiteList after = ReadRegister(reg.path());
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after.at(1).m_url, "http://three.jp/");
}

} // namespace
