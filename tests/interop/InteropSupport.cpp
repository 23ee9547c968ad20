#include "InteropSupport.h"

#include "AppDirectory.h"
#include "SiteStore.h"
#include "TempRegister.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

void ExpectSameRecords(const std::vector<SiteRecord> &actual, const std::vector<SiteRecord> &expected,
                       const std::vector<std::string> &labels, const std::string &context)
{
    ASSERT_EQ(actual.size(), expected.size()) << context;
    for (std::size_t r = 0; r < actual.size(); ++r) {
        for (std::size_t f = 0; f < 6; ++f)
            EXPECT_EQ(actual[r].*kRecordFields[f], expected[r].*kRecordFields[f])
                << context << ", " << (r < labels.size() ? labels[r] : "record " + std::to_string(r + 1)) << ", "
                << kRecordKeys[f];
    }
}

std::vector<SiteRecord> LoadWithSiteStore(const QString &directory)
{
    SetAppDirectory(directory);
    SiteStore store;
    const IoResult loaded = store.Load();
    SetAppDirectory(QString());
    EXPECT_TRUE(loaded) << loaded.describe().toStdString();
    return {store.m_sites.begin(), store.m_sites.end()};
}

QString InteropTable(const char *name)
{
    return QStringLiteral(SITEKANRI_INTEROP_TABLES "/") + QLatin1String(name);
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath())) << path.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}
