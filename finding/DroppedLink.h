#pragma once

#include <QString>

#include <optional>

class QMimeData;

// A link, a URL or a browser's tab dropped on the window: the URL to register and the name
// the drag gives it (the link's text or the page's title; empty when the drag carries none).
struct DroppedLink
{
    QString url;
    QString name; // as HTML, the register's form of a name: "A &amp; B" for the title "A & B"
};

// Reads what browsers and other programs put on a drag, best first: Mozilla's URL with its
// title (text/x-moz-url, which Firefox and Chromium both write), the X11 netscape form
// Chromium adds, a URI list (the first URL of several), and plain text that is one address.
// The name comes from the first of these that has one, or from a dropped HTML link's text.
// A name's line breaks and tabs become blanks, since a field cannot hold them.
// The URL is read as a browser reads it (BrowserUrlText), and only http, https and ftp (or an
// address without a scheme, which a browser opens over http) are sites: anything else gives no
// result. The name is escaped: a dragged title is text, not the user's markup.
std::optional<DroppedLink> LinkFromDrop(const QMimeData &mime);
