#include "RegionCode.h"

#include "CodePage.h"
#include "HtmlText.h"
#include "PageEncoding.h"
#include "RecentSites.h"
#include "SiteTexts.h"
#include "SiteList.h"
#include "SiteSort.h"

#include <QDateTime>
#include <QHash>
#include <QUrl>

#include <algorithm>

namespace {

struct Section
{
    QByteArray keyword; // empty for the sites without a keyword
    QString heading;
    QByteArray code;
};

QByteArray withLineEnds(QByteArray code, const QByteArray &lineEnd)
{
    // The generator ends every line with CRLF, and a register text holds no line break of its own.
    if (lineEnd != "\r\n")
        code.replace("\r\n", lineEnd);
    return code;
}

// A keyword as a heading shows it: text, not markup, with the characters CP932 lacks as themselves.
QString keywordHtml(const QByteArray &keyword)
{
    return HtmlText::escape(CodePage::toTypedText(keyword));
}

} // namespace

struct LinkSource::ByKeyword
{
    QHash<QByteArray, std::vector<const SiteRecord *>> sites;
    std::vector<const SiteRecord *> without;
};

LinkSource::LinkSource(const SiteList &sites, LinkExclusion dead, QDate today, std::int64_t now)
    : m_sites(sites), m_dead(std::move(dead)), m_today(today), m_now(now)
{
}

LinkSource::LinkSource(const SiteList &sites, LinkExclusion dead, QDate today)
    : LinkSource(sites, std::move(dead), today, QDateTime(today, QTime(0, 0), Qt::UTC).toSecsSinceEpoch())
{
}

LinkSource::~LinkSource() = default;

const KeywordList &LinkSource::keywords() const
{
    if (!m_keywords)
        m_keywords = std::make_unique<KeywordList>(BuildKeywordList(m_sites));
    return *m_keywords;
}

bool LinkSource::carries(const QByteArray &keyword) const
{
    const KeywordList &list = keywords();
    return keyword == kAllKeywords ? !m_sites.empty() : std::find(list.begin() + 1, list.end(), keyword) != list.end();
}

const std::vector<const SiteRecord *> &LinkSource::ordered(RegionOrder order) const
{
    const int at = int(order);
    if (m_orderedReady[at])
        return m_ordered[at];
    std::vector<const SiteRecord *> &sites = m_ordered[at];
    sites.reserve(m_sites.size());
    if (order == RegionOrder::Register) {
        for (const SiteRecord &site : m_sites)
            sites.push_back(&site);
    } else {
        const SiteField field = order == RegionOrder::ListName ? SiteField::Name : SiteField::Url;
        for (int row : SortedRows(m_sites, field, Qt::AscendingOrder))
            sites.push_back(&m_sites.at(std::size_t(row)));
    }
    m_orderedReady[at] = true;
    return sites;
}

const LinkSource::ByKeyword &LinkSource::byKeyword(RegionOrder order) const
{
    std::unique_ptr<ByKeyword> &index = m_byKeyword[int(order)];
    if (index)
        return *index;
    index = std::make_unique<ByKeyword>();
    for (const SiteRecord *site : ordered(order)) {
        bool any = false;
        const QByteArray *held[] = {&(site->*kKeyword1Text), &(site->*kKeyword2Text), &(site->*kKeyword3Text)};
        for (int i = 0; i < 3; ++i) {
            const QByteArray &keyword = *held[i];
            // A site is listed once under each keyword, however many of its fields hold it.
            if (keyword.isEmpty() || keyword == kAllKeywords || (i > 0 && keyword == *held[0]) || (i > 1 && keyword == *held[1]))
                continue;
            index->sites[keyword].push_back(site);
            any = true;
        }
        if (!any)
            index->without.push_back(site);
    }
    return *index;
}

const std::vector<const SiteRecord *> &LinkSource::carrying(const QByteArray &keyword, RegionOrder order) const
{
    static const std::vector<const SiteRecord *> none;
    const ByKeyword &index = byKeyword(order);
    const auto found = index.sites.constFind(keyword);
    return found == index.sites.constEnd() ? none : *found;
}

