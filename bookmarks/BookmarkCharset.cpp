#include "BookmarkCharset.h"

#include "BookmarkText.h"

std::optional<QString> BookmarkCharset::declare(const QByteArray *charset, const QByteArray *content)
{
    if (charset)
        return take(*charset);
    if (!content)
        return std::nullopt;
    const qsizetype at = content->toLower().indexOf("charset=");
    if (at < 0)
        return std::nullopt;
    return take(content->mid(at + 8));
}

std::optional<QString> BookmarkCharset::take(QByteArray label)
{
    label = label.trimmed().toLower();
    if (label.startsWith('"') || label.startsWith('\''))
        label = label.mid(1);
    const qsizetype end = label.indexOf(';');
    label = (end >= 0 ? label.left(end) : label).trimmed();
    // A <META> that names UTF-16 was read as ASCII, so it is wrong about itself.
    if (label.isEmpty() || label == "utf-8" || label == "utf8" || label.startsWith("utf-16"))
        return std::nullopt;
    QStringDecoder decoder(label.constData(), QStringConverter::Flag::Stateless);
    // The markup was read as ASCII bytes; a charset that reads those bytes otherwise (UTF-7's
    // "+ADw-" is '<', EBCDIC's letters are other bytes) would give the text another markup.
    static const QByteArray ascii = [] {
        QByteArray bytes;
        for (char c = 0x20; c < 0x7F; ++c)
            bytes += c;
        return bytes;
    }();
    QStringDecoder probe(label.constData(), QStringConverter::Flag::Stateless);
    const QString readBack = probe.isValid() ? QString(probe.decode(ascii)) : QString();
    if (!decoder.isValid() || readBack != QLatin1String(ascii))
        return BookmarkText::tr("文字コード「%1」のファイルは読み込めません。").arg(QString::fromLatin1(label));
    m_name = label.toUpper();
    m_decoder = std::move(decoder);
    return std::nullopt;
}

BookmarkCharset::Text BookmarkCharset::decode(const QByteArray &bytes, qint64 line)
{
    Text read{m_decoder.decode(bytes), std::nullopt};
    if (m_decoder.hasError())
        read.failure = BookmarkText::tr("%1 として読めないバイトがあります（%2 行目）。")
                           .arg(QString::fromLatin1(m_name), QString::number(line));
    return read;
}
