#pragma once

#include <QByteArray>

class SiteList;

// The register as a Netscape bookmark file in UTF-8, for browsers and bookmark services to
// import: one link per record, its keywords as TAGS and its content as <DD>. Every text is
// escaped, so names and contents that hold HTML come back as the same text, not as markup.
// A comma inside a keyword is written as "&#44;": our reader splits TAGS before decoding and
// keeps the keyword whole; other programs decode first and see two tags.
QByteArray ExportBookmarks(const SiteList &sites);
