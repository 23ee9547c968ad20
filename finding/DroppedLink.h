#pragma once

#include <QString>

#include <optional>

class QMimeData;

// A link, a URL or a browser's tab dropped on the window: the URL to register and the name
// the drag gives it (the link's text or the page's title; empty when the drag carries none).
struct DroppedLink
{
    QString url;
    QString name;
};

// Reads what browsers and other programs put on a drag, best first: Mozilla's URL with its
// title (text/x-moz-url, which Firefox and Chromium both write), the X11 netscape form
// Chromium adds, a URI list (the first URL of several), and plain text that is one address.
// The name comes from the first of these that has one, or from a dropped HTML link's text.
// A name's line breaks and tabs become blanks, since a field cannot hold them. Script and
// data URLs are not sites and nothing else is a link: those give no result.
std::optional<DroppedLink> LinkFromDrop(const QMimeData &mime);
