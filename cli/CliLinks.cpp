#include "CliLinks.h"

#include "CliCommands.h"
#include "CliOutput.h"
#include "CliReport.h"
#include "CliText.h"
#include "CodePage.h"
#include "KeywordList.h"
#include "LinkCode.h"
#include "LinkCodeDocument.h"
#include "LinkResults.h"
#include "RegisterFolder.h"
#include "SiteClock.h"
#include "SiteList.h"
#include "SiteSort.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {

int usageError(const QString &message)
{
    WriteError(QStringLiteral("sitekanri-cli: ") + message);
    WriteError(CliText::tr("使い方: sitekanri-cli links [--keyword キーワード] [--mode name|content|name-and-content] "
                              "[--skip-dead] [--order register|list-name|list-url] [--new 日数 [--new-mark HTML]]"));
    return ExitUsage;
}

} // namespace

int RunLinks(const QCommandLineParser &p, OutputEncoding encoding, RegisterFolder &folder)
{
    const QString modeName = p.isSet(QStringLiteral("mode")) ? p.value(QStringLiteral("mode")) : QStringLiteral("name");
    LinkCodeMode mode = LinkCodeMode::Name;
    if (modeName == QLatin1String("content"))
        mode = LinkCodeMode::Content;
    else if (modeName == QLatin1String("name-and-content"))
        mode = LinkCodeMode::NameAndContent;
    else if (modeName != QLatin1String("name"))
        return usageError(CliText::tr("知らないモードです: ") + modeName);
    const QString order = p.isSet(QStringLiteral("order")) ? p.value(QStringLiteral("order")) : QStringLiteral("register");
    if (order != QLatin1String("register") && order != QLatin1String("list-name") && order != QLatin1String("list-url"))
        return usageError(CliText::tr("知らない並べ方です: ") + order);
    NewSiteMark newMark;
    if (p.isSet(QStringLiteral("new"))) {
        bool number = false;
        newMark.days = p.value(QStringLiteral("new")).toInt(&number);
        if (!number || newMark.days < 1 || newMark.days > NewSiteMark::kMaxDays)
            return usageError(CliText::tr("--new は 1 から %1 までの日数です: ").arg(NewSiteMark::kMaxDays)
                              + p.value(QStringLiteral("new")));
        newMark.now = SiteClockNow();
        if (p.isSet(QStringLiteral("new-mark")))
            newMark.html = LinkCodeFromText(p.value(QStringLiteral("new-mark")));
    } else if (p.isSet(QStringLiteral("new-mark"))) {
        return usageError(CliText::tr("--new-mark は --new と一緒にだけ使えます。"));
    }
    // Set but empty is the blank entry (sites with an empty keyword), not the default.
    QByteArray filter = kAllKeywords;
    if (p.isSet(QStringLiteral("keyword")) && !CodePage::fromTypedText(p.value(QStringLiteral("keyword")), filter))
        return CliFail(CliText::tr("キーワードに登録簿に保存できない文字が含まれています: ")
                       + p.value(QStringLiteral("keyword")));
    SiteList sites;
    if (int code = CliLoadRegister(folder, sites))
        return code;
    // A keyword no site carries would print an empty collection that a script takes for one.
    if (filter != kAllKeywords
        && std::none_of(sites.begin(), sites.end(), [&](const SiteRecord &site) { return CarriesKeyword(site, filter); }))
        return CliFail(CliText::tr("「%1」というキーワードのサイトはありません。").arg(p.value(QStringLiteral("keyword"))));

    // As リンク切れを除く: a results file that cannot be read leaves nothing out.
    LinkResults results;
    LinkExclusion leftOut;
    if (p.isSet(QStringLiteral("skip-dead"))) {
        if (!results.load(folder.filePath(LinkResults::kFileName)))
            WriteError(QStringLiteral("sitekanri-cli: ") + LinkResults::kFileName
                       + CliText::tr(" を読めないため、リンク切れを除かずに書きます。"));
        leftOut = [&results](const QByteArray &url) {
            const CheckedLink *checked = results.find(url);
            return checked && IsDeadLink(checked->result);
        };
    }
    if (order == QLatin1String("register"))
        return CliWriteOut(TerminalHtml(EncodeRegisterBytes(BuildLinkCode(sites, filter, mode, leftOut, newMark), encoding), encoding));
    const SiteField field = order == QLatin1String("list-name") ? SiteField::Name : SiteField::Url;
    std::vector<const SiteRecord *> sorted;
    sorted.reserve(sites.size());
    for (int row : SortedRows(sites, field, Qt::AscendingOrder))
        sorted.push_back(&sites.at(std::size_t(row)));
    return CliWriteOut(TerminalHtml(EncodeRegisterBytes(BuildLinkCode(sorted, filter, mode, leftOut, newMark), encoding), encoding));
}
