#include "CaseName.h"
#include "FaultSupport.h"
#include "SiteStore.h"

#include <cerrno>

// Saves that cannot be completed: each must fail naming the file and the system's reason, and
// leave every file of the register exactly as it was, with nothing left behind.
namespace {

void changeFirstAndAppend(SiteList &sites)
{
    sites.at(0).m_name = "changed";
    sites.push_back(SiteRecord());
}

void rewriteEvery(SiteList &sites)
{
    for (std::size_t i = 0; i < sites.size(); ++i)
        sites.at(i).m_content = "changed";
}

void appendThree(SiteList &sites)
{
    for (int i = 0; i < 3; ++i)
        sites.push_back(SiteRecord());
}

struct SaveFault
{
    const char *name;
    const char *mount;   // made on the empty register folder first, or nullptr
    int records;         // then saved
    const char *fault;   // then made, or nullptr
    const char *undo;    // run at the end
    void (*edit)(SiteList &); // on the loaded register, before the save; nullptr: saved as loaded
    const char *file;    // the file the failure names; "" for any file of the register
    int error;
    bool cli = false;    // `sitekanri-cli add` instead of an edit and Save
};

class SaveFaults : public ::testing::TestWithParam<SaveFault> {};

TEST_P(SaveFaults, failNamingFileAndReason_everyFileUnchanged)
{
    const SaveFault &c = GetParam();
    if (c.mount || c.undo) {
        SKIP_UNLESS_ROOT();
    }
    if (c.cli && CliPath().isEmpty())
        GTEST_SKIP() << "sitekanri-cli is not part of this build";
    TempRegister reg;
    struct Undo { const char *commands; QString dir; ~Undo() { if (commands) { EXPECT_EQ(RunCommands(commands, dir), QString()); } } };
    if (c.mount) {
        if (const QString error = RunCommands(c.mount, reg.path()); !error.isEmpty())
            GTEST_SKIP() << "cannot make this fault here: " << error.toStdString();
    }
    const Undo undo{c.mount ? c.undo : nullptr, reg.path()};
    SaveSimpleRegister(c.records);
    if (c.fault) {
        if (const QString error = RunCommands(c.fault, reg.path()); !error.isEmpty())
            GTEST_SKIP() << "cannot make this fault here: " << error.toStdString();
    }
    const Undo undoFault{c.fault ? c.undo : nullptr, reg.path()};
    const Snapshot before = TakeSnapshot(reg.path());
    const QString file = c.file[0] ? reg.file(QString::fromLatin1(c.file)) : reg.path();
    if (c.cli) {
        const ProgramRun run = RunProgram(CliPath(), {QStringLiteral("--dir"), reg.path(), QStringLiteral("add"),
                                                      QStringLiteral("--name"), QStringLiteral("新しいサイト"),
                                                      QStringLiteral("--url"), QStringLiteral("http://example.jp/")});
        EXPECT_EQ(run.exitCode, 1);
        const QString err = QString::fromUtf8(run.err);
        EXPECT_TRUE(err.contains(file) && err.contains(SystemReason(c.error))) << run.err.toStdString();
        EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << "one clear line: " << run.err.toStdString();
    } else {
        SiteStore store;
        ASSERT_TRUE(store.Load());
        if (c.edit)
            c.edit(store.m_sites);
        const IoResult result = store.Save();
        ASSERT_FALSE(result);
        EXPECT_TRUE(c.file[0] ? result.file == file : result.file.startsWith(file)) << result.file.toStdString();
        EXPECT_EQ(result.reason, SystemReason(c.error));
    }
    EXPECT_EQ(TakeSnapshot(reg.path()), before) << Describe(TakeSnapshot(reg.path()));
}

const char *const kReadOnly = "mount --bind DIR DIR; mount -o remount,bind,ro DIR";

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveFaults,
    ::testing::Values(
        SaveFault{"read-only bind mount", nullptr, 3, kReadOnly, "umount -l DIR", changeFirstAndAppend, "data1.ini", EROFS},
        SaveFault{"read-only, cli add", nullptr, 3, kReadOnly, "umount -l DIR", nullptr, "data4.ini", EROFS, true},
        SaveFault{"immutable folder", nullptr, 3, "chattr +i DIR", "chattr -i DIR", changeFirstAndAppend, "data1.ini", EPERM},
        // 64 KiB nearly filled by the records saved first, then a change that needs more room.
        SaveFault{"full disk, every record rewritten", "mount -t tmpfs -o size=64k tmpfs DIR", 10, nullptr,
                  "umount -l DIR", rewriteEvery, "", ENOSPC},
        SaveFault{"full disk, records appended", "mount -t tmpfs -o size=64k tmpfs DIR", 14, nullptr, "umount -l DIR",
                  appendThree, "", ENOSPC},
        // Loading passes over the folder; the two records loaded are then saved as data1, data2.
        SaveFault{"folder in place of a data file", nullptr, 3, "rm DIR/data1.ini; mkdir DIR/data1.ini", nullptr, nullptr,
                  "data1.ini", EISDIR}),
    CaseName());

} // namespace
