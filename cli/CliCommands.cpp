#include "CliCommands.h"

#include "AppDirectory.h"
#include "CliArguments.h"
#include "CliBookmarks.h"
#include "CliCheck.h"
#include "CliConflicts.h"
#include "CliFetch.h"
#include "CliKeywords.h"
#include "CliLinks.h"
#include "CliPublish.h"
#include "CliListing.h"
#include "CliReport.h"
#include "CliText.h"
#include "CodePage.h"
#include "CliSameSite.h"
#include "SiteIdentityNote.h"
#include "SiteTexts.h"
#include "SiteList.h"
#include "LinkCode.h"
#include "RegisterFiles.h"
#include "SiteDates.h"
#include "RegisterFolder.h"
#include "SiteRecord.h"
#include "SiteEntry.h"

#include <QCommandLineParser>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

namespace {

const QString kProgram = QStringLiteral("sitekanri-cli");
const QString kUsage = QStringLiteral(
    "使い方: sitekanri-cli [--dir フォルダー] [--encoding utf-8|cp932] コマンド [オプション]\n"
    "（--dir がなければ、ウィンドウと同じ登録簿: %1）\n"
    "コマンド:\n"
    "  list [--format tsv|json] [--ids] [--dates]   （登録されたとおりに出力: 名前と内容は HTML のまま。\n"
    "      json は登録日 added と更新日 changed も（UTC、不明は null）、tsv は --dates でその 2 列を末尾に）\n"
    "  search 語… [--format tsv|json] [--ids] [--dates] [--keyword K]   （ウィンドウの検索と同じ探し方）\n"
    "  add --name N --url U [--keyword1 K] [--keyword2 K] [--keyword3 K] [--content C] [--fetch]\n"
    "  update ID [--name N] [--url U] [--keyword1 K] [--keyword2 K] [--keyword3 K] [--content C]\n"
    "  delete ID\n"
    "  repair\n"
    "  keywords [--counts [--sort name|count] [--format tsv|json]]\n"
    "  rename-keyword 元のキーワード 新しいキーワード [--format tsv|json]\n"
    "  add-keyword キーワード ID… [--format tsv|json]\n"
    "  remove-keyword キーワード [ID…] [--format tsv|json]\n"
    "  links [--keyword K] [--mode name|content|name-and-content] [--skip-dead]\n"
    "        [--order register|list-name|list-url] [--new 日数 [--new-mark HTML]]\n"
    "  publish [--dry-run] [--upload] [FILE|FOLDER…]   （なければ、この登録簿の公開ページの一覧）\n"
    "  import FILE|- [--keyword-order tags|folders]\n"
    "  export [FILE]\n"
    "  check [--keyword K] [--format tsv|json] [--timeout SECONDS] [--jobs N]\n"
    "  --help | --version");

const QStringList kFieldOptions{QStringLiteral("name"),     QStringLiteral("url"),      QStringLiteral("keyword1"),
                                QStringLiteral("keyword2"), QStringLiteral("keyword3"), QStringLiteral("content")};

struct CliContext
{
    const QCommandLineParser &parser;
    OutputEncoding encoding;
    RegisterFolder &folder;
    QStringList arguments; // the command's own positional arguments
};

struct CliCommand
{
    QString name;
    QStringList options; // the command's own options (the global ones are always allowed)
    int arguments;       // how many positional arguments follow the command
    std::function<int(const CliContext &)> run;
    QString argumentName = CliText::tr("サイトの番号"); // for "… が必要です"
    bool argumentOptional = false;
    bool moreArguments = false; // the last argument may be given again and again
};

QString usageText()
{
    return kUsage.arg(AppDirectory());
}

int fail(const QString &message)
{
    WriteError(kProgram + QStringLiteral(": ") + message);
    return ExitFailure;
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
        return fail(CliText::tr("標準出力に書き込めませんでした: ") + SystemReason(errno));
    return ExitOk;
}

int loadRegister(RegisterFolder &folder, SiteList &sites)
{
    Reading<LoadedRegister> loaded = RegisterFiles(folder).load();
    if (!loaded)
        return fail(CliText::tr("データを読み込めませんでした。") + loaded.io.describe());
    sites = std::move(loaded.value.sites);
    for (const IoResult &passed : loaded.value.passedOver)
        WriteError(kProgram + QStringLiteral(": ") + passed.describe() + CliText::tr("。一覧に入れていません。"));
    if (loaded.value.farCount >= 0)
        WriteError(kProgram + QStringLiteral(": ") + CliFarCountText(folder, loaded.value.farCount, loaded.value.count));
    // Shown whole all the same: nothing is lost by reading it.
    if (loaded.value.damaged)
        WriteError(kProgram + QStringLiteral(": ") + folder.filePath(QStringLiteral("setting.ini"))
                   + CliText::tr(": 登録件数が読み取れません。変更するには sitekanri-cli repair で修復してください。"));
    return ExitOk;
}

// What an operation that did not get done tells the user.
int operationFailed(const OperationResult &result)
{
    switch (result.status) {
    case OperationStatus::RemovedElsewhere:
        return fail(CliText::tr("番号 %1 のサイトはありません。").arg(result.number));
    case OperationStatus::ChangedElsewhere:
        return fail(CliText::tr("番号 %1 のサイトは他のプログラムで変更されました。もう一度実行してください。")
                        .arg(result.number));
    default:
        return fail(CliText::tr("データを保存できませんでした。") + result.io.describe());
    }
}

// A record number as given on the command line; 0 when it is none.
int recordNumber(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok && number > 0 && text.at(0).isDigit() ? number : 0;
}

SiteFields givenFields(const QCommandLineParser &p)
{
    return SiteFields{p.value(QStringLiteral("name")),     p.value(QStringLiteral("url")),
                      p.value(QStringLiteral("keyword1")), p.value(QStringLiteral("keyword2")),
                      p.value(QStringLiteral("keyword3")), p.value(QStringLiteral("content"))};
}

int runAdd(const CliContext &context)
{
    SiteFields fields = givenFields(context.parser);
    CompleteSiteUrl(fields);
    // What the page says fills what was not given; a page that cannot be read is a warning
    // while the name was given.
    if (context.parser.isSet(QStringLiteral("fetch")) && !fields.url.trimmed().isEmpty()) {
        if (const QString problem = FillFromPage(fields); !problem.isEmpty())
            WriteError(kProgram + QStringLiteral(": ") + problem);
    }
    if (const FieldRefusal missing = CheckRequiredFields(fields); !missing.isEmpty())
        return fail(missing.message);
    SiteRecord record;
    if (const FieldRefusal refused = EncodeSiteFields(fields, record); !refused.isEmpty())
        return fail(refused.message);
    RegisterFiles files(context.folder);
    const OperationResult added = files.add(record);
    if (!added.done())
        return operationFailed(added);
    WarnOfSameSite(context.folder, files, added, record.GetUrl());
    return writeOut(QByteArray::number(added.number) + '\n');
}

int runUpdate(const CliContext &context)
{
    const int number = recordNumber(context.arguments.value(0));
    if (number == 0)
        return usage(CliText::tr("サイトの番号ではありません: ") + context.arguments.value(0));
    RegisterFiles files(context.folder);
    const Reading<std::optional<SiteRecord>> read = files.read(number);
    if (!read)
        return fail(CliText::tr("データを読み込めませんでした。") + read.io.describe());
    if (!read.value)
        return fail(CliText::tr("番号 %1 のサイトはありません。").arg(number));
    const SiteRecord &loaded = *read.value;

    // Only the fields given change; the others keep their bytes exactly, whatever they hold.
    const SiteFields given = givenFields(context.parser);
    SiteFields merged = DecodeSiteFields(loaded);
    for (const QString &option : kFieldOptions) {
        if (!context.parser.isSet(option))
            continue;
        const int i = int(kFieldOptions.indexOf(option));
        QString SiteFields::*const members[] = {&SiteFields::name,     &SiteFields::url,      &SiteFields::keyword1,
                                                &SiteFields::keyword2, &SiteFields::keyword3, &SiteFields::content};
        merged.*members[i] = given.*members[i];
    }
    if (const FieldRefusal missing = CheckRequiredFields(merged); !missing.isEmpty())
        return fail(missing.message);
    // A new URL is completed as the window completes it, so that its link works.
    SiteFields changed = given;
    if (context.parser.isSet(QStringLiteral("url")) && CompleteSiteUrl(merged))
        changed.url = merged.url;
    SiteRecord encoded;
    if (const FieldRefusal refused = EncodeSiteFields(changed, encoded); !refused.isEmpty())
        return fail(refused.message);
    SiteRecord record = loaded;
    for (std::size_t i = 0; i < kSiteTexts.size(); ++i) {
        if (context.parser.isSet(kFieldOptions[int(i)]))
            record.*kSiteTexts[i] = encoded.*kSiteTexts[i];
    }
    const OperationResult updated = files.update(number, StampedEdit(record, loaded), loaded);
    if (!updated.done())
        return operationFailed(updated);
    return ExitOk;
}

int runDelete(const CliContext &context)
{
    const int number = recordNumber(context.arguments.value(0));
    if (number == 0)
        return usage(CliText::tr("サイトの番号ではありません: ") + context.arguments.value(0));
    RegisterFiles files(context.folder);
    const OperationResult removed = files.remove(number);
    if (!removed.done())
        return operationFailed(removed);
    return ExitOk;
}

int runRepair(const CliContext &context)
{
    RegisterFiles files(context.folder);
    int printed = ExitOk;
    const QString setting = context.folder.filePath(QStringLiteral("setting.ini"));
    const OperationResult repaired = files.repair([&](int from, int to) {
        const QString was = from < 0 ? CliText::tr("読み取れない件数") : QString::number(from);
        printed = writeOut(CliText::tr("%1: DATA_CNT を %2 から %3 にします。\n").arg(setting, was, QString::number(to)).toUtf8());
    });
    if (!repaired.done())
        return operationFailed(repaired);
    CliTakeInCopies(context.folder);
    return printed;
}

std::vector<CliCommand> commands()
{
    return {
        {QStringLiteral("list"), {QStringLiteral("format"), QStringLiteral("ids"), QStringLiteral("dates")}, 0,
         [](const CliContext &c) { return RunList(c.parser, c.encoding, c.folder); }},
        {QStringLiteral("search"), {QStringLiteral("format"), QStringLiteral("ids"), QStringLiteral("dates"), QStringLiteral("keyword")}, 1,
         [](const CliContext &c) { return RunSearch(c.parser, c.encoding, c.folder, c.arguments); }, CliText::tr("検索語"),
         false, true},
        {QStringLiteral("add"), kFieldOptions + QStringList{QStringLiteral("fetch")}, 0, runAdd},
        {QStringLiteral("update"), kFieldOptions, 1, runUpdate},
        {QStringLiteral("delete"), {}, 1, runDelete},
        {QStringLiteral("repair"), {}, 0, runRepair},
        {QStringLiteral("keywords"), {QStringLiteral("counts"), QStringLiteral("sort"), QStringLiteral("format")}, 0,
         [](const CliContext &c) { return RunKeywords(c.parser, c.encoding, c.folder); }},
        {QStringLiteral("rename-keyword"), {QStringLiteral("format")}, 2,
         [](const CliContext &c) { return RunRenameKeyword(c.parser, c.encoding, c.folder, c.arguments); },
         CliText::tr("元のキーワードと新しいキーワード")},
        {QStringLiteral("add-keyword"), {QStringLiteral("format")}, 2,
         [](const CliContext &c) { return RunAddKeyword(c.parser, c.encoding, c.folder, c.arguments); },
         CliText::tr("キーワードとサイトの番号"), false, true},
        {QStringLiteral("remove-keyword"), {QStringLiteral("format")}, 1,
         [](const CliContext &c) { return RunRemoveKeyword(c.parser, c.encoding, c.folder, c.arguments); },
         CliText::tr("キーワード"), false, true},
        {QStringLiteral("links"),
         {QStringLiteral("keyword"), QStringLiteral("mode"), QStringLiteral("skip-dead"), QStringLiteral("order"),
          QStringLiteral("new"), QStringLiteral("new-mark")},
         0, [](const CliContext &c) { return RunLinks(c.parser, c.encoding, c.folder); }},
        {QStringLiteral("publish"), {QStringLiteral("dry-run"), QStringLiteral("upload")}, 1,
         [](const CliContext &c) { return RunPublish(c.parser, c.folder, c.arguments); }, QString(), true, true},
        {QStringLiteral("import"), {QStringLiteral("keyword-order")}, 1,
         [](const CliContext &c) { return RunImport(c.parser, c.folder, c.arguments.value(0), c.encoding); },
         CliText::tr("ブックマーク ファイル")},
        {QStringLiteral("export"), {}, 1,
         [](const CliContext &c) { return RunExport(c.folder, c.arguments.value(0)); }, QString(), true},
        {QStringLiteral("check"),
         {QStringLiteral("keyword"), QStringLiteral("format"), QStringLiteral("timeout"), QStringLiteral("jobs")}, 0,
         [](const CliContext &c) { return RunCheck(c.parser, c.encoding, c.folder); }},
    };
}

// Options that take no value.
const QStringList kFlags{QStringLiteral("ids"), QStringLiteral("dates"), QStringLiteral("fetch"), QStringLiteral("help"), QStringLiteral("counts"),
                         QStringLiteral("skip-dead"), QStringLiteral("version"), QStringLiteral("dry-run"), QStringLiteral("upload")};

} // namespace

