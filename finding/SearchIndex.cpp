#include "SearchIndex.h"

#include "CodePage.h"
#include "SiteList.h"
#include "TextFolding.h"

#include <stdexcept>

namespace {
// Ends each field in a row's text. No query word holds it (SearchQuery splits at control
// characters), and folding leaves it where it is, so no word can match across two fields.
constexpr char16_t kFieldEnd = u'\x1f';
} // namespace

SearchIndex::SearchIndex(const SiteList &sites)
{
    m_rows.reserve(sites.size());
    for (const SiteRecord &record : sites)
        m_rows.push_back(makeRow(record));
}

// One decode and one fold for the whole record: the conversions cost more per call than per
// character. The byte kFieldEnd cannot be part of a double-byte character (trail bytes start at
// 0x40), so each field decodes as it would alone.
SearchIndex::Row SearchIndex::makeRow(const SiteRecord &record)
{
    QByteArray joined;
    for (int f = 0; f < kSiteFieldCount; ++f) {
        const QByteArray &bytes = FieldBytes(record, SiteField(f));
        // A stray control byte in a stored field must not be taken for a field's end.
        joined += bytes.contains(char(kFieldEnd)) ? QByteArray(bytes).replace(char(kFieldEnd), ' ') : bytes;
        joined += char(kFieldEnd);
    }
    Row row{TextFolding::fold(CodePage::toText(joined)), {}};
    row.text.squeeze();
    int f = 0;
    for (qsizetype i = 0; i < row.text.size() && f < kSiteFieldCount; ++i)
        if (row.text.at(i).unicode() == kFieldEnd)
            row.ends[std::size_t(f++)] = int(i);
    return row;
}

void SearchIndex::insertRow(std::size_t row, const SiteRecord &record)
{
    m_rows.insert(m_rows.begin() + std::ptrdiff_t(row), makeRow(record));
    m_lastValid = false;
}

void SearchIndex::replaceRow(std::size_t row, const SiteRecord &record)
{
    m_rows.at(row) = makeRow(record);
    m_lastValid = false;
}

void SearchIndex::removeRow(std::size_t row)
{
    if (row >= m_rows.size())
        throw std::out_of_range("no such row in the search index");
    m_rows.erase(m_rows.begin() + std::ptrdiff_t(row));
    m_lastValid = false;
}

QStringView SearchIndex::field(std::size_t row, SiteField field) const
{
    const Row &r = m_rows.at(row);
    const auto f = std::size_t(field);
    const int start = f == 0 ? 0 : r.ends[f - 1] + 1;
    return QStringView(r.text).mid(start, r.ends[f] - start);
}

bool SearchIndex::matches(std::size_t row, const SearchQuery &query) const
{
    return query.matches(m_rows.at(row).text);
}

const std::vector<int> &SearchIndex::find(const SearchQuery &query)
{
    if (m_lastValid && query.narrows(m_lastQuery)) {
        std::vector<int> kept;
        kept.reserve(m_lastRows.size());
        for (int row : m_lastRows)
            if (query.matches(m_rows[std::size_t(row)].text))
                kept.push_back(row);
        m_lastRows.swap(kept);
    } else {
        m_lastRows.clear();
        for (std::size_t row = 0; row < m_rows.size(); ++row)
            if (query.matches(m_rows[row].text))
                m_lastRows.push_back(int(row));
    }
    m_lastQuery = query;
    m_lastValid = true;
    return m_lastRows;
}

std::size_t SearchIndex::keyBytes() const
{
    std::size_t bytes = m_rows.capacity() * sizeof(Row);
    for (const Row &row : m_rows)
        bytes += sizeof(QArrayData) + std::size_t(row.text.capacity() + 1) * sizeof(QChar);
    return bytes;
}
