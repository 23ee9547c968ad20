#include "SiteSort.h"

#include "CodePage.h"
#include "SearchIndex.h"
#include "SiteList.h"
#include "TextFolding.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Compares the digit runs starting at a[i] and b[j] by value and moves both past them.
int compareNumbers(QStringView a, qsizetype &i, QStringView b, qsizetype &j)
{
    while (i < a.size() && a[i] == u'0')
        ++i;
    while (j < b.size() && b[j] == u'0')
        ++j;
    const qsizetype aStart = i, bStart = j;
    while (i < a.size() && isDigit(a[i]))
        ++i;
    while (j < b.size() && isDigit(b[j]))
        ++j;
    if (i - aStart != j - bStart)
        return i - aStart < j - bStart ? -1 : 1;
    return a.mid(aStart, i - aStart).compare(b.mid(bStart, j - bStart));
}

// Where a and b first differ, found eight bytes at a time: sorted neighbours share long
// beginnings ("https://www.").
qsizetype firstDifference(QStringView a, QStringView b)
{
    const qsizetype size = std::min(a.size(), b.size());
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4)
        if (std::memcmp(a.utf16() + i, b.utf16() + i, 4 * sizeof(char16_t)) != 0)
            break;
    while (i < size && a[i] == b[i])
        ++i;
    return i;
}

// Sorts rows by their keys. The keys are first copied side by side into one buffer: a sort
// compares keys of rows far apart, and one column of a large register packed together stays
// in the processor's cache where the register's scattered texts do not.
std::vector<int> sortedByKeys(const std::vector<QStringView> &keys, Qt::SortOrder order)
{
    std::size_t total = 0;
    for (QStringView key : keys)
        total += std::size_t(key.size());
    std::u16string packed;
    packed.reserve(total);
    struct Item
    {
        std::size_t start;
        qsizetype size;
        int row;
    };
    std::vector<Item> items;
    items.reserve(keys.size());
    for (std::size_t row = 0; row < keys.size(); ++row) {
        items.push_back({packed.size(), keys[row].size(), int(row)});
        packed.append(keys[row].utf16(), std::size_t(keys[row].size()));
    }

    const char16_t *base = packed.data();
    const bool descending = order == Qt::DescendingOrder;
    std::sort(items.begin(), items.end(), [base, descending](const Item &x, const Item &y) {
        if ((x.size == 0) != (y.size == 0))
            return y.size == 0;
        const int order = CompareFolded(QStringView(base + x.start, x.size), QStringView(base + y.start, y.size));
        if (order != 0)
            return descending ? order > 0 : order < 0;
        return x.row < y.row;
    });
    std::vector<int> rows;
    rows.reserve(items.size());
    for (const Item &item : items)
        rows.push_back(item.row);
    return rows;
}

} // namespace

int CompareFolded(QStringView a, QStringView b)
{
    // What both share cannot decide, except for the digits of a number the difference lies in.
    qsizetype i = firstDifference(a, b);
    const bool inNumber = (i < a.size() && isDigit(a[i])) || (i < b.size() && isDigit(b[i]));
    if (!inNumber)
        return i == a.size() || i == b.size() ? (i < a.size()) - (i < b.size()) : (a[i] < b[i] ? -1 : 1);
    while (i > 0 && isDigit(a[i - 1]))
        --i;
    qsizetype j = i;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            if (const int order = compareNumbers(a, i, b, j))
                return order;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    return (i < a.size()) - (j < b.size());
}

std::vector<int> SortedRows(const SearchIndex &index, SiteField field, Qt::SortOrder order)
{
    std::vector<QStringView> keys;
    keys.reserve(index.size());
    for (std::size_t row = 0; row < index.size(); ++row)
        keys.push_back(index.field(row, field));
    return sortedByKeys(keys, order);
}

std::vector<int> SortedRows(const SiteList &sites, SiteField field, Qt::SortOrder order)
{
    std::vector<QString> folded;
    folded.reserve(sites.size());
    for (const SiteRecord &record : sites)
        folded.push_back(TextFolding::fold(CodePage::toText(FieldBytes(record, field))));
    return sortedByKeys(std::vector<QStringView>(folded.begin(), folded.end()), order);
}
