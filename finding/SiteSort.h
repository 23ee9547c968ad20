#pragma once

#include "SiteField.h"

#include <QStringView>
#include <Qt>

#include <vector>

class SearchIndex;
class SiteList;

// Orders two folded texts (TextFolding): character by character, except that runs of digits
// compare by their value, so サイト2 comes before サイト10. Returns <0, 0 or >0; texts that
// differ only in leading zeros are alike.
int CompareFolded(QStringView a, QStringView b);

// The rows ordered by one field, as the list shows them when its header is clicked. Rows alike
// in that field keep their register order, in either direction, and rows whose field is blank
// come last in either direction, where they do not hide the ones that say something.
std::vector<int> SortedRows(const SearchIndex &index, SiteField field, Qt::SortOrder order);

// The order of folded texts (TextFolding) as SortedRows gives it, by their positions.
std::vector<int> SortedTexts(const std::vector<QStringView> &folded, Qt::SortOrder order);

// The same with nothing prepared: that one field of every record is folded first.
std::vector<int> SortedRows(const SiteList &sites, SiteField field, Qt::SortOrder order);
