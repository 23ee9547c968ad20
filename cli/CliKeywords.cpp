#include "CliKeywords.h"

#include "CliCommands.h"
#include "CliReport.h"
#include "CliText.h"
#include "CodePage.h"
#include "KeywordEdits.h"
#include "KeywordList.h"
#include "KeywordTally.h"
#include "RegisterFiles.h"
#include "SiteDates.h"
#include "SiteEntry.h"
#include "SiteList.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {

// --format tsv|json: false with a usage error in `code` for any other.
bool formatOption(const QCommandLineParser &parser, bool &json, int &code)
{
    const QString format = parser.isSet(QStringLiteral("format")) ? parser.value(QStringLiteral("format")) : QStringLiteral("tsv");
    json = format == QLatin1String("json");
    if (json || format == QLatin1String("tsv"))
        return true;
    code = CliUsage(CliText::tr("知らない出力形式です: ") + format);
    return false;
}

// A keyword as given, as register bytes; false with the refusal in `code` (an empty one too).
bool keywordArgument(const QString &text, QByteArray &bytes, int &code)
{
    if (const FieldRefusal refused = EncodeKeyword(text, bytes); !refused.isEmpty()) {
        code = CliFail(refused.message);
        return false;
    }
    if (bytes.isEmpty())
        code = CliUsage(CliText::tr("キーワードが空です（キーワードを外すには remove-keyword）"));
    return !bytes.isEmpty();
}

QString shown(const QByteArray &keyword)
{
    return CodePage::toTypedText(keyword);
}

// The sites numbered `numbers`, as the register holds them; false, naming the first number
// that is none, in `code`.
bool chosenSites(const SiteList &sites, const QStringList &numbers, std::vector<SeenRecord> &chosen, int &code)
{
    for (const QString &text : numbers) {
        bool ok = false;
        const int number = text.toInt(&ok);
        const long long at = ok && number > 0 ? sites.positionOf(number) : -1;
        if (at < 0) {
            code = ok && number > 0 ? CliFail(CliText::tr("番号 %1 のサイトはありません。").arg(number))
                                    : CliUsage(CliText::tr("サイトの番号ではありません: ") + text);
            return false;
        }
        chosen.push_back({number, sites.at(std::size_t(at))});
    }
    return true;
}

// Writes the plan as one operation and tells what it did: each site changed on stdout, each one
// left alone on stderr.
int runPlan(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder, const KeywordPlan &plan)
{
    bool json = false;
    int code = ExitOk;
    if (!formatOption(parser, json, code))
        return code;
    // Dated as the window dates the same edit.
    std::vector<RecordUpdate> updates = plan.updates;
    const std::int64_t now = SiteClockNow();
    for (RecordUpdate &update : updates)
        update.record = StampedEdit(update.record, update.seen, now);
    std::vector<OperationStatus> statuses;
    const OperationResult result = updates.empty() ? OperationResult{} : RegisterFiles(folder).updateMany(updates, &statuses);
    QByteArray out;
    bool leftAlone = !plan.full.empty();
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        const RecordUpdate &update = updates[i];
        if (statuses[i] == OperationStatus::Done) {
            out += (json ? RecordAsJson(update.record, update.number, encoding)
                         : QByteArray::number(update.number) + '\t' + RecordAsTsv(update.record, encoding)) + '\n';
        } else if (statuses[i] != OperationStatus::Failed) {
            leftAlone = true;
            WriteError(CliText::tr("sitekanri-cli: 番号 %1 のサイトは他のプログラムで変更または削除されたため、そのままにしました。").arg(update.number));
        }
    }
    for (const SeenRecord &site : plan.full)
        WriteError(CliText::tr("sitekanri-cli: 番号 %1 のサイトはキーワードが 3 つとも埋まっているため、そのままにしました。").arg(site.number));
    if (const int written = CliWriteOut(out); written != ExitOk)
        return written;
    if (!result.done())
        return CliOperationFailed(result);
    return leftAlone ? ExitFailure : ExitOk;
}

