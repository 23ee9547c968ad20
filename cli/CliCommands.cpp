#include "CliCommands.h"

#include "AppDirectory.h"
#include "CliCheck.h"
#include "CodePage.h"
#include "KeywordList.h"
#include "LinkCode.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "SiteEntry.h"
#include "SiteStore.h"

#include <QCommandLineParser>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

namespace {

const QString kProgram = QStringLiteral("sitekanri-cli");

struct CliContext
{
    const QCommandLineParser &parser;
    OutputEncoding encoding;
};

struct CliCommand
{
    QString name;
    QStringList options; // the command's own options (the global ones are always allowed)
    std::function<int(const CliContext &)> run;
};

int fail(const QString &message)
{
    WriteError(kProgram + QStringLiteral(": ") + message);
    return ExitFailure;
}

QString usageText()
{
    return QStringLiteral("usage: sitekanri-cli [--dir DIR] [--encoding utf-8|cp932] COMMAND [options]\n"
                          "commands:\n"
                          "  list [--format tsv|json]\n"
                          "  add --name N --url U [--keyword1 K] [--keyword2 K] [--keyword3 K] [--content C]\n"
                          "  keywords\n"
                          "  links [--keyword K] [--mode name|content|name-and-content]\n"
                          "  check [--keyword K] [--format tsv|json] [--timeout SECONDS] [--jobs N]");
}

int usage(const QString &message)
{
    WriteError(kProgram + QStringLiteral(": ") + message);
    WriteError(usageText());
    return ExitUsage;
}

// A script reading the output must not take a cut-off listing (full disk, closed pipe) for all of it.
int writeOut(const QByteArray &bytes)
{
    if (!WriteOut(bytes))
        return fail(QStringLiteral("cannot write to standard output: ") + QString::fromLocal8Bit(std::strerror(errno)));
    return ExitOk;
}

int loadRegister(SiteStore &store)
{
    if (IoResult loaded = store.Load(); !loaded)
        return fail(QStringLiteral("データを読み込めませんでした。") + loaded.describe());
    return ExitOk;
}

int runList(const CliContext &context)
{
    const QString format = context.parser.isSet(QStringLiteral("format"))
        ? context.parser.value(QStringLiteral("format")) : QStringLiteral("tsv");
    if (format != QLatin1String("tsv") && format != QLatin1String("json"))
        return usage(QStringLiteral("unknown format: ") + format);
    SiteStore store;
    if (int code = loadRegister(store))
        return code;
    const bool json = format == QLatin1String("json");
    QByteArray out;
    for (const SiteRecord &record : store.m_sites)
        out += (json ? RecordAsJson(record, context.encoding) : RecordAsTsv(record, context.encoding)) + '\n';
    return writeOut(out);
}

int runAdd(const CliContext &context)
{
    const QCommandLineParser &p = context.parser;
    SiteFields fields{p.value(QStringLiteral("name")),     p.value(QStringLiteral("url")),
                            p.value(QStringLiteral("keyword1")), p.value(QStringLiteral("keyword2")),
                            p.value(QStringLiteral("keyword3")), p.value(QStringLiteral("content"))};
    if (const FieldRefusal missing = CheckRequiredFields(fields); !missing.isEmpty())
        return fail(missing.message);
    CompleteSiteUrl(fields);
    SiteRecord record;
    if (const FieldRefusal refused = EncodeSiteFields(fields, record); !refused.isEmpty())
        return fail(refused.message);

    RegisterFolder folder(QFile::encodeName(AppDirectory()));
    RegisterFiles files(folder);
    const OperationResult added = files.add(record);
    if (!added.done())
        return fail(QStringLiteral("データを保存できませんでした。") + added.io.describe());
    return writeOut(QByteArray::number(added.number) + '\n');
}

int runKeywords(const CliContext &context)
{
    SiteStore store;
    if (int code = loadRegister(store))
        return code;
    QByteArray out;
    for (const QByteArray &keyword : BuildKeywordList(store.m_sites))
        out += EncodeRegisterBytes(keyword, context.encoding) + '\n';
    return writeOut(out);
}

int runLinks(const CliContext &context)
{
    const QCommandLineParser &p = context.parser;
    const QString modeName = p.isSet(QStringLiteral("mode")) ? p.value(QStringLiteral("mode")) : QStringLiteral("name");
    LinkCodeMode mode = LinkCodeMode::Name;
    if (modeName == QLatin1String("content"))
        mode = LinkCodeMode::Content;
    else if (modeName == QLatin1String("name-and-content"))
        mode = LinkCodeMode::NameAndContent;
    else if (modeName != QLatin1String("name"))
        return usage(QStringLiteral("unknown mode: ") + modeName);
    // Set but empty is the blank entry (sites with an empty keyword), not the default.
    QByteArray filter = kAllKeywords;
    if (p.isSet(QStringLiteral("keyword")) && !CodePage::fromTypedText(p.value(QStringLiteral("keyword")), filter))
        return fail(QStringLiteral("the keyword holds characters the register cannot store: ")
                    + p.value(QStringLiteral("keyword")));
    SiteStore store;
    if (int code = loadRegister(store))
        return code;
    return writeOut(EncodeRegisterBytes(BuildLinkCode(store.m_sites, filter, mode), context.encoding));
}

std::vector<CliCommand> commands()
{
    return {
        {QStringLiteral("list"), {QStringLiteral("format")}, runList},
        {QStringLiteral("add"),
         {QStringLiteral("name"), QStringLiteral("url"), QStringLiteral("keyword1"), QStringLiteral("keyword2"),
          QStringLiteral("keyword3"), QStringLiteral("content")},
         runAdd},
        {QStringLiteral("keywords"), {}, runKeywords},
        {QStringLiteral("links"), {QStringLiteral("keyword"), QStringLiteral("mode")}, runLinks},
        {QStringLiteral("check"),
         {QStringLiteral("keyword"), QStringLiteral("format"), QStringLiteral("timeout"), QStringLiteral("jobs")},
         [](const CliContext &c) { return RunCheck(c.parser, c.encoding); }},
    };
}

QCommandLineOption valueOption(const QString &name)
{
    return QCommandLineOption(name, QString(), QStringLiteral("value"));
}

} // namespace

