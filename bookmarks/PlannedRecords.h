#pragma once

#include "SiteRecord.h"

#include <array>
#include <cstddef>
#include <vector>

// The records an import will add, held small until they are written. A bookmark's name and
// description are stored escaped as HTML, and a title of ampersands grows fivefold that way
// ("&amp;"): held as they are stored, the records of a 100 MB file took 500 MB. Here each escape
// in a name or content is one byte, and a record is made whole again when it is asked for.
class PlannedRecords
{
public:
    class Iterator
    {
    public:
        Iterator(const PlannedRecords &records, std::size_t index) : m_records(&records), m_index(index) {}
        SiteRecord operator*() const { return m_records->at(m_index); }
        Iterator &operator++()
        {
            ++m_index;
            return *this;
        }
        bool operator!=(const Iterator &other) const { return m_index != other.m_index; }

    private:
        const PlannedRecords *m_records;
        std::size_t m_index;
    };

    void push_back(const SiteRecord &record);
    // Gives record `index` its three keywords.
    void setKeywords(std::size_t index, const std::array<QByteArray, 3> &keywords);
    std::size_t size() const { return m_packed.size(); }
    bool empty() const { return m_packed.empty(); }
    // Record `index` exactly as it was given.
    SiteRecord at(std::size_t index) const;
    // Every record whole: as much memory as the records take in the register.
    std::vector<SiteRecord> all() const;
    Iterator begin() const { return {*this, 0}; }
    Iterator end() const { return {*this, size()}; }

private:
    std::vector<SiteRecord> m_packed;
};
