#include "PageComposer.h"

#include "CodePage.h"
#include "HtmlText.h"
#include "KeywordList.h"
#include "PageEncoding.h"
#include "PageMarkers.h"
#include "PublishingText.h"
#include "RecentSites.h"
#include "RegionCode.h"

#include <QFile>

#include <algorithm>

namespace {

// Bytes that take the place of [from, to) of the page.
struct Splice
{
    qsizetype from;
    qsizetype to;
    QByteArray bytes;
    bool list; // the code of a list region: compared for the summary
};

struct Filled
{
    QByteArray bytes;
    std::vector<QByteArrayView> lists; // into `bytes`
};

Filled applySplices(const QByteArray &base, std::vector<Splice> splices)
{
    std::sort(splices.begin(), splices.end(), [](const Splice &a, const Splice &b) { return a.from < b.from; });
    Filled filled;
    qsizetype size = base.size();
    for (const Splice &splice : splices)
        size += splice.bytes.size() - (splice.to - splice.from);
    filled.bytes.reserve(size);
    std::vector<std::pair<qsizetype, qsizetype>> lists;
    qsizetype kept = 0;
    for (const Splice &splice : splices) {
        filled.bytes.append(base.constData() + kept, splice.from - kept);
        if (splice.list)
            lists.emplace_back(filled.bytes.size(), splice.bytes.size());
        filled.bytes += splice.bytes;
        kept = splice.to;
    }
    filled.bytes.append(base.constData() + kept, base.size() - kept);
    for (const auto &[at, length] : lists)
        filled.lists.push_back(QByteArrayView(filled.bytes).sliced(at, length));
    return filled;
}

// The <link> that lets a browser or feed reader find the page's feed.
QString feedLink(const QString &title, const QString &href)
{
    if (href.isEmpty())
        return QString();
    return QStringLiteral("<link rel=\"alternate\" type=\"application/atom+xml\" title=\"%1\" href=\"%2\">")
        .arg(HtmlText::escape(title), HtmlText::escape(href));
}

// What one page is made of: its bytes with their markers, and what fills each region.
class Composition
{
public:
    Composition(const QByteArray &base, const PageEncoding &encoding, const PageMarkers &markers, const LinkSource &source,
                const PageSettings &settings)
        : m_base(base), m_lineEnd(LineEndOf(base))
    {
        SectionIds ids;
        const QString title = settings.title.simplified().isEmpty() ? DefaultPageTitle() : settings.title.simplified();
        for (const MarkedRegion &region : markers.regions) {
            switch (region.options.kind) {
            case RegionKind::List:
            case RegionKind::Sections: {
                const QByteArray code = ListRegionCode(region.options, source, encoding, m_lineEnd, ids);
                m_splices.push_back({region.from, region.to, m_lineEnd + code + region.indent, true});
                const std::optional<QByteArray> &keyword = region.options.keyword;
                if (keyword && !source.carries(*keyword))
                    m_warnings << PublishingText::tr("%1 行目: 「%2」というキーワードのサイトはありません。")
                                      .arg(region.line)
                                      .arg(CodePage::toTypedText(*keyword));
                break;
            }
            case RegionKind::Title:
                m_splices.push_back({region.from, region.to, encoding.fromText(HtmlText::escape(title)), false});
                break;
            case RegionKind::Updated:
                m_dates.push_back(m_splices.size());
                m_splices.push_back({region.from, region.to, {}, false});
                break;
            case RegionKind::Recent:
                m_splices.push_back({region.from, region.to,
                                     m_lineEnd + RecentRegionCode(region.options, source, encoding, m_lineEnd) + region.indent,
                                     false});
                break;
            case RegionKind::FeedLink:
                m_splices.push_back({region.from, region.to, encoding.fromText(feedLink(title, settings.feedHref)), false});
                break;
            }
        }
        m_title = encoding.fromText(HtmlText::escape(title));
    }

    const QStringList &warnings() const { return m_warnings; }
    const QByteArray &lineEnd() const { return m_lineEnd; }
    std::size_t dateCount() const { return m_dates.size(); }

