#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

// The rows of a tab-separated case table: one case a line, '#' lines are comments.
inline std::vector<QStringList> ReadCaseFile(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    std::vector<QStringList> rows;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n'))
        if (!line.isEmpty() && !line.startsWith(u'#'))
            rows.push_back(line.split(u'\t'));
    EXPECT_FALSE(rows.empty()) << path.toStdString();
    return rows;
}
