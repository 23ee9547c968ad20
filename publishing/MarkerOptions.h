#pragma once

#include "LinkCode.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// What a marked region of a page holds.
enum class RegionKind {
    List,     // the link collection of one keyword (or of all), as コード生成 writes it
    Sections, // every keyword under a heading of its own, in the keyword combo's order
    Title,    // the page's title, as text
    Updated,  // the date the page's content last changed
    Recent,   // the sites added last, newest first, each with its date
    FeedLink, // the <link> of the feed in the page's <head>, when a feed is published
};

// How a date stands on a Japanese page: 2026年12月9日, or 2026/12/09.
enum class DateStyle { Kanji, Slashes };

// The order the sites of a region are written in: the register's, or the list's sorted by a column.
enum class RegionOrder { Register, ListName, ListUrl };

// The settings of one region, from its start marker, e.g.
// <!-- sitekanri keyword="ニュース" mode="name-and-content" skip-dead -->. What a marker does not
// say comes from the defaults it is read with.
struct RegionOptions
{
    RegionKind kind = RegionKind::List;
    // Register bytes; none for every site ("" is the blank keyword: sites with an empty one).
    std::optional<QByteArray> keyword;
    LinkCodeMode mode = LinkCodeMode::Name;
    RegionOrder order = RegionOrder::Register;
    bool skipDead = false;
    // Sections: a table of contents of the keywords before them, and the level of their headings.
    bool contents = false;
    int headingLevel = 2;
    // Recent: a heading of its own (only where asked for, and only above sites to list).
    bool recentHeading = false;
    // Lists: the 新着 mark after the sites added within `newDays` days (0: none), the user's HTML in
    // register bytes. Recent: how many sites, and how their dates are written.
    int newDays = 0;
    QByteArray newMark = NewSiteMark::DefaultHtml();
    int recentCount = kDefaultRecentCount;
    DateStyle dateStyle = DateStyle::Kanji;

    static constexpr int kDefaultRecentCount = 10;
    static constexpr int kMaxRecentCount = 1000;

    // Title and date stand within a line of the page; the lists take lines of their own.
    bool isInline() const { return kind == RegionKind::Title || kind == RegionKind::Updated || kind == RegionKind::FeedLink; }
};

struct MarkerReading
{
    std::optional<RegionOptions> options;
    QString refusal; // why the marker cannot be used, when it cannot
};

// The options of a start marker: `text` is what follows the word "sitekanri" in the comment. An
// option we do not know, one given twice, a value that is none of its values, or options that do
// not go together are refused, saying which and why.
MarkerReading ReadMarkerOptions(QStringView text, const RegionOptions &defaults = {});

// The words markers, the command line and the list of pages use for modes and orders.
std::optional<LinkCodeMode> LinkCodeModeNamed(QStringView word);
QString LinkCodeModeWord(LinkCodeMode mode);
std::optional<RegionOrder> RegionOrderNamed(QStringView word);
QString RegionOrderWord(RegionOrder order);
std::optional<DateStyle> DateStyleNamed(QStringView word);
QString DateStyleWord(DateStyle style);
