#include "CaseFile.h"
#include "HomePage.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace {

QByteArray CompiledPage() { return ReadFile(QStringLiteral(":/help/index.html")); }

// A page in UTF-8 that tells where the register is kept.
TEST(HomePage, urlIsAnExistingLocalPageThatTellsWhereTheRegisterIs)
{
    const QUrl url = HomePageUrl();
    ASSERT_TRUE(url.isLocalFile()) << url.toString().toStdString();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString page = utf8.decode(ReadFile(url.toLocalFile()));
    ASSERT_FALSE(utf8.hasError());
    EXPECT_TRUE(page.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(page.contains(QStringLiteral("~/.local/share/sitekanri/")));
}

// The build copies the page beside the program; a stale copy there would be what users see.
TEST(HomePage, buildTreeHasTheCurrentPageBesideTheProgram)
{
    const QString programDir = QStringLiteral(SITEKANRI_PROGRAM_DIR);
    EXPECT_EQ(HomePageFile(programDir, QString()), QDir(programDir).absoluteFilePath(QStringLiteral("help/index.html")));
    EXPECT_EQ(ReadFile(HomePageFile(programDir, QString())), CompiledPage());
}

TEST(HomePage, fileIsLookedForInOrder)
{
    ASSERT_TRUE(CompiledPage().startsWith("<!DOCTYPE html>"));
    for (const CaseRow &c : ReadCaseRows(QStringLiteral(TEST_DATA "/home_page_places.tsv"))) {
        SCOPED_TRACE(c.fields[0].toStdString());
        QTemporaryDir root;
        const auto path = [&root](const QByteArray &relative) { return root.filePath(QString::fromUtf8(relative)); };
        for (const QByteArray &made : c.fields.mid(4)) {
            const QByteArray name = made.left(made.indexOf('=')), bytes = made.mid(made.indexOf('=') + 1);
            ASSERT_TRUE(QDir().mkpath(QFileInfo(path(name)).absolutePath()));
            WriteFile(path(name), bytes);
        }
        const QString found = HomePageFile(path(c.fields[1]), path("cache"));
        if (c.fields[2] == "-") {
            EXPECT_EQ(found, QString());
            continue;
        }
        EXPECT_EQ(QFileInfo(found).canonicalFilePath(), QFileInfo(path(c.fields[2])).canonicalFilePath());
        EXPECT_EQ(ReadFile(found), c.fields[3] == "-" ? CompiledPage() : c.fields[3]);
        // The cache is written only when nothing else holds the page.
        EXPECT_EQ(QFileInfo::exists(path("cache")), c.fields[2].startsWith("cache"));
    }
}

} // namespace
