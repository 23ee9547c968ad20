#include "BrowserLauncher.h"
#include "HomePage.h"
#include "RecordingUrlHandler.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace {

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray CompiledPage() { return ReadFile(QStringLiteral(":/help/index.html")); }

TEST(HomePageTest, homePageUrl_isExistingLocalPageWithEveryTopic)
{
    const QUrl url = HomePageUrl();
    ASSERT_TRUE(url.isLocalFile()) << url.toString().toStdString();
    const QByteArray bytes = ReadFile(url.toLocalFile());
    ASSERT_FALSE(bytes.isEmpty()) << url.toLocalFile().toStdString();

    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString page = utf8.decode(bytes);
    ASSERT_FALSE(utf8.hasError());
    EXPECT_TRUE(page.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    for (const char *heading : {"サイトを登録する", "登録を変更する・削除する", "サイトを開く", "キーワードで絞り込む",
                                "リンク集のコードを作ってコピーする", "データの保存場所", "保存のタイミング"}) {
        EXPECT_TRUE(page.contains(QStringLiteral("<h2>") + QString::fromUtf8(heading) + QStringLiteral("</h2>")))
            << heading;
    }
    EXPECT_TRUE(page.contains(QStringLiteral("~/.local/share/sitekanri/")));
}

TEST(HomePageTest, homePageUrl_throughLauncher_reachesThatFile)
{
    RecordingUrlHandler browser;
    const QUrl home = HomePageUrl();
    EXPECT_TRUE(BrowserLauncher().open(home.toEncoded()).opened);
    ASSERT_EQ(browser.requests.size(), 1u);
    EXPECT_EQ(browser.requests[0].toLocalFile(), home.toLocalFile());
}

// The build copies the page beside the program; a stale copy there would be what users see.
TEST(HomePageTest, buildTree_hasCurrentPageBesideProgram)
{
    const QString programDir = QStringLiteral(SITEKANRI_PROGRAM_DIR);
    EXPECT_EQ(HomePageFile(programDir, QString()), QDir(programDir).absoluteFilePath(QStringLiteral("help/index.html")));
    EXPECT_EQ(ReadFile(HomePageFile(programDir, QString())), CompiledPage());
}

class HomePageFileTest : public ::testing::Test
{
protected:
    QString path(const char *relative) const { return m_root.filePath(QString::fromUtf8(relative)); }

    QTemporaryDir m_root;
};

TEST_F(HomePageFileTest, besideProgram_takenFirst)
{
    WriteFile(path("プログラム/bin/help/index.html"), "beside");
    WriteFile(path("プログラム/share/sitekanri/help/index.html"), "installed");
    EXPECT_EQ(HomePageFile(path("プログラム/bin"), path("cache")), path("プログラム/bin/help/index.html"));
    EXPECT_FALSE(QFileInfo::exists(path("cache")));
}

TEST_F(HomePageFileTest, installedDataFolder_takenNext)
{
    WriteFile(path("usr/share/sitekanri/help/index.html"), "installed");
    ASSERT_TRUE(QDir().mkpath(path("usr/bin")));
    EXPECT_EQ(QFileInfo(HomePageFile(path("usr/bin"), path("cache"))).canonicalFilePath(),
              QFileInfo(path("usr/share/sitekanri/help/index.html")).canonicalFilePath());
}

TEST_F(HomePageFileTest, nowhereElse_compiledCopyWrittenToCache)
{
    ASSERT_FALSE(CompiledPage().isEmpty());
    const QString found = HomePageFile(path("bin"), path("cache"));
    EXPECT_EQ(found, path("cache/help/index.html"));
    EXPECT_EQ(ReadFile(found), CompiledPage());
}

TEST_F(HomePageFileTest, staleCachedCopy_replaced)
{
    WriteFile(path("cache/help/index.html"), "<html>an older page</html>");
    EXPECT_EQ(ReadFile(HomePageFile(path("bin"), path("cache"))), CompiledPage());
}

TEST_F(HomePageFileTest, cacheCannotBeWritten_empty)
{
    WriteFile(path("cache"), "a file where the folder should be");
    EXPECT_EQ(HomePageFile(path("bin"), path("cache")), QString());
}

} // namespace
