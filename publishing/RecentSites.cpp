#include "RecentSites.h"

#include "HtmlText.h"
#include "PageEncoding.h"
#include "RegionCode.h"
#include "SiteList.h"

#include <QDateTime>

#include <algorithm>

std::vector<const SiteRecord *> RecentSites(const SiteList &sites, int count)
{
    std::vector<const SiteRecord *> dated;
    for (const SiteRecord &site : sites) {
        if (site.GetAdded() != 0)
            dated.push_back(&site);
    }
    std::reverse(dated.begin(), dated.end());
    const auto newer = [](const SiteRecord *a, const SiteRecord *b) { return a->GetAdded() > b->GetAdded(); };
    const std::size_t taken = std::min(dated.size(), std::size_t(std::max(count, 0)));
    // Stable: the register's later record stays first among equals.
    std::stable_sort(dated.begin(), dated.end(), newer);
    dated.resize(taken);
    return dated;
}

QDate LocalDateOf(std::int64_t seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds).date();
}

QString JapaneseDateHtml(QDate date, DateStyle style)
{
    const QString shown = style == DateStyle::Kanji
        ? QString::fromUtf8("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day()) // output: in the page
        : date.toString(QStringLiteral("yyyy/MM/dd"));
    return QStringLiteral("<time datetime=\"%1\">%2</time>").arg(date.toString(Qt::ISODate), shown);
}

QByteArray RecentRegionCode(const RegionOptions &options, const LinkSource &source, const PageEncoding &encoding,
                            const QByteArray &lineEnd)
{
    const LinkExclusion leftOut = options.skipDead ? source.dead() : LinkExclusion();
    QByteArray entries;
    for (const SiteRecord *site : RecentSites(source.sites(), options.recentCount)) {
        // The generator writes the link itself, so that its URL is escaped as every list's is.
        QByteArray code = BuildLinkCode(std::vector<const SiteRecord *>{site}, kAllKeywords, options.mode, leftOut);
        if (code.isEmpty())
            continue;
        if (lineEnd != "\r\n")
            code.replace("\r\n", lineEnd);
        entries += encoding.fromText(JapaneseDateHtml(LocalDateOf(site->GetAdded()), options.dateStyle) + u' ');
        entries += encoding.fromRegisterHtml(code);
    }
    if (entries.isEmpty() || !options.recentHeading)
        return entries;
    const QString level = QString::number(options.headingLevel);
    return encoding.fromText(QStringLiteral("<section id=\"recent\">")) + lineEnd
        + encoding.fromText(QString::fromUtf8("<h%1>最近加えたサイト</h%1>").arg(level)) + lineEnd + entries // output
        + encoding.fromText(QStringLiteral("</section>")) + lineEnd;
}
