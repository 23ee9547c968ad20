#pragma once

#include "KeywordList.h"
#include "LinkCode.h"
#include "MarkerOptions.h"

#include <QByteArray>
#include <QDate>
#include <QSet>

#include <cstdint>
#include <memory>
#include <vector>

class PageEncoding;
class SectionIds;
class SiteList;
class SiteRecord;

// What the regions of every page of one publish are made from: the register as it is now, the
// links the last check found dead, and the day. What several regions need (the keyword list,
// the sites in a sorted order, the sites of each keyword) is worked out once, when first asked.
class LinkSource
{
public:
    // `dead` answers for a URL whether the last check found it dead; empty: none is known dead.
    // `now` (seconds since 1970 UTC) is what 新着 marks measure against; without it, the start of
    // `today` in UTC.
    LinkSource(const SiteList &sites, LinkExclusion dead, QDate today, std::int64_t now);
    LinkSource(const SiteList &sites, LinkExclusion dead, QDate today);
    ~LinkSource();

    const SiteList &sites() const { return m_sites; }
    QDate today() const { return m_today; }
    std::int64_t now() const { return m_now; }
    const LinkExclusion &dead() const { return m_dead; }
    // kAllKeywords, then every keyword in the keyword combo's order.
    const KeywordList &keywords() const;
    // Whether a site carries `keyword` (kAllKeywords: whether there is a site at all).
    bool carries(const QByteArray &keyword) const;
    // Every site in `order`.
    const std::vector<const SiteRecord *> &ordered(RegionOrder order) const;
    // The sites that carry `keyword`, in `order`.
    const std::vector<const SiteRecord *> &carrying(const QByteArray &keyword, RegionOrder order) const;
    // The sites that carry no keyword of the list (every keyword empty), in `order`.
    const std::vector<const SiteRecord *> &withoutKeyword(RegionOrder order) const;

private:
    struct ByKeyword;
    const ByKeyword &byKeyword(RegionOrder order) const;

    const SiteList &m_sites;
    LinkExclusion m_dead;
    QDate m_today;
    std::int64_t m_now;
    mutable std::unique_ptr<KeywordList> m_keywords;
    mutable std::vector<const SiteRecord *> m_ordered[3];
    mutable bool m_orderedReady[3] = {false, false, false};
    mutable std::unique_ptr<ByKeyword> m_byKeyword[3];
};

// The heading a section of sites carrying no keyword has.
QString WithoutKeywordHeading();

// The code of a list region (a list or the sections), in the page's encoding with its line ends
// (`lineEnd`): each line ended by it, nothing before the first. A list is exactly what コード生成
// writes for the same keyword, mode and options; the sections take their anchors from `ids`.
QByteArray ListRegionCode(const RegionOptions &options, const LinkSource &source, const PageEncoding &encoding,
                          const QByteArray &lineEnd, SectionIds &ids);

// The 新着 mark a list region asks for, measured against the source's now.
NewSiteMark NewMarkOf(const RegionOptions &options, const LinkSource &source);

// The date as the line of the last change shows it: <time datetime="2026-12-09">2026年12月9日</time>.
QString UpdatedText(QDate date);

// The anchors of the sections of one page, so that no two share one: the keyword with its blanks
// as '_' (an id holds none), and "-2", "-3", … where another section has that anchor already.
class SectionIds
{
public:
    QString idFor(const QByteArray &keyword);

private:
    QSet<QString> m_taken;
};
