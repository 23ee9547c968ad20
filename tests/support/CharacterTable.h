#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

// One line of tests/data/windows_characters.tsv: a text as typed, the bytes the register stores
// for it, and the text those bytes read back as.
struct CharacterCase
{
    QString typed;
    QByteArray stored;
    QString readBack;
    std::string what;
};

// "U+0031 U+301C" as text.
inline QString CodePoints(const QString &field)
{
    QString text;
    for (const QString &point : field.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const char32_t c = char32_t(point.mid(2).toUInt(nullptr, 16));
        text += QString::fromUcs4(&c, 1);
    }
    return text;
}

inline std::vector<CharacterCase> WindowsCharacters()
{
    QFile file(QStringLiteral(SITEKANRI_TESTS_DIR "/data/windows_characters.tsv"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    std::vector<CharacterCase> cases;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> f = line.split('\t');
        EXPECT_EQ(f.size(), 4) << line.toStdString();
        if (f.size() == 4)
            cases.push_back({CodePoints(QString::fromLatin1(f[0])), QByteArray::fromHex(f[1]),
                             CodePoints(QString::fromLatin1(f[2])), f[3].toStdString()});
    }
    EXPECT_FALSE(cases.empty());
    return cases;
}
