#pragma once

#include "SiteRecord.h"

#include <cstddef>
#include <utility>
#include <vector>

// The register in memory: records by value, in register order, each with the number of its data
// file ("data<number>.ini"). Register order is number order; position i is row i of the list.
class SiteList
{
public:
    using const_iterator = std::vector<SiteRecord>::const_iterator;

    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }

    // Guarded access: a position at or beyond the size throws std::out_of_range.
    const SiteRecord &at(std::size_t position) const;
    SiteRecord &at(std::size_t position);
    // The file number of the record at `position` (guarded like at()).
    int number(std::size_t position) const;
    // The position of the record with file number `number`, or -1.
    long long positionOf(int number) const;
    // Where a record with file number `number` belongs in number order.
    std::size_t insertionPoint(int number) const;

    // Appends a record; its number must be above every number in the list.
    void push_back(const SiteRecord &record, int number);
    // Appends a record numbered one above the last (a register written from scratch).
    void push_back(const SiteRecord &record) { push_back(record, m_numbers.empty() ? 1 : m_numbers.back() + 1); }
    // Inserts a record at its place in number order; returns its position.
    std::size_t insert(const SiteRecord &record, int number);
    void replace(std::size_t position, const SiteRecord &record) { at(position) = record; }
    void erase(std::size_t position);
    // Removes the positions of each [first, last] run (ascending, not overlapping) in one pass.
    void eraseRuns(const std::vector<std::pair<int, int>> &runs);
    void clear();
    void reserve(std::size_t count);

    const_iterator begin() const { return m_records.begin(); }
    const_iterator end() const { return m_records.end(); }

    friend bool operator==(const SiteList &a, const SiteList &b)
    {
        return a.m_records == b.m_records && a.m_numbers == b.m_numbers;
    }

private:
    std::vector<SiteRecord> m_records;
    std::vector<int> m_numbers; // ascending, parallel to m_records
};