int RunCli(const QStringList &arguments)
{
    const std::vector<CliCommand> table = commands();
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QStringList known{QStringLiteral("dir"), QStringLiteral("encoding")};
    for (const CliCommand &command : table) {
        for (const QString &option : command.options) {
            if (!known.contains(option))
                known << option;
        }
    }
    for (const QString &option : known)
        parser.addOption(valueOption(option));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(help))
        return writeOut((usageText() + QLatin1Char('\n')).toUtf8());

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usage(positional.isEmpty() ? QStringLiteral("no command given") : QStringLiteral("too many arguments"));
    const auto command = std::find_if(table.begin(), table.end(),
                                      [&](const CliCommand &c) { return c.name == positional.first(); });
    if (command == table.end())
        return usage(QStringLiteral("unknown command: ") + positional.first());
    for (const QString &option : parser.optionNames()) {
        if (option != QLatin1String("dir") && option != QLatin1String("encoding") && !command->options.contains(option))
            return usage(QStringLiteral("--") + option + QStringLiteral(" does not apply to ") + command->name);
    }

    OutputEncoding encoding = OutputEncoding::Utf8;
    const QString encodingName = parser.value(QStringLiteral("encoding")).toLower();
    if (encodingName == QLatin1String("cp932") || encodingName == QLatin1String("shift_jis"))
        encoding = OutputEncoding::Cp932;
    else if (!encodingName.isEmpty() && encodingName != QLatin1String("utf-8") && encodingName != QLatin1String("utf8"))
        return usage(QStringLiteral("unknown encoding: ") + encodingName);
    if (parser.isSet(QStringLiteral("dir")))
        SetAppDirectory(parser.value(QStringLiteral("dir")));

    return command->run(CliContext{parser, encoding});
}
