#include "LinkCodeDocument.h"

#include "CodePage.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

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

// `cutShort`: the file took fewer bytes than it was given, which a full disk does without any
// error of its own.
QString failureReason(const QSaveFile &file, const QString &path, bool cutShort)
{
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return QString::fromUtf8("保存先のフォルダーがありません。");
    if (target.isDir())
        return QString::fromUtf8("同じ名前のフォルダーがあります。");
    if (!folder.isWritable() || (target.exists() && !target.isWritable()))
        return QString::fromUtf8("書き込む権限がありません。");
    // The system's own words, untranslated, name what the sentence cannot guess.
    const QString detail = file.error() == QFileDevice::NoError ? QString()
                                                                : QString::fromUtf8("（%1）").arg(file.errorString());
    if (cutShort || file.error() == QFileDevice::WriteError || file.error() == QFileDevice::ResourceError)
        return QString::fromUtf8("書き込めませんでした。ディスクの空きが足りないかもしれません。") + detail;
    return QString::fromUtf8("ファイルを書き込めませんでした。") + detail;
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
    QSaveFile file(path);
    const bool opened = file.open(QIODevice::WriteOnly);
    const bool written = opened && file.write(bytes) == bytes.size();
    if (written && file.commit())
        return IoResult::success();
    const QString reason = failureReason(file, path, opened && !written);
    file.cancelWriting();
    return IoResult::failure(QDir::toNativeSeparators(path), reason);
}
