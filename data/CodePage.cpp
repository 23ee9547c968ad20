#include "CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
// ICU's name for Windows' Japanese ANSI code page (NEC and IBM extensions included).
constexpr const char *kRegisterCodePage = "CP932";
} // namespace

namespace CodePage {

// Opening an ICU converter by name costs more than most conversions, and texts are decoded for
// every cell and every line shown, so each thread keeps one decoder. It is stateless: no
// half-read character is carried from one text into the next.
QString toText(const QByteArray &bytes)
{
    thread_local QStringDecoder decoder(kRegisterCodePage, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

// A fresh encoder each time: its error flag is the answer, and it cannot be cleared.
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

bool isLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

int charLength(const char *data, qsizetype size, qsizetype i)
{
    if (i + 1 >= size || !isLeadByte(static_cast<unsigned char>(data[i])))
        return 1;
    const auto trail = static_cast<unsigned char>(data[i + 1]);
    return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC) ? 2 : 1;
}

} // namespace CodePage
