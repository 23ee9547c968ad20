#include "SiteList.h"

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
