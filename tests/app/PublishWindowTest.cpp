// The link page keeps its code current without コード生成, and 公開 shows what it will change, then
// what it did, over pages of a site folder of the test's own.
#include "AppTestSupport.h"
#include "LinkCodeBox.h"
#include "PublishControl.h"
#include "PublishDialog.h"
#include "StatusLine.h"

#include <QPushButton>
#include <QTreeWidget>

namespace {

const QByteArray kPage = "<!DOCTYPE html>\n<meta charset=\"utf-8\">\n<!-- sitekanri keyword=\"\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9\" -->\n<!-- /sitekanri -->\n";

class PublishWindowTest : public WindowTest
{
protected:
    // The register's list of pages, kept where the window will look for it.
    void listPage(bool publishOnChange)
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        WriteFile(page(), kPage);
        PublishList list;
        list.pages.push_back({PageEntry::Kind::Marked, page(), {}, {}});
        list.publishOnChange = publishOnChange;
        ASSERT_TRUE(list.save(reg.path()));
    }
    LinkCodeBox *box() const { return dialog->control<LinkCodeBox>(ControlId::LinkCode); }
    QString page() const { return site.filePath(QStringLiteral("news.html")); }
    QString published() const { return QString::fromUtf8(ReadFile(page())); }

    QTemporaryDir site; // not a TempRegister: that would become the window's register
};

TEST_F(PublishWindowTest, anAddShowsInTheCodeAtOnceAndPublishShowsWhatItWillChangeThenWhatItDid)
{
    listPage(false);
    start({MakeRecord("東京新聞", "http://tokyo.example/", "ニュース")});
    dialog->pageTab()->setCurrentIndex(1);
    EXPECT_TRUE(box()->linkCode().contains(QString::fromUtf8("東京新聞"))) << "the code is there before コード生成";

    // Registered on the other page: the code shows it as soon as the link page does.
    dialog->pageTab()->setCurrentIndex(0);
    type(ControlId::SiteName, "毎朝");
    type(ControlId::SiteUrl, "http://asa.example/");
    type(ControlId::Keyword1, "ニュース");
    click(ControlId::RegisterNew);
    dialog->pageTab()->setCurrentIndex(1);
    EXPECT_TRUE(box()->linkCode().contains(QString::fromUtf8("毎朝")));
    // Added by another program while the code shows: it follows.
    cli({"add", "--name", "夕刊", "--url", "http://yukan.example/", "--keyword1", "ニュース"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return box()->linkCode().contains(QString::fromUtf8("夕刊")); }, 5000));

    QTest::keySequence(dialog.get(), QKeySequence(Qt::CTRL | Qt::Key_P));
    PublishDialog *shown = dialog->publishing()->dialog();
    ASSERT_TRUE(shown && shown->isVisible());
    EXPECT_EQ(shown->summary(), QString::fromUtf8("1 ページが変わります。"));
    const QTreeWidgetItem *row = shown->findChild<QTreeWidget *>()->topLevelItem(0);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->text(1) + u'|' + row->text(2), QString::fromUtf8("変わります|追加 3、削除 0、変更 0"));
    EXPECT_EQ(published(), QString::fromUtf8(kPage)) << "nothing is written before 公開";

    QPushButton *publish = nullptr;
    for (QPushButton *button : shown->findChildren<QPushButton *>())
        publish = button->text() == QString::fromUtf8("公開") ? button : publish;
    ASSERT_TRUE(publish && publish->isEnabled());
    publish->click();
    EXPECT_EQ(shown->summary(), QString::fromUtf8("1 ページを書き込みました。"));
    EXPECT_FALSE(publish->isEnabled());
    for (const char *name : {"東京新聞", "毎朝", "夕刊"})
        EXPECT_TRUE(published().contains(QString::fromUtf8(name))) << name;
}

TEST_F(PublishWindowTest, publishingOnChangeWritesWithoutAQuestionAndTellsBelowTheList)
{
    listPage(true);
    start({MakeRecord("東京新聞", "http://tokyo.example/", "ニュース")});
    cli({"add", "--name", "夕刊", "--url", "http://yukan.example/", "--keyword1", "ニュース"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return published().contains(QString::fromUtf8("夕刊")); }, 8000));
    EXPECT_TRUE(published().contains(QString::fromUtf8("東京新聞")));
    EXPECT_EQ(dialog->findChild<StatusLine *>()->text(), QString::fromUtf8("公開: 1 ページを書き込みました。"));
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
