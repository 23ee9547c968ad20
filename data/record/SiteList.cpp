#include "SiteList.h"

#include <algorithm>
#include <stdexcept>

namespace {
[[noreturn]] void throwOutOfRange()
{
    throw std::out_of_range("invalid vector<T> subscript");
}
} // namespace

const SiteRecord &SiteList::at(std::size_t position) const
{
    if (position >= m_records.size())
        throwOutOfRange();
    return m_records[position];
}

SiteRecord &SiteList::at(std::size_t position)
{
    if (position >= m_records.size())
        throwOutOfRange();
    return m_records[position];
}

int SiteList::number(std::size_t position) const
{
    if (position >= m_numbers.size())
        throwOutOfRange();
    return m_numbers[position];
}

std::size_t SiteList::insertionPoint(int number) const
{
    return std::size_t(std::lower_bound(m_numbers.begin(), m_numbers.end(), number) - m_numbers.begin());
}

long long SiteList::positionOf(int number) const
{
    const std::size_t at = insertionPoint(number);
    return at < m_numbers.size() && m_numbers[at] == number ? (long long)at : -1;
}

void SiteList::push_back(const SiteRecord &record, int number)
{
    m_records.push_back(record);
    m_numbers.push_back(number);
}

std::size_t SiteList::insert(const SiteRecord &record, int number)
{
    const std::size_t at = insertionPoint(number);
    m_records.insert(m_records.begin() + std::ptrdiff_t(at), record);
    m_numbers.insert(m_numbers.begin() + std::ptrdiff_t(at), number);
    return at;
}

void SiteList::erase(std::size_t position)
{
    if (position >= m_records.size())
        throwOutOfRange();
    m_records.erase(m_records.begin() + std::ptrdiff_t(position));
    m_numbers.erase(m_numbers.begin() + std::ptrdiff_t(position));
}

void SiteList::eraseRuns(const std::vector<std::pair<int, int>> &runs)
{
    std::size_t kept = 0, read = 0;
    for (const auto &[first, last] : runs) {
        if (first < 0 || std::size_t(last) >= m_records.size() || first > last || std::size_t(first) < read)
            throwOutOfRange();
        for (; read < std::size_t(first); ++read, ++kept) {
            if (kept != read) {
                m_records[kept] = std::move(m_records[read]);
                m_numbers[kept] = m_numbers[read];
            }
        }
        read = std::size_t(last) + 1;
    }
    for (; read < m_records.size(); ++read, ++kept) {
        if (kept != read) {
            m_records[kept] = std::move(m_records[read]);
            m_numbers[kept] = m_numbers[read];
        }
    }
    m_records.resize(kept);
    m_numbers.resize(kept);
}

void SiteList::clear()
{
    m_records.clear();
    m_numbers.clear();
}

void SiteList::reserve(std::size_t count)
{
    m_records.reserve(count);
    m_numbers.reserve(count);
}
