#include "DroppedLink.h"

#include "HtmlText.h"
#include "SiteIdentity.h"
#include "UrlCompletion.h"

#include <QMimeData>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

#include <vector>

namespace {

// What a drag says in one form: the URL and, where the form has one, the name.
struct Offer
{
    QString url;
    QString name;
};

QStringList lines(const QString &text)
{
    QStringList out = text.split(u'\n');
    for (QString &line : out)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return out;
}

// "url\ntitle" pairs; UTF-16 in the writer's byte order (Firefox, Chromium), with or without a
// byte-order mark. A few programs write UTF-8 instead, which holds no NUL byte.
Offer fromMozUrl(const QByteArray &bytes)
{
    QString text;
    if (bytes.contains('\0')) {
        QStringDecoder utf16(QStringConverter::Utf16);
        text = utf16.decode(bytes);
    } else {
        text = QString::fromUtf8(bytes);
    }
    while (text.endsWith(QChar(u'\0')))
        text.chop(1);
    const QStringList parts = lines(text);
    return {parts.value(0), parts.value(1)};
}

Offer fromNetscapeUrl(const QByteArray &bytes)
{
    const QStringList parts = lines(QString::fromUtf8(bytes));
    return {parts.value(0), parts.value(1)};
}

Offer fromUriList(const QByteArray &bytes)
{
    for (const QString &line : lines(QString::fromUtf8(bytes)))
        if (!line.trimmed().isEmpty() && !line.startsWith(u'#'))
            return {line, QString()};
    return {};
}

// Plain text counts only when it is one address: a scheme written out, or a host with a dot in
// it ("example.jp/page"), never a sentence that happens to parse.
Offer fromPlainText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.contains(QRegularExpression(QStringLiteral("\\s"))))
        return {};
    const QUrl url = CompleteUrl(trimmed);
    if (!url.isValid() || (!trimmed.contains(QStringLiteral("://")) && !url.host().contains(u'.')))
        return {};
    return {trimmed, QString()};
}

// The first link of dropped HTML (what browsers put beside the URL when a link is dragged):
// its address and its text without markup.
Offer fromHtml(const QString &html)
{
    static const QRegularExpression anchor(
        QStringLiteral("<a\\s[^>]*?href\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))[^>]*>(.*?)</a\\s*>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    const auto match = anchor.match(html);
    if (!match.hasMatch())
        return {};
    const QString url = match.captured(1) + match.captured(2) + match.captured(3);
    return {HtmlText::decodeReferences(url), HtmlText::decodeReferences(match.captured(4).remove(tag))};
}

// Only what a collection may link to: a web address, read as a browser reads it.
bool isSite(const QString &url)
{
    if (url.isEmpty())
        return false;
    if (IsWebScheme(UrlScheme(url)))
        return true;
    // "example.jp:8080/page" starts like a scheme; a browser's address bar opens it over http.
    return !HasExplicitScheme(url) && IsWebScheme(CompleteUrl(url).scheme());
}

} // namespace

std::optional<DroppedLink> LinkFromDrop(const QMimeData &mime)
{
    std::vector<Offer> offers;
    if (mime.hasFormat(QStringLiteral("text/x-moz-url")))
        offers.push_back(fromMozUrl(mime.data(QStringLiteral("text/x-moz-url"))));
    if (mime.hasFormat(QStringLiteral("_NETSCAPE_URL")))
        offers.push_back(fromNetscapeUrl(mime.data(QStringLiteral("_NETSCAPE_URL"))));
    if (mime.hasFormat(QStringLiteral("text/uri-list")))
        offers.push_back(fromUriList(mime.data(QStringLiteral("text/uri-list"))));
    if (mime.hasText())
        offers.push_back(fromPlainText(mime.text()));
    if (mime.hasHtml())
        offers.push_back(fromHtml(mime.html()));

    DroppedLink link;
    for (const Offer &offer : offers) {
        if (link.url.isEmpty())
            link.url = BrowserUrlText(offer.url);
        if (link.name.isEmpty())
            link.name = HtmlText::escape(offer.name.simplified());
    }
    if (!isSite(link.url))
        return std::nullopt;
    return link;
}
