#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

// One spelling for each keyword an import brings: keywords that differ only in case or width
// (English and english, ニュース and ﾆｭｰｽ) are one keyword, spelt as it was first seen, in the
// register or else earlier in the file. A register of both would offer two keywords the reader
// takes for one, each with half the sites.
class KeywordSpellings
{
public:
    struct Spelling
    {
        QString text;     // as the summary names it
        QByteArray bytes; // as the register stores it
    };

    // `registered`: the register's keywords in register bytes, first seen first.
    explicit KeywordSpellings(const std::vector<QByteArray> &registered = {});

    // The spelling of `keyword` (outside text, one line): the first seen alike, or this one, which
    // is then the first.
    const Spelling &of(const QString &keyword);

private:
    QHash<QString, Spelling> m_byKey;
    QHash<QString, QString> m_keyOf; // a keyword as written, and its key: a folder comes again and again
};
