#pragma once

#include "SearchQuery.h"
#include "SiteField.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class SiteList;
class SiteRecord;

// The register's six fields as the list shows them (ShownText: "Caf&#233;" is found by café,
// and "&gt;" by ">" but not by "gt"), folded for searching (TextFolding), once per record, row
// for row with the list. The register announces its changes row by row and the index follows them, so
// a keystroke never decodes or folds a record again. The folded texts lie side by side in one
// buffer, in row order, so that a search reads memory front to back.
class SearchIndex
{
public:
    SearchIndex() = default;
    explicit SearchIndex(const SiteList &sites);
    // The records of a model or any other source, `count` of them, read once each in row order.
    SearchIndex(std::size_t count, const std::function<SiteRecord(std::size_t row)> &recordAt);

    std::size_t size() const { return m_rows.size(); }

    void insertRow(std::size_t row, const SiteRecord &record);
    void replaceRow(std::size_t row, const SiteRecord &record);
    void removeRow(std::size_t row);

    // One folded field of a row (the sort keys).
    QStringView field(std::size_t row, SiteField field) const;
    bool matches(std::size_t row, const SearchQuery &query) const;

    // The rows that match, in register order. When the query narrows the one asked before (the
    // user typed on), only the rows found then are looked at again.
    const std::vector<int> &find(const SearchQuery &query);

    // Heap bytes the index takes (what searching costs beyond the register itself).
    std::size_t keyBytes() const;

private:
    struct Row
    {
        std::size_t start; // in m_text: the six folded fields, each followed by a field end
        std::array<int, kSiteFieldCount> ends; // relative to start
    };
    Row append(const SiteRecord &record);
    QStringView text(const Row &row) const;
    void dropText(const Row &row);

    std::u16string m_text;
    std::size_t m_unused = 0; // characters of m_text no row refers to any more
    std::vector<Row> m_rows;
    std::vector<std::uint32_t> m_charCounts; // in a sample of the rows, by UTF-16 code
    SearchQuery m_lastQuery;
    std::vector<int> m_lastRows;
    bool m_lastValid = false;
};
