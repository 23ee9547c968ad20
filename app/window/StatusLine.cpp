#include "StatusLine.h"

#include "ShownText.h"
#include "CopyTakeIn.h"
#include "IoResult.h"
#include "OutsideText.h"

#include <QDir>

StatusLine::StatusLine(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("statusLine"));
    setAccessibleName(QStringLiteral("状態"));
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    hide(); // it takes no room until it has something to say
}

void StatusLine::showConflictsTakenIn(const std::vector<ConflictCopy> &copies)
{
    tell(ConflictsTakenInText(copies));
}

void StatusLine::showPassedOver(const std::vector<IoResult> &files)
{
    tell(PassedOverText(files));
}

void StatusLine::showLinkCodeSaved(const QString &path)
{
    tell(QStringLiteral("リンク集を %1 に保存しました。").arg(QDir::toNativeSeparators(path)));
}

void StatusLine::tell(const QString &text)
{
    setText(text);
    setAccessibleDescription(text);
    setVisible(!text.isEmpty());
}

QString ConflictsTakenInText(const std::vector<ConflictCopy> &copies)
{
    QStringList parts, far;
    for (const ConflictCopy &copy : copies) {
        // A sync tool named the copy after what another computer had: its name is text from
        // outside, and each message substitutes it once, with everything else in the same call.
        const QString file = OutsideText::inMessage(copy.file);
        if (copy.far && copy.isCount())
            far << QStringLiteral("%1 の登録件数 %2 はデータファイルの番号よりはるかに大きいため、%3 として読みました。")
                       .arg(file, QString::number(copy.count), QString::number(copy.readAs));
        else if (copy.far && copy.number > 0)
            far << QStringLiteral("「%1」を %2（番号が他のデータファイルよりはるかに大きいファイル）から番号 %3 のサイトとして取り込みました。")
                       .arg(ShownName(copy.record), file, QString::number(copy.number));
        else if (copy.far)
            far << QStringLiteral("%1 は登録済みのサイトと同じため削除しました。").arg(file);
        else if (copy.number > 0)
            parts << QStringLiteral("「%1」を %2 から番号 %3 のサイトとして取り込みました。")
                         .arg(ShownName(copy.record), file, QString::number(copy.number));
        else if (copy.isCount())
            parts << QStringLiteral("%1 の登録件数を取り込みました。").arg(file);
        else
            parts << QStringLiteral("%1 は登録済みのサイトと同じため削除しました。").arg(file);
    }
    if (!parts.isEmpty())
        far.prepend(QStringLiteral("同期ツールの競合コピー: ") + parts.join(QLatin1Char(' ')));
    return far.join(QLatin1Char(' '));
}

QString PassedOverText(const std::vector<IoResult> &files)
{
    QStringList parts;
    for (const IoResult &file : files)
        parts << QStringLiteral("%1 は一覧に入れていません（%2）。").arg(OutsideText::inMessage(QDir::toNativeSeparators(file.file)), file.reason);
    return parts.join(u' ');
}
