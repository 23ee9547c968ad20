// The window takes in what a sync tool set aside as it takes in any change made elsewhere, and
// tells what it took in once, in its status line, with no question to answer.
#include "AppTestSupport.h"

#include <QLabel>
#include <QTimer>

namespace {

using ConflictWindowTest = WindowTest;

TEST_F(ConflictWindowTest, copiesTakenInShowAsRecordsAndAreToldOnceInTheStatusLine)
{
    start(ThreeSites());
    auto *status = dialog->findChild<QLabel *>(QStringLiteral("statusLine"));
    ASSERT_NE(status, nullptr);
    EXPECT_FALSE(status->isVisible());
    int told = 0;
    // Counted at each new text: the line says a take-in once, not again at the changes it caused.
    QString last;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (status->text() != last)
            ++told, last = status->text();
    });
    poll.start(1);

    const QString copy = QStringLiteral("data2 (laptop の競合コピー 2026-12-07).ini");
    reg.write(copy, "[DATA]\r\nNAME=" + Sjis("ノートで変更") + "\r\nURL=http://note.example.jp/\r\n");
    reg.write(QStringLiteral("data1.sync-conflict-20261207-144956-QBVMNFJ.ini"), reg.read(QStringLiteral("data1.ini")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowCount() == 4; }, 1000));
    QTest::qWait(200);
    EXPECT_EQ(cell(3, 0), QString::fromUtf8("ノートで変更"));
    EXPECT_EQ(dialog->sites(), LoadRegister());
    EXPECT_FALSE(reg.exists(copy));
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(status->text().contains(copy)) << status->text().toStdString();
    EXPECT_TRUE(status->text().contains(QStringLiteral("番号 4"))) << status->text().toStdString();
    EXPECT_TRUE(status->text().contains(QStringLiteral("data1.sync-conflict-20261207-144956-QBVMNFJ.ini")));
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
