#include "AppTestSupport.h"
#include "SiteApp.h"

#include <QDir>
#include <QLabel>

namespace {

using CloseTest = WindowTest;

TEST_F(CloseTest, everyCloseRequestEndsTheWindowAndWritesNothing)
{
    for (void (*request)(MainDialog &) : {+[](MainDialog &d) { d.close(); },
                                          +[](MainDialog &d) { QTest::keyClick(d.siteView(), Qt::Key_Q, Qt::ControlModifier); }}) {
        start(ThreeSites());
        ASSERT_TRUE(dialog->siteRegister().remove(2).done());
        const Snapshot before = TakeSnapshot(reg.path());
        request(*dialog);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(TakeSnapshot(reg.path()), before);
    }
}

// Start-up ends when a register file cannot be read, and opens a damaged register for reading only.
using StartUpWindow = WindowTest;
TEST_F(StartUpWindow, unreadableRegisterEndsStartUpAndDamagedOneIsShownReadOnly)
{
    WriteRegister(reg.path(), ThreeSites());
    // A folder where the settings file should be: it exists, but cannot be read as a file.
    ASSERT_TRUE(QFile::remove(reg.file(QStringLiteral("setting.ini"))));
    ASSERT_TRUE(QDir(reg.path()).mkdir(QStringLiteral("setting.ini")));
    const Snapshot before = TakeSnapshot(reg.path());
    dialog = std::make_unique<MainDialog>(boxes);
    EXPECT_FALSE(dialog->OnInitDialog());
    // The message names the file and why (which words, is the file layer's business).
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, kCaption);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QString::fromUtf8("データを読み込めませんでした。\n") + reg.file(QStringLiteral("setting.ini")) + u'\n'))
        << boxes.shown[0].text.toStdString();
    dialog->close();
    EXPECT_EQ(TakeSnapshot(reg.path()), before);

    // No count while data files exist: every record is shown, and nothing may be written.
    ASSERT_TRUE(QDir(reg.path()).rmdir(QStringLiteral("setting.ini")));
    boxes.shown.clear();
    dialog = std::make_unique<MainDialog>(boxes);
    ASSERT_TRUE(dialog->OnInitDialog());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(reg.file(QStringLiteral("setting.ini")) + u'\n')) << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("sitekanri-cli repair")));
    EXPECT_EQ(dialog->sites().size(), 3u);

    // A link in a data file's place (a sync tool copies links as links) is left out and named in the
    // status line; the rest opens as usual.
    dialog->close();
    WriteRegister(reg.path(), ThreeSites());
    ASSERT_TRUE(QFile::remove(reg.file(QStringLiteral("data2.ini"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/etc/hostname"), reg.file(QStringLiteral("data2.ini"))));
    boxes.shown.clear();
    dialog = std::make_unique<MainDialog>(boxes);
    ASSERT_TRUE(dialog->OnInitDialog());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(dialog->sites().size(), 2u);
    EXPECT_TRUE(dialog->findChild<QLabel *>(QStringLiteral("statusLine"))->text().contains(reg.file(QStringLiteral("data2.ini"))));
}

TEST(StartUp, standardButtonsSpeakJapaneseAndTheRegisterIsFoundByTheProgramName)
{
    SiteApp app(*qApp);
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("sitekanri"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString::fromUtf8("はい(&Y)"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&No"), QString::fromUtf8("いいえ(&N)"));
}

} // namespace
