// libFuzzer target for the register-file reader and writer. For any bytes:
// - parsing, writing and parsing again gives the same value for sections and keys found,
//   and writing that again gives the same bytes;
// - a value set (one the format can store) reads back as set, before and after a rewrite.
#include "CodePage.h"
#include "IniDocument.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void fail(const char *what, const QByteArray &section, const QByteArray &key, const QByteArray &a, const QByteArray &b)
{
    std::fprintf(stderr, "%s\n  section %s\n  key %s\n  %s\n  %s\n", what, section.toHex().constData(),
                 key.toHex().constData(), a.toHex().constData(), b.toHex().constData());
    std::abort();
}

// The written file as the code-page text the parser works on.
QByteArray asAnsi(const QByteArray &written, IniDocument::Encoding encoding)
{
    switch (encoding) {
    case IniDocument::Encoding::Ansi:
        return written;
    case IniDocument::Encoding::Utf8Bom:
        return CodePage::fromKnownText(QString::fromUtf8(written.mid(3)));
    case IniDocument::Encoding::Utf16LeBom:
        return CodePage::fromKnownText(QStringDecoder(QStringDecoder::Utf16LE).decode(written.mid(2)));
    case IniDocument::Encoding::Utf16BeBom:
        return CodePage::fromKnownText(QStringDecoder(QStringDecoder::Utf16BE).decode(written.mid(2)));
    }
    return written;
}

// Section and key names of a written file: every line of it is "[name]", "name=value" or "name".
// Each lookup scans the file, so a few lines are taken, spread over the file, rather than all, and
// a key is looked up in the section it was found in (with the register's own keys in a section
// taken): looking every key up in every section cost most of each input's time, for pairs that
// could only be absent both times.
constexpr std::size_t kNamesTaken = 4;
using Names = std::vector<std::pair<QByteArray, QByteArray>>;
void collectNames(const QByteArray &ansi, const std::vector<QByteArray> &ownKeys, Names &names)
{
    const QList<QByteArray> lines = ansi.split('\n');
    const qsizetype stride = std::max<qsizetype>(1, lines.size() / qsizetype(kNamesTaken));
    QByteArray section;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        const QByteArray text = line.endsWith('\r') ? line.chopped(1) : line;
        const bool header = text.startsWith('[') && text.endsWith(']');
        if (header)
            section = text.mid(1, text.size() - 2);
        // The line a stride lands on and the next, so that a header's first key is among them.
        if (i % stride > 1)
            continue;
        if (!header)
            names.emplace_back(section, text.left(text.indexOf('=') < 0 ? text.size() : text.indexOf('=')));
        else
            for (const QByteArray &key : ownKeys)
                names.emplace_back(section, key);
    }
}

QByteArray storable(QByteArray value)
{
    value.replace('\r', "").replace('\n', "").replace('\0', "");
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const IniDocument first = IniDocument::parse(bytes);
    const QByteArray written = first.serialize();
    const IniDocument second = IniDocument::parse(written);
    if (second.encoding() != first.encoding())
        fail("encoding changed on rewrite", {}, {}, bytes.left(4), written.left(4));
    if (second.serialize() != written)
        fail("second write differs", {}, {}, written, second.serialize());

    const std::vector<QByteArray> sections{QByteArrayLiteral("DATA"), QByteArrayLiteral("SETTING")};
    const std::vector<QByteArray> keys{QByteArrayLiteral("NAME"), QByteArrayLiteral("INDATA"), QByteArrayLiteral("DATA_CNT")};
    Names names;
    for (const QByteArray &section : sections)
        for (const QByteArray &key : keys)
            names.emplace_back(section, key);
    collectNames(asAnsi(written, first.encoding()), keys, names);
    const QByteArray absent = QByteArrayLiteral("\x01<absent>");
    for (const auto &[section, key] : names) {
        const QByteArray a = first.value(section, key, absent), b = second.value(section, key, absent);
        if (a != b)
            fail("value changed on rewrite", section, key, a, b);
    }

    // Set one of the register's own keys to a value taken from the input's tail.
    const QByteArray section = names[size % names.size()].first;
    static const QByteArray ownKeys[] = {"NAME", "URL", "KEY1", "KEY2", "KEY3", "INDATA", "DATA_CNT"};
    const QByteArray &key = ownKeys[size % 7];
    QByteArray value = storable(bytes.right(48));
    // A Unicode file holds only what the code page can say, in its one spelling.
    if (first.encoding() != IniDocument::Encoding::Ansi)
        value = CodePage::fromKnownText(CodePage::toText(value).replace(QChar::ReplacementCharacter, QLatin1Char('?')));
    if (first.encoding() != IniDocument::Encoding::Ansi
        && (CodePage::fromKnownText(CodePage::toText(value)) != value
            || CodePage::fromKnownText(CodePage::toText(section + ' ')) != section + ' '))
        return 0; // nor can it hold a section name that its own bytes do not spell (the writer may add a blank)
    IniDocument edited = first;
    edited.setValue(section, key, value);
    if (edited.value(section, key) != value)
        fail("set value reads back otherwise", section, key, value, edited.value(section, key));
    const IniDocument reread = IniDocument::parse(edited.serialize());
    if (reread.value(section, key) != value)
        fail("set value reads back otherwise after a rewrite", section, key, value, reread.value(section, key));
    return 0;
}
