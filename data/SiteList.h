#pragma once

#include "SiteRecord.h"

#include <cstddef>
#include <vector>

// The register in memory: records by value, in register order. Position i is row i of the
// list and is stored in data file number i + 1.
class SiteList
{
public:
    using const_iterator = std::vector<SiteRecord>::const_iterator;

    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }

    // Guarded access: a position at or beyond the size throws std::out_of_range.
    const SiteRecord &at(std::size_t position) const;
    SiteRecord &at(std::size_t position);

    void push_back(const SiteRecord &record) { m_records.push_back(record); }
    void replace(std::size_t position, const SiteRecord &record) { at(position) = record; }
    void clear() { m_records.clear(); }
    void reserve(std::size_t count) { m_records.reserve(count); }

    const_iterator begin() const { return m_records.begin(); }
    const_iterator end() const { return m_records.end(); }

    friend bool operator==(const SiteList &a, const SiteList &b) { return a.m_records == b.m_records; }

private:
    std::vector<SiteRecord> m_records;
};
