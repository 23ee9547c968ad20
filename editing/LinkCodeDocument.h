#pragma once

#include "IoResult.h"

#include <QByteArray>
#include <QString>

// How a link collection is written to a file.
enum class LinkCodeEncoding {
    RegisterCodePage, // the generator's bytes as they are (CP932)
    Utf8,
};

struct LinkCodeFormat
{
    LinkCodeEncoding encoding = LinkCodeEncoding::RegisterCodePage;
    // A whole page around the code (doctype, charset, title) rather than the code alone, which
    // is meant to be pasted into a page of the user's own.
    bool asPage = false;
    QString title = DefaultLinkPageTitle();

    static QString DefaultLinkPageTitle() { return QString::fromUtf8("リンク集"); } // output: the page's own title
};

// The file's content for `code` (register bytes with CRLF line ends, as the generator writes
// them). The code is never changed, only re-encoded; the title is plain text, escaped for HTML,
// and its characters the code page lacks are written as character references.
QByteArray BuildLinkCodeDocument(const QByteArray &code, const LinkCodeFormat &format);

// HTML text in the register's code page; the characters it lacks become character references,
// which mean the same in a page.
QByteArray LinkCodeFromText(const QString &text);

// Replaces the file at `path` with `bytes` in one step: the file is either the old one or the
// new one, never half written. The reason of a failure is in Japanese.
IoResult WriteLinkCodeDocument(const QString &path, const QByteArray &bytes);
