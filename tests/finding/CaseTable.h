#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

// The rows of a tab-separated case table in this folder: one case a line, '#' lines are comments.
inline std::vector<QStringList> ReadCaseTable(const char *name)
{
    QFile file(QStringLiteral(FINDING_TEST_DATA "/") + QString::fromUtf8(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    std::vector<QStringList> rows;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n'))
        if (!line.isEmpty() && !line.startsWith(u'#'))
            rows.push_back(line.split(u'\t'));
    EXPECT_FALSE(rows.empty()) << name;
    return rows;
}
