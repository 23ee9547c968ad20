#pragma once

#include <QByteArray>

#include <vector>

class SiteList;
class SiteRecord;

// "全てのキーワード" in the register's code page (CP932): the first entry of every keyword list,
// and the one filter that takes every site.
inline const QByteArray kAllKeywords = QByteArrayLiteral("\x91\x53\x82\xC4\x82\xCC\x83\x4C\x81\x5B\x83\x8F\x81\x5B\x83\x68");

// Distinct keywords in register bytes, kAllKeywords first.
using KeywordList = std::vector<QByteArray>;

// kAllKeywords, then every keyword of the sites in the order it first appears (site by site,
// keyword 1 to 3), each once. Keywords compare as whole byte strings; an empty keyword is an
// entry of its own (the blank entry), at the place of the first empty keyword field.
KeywordList BuildKeywordList(const SiteList &sites);

// True when one of the site's three keywords is `keyword`, exactly.
bool CarriesKeyword(const SiteRecord &site, const QByteArray &keyword);

// True when `filter` takes `site`: kAllKeywords takes every site, any other filter the sites with
// a keyword equal to it (an empty filter: the sites with an empty keyword field).
bool SiteMatchesKeyword(const SiteRecord &site, const QByteArray &filter);
