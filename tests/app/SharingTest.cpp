// The window and other programs on one register at once: what sitekanri-cli does shows in the
// window within a second, keeping its current record and what is typed in the fields, and the
// window never writes over a record another program changed.
#include "AppTestSupport.h"
#include "DialogTemplate.h"
#include "SiteTableModel.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>

namespace {

class SharingTest : public WindowTest<MainDialog>
{
protected:
    void cli(std::vector<const char *> arguments)
    {
        QStringList args{QStringLiteral("--dir"), reg.path()};
        for (const char *argument : arguments)
            args << QString::fromUtf8(argument);
        const ProgramRun run = RunProgram(QStringLiteral(SITEKANRI_CLI), args);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
    // Waits at most a second for the window to show what the register holds on disk.
    void expectShownWithinASecond()
    {
        const SiteList onDisk = LoadRegister();
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->sites() == onDisk && rowCount() == int(onDisk.size()); }, 1000));
        for (int row = 0; row < rowCount(); ++row)
            EXPECT_EQ(rowTexts(row), FieldTexts(onDisk.at(std::size_t(row))));
    }
    int currentNumber() const
    {
        const int row = dialog->GetSelectedSiteRow();
        return row < 0 ? 0 : dialog->sites().number(std::size_t(row));
    }
};

TEST_F(SharingTest, cliChangesShowAtOnceKeepingTheCurrentRecordAndTypedText)
{
    start(ThreeSites());
    QAbstractItemModelTester tester(view()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    clickRow(1);
    const QString typed = QString::fromUtf8("入力中の名前");
    dialog->control<QLineEdit>(ControlId::SiteName)->clear();
    TypeText(dialog->control(ControlId::SiteName), typed);

    cli({"add", "--name", "外から", "--url", "http://outside.example.jp/"});
    expectShownWithinASecond();
    EXPECT_EQ(rowCount(), 4);
    cli({"update", "1", "--name", "外で変更"});
    expectShownWithinASecond();
    EXPECT_EQ(cell(0, 0), QString::fromUtf8("外で変更"));
    cli({"delete", "1"});
    expectShownWithinASecond();
    EXPECT_EQ(rowCount(), 3);

    EXPECT_EQ(currentNumber(), 2);
    EXPECT_EQ(dialog->ItemText(ControlId::SiteName), typed);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SharingTest, updateOfARecordChangedElsewhereWritesNothingAndSaysSo)
{
    start(ThreeSites());
    clickRow(1);
    TypeText(dialog->control(ControlId::SiteName), QStringLiteral("x"));
    // Changed before the window's watcher could tell it: the update finds it out by itself.
    cli({"update", "2", "--name", "外で変更"});
    const Snapshot before = TakeSnapshot(reg.path());
    boxes.answers.push_back(MessageBoxes::Answer::Yes);
    dialog->UpdateSite(); // no event loop between: the watcher has not run yet
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1], Message("このサイトは他のプログラムで変更されていました。一覧を更新しました。"));
    EXPECT_EQ(TakeSnapshot(reg.path()), before);
    EXPECT_EQ(cell(1, 0), QString::fromUtf8("外で変更"));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 1);
    EXPECT_TRUE(dialog->ItemText(ControlId::SiteName).endsWith(QLatin1Char('x')));
}

} // namespace
