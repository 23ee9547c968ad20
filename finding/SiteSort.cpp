#include "SiteSort.h"

#include "SearchIndex.h"
#include "ShownText.h"
#include "SiteList.h"
#include "TextFolding.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// A key whose plain order, code unit by code unit, is the order of folded texts: each run of
// digits becomes '0' (where a digit would stand, so that it sorts against other characters as
// a digit does), its length without leading zeros, and those digits. So 2 comes before 10, and
// 007 and 7 are alike.
void appendSortKey(QStringView text, std::u16string &key)
{
    for (qsizetype i = 0; i < text.size();) {
        if (!isDigit(text[i])) {
            key.push_back(text[i++].unicode());
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        while (i < end && text[i] == u'0')
            ++i;
        key.push_back(u'0');
        key.push_back(char16_t(std::min<qsizetype>(end - i, 0xFFFF)));
        key.append(text.utf16() + i, std::size_t(end - i));
        i = end;
    }
}

std::u16string sortKey(QStringView text)
{
    std::u16string key;
    appendSortKey(text, key);
    return key;
}

// Sorts rows by their folded texts. The keys are written side by side into one buffer, which
// stays in the processor's cache where the register's scattered texts would not; and each
// row carries the four characters after the beginning all keys share, which decide most
// comparisons without a look at the buffer.
std::vector<int> sortedByKeys(const std::vector<QStringView> &texts, Qt::SortOrder order)
{
    struct Item
    {
        std::uint64_t head;
        std::size_t start;
        std::size_t size;
        int row;
    };
    std::u16string keys;
    std::vector<Item> items;
    items.reserve(texts.size());
    for (std::size_t row = 0; row < texts.size(); ++row) {
        const std::size_t start = keys.size();
        appendSortKey(texts[row], keys);
        items.push_back({0, start, keys.size() - start, int(row)});
    }
    const std::u16string_view all(keys);
    std::u16string_view first;
    for (const Item &item : items)
        if (item.size != 0 && first.empty())
            first = all.substr(item.start, item.size);
    std::size_t shared = first.size();
    for (const Item &item : items) {
        const std::u16string_view key = all.substr(item.start, item.size);
        std::size_t same = 0;
        while (same < shared && same < key.size() && key[same] == first[same])
            ++same;
        if (item.size != 0)
            shared = same;
    }
    for (Item &item : items)
        for (std::size_t i = shared; i < shared + 4; ++i)
            item.head = item.head << 16 | (i < item.size ? all[item.start + i] : 0);

    const bool descending = order == Qt::DescendingOrder;
    const std::size_t tail = shared + 4;
    std::sort(items.begin(), items.end(), [&all, descending, tail](const Item &x, const Item &y) {
        if ((x.size == 0) != (y.size == 0))
            return y.size == 0;
        int order = x.head < y.head ? -1 : x.head > y.head ? 1 : 0;
        if (order == 0) {
            const std::u16string_view a = all.substr(x.start, x.size), b = all.substr(y.start, y.size);
            order = a.substr(std::min(tail, a.size())).compare(b.substr(std::min(tail, b.size())));
        }
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
    const int order = sortKey(a).compare(sortKey(b));
    return (order > 0) - (order < 0);
}

std::vector<int> SortedTexts(const std::vector<QStringView> &folded, Qt::SortOrder order)
{
    return sortedByKeys(folded, order);
}

std::vector<int> SortedRows(const SearchIndex &index, SiteField field, Qt::SortOrder order)
{
    std::vector<QStringView> texts;
    texts.reserve(index.size());
    for (std::size_t row = 0; row < index.size(); ++row)
        texts.push_back(index.field(row, field));
    return sortedByKeys(texts, order);
}

std::vector<int> SortedRows(const SiteList &sites, SiteField field, Qt::SortOrder order)
{
    std::vector<QString> folded;
    folded.reserve(sites.size());
    for (const SiteRecord &record : sites)
        folded.push_back(TextFolding::fold(ShownText(record, kSiteTexts[std::size_t(field)])));
    return sortedByKeys(std::vector<QStringView>(folded.begin(), folded.end()), order);
}
