#include "SearchQuery.h"

#include "TextFolding.h"

#include <algorithm>

namespace {

bool separatesWords(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Control;
}

// Whether `word` occurs in `text`. The search jumps from one occurrence of the word's anchor
// (its rarest character) to the next with Qt's vectorised character search and compares the
// whole word only there: text is mostly looked at a block at a time.
bool containsWord(QStringView text, QStringView word, qsizetype anchor)
{
    const QChar key = word[anchor];
    const qsizetype last = text.size() - word.size() + anchor;
    for (qsizetype at = text.indexOf(key, anchor); at >= 0 && at <= last; at = text.indexOf(key, at + 1))
        if (text.mid(at - anchor, word.size()) == word)
            return true;
    return false;
}

} // namespace

SearchQuery::SearchQuery(QStringView typed)
{
    // Folded before splitting, so that a full-width blank (U+3000) is a blank like any other.
    const QString folded = TextFolding::fold(typed);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= folded.size(); ++i) {
        if (i < folded.size() && !separatesWords(folded.at(i)))
            continue;
        if (i > start)
            m_words.push_back(folded.mid(start, i - start));
        start = i + 1;
    }
    // Without knowledge of the text searched: kana and kanji are rarer than Latin letters.
    chooseAnchors([](QChar c) { return std::uint32_t(0xFFFF - c.unicode()); });
}

void SearchQuery::chooseAnchors(const std::function<std::uint32_t(QChar)> &commonness)
{
    m_anchors.clear();
    for (const QString &word : m_words) {
        qsizetype anchor = 0;
        for (qsizetype i = 1; i < word.size(); ++i)
            if (commonness(word[i]) < commonness(word[anchor]))
                anchor = i;
        m_anchors.push_back(anchor);
    }
}

bool SearchQuery::narrows(const SearchQuery &wider) const
{
    return std::all_of(wider.m_words.begin(), wider.m_words.end(), [this](const QString &wide) {
        return std::any_of(m_words.begin(), m_words.end(),
                           [&wide](const QString &word) { return word.contains(wide); });
    });
}

bool SearchQuery::matches(QStringView folded) const
{
    for (std::size_t i = 0; i < m_words.size(); ++i)
        if (!containsWord(folded, m_words[i], m_anchors[i]))
            return false;
    return true;
}
