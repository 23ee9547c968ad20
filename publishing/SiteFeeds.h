#pragma once

#include <QByteArray>
#include <QString>

class LinkSource;

// What a feed or blogroll says of itself beyond the sites.
struct FeedSettings
{
    QString title;      // the page's title; "リンク集" when empty
    QString fileName;   // the feed's own file name, for its rel="self" link and its id
    QString pageHref;   // the page of our own published with it, relative to the feed; empty: none
    int count = 20;     // the feed's entries: the sites added last
};

// An Atom feed (RFC 4287) in UTF-8 of the `settings.count` sites added last, newest first: each
// site's name as text, its link, its content as HTML, published when it was added and updated
// when it last changed, its id a urn:uuid made from the site's identity and its added date, so
// that it stays the same from publish to publish and computer to computer. The feed's own
// updated is the latest change among its entries: the same register makes the same bytes.
QByteArray BuildAtomFeed(const LinkSource &source, const FeedSettings &settings);

// An OPML 2.0 blogroll in UTF-8: an outline per keyword in the keyword combo's order with an
// outline of type "link" per site under it (a site under each of its keywords), then those
// without a keyword; each site's added date as its created attribute where it is known.
QByteArray BuildOpmlBlogroll(const LinkSource &source, const FeedSettings &settings);
