#pragma once

#include <QString>
#include <QUrl>

// The address that `text` stands for, completed as a browser's address bar would
// ("www.example.jp" -> "http://www.example.jp"; blanks around it do not count). Invalid when
// nothing sensible can be made of it. Opening a site and storing one complete alike, so that the
// link written into a collection goes where サイトジャンプ goes.
QUrl CompleteUrl(const QString &text);

// Whether `text` (blanks around it aside) starts with a scheme written out ("https://...").
bool HasExplicitScheme(const QString &text);

// `text` as a browser reads an address before anything else: control characters and blanks at
// either end dropped, and tabs and line breaks inside too. "\x01javascript:…" is a script to a
// browser, so every scheme check looks at this form.
QString BrowserUrlText(const QString &text);

// The scheme `text` starts with, in lower case ("https" of "HTTPS://…"); empty when it has none.
QString UrlScheme(const QString &text);

// Where the host of `url` stands: after "scheme://" (or from the start, for an address without a
// scheme such as "例え.jp/page") and any "user@", up to a ":port" or the first of "/?#\". A URL
// whose scheme has no "//" after it ("mailto:…") has no host at all: `from` is -1.
struct UrlHostSpan
{
    qsizetype from = -1;
    qsizetype to = -1;
    bool isEmpty() const { return to <= from; }
};
UrlHostSpan FindUrlHost(QStringView url);

// Whether `url` (blanks around it aside) is a web address (http, https, ftp) that names no host:
// "http://", "https:///x", "http://user@:80/". It leads nowhere, and browsers read some such
// addresses as another one ("https:///x" as "https://x/").
bool LacksHost(const QString &url);

// Whether `scheme` leads to a web site that a link collection may point to: http, https, ftp.
bool IsWebScheme(const QString &scheme);
