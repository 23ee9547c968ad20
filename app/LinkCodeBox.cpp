#include "LinkCodeBox.h"

#include "CodePage.h"
#include "LinkCodeDocument.h"

#include <QMimeData>

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
    setPlainText(code);
    emit linkCodeChanged(code);
}

QMimeData *LinkCodeBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    const bool whole = cursor.selectionStart() == 0 && cursor.selectionEnd() == document()->characterCount() - 1;
    // The document's own plain text turns no-break spaces into spaces and CRLF into LF; the
    // selected text keeps every character and marks each line break with a paragraph separator.
    QString text = whole ? m_code : cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    auto *data = new QMimeData;
    data->setText(text);
    return data;
}
