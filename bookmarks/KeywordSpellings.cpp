#include "KeywordSpellings.h"

#include "CodePage.h"
#include "KeywordTally.h"

KeywordSpellings::KeywordSpellings(const std::vector<QByteArray> &registered)
{
    for (const QByteArray &bytes : registered) {
        const QString text = CodePage::toTypedText(bytes);
        const QString key = KeywordKey(text);
        if (!m_byKey.contains(key)) // the first seen stays
            m_byKey.insert(key, {text, bytes});
    }
}

const KeywordSpellings::Spelling &KeywordSpellings::of(const QString &keyword)
{
    auto known = m_keyOf.constFind(keyword);
    if (known == m_keyOf.constEnd())
        known = m_keyOf.insert(keyword, KeywordKey(keyword));
    auto spelling = m_byKey.find(*known);
    if (spelling == m_byKey.end())
        spelling = m_byKey.insert(*known, {keyword, CodePage::fromOutsideKeyword(keyword)});
    return *spelling;
}
