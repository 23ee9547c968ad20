#include "SearchIndex.h"

#include "CodePage.h"
#include "ShownText.h"
#include "SiteList.h"
#include "TextFolding.h"

#include <algorithm>
#include <stdexcept>

namespace {
// Ends each field in a row's text. No query word holds it (SearchQuery splits at control
// characters), and folding leaves it where it is, so no word can match across two fields.
constexpr char16_t kFieldEnd = u'\x1f';

void checkRow(std::size_t row, std::size_t size)
{
    if (row >= size)
        throw std::out_of_range("no such row in the search index");
}
} // namespace

SearchIndex::SearchIndex(const SiteList &sites)
    : SearchIndex(sites.size(), [&sites](std::size_t row) { return sites.at(row); })
{
}

SearchIndex::SearchIndex(std::size_t count, const std::function<SiteRecord(std::size_t row)> &recordAt)
{
    m_rows.reserve(count);
    for (std::size_t row = 0; row < count; ++row)
        m_rows.push_back(append(recordAt(row)));
    m_text.shrink_to_fit();

    // How common each character is, from about a thousand rows spread over the register: in
    // Japanese text ー and ン are everywhere, and a search that looks for them first stops at
    // nearly every other character.
    m_charCounts.assign(0x10000, 0);
    const std::size_t step = std::max<std::size_t>(1, m_rows.size() / 1024);
    for (std::size_t row = 0; row < m_rows.size(); row += step)
        for (QChar c : text(m_rows[row]))
            ++m_charCounts[c.unicode()];
}

// The texts as the list shows them (ShownText), folded. One decode and one fold for the whole
// record: the conversions cost more per call than per character, and most records show their
// texts as stored. The byte kFieldEnd cannot be part of a double-byte character (trail bytes
// start at 0x40), so each field decodes as it would alone.
SearchIndex::Row SearchIndex::append(const SiteRecord &record)
{
    static_assert(kSiteFieldCount == int(kSiteTexts.size()));
    const bool asStored = std::all_of(kSiteTexts.begin(), kSiteTexts.end(),
                                      [&record](SiteText text) { return ShownAsStored(record, text); });
    QString shown;
    QByteArray joined;
    for (const SiteText text : kSiteTexts) {
        // A stray control character in a stored field must not be taken for a field's end.
        if (asStored) {
            const QByteArray &bytes = record.*text;
            joined += bytes.contains(char(kFieldEnd)) ? QByteArray(bytes).replace(char(kFieldEnd), ' ') : bytes;
            joined += char(kFieldEnd);
        } else {
            shown += ShownText(record, text).replace(QChar(kFieldEnd), u' ');
            shown += QChar(kFieldEnd);
        }
    }
    const QString folded = TextFolding::fold(asStored ? CodePage::toText(joined) : shown);
    Row row{m_text.size(), {}};
    m_text.append(reinterpret_cast<const char16_t *>(folded.constData()), std::size_t(folded.size()));
    int f = 0;
    for (qsizetype i = 0; i < folded.size() && f < kSiteFieldCount; ++i)
        if (folded.at(i).unicode() == kFieldEnd)
            row.ends[std::size_t(f++)] = int(i);
    return row;
}

QStringView SearchIndex::text(const Row &row) const
{
    return QStringView(m_text.data() + row.start, row.ends.back() + 1);
}

// Changed and removed rows leave their old text behind; once that is half the buffer, the
// buffer is written afresh in row order.
void SearchIndex::dropText(const Row &row)
{
    m_unused += std::size_t(row.ends.back() + 1);
    m_lastValid = false;
    if (m_unused * 2 < m_text.size())
        return;
    std::u16string packed;
    packed.reserve(m_text.size() - m_unused);
    for (Row &r : m_rows) {
        const QStringView old = text(r);
        r.start = packed.size();
        packed.append(old.utf16(), std::size_t(old.size()));
    }
    m_text.swap(packed);
    m_unused = 0;
}

void SearchIndex::insertRow(std::size_t row, const SiteRecord &record)
{
    checkRow(row, m_rows.size() + 1);
    m_rows.insert(m_rows.begin() + std::ptrdiff_t(row), append(record));
    m_lastValid = false;
}

void SearchIndex::replaceRow(std::size_t row, const SiteRecord &record)
{
    checkRow(row, m_rows.size());
    const Row old = m_rows[row];
    m_rows[row] = append(record);
    dropText(old);
}

void SearchIndex::removeRow(std::size_t row)
{
    checkRow(row, m_rows.size());
    const Row old = m_rows[row];
    m_rows.erase(m_rows.begin() + std::ptrdiff_t(row));
    dropText(old);
}

QStringView SearchIndex::field(std::size_t row, SiteField field) const
{
    const Row &r = m_rows.at(row);
    const auto f = std::size_t(field);
    const int start = f == 0 ? 0 : r.ends[f - 1] + 1;
    return text(r).mid(start, r.ends[f] - start);
}

bool SearchIndex::matches(std::size_t row, const SearchQuery &query) const
{
    return query.matches(text(m_rows.at(row)));
}

const std::vector<int> &SearchIndex::find(const SearchQuery &typed)
{
    SearchQuery query = typed;
    if (!m_charCounts.empty())
        query.chooseAnchors([this](QChar c) { return m_charCounts[c.unicode()]; });
    if (m_lastValid && query.narrows(m_lastQuery)) {
        std::vector<int> kept;
        kept.reserve(m_lastRows.size());
        for (int row : m_lastRows)
            if (query.matches(text(m_rows[std::size_t(row)])))
                kept.push_back(row);
        m_lastRows.swap(kept);
    } else {
        m_lastRows.clear();
        for (std::size_t row = 0; row < m_rows.size(); ++row)
            if (query.matches(text(m_rows[row])))
                m_lastRows.push_back(int(row));
    }
    m_lastQuery = query;
    m_lastValid = true;
    return m_lastRows;
}

std::size_t SearchIndex::keyBytes() const
{
    return m_text.capacity() * sizeof(char16_t) + m_rows.capacity() * sizeof(Row)
        + m_lastRows.capacity() * sizeof(int) + m_charCounts.capacity() * sizeof(std::uint32_t);
}