    // The page with `dates` in its date regions, one for each (a blank one: today's), and with its
    // <title> the title when `ownTitle`.
    Filled fill(const std::vector<QByteArray> &dates, const QByteArray &today, bool ownTitle) const
    {
        std::vector<Splice> splices = m_splices;
        for (std::size_t i = 0; i < m_dates.size(); ++i) {
            const QByteArray &date = i < dates.size() ? dates[i] : QByteArray();
            splices[m_dates[i]].bytes = date.trimmed().isEmpty() ? today : date;
        }
        if (ownTitle) {
            const auto [from, to] = TitleTextOf(m_base);
            if (from >= 0)
                splices.push_back({from, to, m_title, false});
        }
        return applySplices(m_base, std::move(splices));
    }

private:
    const QByteArray &m_base;
    QByteArray m_lineEnd;
    QByteArray m_title;
    std::vector<Splice> m_splices;
    std::vector<std::size_t> m_dates; // which splices are dates
    QStringList m_warnings;
};

// What the date regions and list regions of `page` hold now.
void readRegions(const QByteArray &page, const PageMarkers &markers, std::vector<QByteArray> &dates,
                 std::vector<QByteArrayView> &lists)
{
    for (const MarkedRegion &region : markers.regions) {
        const QByteArrayView held = QByteArrayView(page).sliced(region.from, region.to - region.from);
        if (region.options.kind == RegionKind::Updated)
            dates.push_back(held.toByteArray());
        else if (region.options.kind == RegionKind::List || region.options.kind == RegionKind::Sections)
            lists.push_back(held);
    }
}

// `current` made anew from `base`: the dates it holds stay unless something else changes, when
// every date becomes today's.
ComposedPage compose(const QByteArray &base, const PageEncoding &encoding, const PageMarkers &markers,
                     const QByteArray *current, const LinkSource &source, const PageSettings &settings, bool ownPage)
{
    const Composition composition(base, encoding, markers, source, settings);
    std::vector<QByteArray> dates;
    std::vector<QByteArrayView> before;
    if (current) {
        const PageMarkers held = current == &base ? markers : FindMarkers(*current, encoding, settings.defaults);
        readRegions(*current, held, dates, before);
    }
    const QByteArray today = encoding.fromText(UpdatedText(source.today()));
    Filled filled = composition.fill(dates, today, ownPage);
    if (current && filled.bytes != *current && composition.dateCount() > 0)
        filled = composition.fill({}, today, ownPage);
    ComposedPage page;
    // Which sites a page gains or loses is told only of a page that changes.
    if (!current || filled.bytes != *current)
        page.changes = CompareEntries(before, filled.lists);
    page.bytes = std::move(filled.bytes);
    page.warnings = composition.warnings();
    return page;
}

ComposedPage refused(const QString &why)
{
    ComposedPage page;
    page.refusal = why;
    return page;
}

} // namespace

ComposedPage ComposeMarkedPage(const QByteArray &current, const LinkSource &source, const PageSettings &settings)
{
    const PageEncoding::Found encoding = PageEncoding::detect(current);
    if (!encoding.encoding)
        return refused(encoding.refusal);
    const PageMarkers markers = FindMarkers(current, *encoding.encoding, settings.defaults);
    if (!markers.ok())
        return refused(markers.describeRefusal());
    if (markers.regions.empty()) {
        ComposedPage page = refused(PublishingText::tr("<!-- sitekanri --> の目印がありません。"));
        page.unmarked = true;
        return page;
    }
    return compose(current, *encoding.encoding, markers, &current, source, settings, false);
}

ComposedPage ComposeOwnPage(const QByteArray &pageTemplate, const QByteArray *current, const LinkSource &source,
                            const PageSettings &settings)
{
    const PageEncoding::Found encoding = PageEncoding::detect(pageTemplate);
    if (!encoding.encoding)
        return refused(PublishingText::tr("ひな形: ") + encoding.refusal);
    const PageMarkers markers = FindMarkers(pageTemplate, *encoding.encoding, settings.defaults);
    if (!markers.ok())
        return refused(PublishingText::tr("ひな形: ") + markers.describeRefusal());
    return compose(pageTemplate, *encoding.encoding, markers, current, source, settings, true);
}

QByteArray DefaultPageTemplate()
{
    QFile file(QStringLiteral(":/publishing/page-template.html"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString DefaultPageTitle()
{
    return QString::fromUtf8("リンク集"); // output: the page's and the feed's title
}
