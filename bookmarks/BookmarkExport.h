#pragma once

#include <QByteArray>

#include <functional>

class SiteList;

// The register as a Netscape bookmark file in UTF-8, for browsers and bookmark services to
// import: one folder per first keyword (the sites without one at the top), one link per record,
// its keywords as TAGS and its content as <DD>. Names and contents are the register's HTML, written
// as the text a page shows (ShownText: "A &amp; B" as the title "A & B", "<b>A</b>" as "A"), since a
// browser's title is text; what an import stored comes back as it was read, so that importing the
// file again gives the same record. Nothing of the register becomes markup of the file.
// A comma inside a keyword is written as "&#44;": our reader splits TAGS before decoding and
// keeps the keyword whole; other programs decode first and see two tags.
QByteArray ExportBookmarks(const SiteList &sites);
// The same file handed to `write` a piece at a time, so that a large register is never held
// twice; stops at the first piece `write` refuses (false).
bool WriteBookmarks(const SiteList &sites, const std::function<bool(const QByteArray &piece)> &write);
