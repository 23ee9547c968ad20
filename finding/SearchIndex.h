#pragma once

#include "SearchQuery.h"
#include "SiteField.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <vector>

class SiteList;
class SiteRecord;

// The register's six fields folded for searching (TextFolding), once per record, row for row
// with the list. The register announces its changes row by row and the index follows them, so
// a keystroke never decodes or folds a record again.
class SearchIndex
{
public:
    SearchIndex() = default;
    explicit SearchIndex(const SiteList &sites);

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

    // Heap bytes the folded texts take (what the index costs beyond the register itself).
    std::size_t keyBytes() const;

private:
    struct Row
    {
        QString text; // the six folded fields, each followed by kFieldEnd
        std::array<int, kSiteFieldCount> ends;
    };
    static Row makeRow(const SiteRecord &record);

    std::vector<Row> m_rows;
    SearchQuery m_lastQuery;
    std::vector<int> m_lastRows;
    bool m_lastValid = false;
};