// Every site carrying `from`, or the sites numbered `numbers` that do, renamed to `to`.
int rename(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder, const QByteArray &from,
           const QByteArray &to, const QStringList &numbers)
{
    SiteList sites;
    if (int code = CliLoadRegister(folder, sites))
        return code;
    if (!numbers.isEmpty()) {
        std::vector<SeenRecord> chosen;
        if (int code = ExitOk; !chosenSites(sites, numbers, chosen, code))
            return code;
        sites.clear();
        for (const SeenRecord &site : chosen)
            sites.push_back(site.seen, site.number);
    }
    if (std::none_of(sites.begin(), sites.end(), [&from](const SiteRecord &site) { return CarriesKeyword(site, from); }))
        return CliFail(CliText::tr("キーワード「%1」のサイトはありません。").arg(shown(from)));
    return runPlan(parser, encoding, folder, PlanKeywordRename(sites, from, to));
}

} // namespace

int RunKeywords(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder)
{
    const bool counts = parser.isSet(QStringLiteral("counts"));
    if (!counts && (parser.isSet(QStringLiteral("sort")) || parser.isSet(QStringLiteral("format"))))
        return CliUsage(CliText::tr("--sort と --format は --counts とともに使います"));
    const QString sort = parser.isSet(QStringLiteral("sort")) ? parser.value(QStringLiteral("sort")) : QStringLiteral("name");
    if (sort != QLatin1String("name") && sort != QLatin1String("count"))
        return CliUsage(CliText::tr("知らない並べ方です: ") + sort);
    bool json = false;
    int code = ExitOk;
    if (!formatOption(parser, json, code))
        return code;
    SiteList sites;
    if (int loaded = CliLoadRegister(folder, sites))
        return loaded;
    QByteArray out;
    if (!counts) {
        for (const QByteArray &keyword : BuildKeywordList(sites))
            out += TerminalText(EncodeRegisterBytes(keyword, encoding), encoding) + '\n';
        return CliWriteOut(out);
    }
    std::vector<KeywordCount> keywords = CountKeywords(sites);
    SortKeywords(keywords, sort == QLatin1String("count") ? KeywordOrder::Count : KeywordOrder::Name);
    for (const KeywordCount &keyword : keywords) {
        if (json)
            out += "{\"keyword\":\"" + JsonField(keyword.keyword, encoding) + "\",\"sites\":" + QByteArray::number(keyword.sites) + "}\n";
        else
            out += TsvField(keyword.keyword, encoding) + '\t' + QByteArray::number(keyword.sites) + '\n';
    }
    return CliWriteOut(out);
}

int RunRenameKeyword(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder,
                     const QStringList &arguments)
{
    QByteArray from, to;
    int code = ExitOk;
    if (!keywordArgument(arguments.value(0), from, code) || !keywordArgument(arguments.value(1), to, code))
        return code;
    return rename(parser, encoding, folder, from, to, {});
}

int RunRemoveKeyword(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder,
                     const QStringList &arguments)
{
    QByteArray keyword;
    int code = ExitOk;
    if (!keywordArgument(arguments.value(0), keyword, code))
        return code;
    return rename(parser, encoding, folder, keyword, QByteArray(), arguments.mid(1));
}

int RunAddKeyword(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder,
                  const QStringList &arguments)
{
    QByteArray keyword;
    int code = ExitOk;
    if (!keywordArgument(arguments.value(0), keyword, code))
        return code;
    SiteList sites;
    if (int loaded = CliLoadRegister(folder, sites))
        return loaded;
    std::vector<SeenRecord> chosen;
    if (!chosenSites(sites, arguments.mid(1), chosen, code))
        return code;
    return runPlan(parser, encoding, folder, PlanKeywordSet(chosen, keyword));
}
