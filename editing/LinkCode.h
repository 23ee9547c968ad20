#pragma once

#include "NewSiteMark.h"

#include <QByteArray>

#include <functional>
#include <vector>

class SiteList;
class SiteRecord;

// What each entry of a link collection shows beside its link.
enum class LinkCodeMode {
    Name,           // the name as the link text
    Content,        // the content as the link text
    NameAndContent, // the name as the link text, the content on a line of its own
};

// The HTML of a link collection, in the register's code page with CRLF line ends: one entry per
// site in register order, for every site when `filter` is kAllKeywords, otherwise for each site
// with a keyword equal to it (once, however many match). Names and contents go in unchanged: the
// register holds HTML the user means to paste. A '"' in a URL is written %22, so that no URL
// breaks out of its href attribute.
//
// A site for which `leftOut` (when given) answers true for its URL's bytes is not written. In the
// content mode a site with no content shows its name, so that no link is written with nothing to
// click.
//
// With `newMark` on, each site it marks has the mark after its link, a blank between; off, the code
// is what it was before the register kept dates, to the byte.
using LinkExclusion = std::function<bool(const QByteArray &url)>;
QByteArray BuildLinkCode(const SiteList &sites, const QByteArray &filter, LinkCodeMode mode,
                         const LinkExclusion &leftOut = {}, const NewSiteMark &newMark = {});

// The same over the sites in the order given (the list's order, say), each written where it
// stands.
QByteArray BuildLinkCode(const std::vector<const SiteRecord *> &sites, const QByteArray &filter, LinkCodeMode mode,
                         const LinkExclusion &leftOut = {}, const NewSiteMark &newMark = {});
