#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class SiteList;

// One keyword of the register and the sites that carry it.
struct KeywordCount
{
    QByteArray keyword; // register bytes
    int sites = 0;      // how many sites carry it, in any of their three keywords
    // The other keywords a reader takes for this one (KeywordKey): English beside english,
    // ニュース beside ﾆｭｰｽ, in the order they first appear.
    std::vector<QByteArray> alike;
};

// The key under which keywords that differ only in width or case are one: ﾆｭｰｽ is ニュース and
// ＡＢＣ is abc, while kana and kanji stay apart (ニュース is not にゅーす).
QString KeywordKey(const QString &keyword);

// Every keyword the sites carry (an empty keyword field carries none), in the order it first
// appears, with how many sites carry it: a site carrying it twice counts once.
std::vector<KeywordCount> CountKeywords(const SiteList &sites);

enum class KeywordOrder { Name, Count };
// By name, as the site list sorts names (folded, in reading order, numbers by their value), or
// by count, most first and equal counts by name. Keywords that sort alike keep their order.
void SortKeywords(std::vector<KeywordCount> &keywords, KeywordOrder order);
