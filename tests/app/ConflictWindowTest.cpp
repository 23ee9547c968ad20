// The window takes in what a sync tool set aside as it takes in any change made elsewhere, and
// tells what it took in once, in its status line, with no question to answer.
#include "AppTestSupport.h"
#include "SiteRegister.h"

#include <QLabel>

namespace {

using ConflictWindowTest = WindowTest;

TEST_F(ConflictWindowTest, copiesTakenInShowAsRecordsAndAreToldOnceInTheStatusLine)
{
    start(ThreeSites());
    auto *status = dialog->findChild<QLabel *>(QStringLiteral("statusLine"));
    ASSERT_NE(status, nullptr);
    EXPECT_FALSE(status->isVisible());
    int told = 0;
    QObject::connect(&dialog->siteRegister(), &SiteRegister::conflictCopiesTakenIn, [&told] { ++told; });

    const QString copy = QStringLiteral("data2 (laptop の競合コピー 2026-12-07).ini");
    const QString twin = QStringLiteral("data1.sync-conflict-20261207-144956-QBVMNFJ.ini");
    reg.write(copy, "[DATA]\r\nNAME=" + Sjis("ノートで変更") + "\r\nURL=http://note.example.jp/\r\n");
    reg.write(twin, reg.read(QStringLiteral("data1.ini")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowCount() == 4 && !reg.exists(copy) && !reg.exists(twin); }, 3000));
    // The take-in's own writes are seen by the watcher before a later change is: once that one
    // shows, they have been handled, and must not have been told again.
    reg.write(QStringLiteral("data3.ini"), "[DATA]\r\nNAME=later\r\nURL=http://later.example.jp/\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return cell(2, 0) == QStringLiteral("later"); }, 3000));
    EXPECT_EQ(cell(3, 0), QString::fromUtf8("ノートで変更"));
    EXPECT_EQ(dialog->sites(), LoadRegister());
    EXPECT_TRUE(status->isVisible());
    for (const QString &named : {copy, twin, QStringLiteral("番号 4")})
        EXPECT_TRUE(status->text().contains(named)) << status->text().toStdString();
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
