#include "AppTestSupport.h"
#include "DialogTemplate.h"
#include "SiteApp.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace {

const SiteRecord kThird = MakeRecord("三番", "http://three.example.jp/", "", "", "", "三番目");

// A register whose numbering has a gap: records in data1.ini and data3.ini, DATA_CNT 3. A save
// writes it back as data1.ini and data2.ini with DATA_CNT 2.
void SaveRegisterWithGap(TempRegister &reg)
{
    SaveRegister({MakeRecord("一番", "http://one.example.jp/"), MakeRecord("消える", "http://gone.example.jp/"), kThird});
    ASSERT_TRUE(QFile::remove(reg.file(QStringLiteral("data2.ini"))));
}

using CloseTest = WindowTest<MainDialog>;

TEST_F(CloseTest, everyCloseRequestSavesEvenWhenNothingChanged)
{
    // A page is no dialog of its own: Escape in its field reaches the window, and never just
    // hides the page.
    for (void (*request)(MainDialog &) : {+[](MainDialog &d) { d.close(); },
                                          +[](MainDialog &d) { QTest::keyClick(d.siteView(), Qt::Key_Escape); },
                                          +[](MainDialog &d) {
                                              QTest::keyClick(d.control(ControlId::SiteName), Qt::Key_Escape);
                                          }}) {
        SaveRegisterWithGap(reg);
        open();
        request(*dialog);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_TRUE(boxes.shown.empty());
        const SiteList saved = LoadRegister();
        ASSERT_EQ(saved.size(), 2u);
        EXPECT_EQ(saved.at(1), kThird);
        EXPECT_TRUE(reg.read(QStringLiteral("setting.ini")).contains("DATA_CNT=2"));
        EXPECT_TRUE(reg.read(QStringLiteral("data2.ini")).contains("http://three.example.jp/"));
    }
}

TEST_F(CloseTest, failedSaveAsksWhetherToEndWithoutSavingAndNoLosesNothing)
{
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        SaveRegisterWithGap(reg);
        // A folder where data2.ini must go: loading passes it over, saving cannot replace it.
        ASSERT_TRUE(QDir(reg.path()).mkdir(QStringLiteral("data2.ini")));
        const QByteArray settingBefore = reg.read(QStringLiteral("setting.ini"));
        const QByteArray data3Before = reg.read(QStringLiteral("data3.ini"));
        open();
        dialog->m_store.m_sites.push_back(MakeRecord("今日の追加", "http://added.example.jp/"));
        boxes.answers.push_back(yes ? MessageBoxes::Answer::Yes : MessageBoxes::Answer::No);
        dialog->close();

        ASSERT_EQ(boxes.shown.size(), 1u);
        const auto &[title, text, question] = boxes.shown[0];
        EXPECT_TRUE(question);
        EXPECT_EQ(title, kCaption);
        EXPECT_TRUE(text.startsWith(QString::fromUtf8("データを保存できませんでした。\n")));
        EXPECT_TRUE(text.contains(QStringLiteral("data2.ini")));
        EXPECT_TRUE(text.endsWith(QString::fromUtf8("保存せずに終了しますか？")));
        EXPECT_EQ(dialog->isVisible(), !yes);
        EXPECT_EQ(reg.read(QStringLiteral("setting.ini")), settingBefore);
        EXPECT_EQ(reg.read(QStringLiteral("data3.ini")), data3Before);
        if (yes)
            continue;

        // Kept open, nothing is lost: once the obstacle is gone the next close saves everything.
        ASSERT_EQ(dialog->m_store.m_sites.size(), 3u);
        ASSERT_TRUE(QDir(reg.path()).rmdir(QStringLiteral("data2.ini")));
        dialog->close();
        EXPECT_FALSE(dialog->isVisible());
        const SiteList saved = LoadRegister();
        ASSERT_EQ(saved.size(), 3u);
        EXPECT_EQ(saved.at(1), kThird);
        EXPECT_EQ(saved.at(2).m_name, Sjis("今日の追加"));
    }
}

TEST(StartUp, unreadableRegisterEndsStartUpWithAMessageAndNeverSaves)
{
    TempRegister reg;
    SaveRegisterWithGap(reg);
    // A folder where the settings file should be: it exists, but cannot be read as a file.
    ASSERT_TRUE(QFile::remove(reg.file(QStringLiteral("setting.ini"))));
    ASSERT_TRUE(QDir(reg.path()).mkdir(QStringLiteral("setting.ini")));
    const QByteArray data1Before = reg.read(QStringLiteral("data1.ini"));
    RecordingMessageBoxes boxes;
    MainDialog dialog(boxes);
    EXPECT_FALSE(dialog.OnInitDialog());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, kCaption);
    const QStringList lines = boxes.shown[0].text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QString::fromUtf8("データを読み込めませんでした。"));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("setting.ini")));
    EXPECT_FALSE(lines[2].isEmpty());
    dialog.close();
    EXPECT_EQ(reg.read(QStringLiteral("data1.ini")), data1Before);
    EXPECT_TRUE(QFileInfo(reg.file(QStringLiteral("setting.ini"))).isDir());
}

TEST(StartUp, standardButtonsSpeakJapaneseAndTheRegisterIsFoundByTheProgramName)
{
    SiteApp app(*qApp);
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("sitekanri"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString::fromUtf8("はい(&Y)"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&No"), QString::fromUtf8("いいえ(&N)"));
}

} // namespace
