#include "CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
// ICU's name for Windows' Japanese ANSI code page (NEC and IBM extensions included).
constexpr const char *kRegisterCodePage = "CP932";
} // namespace

namespace CodePage {

QString toText(const QByteArray &bytes)
{
    QStringDecoder decoder(kRegisterCodePage);
    return decoder.decode(bytes);
}

bool fromText(const QString &text, QByteArray &bytes)
{
    QStringEncoder encoder(kRegisterCodePage);
    bytes = encoder.encode(text);
    return !encoder.hasError();
}

QByteArray fromKnownText(const QString &text)
{
    QByteArray bytes;
    fromText(text, bytes);
    return bytes;
}

} // namespace CodePage
