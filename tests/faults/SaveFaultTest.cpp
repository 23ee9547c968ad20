#include "AppDirectory.h"
#include "CaseName.h"
#include "FaultSupport.h"
#include "SiteStore.h"
#include "TempRegister.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <functional>

// Saves that cannot be completed: each must fail naming the file and the system's reason,
// and leave every file of the register exactly as it was, with nothing left behind.
namespace {

using Protection = std::function<std::shared_ptr<void>(const QString &directory, QString &error)>;

struct ReadOnlyCase
{
    const char *name;
    Protection protect;
    int expectedError;
};

SiteStore loadedStore()
{
    SiteStore store;
    const IoResult loaded = store.Load();
    EXPECT_TRUE(loaded) << loaded.describe().toStdString();
    return store;
}

class ReadOnlyRegister : public ::testing::TestWithParam<ReadOnlyCase>
{
protected:
    void SetUp() override
    {
        SKIP_UNLESS_ROOT();
        SaveSimpleRegister(3);
        m_before = TakeSnapshot(m_reg.path());
        QString error;
        m_protection = GetParam().protect(m_reg.path(), error);
        if (!m_protection)
            GTEST_SKIP() << "cannot make the register read-only here: " << error.toStdString();
    }

    void TearDown() override
    {
        m_protection.reset();
        EXPECT_EQ(TakeSnapshot(m_reg.path()), m_before) << Describe(TakeSnapshot(m_reg.path()));
    }

    TempRegister m_reg;
    Snapshot m_before;
    std::shared_ptr<void> m_protection;
};

TEST_P(ReadOnlyRegister, saveFailsWithFileAndReason)
{
    SiteStore store = loadedStore();
    store.m_sites.at(0).m_name = "changed";
    SiteRecord added;
    added.m_name = "added";
    store.m_sites.push_back(added);
    const IoResult result = store.Save();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.file, m_reg.file(QStringLiteral("data1.ini")));
    EXPECT_EQ(result.reason, SystemReason(GetParam().expectedError));
}

TEST_P(ReadOnlyRegister, cliAddExitsOneWithFileAndReason)
{
    if (CliPath().isEmpty())
        GTEST_SKIP() << "sitekanri-cli is not part of this build";
    const ProgramRun run = RunProgram(CliPath(), {QStringLiteral("--dir"), m_reg.path(), QStringLiteral("add"),
                                                  QStringLiteral("--name"), QStringLiteral("新しいサイト"),
                                                  QStringLiteral("--url"), QStringLiteral("http://example.jp/")});
    EXPECT_EQ(run.exitCode, 1);
    const QString err = QString::fromUtf8(run.err);
    EXPECT_TRUE(err.contains(m_reg.file(QStringLiteral("data4.ini")))) << run.err.toStdString();
    EXPECT_TRUE(err.contains(SystemReason(GetParam().expectedError))) << run.err.toStdString();
    EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << "one clear line: " << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReadOnlyRegister,
    ::testing::Values(
        ReadOnlyCase{"read-only bind mount",
                     [](const QString &dir, QString &error) -> std::shared_ptr<void> {
                         return ScopedFault::ReadOnlyBind(dir, error);
                     },
                     EROFS},
        ReadOnlyCase{"immutable folder",
                     [](const QString &dir, QString &error) -> std::shared_ptr<void> {
                         return ScopedFault::Immutable(dir, error);
                     },
                     EPERM}),
    CaseName());

struct FullDiskCase
{
    const char *name;
    int records;                          // saved first, nearly filling the 64 KiB disk
    std::function<void(SiteList &)> edit; // then a change that needs more room than is left
};

class FullDisk : public ::testing::TestWithParam<FullDiskCase> {};

TEST_P(FullDisk, saveFailsAndEveryFileKeepsItsBytes)
{
    SKIP_UNLESS_ROOT();
    TempRegister reg;
    QString error;
    const auto disk = ScopedFault::Tmpfs(reg.path(), "size=64k", error);
    if (!disk)
        GTEST_SKIP() << "cannot mount a small disk here: " << error.toStdString();
    SaveSimpleRegister(GetParam().records);
    const Snapshot before = TakeSnapshot(reg.path());

    SiteStore store = loadedStore();
    GetParam().edit(store.m_sites);
    const IoResult result = store.Save();
    ASSERT_FALSE(result);
    EXPECT_TRUE(result.file.startsWith(reg.path())) << result.file.toStdString();
    EXPECT_EQ(result.reason, SystemReason(ENOSPC));
    EXPECT_EQ(TakeSnapshot(reg.path()), before) << Describe(TakeSnapshot(reg.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FullDisk,
    ::testing::Values(FullDiskCase{"every record rewritten", 10,
                                   [](SiteList &sites) {
                                       for (std::size_t i = 0; i < sites.size(); ++i)
                                           sites.at(i).m_content = "changed";
                                   }},
                      FullDiskCase{"records appended", 14,
                                   [](SiteList &sites) {
                                       for (int i = 0; i < 3; ++i)
                                           sites.push_back(SiteRecord());
                                   }}),
    CaseName());

struct DirectoryCase
{
    const char *name;
    const char *directory; // made where this data file of a three-record register was
    bool saveFails;        // the two records loaded are saved as data1.ini, data2.ini
};

class DirectoryInPlace : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(DirectoryInPlace, loadPassesOverItAndSaveNamesIt)
{
    TempRegister reg;
    SaveSimpleRegister(3);
    const QString name = QString::fromLatin1(GetParam().directory);
    ASSERT_TRUE(QFile::remove(reg.file(name)));
    ASSERT_TRUE(QDir(reg.path()).mkdir(name));
    const Snapshot before = TakeSnapshot(reg.path());

    SiteStore store = loadedStore();
    ASSERT_EQ(store.m_sites.size(), 2u);
    const IoResult result = store.Save();
    if (!GetParam().saveFails) {
        EXPECT_TRUE(result) << result.describe().toStdString();
        EXPECT_TRUE(QFileInfo(reg.file(name)).isDir());
        return;
    }
    ASSERT_FALSE(result);
    EXPECT_EQ(result.file, reg.file(name));
    EXPECT_EQ(result.reason, SystemReason(EISDIR));
    EXPECT_EQ(TakeSnapshot(reg.path()), before) << Describe(TakeSnapshot(reg.path()));
}

INSTANTIATE_TEST_SUITE_P(Faults, DirectoryInPlace,
                         ::testing::Values(DirectoryCase{"first", "data1.ini", true},
                                           DirectoryCase{"second", "data2.ini", true},
                                           DirectoryCase{"above the new count", "data3.ini", false}),
                         CaseName());

} // namespace
