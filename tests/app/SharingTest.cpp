// The window and sitekanri-cli on one register at once: what the command line does shows in the
// window within a second, keeping its current record and what is typed in the fields. (That the
// window writes nothing over a record changed elsewhere is proved in the editing tests.)
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

} // namespace
