#include "LinkCodeDocument.h"

#include "CodePage.h"
#include "SaveFailure.h"

#include <QDir>

namespace {

QByteArray encoded(const QString &text, LinkCodeEncoding encoding)
{
    if (encoding == LinkCodeEncoding::Utf8)
        return text.toUtf8();
    QByteArray out;
    if (CodePage::fromText(text, out))
        return out;
    out.clear();
    for (char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        QByteArray bytes;
        if (CodePage::fromText(one, bytes))
            out += bytes;
        else
            out += "&#" + QByteArray::number(uint(c)) + ';';
    }
    return out;
}

QByteArray pageAround(const QByteArray &body, const LinkCodeFormat &format)
{
    // Shift_JIS is the name browsers know for this code page.
    const QByteArray charset = format.encoding == LinkCodeEncoding::Utf8 ? "UTF-8" : "Shift_JIS";
    // One line, whatever was pasted into the title field.
    QString title = format.title.simplified();
    if (title.isEmpty())
        title = LinkCodeFormat::DefaultLinkPageTitle();
    title = title.toHtmlEscaped();
    QByteArray page = "<!DOCTYPE html>\r\n<html lang=\"ja\">\r\n<head>\r\n<meta charset=\"" + charset
        + "\">\r\n<title>" + encoded(title, format.encoding) + "</title>\r\n</head>\r\n<body>\r\n";
    page += body;
    page += "</body>\r\n</html>\r\n";
    return page;
}

} // namespace

QByteArray BuildLinkCodeDocument(const QByteArray &code, const LinkCodeFormat &format)
{
    const QByteArray body = format.encoding == LinkCodeEncoding::Utf8 ? CodePage::toText(code).toUtf8() : code;
    return format.asPage ? pageAround(body, format) : body;
}

QByteArray LinkCodeFromText(const QString &text)
{
    return encoded(text, LinkCodeEncoding::RegisterCodePage);
}

IoResult WriteLinkCodeDocument(const QString &path, const QByteArray &bytes)
{
    IoResult written = SaveWhole(path, bytes, SaveWording::Sentence);
    if (!written)
        written.file = QDir::toNativeSeparators(written.file);
    return written;
}
