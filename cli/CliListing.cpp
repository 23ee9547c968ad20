#include "CliListing.h"

#include "CliCommands.h"
#include "CliConflicts.h"
#include "CliReport.h"
#include "CliText.h"
#include "CodePage.h"
#include "KeywordList.h"
#include "SearchIndex.h"
#include "SearchQuery.h"
#include "SiteList.h"

#include <QCommandLineParser>

namespace {

struct ListFormat
{
    bool json = false;
    bool ids = false;
    bool dates = false; // tsv: the added and changed dates after the six fields
};

// --format and --ids, as list and search read them; false for a format that is none of ours.
bool readFormat(const QCommandLineParser &parser, ListFormat &format)
{
    const QString name = parser.isSet(QStringLiteral("format")) ? parser.value(QStringLiteral("format")) : QStringLiteral("tsv");
    format.json = name == QLatin1String("json");
    format.ids = parser.isSet(QStringLiteral("ids"));
    format.dates = parser.isSet(QStringLiteral("dates"));
    return format.json || name == QLatin1String("tsv");
}

int unknownFormat(const QCommandLineParser &parser)
{
    return CliUsage(CliText::tr("知らない出力形式です: ") + parser.value(QStringLiteral("format")));
}

} // namespace

int RunList(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder)
{
    ListFormat format;
    if (!readFormat(parser, format))
        return unknownFormat(parser);
    SiteList sites;
    if (int code = CliLoadRegister(folder, sites))
        return code;
    QByteArray out;
    for (std::size_t i = 0; i < sites.size(); ++i)
        out += RecordLine(sites.at(i), sites.number(i), format.json, format.ids, encoding, format.dates);
    return CliWriteOut(out + CliConflictLines(folder, sites, format.json, format.ids, encoding));
}

int RunSearch(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder, const QStringList &words)
{
    ListFormat format;
    if (!readFormat(parser, format))
        return unknownFormat(parser);
    const bool byKeyword = parser.isSet(QStringLiteral("keyword"));
    QByteArray keyword;
    if (byKeyword && !CodePage::fromTypedText(parser.value(QStringLiteral("keyword")), keyword))
        return CliFail(CliText::tr("キーワードに登録簿に保存できない文字が含まれています: ") + parser.value(QStringLiteral("keyword")));
    SiteList sites;
    if (int code = CliLoadRegister(folder, sites))
        return code;

    // The words as one line typed in the search box: the same folding, the same splitting.
    const SearchQuery query(words.join(u' '));
    const auto carries = [&](const SiteRecord &site) { return !byKeyword || CarriesKeyword(site, keyword); };
    QByteArray out;
    SearchIndex index(sites);
    for (const int row : index.find(query)) {
        if (carries(sites.at(std::size_t(row))))
            out += RecordLine(sites.at(std::size_t(row)), sites.number(std::size_t(row)), format.json, format.ids, encoding, format.dates);
    }
    out += CliConflictLines(folder, sites, format.json, format.ids, encoding, [&](const SiteRecord &site) {
        return carries(site) && SearchIndex(1, [&site](std::size_t) { return site; }).matches(0, query);
    });
    if (out.isEmpty())
        return ExitFailure;
    return CliWriteOut(out);
}
