#include "AppTestSupport.h"
#include "CaseName.h"
#include "DialogTemplate.h"
#include "RegisterLock.h"
#include "SiteApp.h"

#include <QApplication>

#include <QTableView>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <memory>

namespace {

const QString kCaption = QString::fromUtf8("サイト管理[ヴァントレル]");

// A register whose numbering has a gap: records in data1.ini and data3.ini, DATA_CNT 3. A save
// writes it back as data1.ini and data2.ini with DATA_CNT 2.
void SaveRegisterWithGap(TempRegister &reg)
{
    SaveRegister({MakeRecord("一番", "http://one.example.jp/"), MakeRecord("消える", "http://gone.example.jp/"),
                  MakeRecord("三番", "http://three.example.jp/", "", "", "", "三番目")});
    ASSERT_TRUE(QFile::remove(reg.file(QStringLiteral("data2.ini"))));
}

struct CloseCase
{
    const char *name;
    void (*request)(MainDialog &);
};
void PrintTo(const CloseCase &c, std::ostream *out) { *out << c.name; }

class CloseRequest : public ::testing::TestWithParam<CloseCase>
{
protected:
    TempRegister reg;
    RecordingMessageBoxes boxes;
};

TEST_P(CloseRequest, savesEvenWhenNothingChanged)
{
    SaveRegisterWithGap(reg);
    MainDialog dialog(boxes);
    ASSERT_TRUE(dialog.OnInitDialog());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    GetParam().request(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(boxes.shown.empty());
    const SiteList saved = LoadRegister();
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved.at(1), MakeRecord("三番", "http://three.example.jp/", "", "", "", "三番目"));
    EXPECT_TRUE(reg.read(QStringLiteral("setting.ini")).contains("DATA_CNT=2"));
    EXPECT_TRUE(reg.read(QStringLiteral("data2.ini")).contains("http://three.example.jp/"));
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseRequest,
                         ::testing::Values(CloseCase{"close_box", [](MainDialog &d) { d.close(); }},
                                           CloseCase{"escape_in_list", [](MainDialog &d) {
                                               QTest::keyClick(d.siteView(), Qt::Key_Escape);
                                           }},
                                           // A page is no dialog of its own: Escape in its field
                                           // reaches the window, and never just hides the page.
                                           CloseCase{"escape_in_page_field", [](MainDialog &d) {
                                               QTest::keyClick(d.control(ControlId::SiteName), Qt::Key_Escape);
                                           }}),
                         CaseName());

struct FailedSaveCase
{
    const char *name;
    MessageBoxes::Answer answer;
    bool closes;
};
void PrintTo(const FailedSaveCase &c, std::ostream *out) { *out << c.name; }

class FailedSave : public ::testing::TestWithParam<FailedSaveCase>
{
protected:
    TempRegister reg;
    RecordingMessageBoxes boxes;
};

TEST_P(FailedSave, asksWhetherToEndWithoutSaving)
{
    SaveRegisterWithGap(reg);
    // A folder where data2.ini must go: loading passes it over, saving cannot replace it.
    ASSERT_TRUE(QDir(reg.path()).mkdir(QStringLiteral("data2.ini")));
    const QByteArray settingBefore = reg.read(QStringLiteral("setting.ini"));
    const QByteArray data3Before = reg.read(QStringLiteral("data3.ini"));

    MainDialog dialog(boxes);
    ASSERT_TRUE(dialog.OnInitDialog());
    dialog.show();
    dialog.m_store.m_sites.push_back(MakeRecord("今日の追加", "http://added.example.jp/"));
    boxes.answers.push_back(GetParam().answer);
    dialog.close();

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].question);
    EXPECT_EQ(boxes.shown[0].title, kCaption);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QString::fromUtf8("データを保存できませんでした。\n")));
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("data2.ini")));
    EXPECT_TRUE(boxes.shown[0].text.endsWith(QString::fromUtf8("保存せずに終了しますか？")));
    EXPECT_EQ(dialog.isVisible(), !GetParam().closes);
    // A failed save leaves the files as they were.
    EXPECT_EQ(reg.read(QStringLiteral("setting.ini")), settingBefore);
    EXPECT_EQ(reg.read(QStringLiteral("data3.ini")), data3Before);
    if (GetParam().closes)
        return;

    // Kept open, nothing is lost: once the obstacle is gone the next close saves everything.
    ASSERT_EQ(dialog.m_store.m_sites.size(), 3u);
    ASSERT_TRUE(QDir(reg.path()).rmdir(QStringLiteral("data2.ini")));
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    const SiteList saved = LoadRegister();
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved.at(1).m_name, Sjis("三番"));
    EXPECT_EQ(saved.at(2).m_name, Sjis("今日の追加"));
}

INSTANTIATE_TEST_SUITE_P(Answers, FailedSave,
                         ::testing::Values(FailedSaveCase{"no_keeps_the_window", MessageBoxes::Answer::No, false},
                                           FailedSaveCase{"yes_ends_unsaved", MessageBoxes::Answer::Yes, true}),
                         CaseName());

TEST(StartUp, heldLockEndsStartUpWithTheMessageAndNeverSaves)
{
    TempRegister reg;
    SaveRegisterWithGap(reg);
    RegisterLock otherRun(reg.path());
    ASSERT_EQ(otherRun.tryLock(), RegisterLock::State::Locked);
    const QByteArray settingBefore = reg.read(QStringLiteral("setting.ini"));

    RecordingMessageBoxes boxes;
    MainDialog dialog(boxes);
    EXPECT_FALSE(dialog.OnInitDialog());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(boxes.shown[0].question);
    EXPECT_EQ(boxes.shown[0].title, kCaption);
    EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8("サイト管理は既に起動しています。"));
    dialog.close();
    EXPECT_EQ(reg.read(QStringLiteral("setting.ini")), settingBefore);
    EXPECT_TRUE(reg.exists(QStringLiteral("data3.ini")));
}

TEST(StartUp, unreadableRegisterEndsStartUpWithFileAndReasonAndNeverSaves)
{
    TempRegister reg;
    // A folder where the settings file should be: it exists, but cannot be read as a file.
    ASSERT_TRUE(QDir(reg.path()).mkdir(QStringLiteral("setting.ini")));
    reg.write(QStringLiteral("data1.ini"), "[DATA]\r\nNAME=x\r\n");

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
    EXPECT_EQ(reg.read(QStringLiteral("data1.ini")), QByteArray("[DATA]\r\nNAME=x\r\n"));
    EXPECT_TRUE(QFileInfo(reg.file(QStringLiteral("setting.ini"))).isDir());
}

} // namespace

namespace {

TEST(StartUp, standardButtonsSpeakJapaneseAndTheRegisterIsFoundByTheProgramName)
{
    SiteApp app(*qApp);
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("sitekanri"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString::fromUtf8("はい(&Y)"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&No"), QString::fromUtf8("いいえ(&N)"));
}

} // namespace
