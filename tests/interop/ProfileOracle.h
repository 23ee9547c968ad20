#pragma once

#include "SiteRecord.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

// Drives the reference implementation of the register format: the Windows profile functions
// themselves, run under Wine by oracle.sh. Every call starts Wine (a second or two), so callers
// put many records into one save and one load.
class ProfileOracle
{
public:
    // The script handed over by the build; empty when the build found none.
    static QString scriptPath();
    // Why the oracle cannot be used here, or "" when it can.
    static QString unavailableReason();

    struct Load
    {
        bool ok = false;
        QString error; // the script's stderr and exit status when it failed
        std::vector<SiteRecord> records;
    };

    // Saves `records` into `directory` as the Windows program would (six writes per record, then
    // the count). Returns "" on success, else the script's complaint.
    static QString save(const QString &directory, const std::vector<SiteRecord> &records);

    // Loads the register in each directory as the Windows program would. The loads run side by
    // side; the results come back in the order of `directories`.
    static std::vector<Load> load(const QStringList &directories);
};

// Tests that need the oracle: skipped, with the reason, where it is not available. Each gets a
// fresh temporary folder for its registers.
class OracleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const QString reason = ProfileOracle::unavailableReason(); !reason.isEmpty())
            GTEST_SKIP() << reason.toStdString();
        ASSERT_TRUE(m_root.isValid());
    }

    QTemporaryDir m_root;
};
