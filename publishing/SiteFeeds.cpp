#include "SiteFeeds.h"

#include "CodePage.h"
#include "KeywordList.h"
#include "PageComposer.h"
#include "RecentSites.h"
#include "RegionCode.h"
#include "ShownText.h"
#include "SiteIdentity.h"
#include "SiteList.h"

#include <QDateTime>
#include <QLocale>
#include <QUuid>
#include <QXmlStreamWriter>

#include <algorithm>

namespace {

// The program's own namespace for the name-based ids of its feeds and their entries.
const QUuid kIdNamespace(QStringLiteral("{8b6f3c52-4e0a-5d7b-9a21-3f6c0d9e7a14}"));

// XML 1.0 holds no control character but tab, line feed and carriage return, nor U+FFFE and
// U+FFFF: such a character in a register text (the format allows them) would make a feed no
// reader accepts, so it is left out.
QString xmlText(QString text)
{
    text.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF;
    });
    return text;
}

QString atomTime(std::int64_t seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
}

// RFC 822 as OPML writes its dates, the day of the week too ("Wed, 09 Dec 2026 12:00:00 GMT"), in
// English whatever the desktop's language.
QString rfc822Time(std::int64_t seconds)
{
    return QLocale::c().toString(QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss"))
        + QStringLiteral(" GMT");
}

QString titleOf(const FeedSettings &settings)
{
    const QString title = settings.title.simplified();
    return title.isEmpty() ? DefaultPageTitle() : title;
}

std::int64_t changedOf(const SiteRecord &site)
{
    return std::max(site.GetChanged(), site.GetAdded());
}

QString urlOf(const SiteRecord &site)
{
    return xmlText(CodePage::toText(site.GetUrl()));
}

void writeLink(QXmlStreamWriter &xml, const char *rel, const QString &href, const char *type = nullptr)
{
    xml.writeEmptyElement(QStringLiteral("link"));
    xml.writeAttribute(QStringLiteral("rel"), QLatin1String(rel));
    if (type)
        xml.writeAttribute(QStringLiteral("type"), QLatin1String(type));
    xml.writeAttribute(QStringLiteral("href"), href);
}

void writeEntry(QXmlStreamWriter &xml, const SiteRecord &site)
{
    xml.writeStartElement(QStringLiteral("entry"));
    xml.writeStartElement(QStringLiteral("title"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("text"));
    xml.writeCharacters(xmlText(ShownName(site)));
    xml.writeEndElement();
    writeLink(xml, "alternate", urlOf(site));
    const QString identity = SiteIdentity(CodePage::toText(site.GetUrl())) + u'\n' + atomTime(site.GetAdded());
    xml.writeTextElement(QStringLiteral("id"), QUuid::createUuidV5(kIdNamespace, identity).toString(QUuid::WithoutBraces).prepend(QStringLiteral("urn:uuid:")));
    xml.writeTextElement(QStringLiteral("published"), atomTime(site.GetAdded()));
    xml.writeTextElement(QStringLiteral("updated"), atomTime(changedOf(site)));
    if (!site.GetContent().isEmpty()) {
        // The content is the user's HTML, escaped once more as Atom's type="html" asks.
        xml.writeStartElement(QStringLiteral("content"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("html"));
        xml.writeCharacters(xmlText(CodePage::toText(site.GetContent())));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

} // namespace

QByteArray BuildAtomFeed(const LinkSource &source, const FeedSettings &settings)
{
    const std::vector<const SiteRecord *> sites = RecentSites(source.sites(), settings.count);
    std::int64_t updated = 0;
    for (const SiteRecord *site : sites)
        updated = std::max(updated, changedOf(*site));
    const QString title = xmlText(titleOf(settings));
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("feed"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2005/Atom"));
    xml.writeAttribute(QStringLiteral("xml:lang"), QStringLiteral("ja"));
    xml.writeTextElement(QStringLiteral("title"), title);
    xml.writeTextElement(QStringLiteral("id"), QUuid::createUuidV5(kIdNamespace, QStringLiteral("feed\n") + settings.fileName + u'\n' + title)
                                                   .toString(QUuid::WithoutBraces)
                                                   .prepend(QStringLiteral("urn:uuid:")));
    xml.writeTextElement(QStringLiteral("updated"), atomTime(updated));
    xml.writeStartElement(QStringLiteral("author"));
    xml.writeTextElement(QStringLiteral("name"), title);
    xml.writeEndElement();
    xml.writeTextElement(QStringLiteral("generator"), QString::fromUtf8("サイト管理")); // output: the feed's own
    if (!settings.fileName.isEmpty())
        writeLink(xml, "self", settings.fileName, "application/atom+xml");
    if (!settings.pageHref.isEmpty())
        writeLink(xml, "alternate", settings.pageHref, "text/html");
    for (const SiteRecord *site : sites)
        writeEntry(xml, *site);
    xml.writeEndDocument();
    return out;
}

namespace {

void writeOutlines(QXmlStreamWriter &xml, const QString &heading, const std::vector<const SiteRecord *> &sites)
{
    if (sites.empty())
        return;
    xml.writeStartElement(QStringLiteral("outline"));
    xml.writeAttribute(QStringLiteral("text"), xmlText(heading));
    for (const SiteRecord *site : sites) {
        xml.writeEmptyElement(QStringLiteral("outline"));
        xml.writeAttribute(QStringLiteral("text"), xmlText(ShownName(*site)));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("link"));
        xml.writeAttribute(QStringLiteral("url"), urlOf(*site));
        if (site->GetAdded() != 0)
            xml.writeAttribute(QStringLiteral("created"), rfc822Time(site->GetAdded()));
    }
    xml.writeEndElement();
}

} // namespace

QByteArray BuildOpmlBlogroll(const LinkSource &source, const FeedSettings &settings)
{
    std::int64_t modified = 0;
    for (const SiteRecord &site : source.sites())
        modified = std::max(modified, changedOf(site));
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("opml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("head"));
    xml.writeTextElement(QStringLiteral("title"), xmlText(titleOf(settings)));
    if (modified != 0)
        xml.writeTextElement(QStringLiteral("dateModified"), rfc822Time(modified));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("body"));
    const KeywordList &keywords = source.keywords();
    for (auto keyword = keywords.begin() + 1; keyword != keywords.end(); ++keyword) {
        if (!keyword->isEmpty())
            writeOutlines(xml, CodePage::toTypedText(*keyword), source.carrying(*keyword, RegionOrder::Register));
    }
    writeOutlines(xml, WithoutKeywordHeading(), source.withoutKeyword(RegionOrder::Register));
    xml.writeEndDocument();
    return out;
}
