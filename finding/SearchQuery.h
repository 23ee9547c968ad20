#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <vector>

// What is typed in the search box, folded (TextFolding) and split at blanks, full-width ones
// included. A record matches when every word occurs in one of its six fields, each word in any
// field: "東京 ラーメン" finds a site named 東京 whose content speaks of ラーメン. A query of no
// words (empty, or blanks only) matches every record.
class SearchQuery
{
public:
    SearchQuery() = default;
    explicit SearchQuery(QStringView typed);

    bool isEmpty() const { return m_words.empty(); }
    const std::vector<QString> &words() const { return m_words; }

    // True when every record this query matches is also matched by `wider`: each word of
    // `wider` lies inside one of ours. Typing on at the end of a query always narrows it.
    bool narrows(const SearchQuery &wider) const;

    // Picks in each word the character a search looks for first: the least common one, which
    // the texts searched know best.
    void chooseAnchors(const std::function<std::uint32_t(QChar)> &commonness);

    // Whether folded text holds every word. Fields joined with a character no word holds (a
    // control character) cannot be matched across their boundary.
    bool matches(QStringView folded) const;

private:
    std::vector<QString> m_words;
    std::vector<qsizetype> m_anchors; // for each word, the position of its rarest character
};