int RunCli(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return RunCli(arguments, CliRawDirectory(argc, argv));
}

int RunCli(const QStringList &arguments, const QByteArray &rawDir)
{
    InstallSiteIdentityNote();
    const std::vector<CliCommand> table = commands();
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QStringList known{QStringLiteral("dir"), QStringLiteral("encoding"), QStringLiteral("help"), QStringLiteral("version")};
    for (const CliCommand &command : table) {
        for (const QString &option : command.options) {
            if (!known.contains(option))
                known << option;
        }
    }
    for (const QString &option : known)
        parser.addOption(option == QLatin1String("help") ? QCommandLineOption(QStringList{QStringLiteral("h"), option})
                         : kFlags.contains(option)           ? QCommandLineOption(option)
                                                             : QCommandLineOption(option, QString(), QStringLiteral("value")));
    if (!parser.parse(arguments))
        return usage(CliParseError(parser));
    if (parser.isSet(QStringLiteral("help"))) {
        WriteOut(usageText().toUtf8() + '\n');
        return ExitOk;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        WriteOut(QStringLiteral("サイト管理 sitekanri-cli %1\n").arg(QStringLiteral(SITEKANRI_VERSION)).toUtf8()); // output: the name
        return ExitOk;
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usage(CliText::tr("コマンドがありません"));
    const auto command = std::find_if(table.begin(), table.end(),
                                      [&](const CliCommand &c) { return c.name == positional.first(); });
    if (command == table.end())
        return usage(CliText::tr("知らないコマンドです: ") + positional.first());
    positional.removeFirst();
    if (positional.size() > command->arguments && !command->moreArguments)
        return usage(CliText::tr("引数が多すぎます"));
    if (positional.size() < command->arguments && !command->argumentOptional)
        return usage(command->name + CliText::tr(" には") + command->argumentName + CliText::tr("が必要です"));
    for (const QString &option : parser.optionNames()) {
        if (option != QLatin1String("dir") && option != QLatin1String("encoding") && !command->options.contains(option))
            return usage(QStringLiteral("--") + option + CliText::tr(" は ") + command->name + CliText::tr(" では使えません"));
    }

    OutputEncoding encoding = OutputEncoding::Utf8;
    const QString encodingName = parser.value(QStringLiteral("encoding")).toLower();
    if (encodingName == QLatin1String("cp932") || encodingName == QLatin1String("shift_jis"))
        encoding = OutputEncoding::Cp932;
    else if (!encodingName.isEmpty() && encodingName != QLatin1String("utf-8") && encodingName != QLatin1String("utf8"))
        return usage(CliText::tr("知らない文字コードです: ") + encodingName);

    QByteArray directory = AppDirectoryBytes();
    if (parser.isSet(QStringLiteral("dir"))) {
        directory = rawDir.isNull() ? QFile::encodeName(parser.value(QStringLiteral("dir"))) : rawDir;
        if (directory.isEmpty())
            return usage(CliText::tr("--dir にはフォルダーを指定してください"));
    }
    RegisterFolder folder(directory);
    // A name that is no folder is a mistake to report, not an empty register to list.
    if (IoResult opened = folder.open(RegisterFolder::Missing::ReadsEmpty); !opened)
        return fail(CliText::tr("データを読み込めませんでした。") + opened.describe());
    // What a sync tool set aside is taken back in by the next command that writes.
    if (QStringList{QStringLiteral("add"), QStringLiteral("update"), QStringLiteral("delete"), QStringLiteral("import"),
                    QStringLiteral("rename-keyword"), QStringLiteral("add-keyword"), QStringLiteral("remove-keyword")}
            .contains(command->name))
        CliTakeInCopies(folder);
    return command->run(CliContext{parser, encoding, folder, positional});
}

int CliFail(const QString &message) { return fail(message); }
int CliUsage(const QString &message) { return usage(message); }
int CliWriteOut(const QByteArray &bytes) { return writeOut(bytes); }
int CliLoadRegister(RegisterFolder &folder, SiteList &sites) { return loadRegister(folder, sites); }
int CliOperationFailed(const OperationResult &result) { return operationFailed(result); }
