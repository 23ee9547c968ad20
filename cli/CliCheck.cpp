#include "CliCheck.h"

#include "CliCommands.h"
#include "CliText.h"
#include "CodePage.h"
#include "KeywordList.h"
#include "LinkCheckRun.h"
#include "CliReport.h"
#include "RegisterFolder.h"
#include "SiteList.h"

#include <QCommandLineParser>
#include <QEventLoop>

#include <cstdio>
#include <optional>

#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

const QString kPrefix = QStringLiteral("sitekanri-cli: ");

int usageError(const QString &message)
{
    WriteError(kPrefix + message);
    WriteError(CliText::tr("使い方: sitekanri-cli check [--keyword キーワード] [--format tsv|json] [--timeout 秒数] "
                              "[--jobs 数]"));
    return ExitUsage;
}

int failure(const QString &message)
{
    WriteError(kPrefix + message);
    return ExitFailure;
}

struct CheckOptions
{
    bool json = false;
    QByteArray keyword = kAllKeywords;
    LinkCheckSettings settings;
};

int readOptions(const QCommandLineParser &parser, CheckOptions &options)
{
    const QString format = parser.isSet(QStringLiteral("format")) ? parser.value(QStringLiteral("format"))
                                                                   : QStringLiteral("tsv");
    if (format != QLatin1String("tsv") && format != QLatin1String("json"))
        return usageError(CliText::tr("知らない出力形式です: ") + format);
    options.json = format == QLatin1String("json");
    if (parser.isSet(QStringLiteral("timeout"))) {
        bool read = false;
        const double seconds = parser.value(QStringLiteral("timeout")).toDouble(&read);
        if (!read || !(seconds > 0) || seconds > 3600)
            return usageError(CliText::tr("--timeout には 0 より大きく 3600 以下の秒数を指定してください"));
        options.settings.timeoutMs = std::max(1, int(seconds * 1000));
    }
    if (parser.isSet(QStringLiteral("jobs"))) {
        bool read = false;
        const int jobs = parser.value(QStringLiteral("jobs")).toInt(&read);
        if (!read || jobs < 1 || jobs > 256)
            return usageError(CliText::tr("--jobs には 1 から 256 までの数を指定してください"));
        options.settings.jobs = jobs;
    }
    // Set but empty is the blank entry (sites with an empty keyword), as for links.
    if (parser.isSet(QStringLiteral("keyword"))
        && !CodePage::fromText(parser.value(QStringLiteral("keyword")), options.keyword))
        return failure(CliText::tr("キーワードに登録簿に保存できない文字が含まれています: ")
                       + parser.value(QStringLiteral("keyword")));
    return ExitOk;
}

// The number scripts give `update` and `delete` for the record at `position`.
int recordId(const SiteList &sites, std::size_t position)
{
    return sites.number(position);
}

QByteArray resultLine(const SiteList &sites, std::size_t position, const LinkResult &result, bool json,
                      OutputEncoding encoding)
{
    const SiteRecord &site = sites.at(position);
    const QByteArray id = QByteArray::number(recordId(sites, position));
    const QByteArray status = LinkStatusName(result.status).toLatin1();
    const QByteArray code = QByteArray::number(result.code);
    // Messages are the program's own text, which the code page holds; the final URL is ASCII.
    const QByteArray finalUrl = CodePage::fromKnownText(result.finalUrl);
    const QByteArray message = CodePage::fromKnownText(result.message);
    if (!json) {
        return id + '\t' + TsvField(site.GetName(), encoding) + '\t' + TsvField(site.GetUrl(), encoding) + '\t' + status
            + '\t' + code + '\t' + TsvField(finalUrl, encoding) + '\t' + TsvField(message, encoding) + '\n';
    }
    return "{\"id\":" + id + ",\"name\":\"" + JsonField(site.GetName(), encoding) + "\",\"url\":\""
        + JsonField(site.GetUrl(), encoding) + "\",\"status\":\"" + status + "\",\"code\":" + code
        + ",\"final_url\":\"" + JsonField(finalUrl, encoding) + "\",\"message\":\"" + JsonField(message, encoding)
        + "\"}\n";
}

// "確認中 12 / 294 件" on the last line of a terminal, redrawn as the check goes on and wiped
// before a result line is printed over it, so that results and progress never mix; nothing at
// all when stderr goes to a file or a pipe, which would keep every redraw.
class ProgressLine
{
public:
    ProgressLine() : m_shown(isatty(fileno(stderr)) != 0) {}
    void show(int done, int all)
    {
        m_text = CliText::tr("確認中 %1 / %2 件").arg(done).arg(all).toUtf8();
        draw();
    }
    void wipe() { put("\r\033[K"); }
    void draw() { put("\r" + m_text); }

private:
    void put(const QByteArray &bytes)
    {
        if (!m_shown || m_text.isEmpty())
            return;
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
        std::fflush(stderr);
    }

    bool m_shown;
    QByteArray m_text;
};

} // namespace

int RunCheck(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder)
{
    CheckOptions options;
    if (int code = readOptions(parser, options))
        return code;
    SiteList sites;
    if (int code = CliLoadRegister(folder, sites))
        return code;
    const QString resultsPath = folder.filePath(LinkResults::kFileName);

    std::vector<std::size_t> chosen; // positions, in register order
    for (std::size_t position = 0; position < sites.size(); ++position) {
        if (SiteMatchesKeyword(sites.at(position), options.keyword))
            chosen.push_back(position);
    }

    LinkCheckRun run;
    run.setSettings(options.settings);
    if (!run.results().load(resultsPath))
        WriteError(kPrefix + LinkResults::kFileName + CliText::tr(" を読めないため、これまでの結果は使いません。"));

    // Results come in the order they finish; lines go out in register order as soon as every
    // line before them is there: a script reads the register's order, as list gives it, and a
    // slow site holds back only the lines after it (the progress line shows the check goes on).
    std::vector<std::optional<LinkResult>> pending(chosen.size());
    std::size_t printed = 0;
    bool writeFailed = false;
    ProgressLine progress;
    progress.show(0, int(chosen.size()));
    QObject::connect(&run, &LinkCheckRun::progressed, [&](int done, int all) { progress.show(done, all); });
    QObject::connect(&run, &LinkCheckRun::linkChecked, [&](int index, const LinkResult &result) {
        pending[std::size_t(index)] = result;
        QByteArray out;
        for (; printed < pending.size() && pending[printed]; ++printed) {
            out += resultLine(sites, chosen[printed], *pending[printed], options.json, encoding);
            pending[printed].reset();
        }
        if (out.isEmpty())
            return;
        progress.wipe();
        if (!WriteOut(out)) {
            writeFailed = true;
            run.cancel();
        }
        progress.draw();
    });
    QEventLoop loop;
    QObject::connect(&run, &LinkCheckRun::finished, &loop, &QEventLoop::quit);
    run.start(sites, chosen);
    if (run.isRunning())
        loop.exec();
    progress.wipe();
    if (writeFailed)
        return failure(CliText::tr("標準出力に書き込めませんでした"));
    // Once for the run, however many sites it left unasked.
    if (run.networkFailed())
        WriteError(kPrefix + CliText::tr("ネットワークに接続できません（接続できなかったサイトはリンク切れとしません）"));

    if (folder.exists()) {
        if (IoResult saved = run.results().save(resultsPath, sites); !saved)
            return failure(CliText::tr("リンク確認の結果を保存できませんでした。") + saved.describe());
    }
    // A run that reached no host checked nothing: not a success for a script to build on.
    return run.wasOffline() ? ExitFailure : ExitOk;
}
