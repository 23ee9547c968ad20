#include "LinkCodeBox.h"

#include "CodePage.h"
#include "LinkCodeDocument.h"

#include <QMimeData>

#include <algorithm>

LinkCodeBox::LinkCodeBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Read-only text still takes the focus from the keyboard, so that it can be selected and copied.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void LinkCodeBox::setLinkCode(const QString &code)
{
    replaceCode(code, LinkCodeFromText(code));
}

void LinkCodeBox::setLinkCode(const QByteArray &bytes)
{
    replaceCode(CodePage::toText(bytes), bytes);
}

void LinkCodeBox::replaceCode(const QString &code, const QByteArray &bytes)
{
    m_code = code;
    m_bytes = bytes;
    setPlainText(shownText(code));
    emit linkCodeChanged(code);
}

QString LinkCodeBox::shownText(const QString &code)
{
    m_cuts.clear();
    const QString notice = QString::fromUtf8("……［この行の残り %1 文字は表示していません。コピーと保存には含まれます］");
    QString shown;
    int position = 0; // in the box, where each line break (CRLF, LF or CR) counts one
    for (qsizetype start = 0; start <= code.size();) {
        qsizetype end = start;
        while (end < code.size() && code[end] != QLatin1Char('\n') && code[end] != QLatin1Char('\r'))
            ++end;
        qsizetype next = end;
        if (next < code.size())
            next += code[next] == QLatin1Char('\r') && next + 1 < code.size() && code[next + 1] == QLatin1Char('\n') ? 2 : 1;
        const qsizetype length = end - start;
        if (length <= kMaxShownLine) {
            shown += QStringView(code).sliced(start, next - start);
            position += int(length) + 1;
        } else {
            const QString text = notice.arg(length - kMaxShownLine);
            shown += QStringView(code).sliced(start, kMaxShownLine);
            shown += text;
            shown += QStringView(code).sliced(end, next - end);
            m_cuts.push_back({position + int(kMaxShownLine), int(text.size()), start + kMaxShownLine, length - kMaxShownLine});
            position += int(kMaxShownLine + text.size()) + 1;
        }
        if (next == code.size() && next == end)
            break;
        start = next;
    }
    return shown;
}

QMimeData *LinkCodeBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    const bool whole = cursor.selectionStart() == 0 && cursor.selectionEnd() == document()->characterCount() - 1;
    // The document's own plain text turns no-break spaces into spaces and CRLF into LF; the
    // selected text keeps every character and marks each line break with a paragraph separator.
    QString text = whole ? m_code : cursor.selectedText();
    if (!whole) {
        // A notice in the selection stands for the part of its line it hides.
        const int from = cursor.selectionStart(), to = cursor.selectionEnd();
        for (auto cut = m_cuts.rbegin(); cut != m_cuts.rend(); ++cut) {
            const int low = std::max(from, cut->noticeAt), high = std::min(to, cut->noticeAt + cut->noticeLength);
            if (low < high)
                text.replace(low - from, high - low, m_code.mid(cut->omittedFrom, cut->omittedLength));
        }
        text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    }
    auto *data = new QMimeData;
    data->setText(text);
    return data;
}