const std::vector<const SiteRecord *> &LinkSource::withoutKeyword(RegionOrder order) const
{
    return byKeyword(order).without;
}

QString WithoutKeywordHeading()
{
    return QString::fromUtf8("キーワードなし"); // output: a heading of the page's code
}

QByteArray ListRegionCode(const RegionOptions &options, const LinkSource &source, const PageEncoding &encoding,
                          const QByteArray &lineEnd, SectionIds &ids)
{
    const LinkExclusion leftOut = options.skipDead ? source.dead() : LinkExclusion();
    const NewSiteMark mark = NewMarkOf(options, source);
    if (options.kind != RegionKind::Sections) {
        const QByteArray code = BuildLinkCode(source.ordered(options.order), options.keyword.value_or(kAllKeywords),
                                              options.mode, leftOut, mark);
        return withLineEnds(encoding.fromRegisterHtml(code), lineEnd);
    }
    // A keyword all of whose sites are left out gets no heading with nothing under it.
    std::vector<Section> sections;
    const KeywordList &keywords = source.keywords();
    for (auto keyword = keywords.begin() + 1; keyword != keywords.end(); ++keyword) {
        if (keyword->isEmpty())
            continue;
        QByteArray code = BuildLinkCode(source.carrying(*keyword, options.order), *keyword, options.mode, leftOut, mark);
        if (!code.isEmpty())
            sections.push_back({*keyword, keywordHtml(*keyword), std::move(code)});
    }
    if (QByteArray code = BuildLinkCode(source.withoutKeyword(options.order), kAllKeywords, options.mode, leftOut, mark);
        !code.isEmpty())
        sections.push_back({QByteArray(), HtmlText::escape(WithoutKeywordHeading()), std::move(code)});

    std::vector<QString> anchors;
    for (const Section &section : sections)
        anchors.push_back(ids.idFor(section.keyword));
    QByteArray out;
    const auto line = [&](const QString &html) { out += encoding.fromText(html) + lineEnd; };
    if (options.contents && !sections.empty()) {
        line(QStringLiteral("<nav>"));
        line(QStringLiteral("<ul>"));
        for (std::size_t i = 0; i < sections.size(); ++i) {
            // A fragment of ASCII only, whatever the page's encoding: browsers match it to the id.
            const QString href = QString::fromLatin1(QUrl::toPercentEncoding(anchors[i], "-._~!$'()*+,;=:@/?"));
            line(QStringLiteral("<li><a href=\"#%1\">%2</a></li>").arg(HtmlText::escape(href), sections[i].heading));
        }
        line(QStringLiteral("</ul>"));
        line(QStringLiteral("</nav>"));
    }
    const QString level = QString::number(options.headingLevel);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        line(QStringLiteral("<section id=\"%1\">").arg(HtmlText::escape(anchors[i])));
        line(QStringLiteral("<h%1>%2</h%1>").arg(level, sections[i].heading));
        out += withLineEnds(encoding.fromRegisterHtml(sections[i].code), lineEnd);
        line(QStringLiteral("</section>"));
    }
    return out;
}

NewSiteMark NewMarkOf(const RegionOptions &options, const LinkSource &source)
{
    NewSiteMark mark;
    mark.days = options.newDays;
    mark.now = source.now();
    mark.html = options.newMark;
    return mark;
}

QString UpdatedText(QDate date)
{
    return JapaneseDateHtml(date, DateStyle::Kanji);
}

QString SectionIds::idFor(const QByteArray &keyword)
{
    QString base = keyword.isEmpty() ? WithoutKeywordHeading() : CodePage::toTypedText(keyword);
    for (QChar &c : base) {
        if (c.isSpace())
            c = u'_';
    }
    QString id = base;
    for (int n = 2; m_taken.contains(id); ++n)
        id = base + QLatin1Char('-') + QString::number(n);
    m_taken.insert(id);
    return id;
}
