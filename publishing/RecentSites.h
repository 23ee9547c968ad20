#pragma once

#include "MarkerOptions.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <cstdint>
#include <vector>

class LinkSource;
class PageEncoding;
class SiteList;
class SiteRecord;

// The `count` sites added last, newest first; of two added in the same second, the later in the
// register first. A site whose added date is unknown is none of them.
std::vector<const SiteRecord *> RecentSites(const SiteList &sites, int count);

// The day a time (seconds since 1970 UTC) falls on where the page is made.
QDate LocalDateOf(std::int64_t seconds);

// A date as a Japanese page writes it, inside a <time> that gives it to machines:
// <time datetime="2026-12-09">2026年12月9日</time> or …>2026/12/09</time>.
QString JapaneseDateHtml(QDate date, DateStyle style);

// The code of a recent region: one entry per site, its date before its link, in the page's encoding
// with its line ends; under a heading of its own in a section when the region asks for one, and
// nothing at all when no site has a known date.
QByteArray RecentRegionCode(const RegionOptions &options, const LinkSource &source, const PageEncoding &encoding,
                            const QByteArray &lineEnd);
