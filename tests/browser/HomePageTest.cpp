#include "HomePage.h"

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

QByteArray CompiledPage() { return ReadFile(QStringLiteral(":/help/index.html")); }

TEST(HomePage, urlIsAnExistingLocalPageWithEveryTopic)
{
    const QUrl url = HomePageUrl();
    ASSERT_TRUE(url.isLocalFile()) << url.toString().toStdString();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString page = utf8.decode(ReadFile(url.toLocalFile()));
    ASSERT_FALSE(utf8.hasError());
    EXPECT_TRUE(page.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    for (const char *heading : {"サイトを登録する", "登録を変更する・削除する", "サイトを開く", "キーワードで絞り込む",
                                "リンク集のコードを作ってコピーする", "キーボードで使う", "データの保存場所", "保存のタイミング"})
        EXPECT_TRUE(page.contains(QStringLiteral("<h2>%1</h2>").arg(QString::fromUtf8(heading)))) << heading;
    EXPECT_TRUE(page.contains(QStringLiteral("~/.local/share/sitekanri/")));
}

// The build copies the page beside the program; a stale copy there would be what users see.
TEST(HomePage, buildTreeHasTheCurrentPageBesideTheProgram)
{
    const QString programDir = QStringLiteral(SITEKANRI_PROGRAM_DIR);
    EXPECT_EQ(HomePageFile(programDir, QString()), QDir(programDir).absoluteFilePath(QStringLiteral("help/index.html")));
    EXPECT_EQ(ReadFile(HomePageFile(programDir, QString())), CompiledPage());
}

// Beside the program first, then the installed data folder, else the compiled copy written to
// the cache (replacing a stale one); nothing when even that cannot be written.
TEST(HomePage, fileIsLookedForInOrder)
{
    ASSERT_FALSE(CompiledPage().isEmpty());
    const struct
    {
        const char *name;
        std::vector<std::pair<const char *, QByteArray>> files;
        const char *programDir;
        const char *found; // nullptr: none
        QByteArray content; // empty: the compiled page
    } cases[] = {
        {"beside the program",
         {{"p/bin/help/index.html", "beside"}, {"p/share/sitekanri/help/index.html", "installed"}},
         "p/bin", "p/bin/help/index.html", "beside"},
        {"installed data folder", {{"usr/share/sitekanri/help/index.html", "installed"}, {"usr/bin/x", ""}}, "usr/bin",
         "usr/share/sitekanri/help/index.html", "installed"},
        {"compiled copy to the cache", {}, "bin", "cache/help/index.html", {}},
        {"stale cached copy replaced", {{"cache/help/index.html", "<html>an older page</html>"}}, "bin",
         "cache/help/index.html", {}},
        {"cache cannot be written", {{"cache", "a file where the folder should be"}}, "bin", nullptr, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        const auto path = [&root](const char *relative) { return root.filePath(QString::fromUtf8(relative)); };
        for (const auto &[name, bytes] : c.files) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(path(name)).absolutePath()));
            QFile file(path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        const QString found = HomePageFile(path(c.programDir), path("cache"));
        if (!c.found) {
            EXPECT_EQ(found, QString());
            continue;
        }
        EXPECT_EQ(QFileInfo(found).canonicalFilePath(), QFileInfo(path(c.found)).canonicalFilePath());
        EXPECT_EQ(ReadFile(found), c.content.isEmpty() ? CompiledPage() : c.content);
        // The cache is written only when nothing else holds the page.
        EXPECT_EQ(QFileInfo::exists(path("cache")), QByteArray(c.found).startsWith("cache"));
    }
}

} // namespace
