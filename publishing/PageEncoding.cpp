#include "PageEncoding.h"

#include "CodePage.h"
#include "PublishingText.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

// Where a page's declaration is looked for: its head, with room for long comments and scripts.
constexpr qsizetype kDeclarationBytes = 64 * 1024;

const char *decoderOf(PageEncoding::Kind kind)
{
    switch (kind) {
    case PageEncoding::Kind::Utf8: return "UTF-8";
    case PageEncoding::Kind::ShiftJis: return "Shift_JIS"; // Windows' table: what browsers read Shift_JIS in
    case PageEncoding::Kind::EucJp: return "EUC-JP";
    case PageEncoding::Kind::Ascii: return "US-ASCII";
    }
    return "UTF-8";
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool startsWithNoCase(QByteArrayView bytes, qsizetype at, QByteArrayView word)
{
    return at + word.size() <= bytes.size() && bytes.sliced(at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

// The attributes of the tag whose name ends at `at`, up to its '>': name (lower case) → value.
QHash<QByteArray, QByteArray> tagAttributes(QByteArrayView bytes, qsizetype at)
{
    QHash<QByteArray, QByteArray> attributes;
    while (at < bytes.size() && bytes[at] != '>') {
        while (at < bytes.size() && (isBlank(bytes[at]) || bytes[at] == '/'))
            ++at;
        const qsizetype nameStart = at;
        while (at < bytes.size() && !isBlank(bytes[at]) && bytes[at] != '=' && bytes[at] != '>' && bytes[at] != '/')
            ++at;
        const QByteArray name = bytes.sliced(nameStart, at - nameStart).toByteArray().toLower();
        while (at < bytes.size() && isBlank(bytes[at]))
            ++at;
        QByteArray value;
        if (at < bytes.size() && bytes[at] == '=') {
            ++at;
            while (at < bytes.size() && isBlank(bytes[at]))
                ++at;
            if (at < bytes.size() && (bytes[at] == '"' || bytes[at] == '\'')) {
                const char quote = bytes[at++];
                const qsizetype end = bytes.indexOf(quote, at);
                const qsizetype stop = end < 0 ? bytes.size() : end;
                value = bytes.sliced(at, stop - at).toByteArray();
                at = stop + 1;
            } else {
                const qsizetype valueStart = at;
                while (at < bytes.size() && !isBlank(bytes[at]) && bytes[at] != '>')
                    ++at;
                value = bytes.sliced(valueStart, at - valueStart).toByteArray();
            }
        }
        if (!name.isEmpty() && !attributes.contains(name))
            attributes.insert(name, value);
        else if (name.isEmpty() && at < bytes.size() && bytes[at] != '>')
            ++at;
    }
    return attributes;
}

// The charset parameter of a Content-Type value, "" when there is none.
QByteArray charsetParameter(const QByteArray &content)
{
    const qsizetype at = content.toLower().indexOf("charset");
    if (at < 0)
        return {};
    QByteArray rest = content.mid(at + 7).trimmed();
    if (!rest.startsWith('='))
        return {};
    rest = rest.mid(1).trimmed();
    if (rest.startsWith('"') || rest.startsWith('\''))
        rest = rest.mid(1);
    qsizetype end = 0;
    while (end < rest.size() && !isBlank(rest[end]) && rest[end] != ';' && rest[end] != '"' && rest[end] != '\'')
        ++end;
    return rest.left(end);
}

// The charset the first <meta> that names one declares (comments passed over), "" for none.
QByteArray declaredCharset(QByteArrayView page)
{
    const QByteArrayView head = page.first(std::min(page.size(), kDeclarationBytes));
    for (qsizetype at = head.indexOf('<'); at >= 0; at = head.indexOf('<', at + 1)) {
        if (startsWithNoCase(head, at, "<!--")) {
            const qsizetype end = head.indexOf("-->", at + 4);
            if (end < 0)
                return {};
            at = end + 2;
        } else if (startsWithNoCase(head, at, "<meta") && at + 5 < head.size() && (isBlank(head[at + 5]) || head[at + 5] == '/')) {
            const QHash<QByteArray, QByteArray> attributes = tagAttributes(head, at + 5);
            if (const QByteArray charset = attributes.value("charset").trimmed(); !charset.isEmpty())
                return charset;
            if (attributes.value("http-equiv").trimmed().toLower() == "content-type") {
                if (const QByteArray charset = charsetParameter(attributes.value("content")); !charset.isEmpty())
                    return charset;
            }
        }
    }
    return {};
}

bool among(const QByteArray &label, std::initializer_list<const char *> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char *name) { return label == name; });
}

// The page's encoding for a declared label; none when we cannot write in it.
std::optional<PageEncoding> forLabel(const QByteArray &raw)
{
    const QByteArray label = raw.trimmed().toLower();
    if (among(label, {"utf-8", "utf8", "unicode-1-1-utf-8"}))
        return PageEncoding(PageEncoding::Kind::Utf8);
    if (among(label, {"shift_jis", "shift-jis", "sjis", "x-sjis", "ms_kanji", "csshiftjis", "windows-31j", "cp932", "ms932"}))
        return PageEncoding(PageEncoding::Kind::ShiftJis);
    if (among(label, {"euc-jp", "x-euc-jp", "eucjp", "cseucpkdfmtjapanese"}))
        return PageEncoding(PageEncoding::Kind::EucJp);
    // Western encodings of one byte a character: ASCII below 0x80, and the rest of what we write
    // as references.
    const bool singleByte = label.startsWith("iso-8859-") || label.startsWith("windows-125")
        || among(label, {"us-ascii", "ascii", "latin1", "l1", "iso8859-1", "iso_8859-1", "cp1252"});
    if (singleByte && QStringDecoder(label.constData()).isValid())
        return PageEncoding(PageEncoding::Kind::Ascii, label);
    return std::nullopt;
}

// Whether `bytes` read in `name` without a byte that is no character (an unfinished one at the end
// included).
bool readsIn(const char *name, const QByteArray &bytes)
{
    QStringDecoder decoder(name, QStringDecoder::Flag::Stateless);
    // decode() is lazy: the text must be made for the errors to be known.
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

PageEncoding::PageEncoding(Kind kind, QByteArray decoderName)
    : m_kind(kind), m_decoderName(std::move(decoderName))
{
}

PageEncoding::Found PageEncoding::detect(const QByteArray &page)
{
    if (page.startsWith("\xEF\xBB\xBF"))
        return {PageEncoding(Kind::Utf8), {}};
    if (page.startsWith("\xFE\xFF") || page.startsWith("\xFF\xFE"))
        return {std::nullopt, PublishingText::tr("UTF-16 のページには書き込めません。")};
    if (const QByteArray label = declaredCharset(page); !label.isEmpty()) {
        if (std::optional<PageEncoding> known = forLabel(label))
            return {known, {}};
        return {std::nullopt, PublishingText::tr("このページの文字コード（%1）では書き込めません。").arg(QString::fromLatin1(label))};
    }
    if (std::all_of(page.begin(), page.end(), [](char c) { return uchar(c) < 0x80; }))
        return {PageEncoding(Kind::Ascii), {}};
    // Text of Shift_JIS or EUC-JP is almost never valid UTF-8 as well, but the two often read in
    // each other: that is no guess we make.
    if (readsIn("UTF-8", page))
        return {PageEncoding(Kind::Utf8), {}};
    const bool shiftJis = readsIn("Shift_JIS", page), eucJp = readsIn("EUC-JP", page);
    if (shiftJis != eucJp)
        return {PageEncoding(shiftJis ? Kind::ShiftJis : Kind::EucJp), {}};
    return {std::nullopt,
            shiftJis ? PublishingText::tr("文字コードが Shift_JIS か EUC-JP か分かりません。<meta charset=\"…\"> で示してください。")
                     : PublishingText::tr("文字コードが分かりません（UTF-8、Shift_JIS、EUC-JP のどれでも読めません）。")};
}

QString PageEncoding::name() const
{
    if (m_kind == Kind::Ascii && !m_decoderName.isEmpty())
        return QString::fromLatin1(m_decoderName);
    return QString::fromLatin1(decoderOf(m_kind));
}

QString PageEncoding::decode(QByteArrayView bytes) const
{
    if (m_kind == Kind::ShiftJis)
        return CodePage::toText(bytes.toByteArray());
    QStringDecoder decoder(m_kind == Kind::Ascii && !m_decoderName.isEmpty() ? m_decoderName.constData() : decoderOf(m_kind));
    return decoder.decode(bytes);
}

QByteArray PageEncoding::fromText(QStringView html) const
{
    // UTF-8 holds every character: one conversion, at the speed Qt's own has.
    if (m_kind == Kind::Utf8)
        return html.toUtf8();
    QByteArray out;
    out.reserve(html.size() + html.size() / 2);
    // Characters the encoding lacks are few and come again: each is tried once.
    QHash<char32_t, QByteArray> single;
    for (qsizetype i = 0; i < html.size();) {
        qsizetype end = i;
        while (end < html.size() && html[end].unicode() < 0x80)
            ++end;
        for (qsizetype k = i; k < end; ++k)
            out += char(html[k].unicode());
        i = end;
        while (end < html.size() && html[end].unicode() >= 0x80)
            ++end;
        if (end == i)
            continue;
        const QStringView run = html.sliced(i, end - i);
        i = end;
        if (m_kind != Kind::Ascii) {
            QStringEncoder whole(decoderOf(m_kind), QStringEncoder::Flag::Stateless);
            const QByteArray bytes = whole.encode(run);
            if (!whole.hasError()) {
                out += bytes;
                continue;
            }
        }
        for (char32_t c : run.toUcs4()) {
            auto known = single.constFind(c);
            if (known == single.constEnd()) {
                QByteArray bytes;
                if (m_kind != Kind::Ascii) {
                    QStringEncoder one(decoderOf(m_kind), QStringEncoder::Flag::Stateless);
                    bytes = one.encode(QString::fromUcs4(&c, 1));
                    if (one.hasError())
                        bytes.clear();
                }
                if (bytes.isEmpty())
                    bytes = "&#" + QByteArray::number(uint(c)) + ';';
                known = single.insert(c, bytes);
            }
            out += *known;
        }
    }
    return out;
}

QByteArray PageEncoding::fromRegisterHtml(const QByteArray &html) const
{
    if (m_kind == Kind::ShiftJis)
        return html;
    const bool ascii = std::all_of(html.begin(), html.end(), [](char c) { return uchar(c) < 0x80; });
    if (ascii && !html.contains("&#"))
        return html;
    return fromText(CodePage::toTypedText(html));
}
