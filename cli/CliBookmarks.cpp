#include "CliBookmarks.h"

#include "BookmarkExport.h"
#include "BookmarkTransfer.h"
#include "CliCommands.h"
#include "CliReport.h"
#include "CliText.h"
#include "CodePage.h"
#include "FileReason.h"
#include "ImportPlan.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"

#include <QCommandLineParser>
#include <QFile>

#include <cstdio>

namespace {

// A line of the summary for stdout. In CP932 a character the code page lacks (a title that was
// not imported for holding one) is shown as '?': the reason beside it names the character.
QByteArray encodedLine(const QString &line, OutputEncoding encoding)
{
    if (encoding == OutputEncoding::Utf8)
        return line.toUtf8();
    QByteArray out;
    if (CodePage::fromText(line, out))
        return out;
    out.clear();
    const QList<uint> codePoints = line.toUcs4();
    for (const uint codePoint : codePoints) {
        const char32_t one[1] = {char32_t(codePoint)};
        QByteArray bytes;
        out += CodePage::fromText(QString::fromUcs4(one, 1), bytes) ? bytes : QByteArray("?");
    }
    return out;
}

// A summary line names bookmark titles, which may be of any length and hold anything: cut to a
// line's worth, its control characters made visible.
QByteArray summaryLine(const QString &line, OutputEncoding encoding)
{
    constexpr qsizetype kMaxChars = 300;
    const QString shown = line.size() > kMaxChars ? line.left(kMaxChars) + CliText::tr("…") : line;
    return TerminalText(encodedLine(shown, encoding), encoding) + '\n';
}

} // namespace

int RunImport(const QCommandLineParser &parser, RegisterFolder &folder, const QString &file, OutputEncoding encoding)
{
    const QString order = parser.value(QStringLiteral("keyword-order"));
    const bool ordered = parser.isSet(QStringLiteral("keyword-order"));
    if (ordered && order != QLatin1String("tags") && order != QLatin1String("folders"))
        return CliUsage(CliText::tr("知らないキーワードの順です（tags か folders）: ") + order);
    SiteList sites;
    if (int code = CliLoadRegister(folder, sites))
        return code;
    const KnownSites isKnown = RegisterKnown(sites);

    BookmarkImport planned;
    if (file == QLatin1String("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return CliFail(CliText::tr("標準入力を読み込めませんでした: ") + FileReason(in));
        planned = PlanBookmarkImport(in, isKnown);
    } else {
        planned = PlanBookmarkFileImport(file, isKnown);
    }
    if (!planned.read.ok)
        return CliFail(file + QStringLiteral(": ") + planned.read.message);
    if (order == QLatin1String("folders"))
        planned.plan.arrangeKeywords(ImportKeywordOrder::FoldersFirst);
    else if (!ordered && planned.plan.orderMatters > 0)
        WriteError(CliText::tr("sitekanri-cli: タグとフォルダーを合わせて 3 個を超えるブックマークが %1 件あり、タグを先にキーワードにしました"
                                  "（フォルダーを先にするには --keyword-order folders）。")
                       .arg(planned.plan.orderMatters));

    // One operation for the whole file: a crash leaves the register as it was or with all of it.
    RegisterFiles files(folder);
    const OperationResult added = WritePlannedImport(planned, [&files](const PlannedRecords &records) {
        return files.addMany(records.size(), [&records](std::size_t i) { return records.at(i); });
    });
    if (!added.done())
        return CliOperationFailed(added);
    QByteArray out;
    for (const QString &line : planned.plan.summary())
        out += summaryLine(line, encoding);
    return CliWriteOut(out);
}

int RunExport(RegisterFolder &folder, const QString &file)
{
    SiteList sites;
    if (int code = CliLoadRegister(folder, sites))
        return code;
    if (file.isEmpty() || file == QLatin1String("-"))
        return CliWriteOut(TerminalHtml(ExportBookmarks(sites), OutputEncoding::Utf8));
    if (const IoResult saved = SaveBookmarkFile(sites, file); !saved)
        return CliFail(saved.describe());
    return ExitOk;
}
