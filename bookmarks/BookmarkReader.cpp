#include "BookmarkReader.h"

#include "HtmlText.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

enum class State {
    Data, TagOpen, EndTagOpen, TagName, BeforeAttrName, AttrName, AfterAttrName, BeforeAttrValue,
    ValueDouble, ValueSingle, ValueUnquoted, Declaration, DeclarationDash, Comment, Bogus,
};
enum class Tag { Other, A, H3, DL, DT, DD, Meta };
enum class Attr { None, Href, Tags, RootFolder, Charset, Content };
enum class Capture { None, Title, Folder, Description };

// One <DL> level. Only the folders a person named count for keywords; each level points at the
// nearest such folder at or above it, so a link's folders are found without walking the levels.
struct Level
{
    QString name;
    int nearestNamed;
    int namedCount;
};

constexpr qsizetype kChunk = 64 * 1024;
constexpr const char *kNotBookmarkFile = "ブックマークファイル（NETSCAPE-Bookmark-file-1）ではありません。";
constexpr int kNameCap = 24;
constexpr int kDeclarationCap = 64;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

QString message(const char *pattern)
{
    return QString::fromUtf8(pattern);
}

QString tooLarge(const BookmarkReadLimits &limits)
{
    const qint64 mib = 1024 * 1024;
    const QString size = limits.maxBytes >= mib ? QStringLiteral("%1 MB ").arg(limits.maxBytes / mib)
                                                : QString::fromUtf8("%1 バイト").arg(limits.maxBytes);
    return QString::fromUtf8("ファイルが大きすぎます（%1まで読み込めます）。").arg(size);
}

QString atLine(const char *pattern, qint64 line)
{
    return QString::fromUtf8(pattern).arg(line);
}

Tag classifyTag(const QByteArray &name)
{
    if (name == "a")
        return Tag::A;
    if (name == "h3")
        return Tag::H3;
    if (name == "dl")
        return Tag::DL;
    if (name == "dt")
        return Tag::DT;
    if (name == "dd")
        return Tag::DD;
    if (name == "meta")
        return Tag::Meta;
    return Tag::Other;
}

Attr classifyAttr(Tag tag, const QByteArray &name)
{
    switch (tag) {
    case Tag::A:
        return name == "href" ? Attr::Href : name == "tags" ? Attr::Tags : Attr::None;
    case Tag::H3:
        // The browsers' own top folders (toolbar, other bookmarks) say where a link sat, not
        // what it is about.
        return name == "personal_toolbar_folder" || name == "unfiled_bookmarks_folder" ? Attr::RootFolder
                                                                                       : Attr::None;
    case Tag::Meta:
        return name == "charset" ? Attr::Charset : name == "content" ? Attr::Content : Attr::None;
    default:
        return Attr::None;
    }
}

// The reader proper: a byte-at-a-time HTML tokenizer (bulk over text and quoted values) that
// keeps only what a bookmark needs, so its memory is the bookmarks, not the file.
class Scanner
{
public:
    Scanner(const BookmarkSink &sink, const BookmarkReadLimits &limits) : m_sink(sink), m_limits(limits) {}

    bool feed(const char *data, qsizetype size);
    void finish();
    bool failed() const { return !m_result.ok; }
    void fail(const QString &why);
    BookmarkReadResult result() const { return m_result; }

private:
    void step(char c);
    void countLinesTo(const char *position);
    void resolveTagName();
    void resolveAttrName();
    void storeValue();
    void endTag();
    void resetAttributes();
    void closeTag();
    void openTag();
    qint64 line();
    void declaration();
    void startCapture(Capture what);
    void endCapture();
    void closeItem();
    void pushLevel();
    void setCharset(QByteArray label);
    QString decode(const QByteArray &bytes, qint64 line);

    const BookmarkSink &m_sink;
    BookmarkReadLimits m_limits;
    BookmarkReadResult m_result;

    State m_state = State::Data;
    bool m_started = false;
    bool m_sawDoctype = false;
    bool m_sawStructure = false; // a later <META> no longer changes the charset
    bool m_charsetFixed = false;
    qint64 m_line = 1;
    const char *m_counted = nullptr;
    const char *m_position = nullptr; // the byte being read, for line numbers

    QByteArray m_name;
    bool m_endTagOpen = false;
    Tag m_tag = Tag::Other;
    QByteArray m_attrName;
    Attr m_attr = Attr::None;
    QByteArray m_value;
    QByteArray m_declaration;
    int m_dashes = 0;

    QByteArray m_href;
    bool m_hasHref = false;
    QByteArray m_tags;
    bool m_rootFolder = false;
    QByteArray m_metaCharset;
    QByteArray m_metaContent;

    Capture m_capture = Capture::None;
    QByteArray m_text;
    qint64 m_textLine = 0;

    Bookmark m_bookmark;
    bool m_hasBookmark = false;
    bool m_descriptionTaken = false;
    QString m_pendingFolder;
    bool m_hasPendingFolder = false;
    bool m_pendingRoot = false;
    std::vector<Level> m_levels;

    QByteArray m_charsetName = QByteArrayLiteral("UTF-8");
    QStringDecoder m_decoder{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
};

void Scanner::fail(const QString &why)
{
    if (m_result.ok)
        m_result = {false, why, m_result.bookmarks};
}

qint64 Scanner::line()
{
    countLinesTo(m_position);
    return m_line;
}

void Scanner::countLinesTo(const char *position)
{
    if (position > m_counted) {
        m_line += std::count(m_counted, position, '\n');
        m_counted = position;
    }
}

bool Scanner::feed(const char *data, qsizetype size)
{
    const char *p = data;
    const char *end = data + size;
    m_counted = data;
    m_position = data;
    if (!m_started && size > 0) {
        m_started = true;
        const auto byte = [&](qsizetype i) { return i < size ? static_cast<unsigned char>(data[i]) : 0u; };
        if ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF)) {
            fail(message("UTF-16 で書かれたファイルは読み込めません。UTF-8 で保存し直してください。"));
            return false;
        }
        if (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
            p += 3;
            m_charsetFixed = true; // a byte-order mark outranks any <META>
        }
    }
    if (const void *nul = std::memchr(p, 0, end - p)) {
        countLinesTo(static_cast<const char *>(nul));
        fail(atLine("ファイルに NUL 文字が含まれています（%1 行目）。ブックマークファイルではありません。", m_line));
        return false;
    }
    while (p < end && !failed()) {
        // Text and quoted values are taken in bulk: they are most of a file's bytes.
        if (m_state == State::Data || m_state == State::ValueDouble || m_state == State::ValueSingle) {
            const char stop = m_state == State::Data ? '<' : m_state == State::ValueDouble ? '"' : '\'';
            const auto *found = static_cast<const char *>(std::memchr(p, stop, end - p));
            const char *until = found ? found : end;
            if (m_state != State::Data) {
                if (m_attr != Attr::None)
                    m_value.append(p, until - p);
            } else if (m_capture != Capture::None) {
                m_text.append(p, until - p);
            } else if (!m_sawDoctype && !std::all_of(p, until, isBlank)) {
                fail(message(kNotBookmarkFile));
                break;
            }
            p = until;
            m_position = p;
            if (found) {
                ++p;
                if (m_state == State::Data) {
                    m_state = State::TagOpen;
                } else {
                    storeValue();
                    m_state = State::BeforeAttrName;
                }
            }
            continue;
        }
        m_position = p;
        step(*p++);
    }
    countLinesTo(end);
    return !failed();
}

void Scanner::step(char c)
{
    switch (m_state) {
    case State::TagOpen:
        if (isLetter(c)) {
            m_endTagOpen = false;
            m_name = QByteArray(1, lower(c));
            m_state = State::TagName;
        } else if (c == '/') {
            m_state = State::EndTagOpen;
        } else if (c == '!') {
            m_declaration.clear();
            m_state = State::Declaration;
        } else if (c == '?') {
            m_state = State::Bogus;
        } else {
            // A '<' that opens nothing is text.
            if (!m_sawDoctype)
                return fail(message(kNotBookmarkFile));
            if (m_capture != Capture::None)
                m_text.append('<');
            m_state = State::Data;
            if (c == '<')
                m_state = State::TagOpen;
            else if (m_capture != Capture::None)
                m_text.append(c);
        }
        return;
    case State::EndTagOpen:
        if (isLetter(c)) {
            m_endTagOpen = true;
            m_name = QByteArray(1, lower(c));
            m_state = State::TagName;
        } else {
            m_state = c == '>' ? State::Data : State::Bogus;
        }
        return;
    case State::TagName:
        if (isBlank(c) || c == '/' || c == '>') {
            resolveTagName();
            if (c == '>')
                closeTag();
            else
                m_state = State::BeforeAttrName;
        } else if (m_name.size() < kNameCap) {
            m_name.append(lower(c));
        }
        return;
    case State::BeforeAttrName:
        if (c == '>')
            closeTag();
        else if (!isBlank(c) && c != '/') {
            m_attrName = QByteArray(1, lower(c));
            m_state = State::AttrName;
        }
        return;
    case State::AttrName:
        if (isBlank(c) || c == '/' || c == '=' || c == '>') {
            resolveAttrName();
            if (c == '>') {
                storeValue();
                closeTag();
            } else if (c == '=') {
                m_state = State::BeforeAttrValue;
            } else {
                m_state = State::AfterAttrName;
            }
        } else if (m_attrName.size() < kNameCap) {
            m_attrName.append(lower(c));
        }
        return;
    case State::AfterAttrName:
        if (c == '=') {
            m_state = State::BeforeAttrValue;
        } else if (!isBlank(c)) {
            storeValue(); // the previous attribute had no value
            if (c == '>')
                closeTag();
            else if (c == '/')
                m_state = State::BeforeAttrName;
            else {
                m_attrName = QByteArray(1, lower(c));
                m_state = State::AttrName;
            }
        }
        return;
    case State::BeforeAttrValue:
        if (c == '"')
            m_state = State::ValueDouble;
        else if (c == '\'')
            m_state = State::ValueSingle;
        else if (c == '>') {
            storeValue();
            closeTag();
        } else if (!isBlank(c)) {
            if (m_attr != Attr::None)
                m_value.append(c);
            m_state = State::ValueUnquoted;
        }
        return;
    case State::ValueUnquoted:
        if (isBlank(c) || c == '>') {
            storeValue();
            if (c == '>')
                closeTag();
            else
                m_state = State::BeforeAttrName;
        } else if (m_attr != Attr::None) {
            m_value.append(c);
        }
        return;
    case State::Declaration:
        if (c == '-' && m_declaration.isEmpty()) {
            m_state = State::DeclarationDash;
        } else if (c == '>') {
            declaration();
            m_state = State::Data;
        } else if (m_declaration.size() < kDeclarationCap) {
            m_declaration.append(c);
        }
        return;
    case State::DeclarationDash:
        if (c == '-') {
            m_dashes = 0;
            m_state = State::Comment;
        } else {
            m_declaration = QByteArrayLiteral("-");
            m_state = State::Declaration;
            step(c);
        }
        return;
    case State::Comment:
        if (c == '>' && m_dashes >= 2)
            m_state = State::Data;
        m_dashes = c == '-' ? m_dashes + 1 : 0;
        return;
    case State::Bogus:
        if (c == '>') {
            if (!m_sawDoctype)
                return fail(message(kNotBookmarkFile));
            m_state = State::Data;
        }
        return;
    case State::Data:
    case State::ValueDouble:
    case State::ValueSingle:
        return; // taken in bulk by feed()
    }
}

void Scanner::resolveTagName()
{
    if (!m_sawDoctype)
        return fail(message(kNotBookmarkFile));
    m_tag = classifyTag(m_name);
    if (!m_endTagOpen)
        resetAttributes();
}

void Scanner::resolveAttrName()
{
    m_attr = m_endTagOpen ? Attr::None : classifyAttr(m_tag, m_attrName);
    m_value.clear();
}

void Scanner::storeValue()
{
    switch (m_attr) {
    case Attr::Href:
        m_href = m_value;
        m_hasHref = true;
        break;
    case Attr::Tags:
        m_tags = m_value;
        break;
    case Attr::RootFolder:
        m_rootFolder = m_value.compare("false", Qt::CaseInsensitive) != 0;
        break;
    case Attr::Charset:
        m_metaCharset = m_value;
        break;
    case Attr::Content:
        m_metaContent = m_value;
        break;
    case Attr::None:
        break;
    }
    m_attr = Attr::None;
    m_value.clear();
}

// Attributes are gathered from the tag's name on; the tag acts when its '>' is read.
void Scanner::resetAttributes()
{
    m_href.clear();
    m_hasHref = false;
    m_tags.clear();
    m_rootFolder = false;
    m_metaCharset.clear();
    m_metaContent.clear();
}

void Scanner::closeTag()
{
    m_state = State::Data;
    if (failed())
        return;
    if (m_endTagOpen)
        endTag();
    else
        openTag();
}

void Scanner::openTag()
{
    switch (m_tag) {
    case Tag::A:
        closeItem();
        m_sawStructure = true;
        m_bookmark = Bookmark();
        m_hasBookmark = true;
        m_descriptionTaken = false;
        m_bookmark.line = line();
        if (m_hasHref) {
            QString url = HtmlText::decodeReferences(decode(m_href, m_bookmark.line));
            url.remove(u'\t').remove(u'\n').remove(u'\r');
            m_bookmark.url = url.trimmed();
        }
        if (!m_tags.isEmpty()) {
            // Split before references are decoded, so that a tag may hold "&#44;".
            for (const QString &tag : decode(m_tags, m_bookmark.line).split(u','))
                m_bookmark.tags.append(HtmlText::decodeReferences(HtmlText::joinLines(tag)));
            while (!m_bookmark.tags.isEmpty() && m_bookmark.tags.last().isEmpty())
                m_bookmark.tags.removeLast();
        }
        if (!m_levels.empty()) {
            const Level &top = m_levels.back();
            for (int i = top.nearestNamed; i >= 0 && m_bookmark.folders.size() < Bookmark::kFolderNames;
                 i = i > 0 ? m_levels[i - 1].nearestNamed : -1)
                m_bookmark.folders.append(m_levels[i].name);
            m_bookmark.moreFolders = top.namedCount - int(m_bookmark.folders.size());
        }
        startCapture(Capture::Title);
        break;
    case Tag::H3:
        closeItem();
        m_sawStructure = true;
        m_pendingRoot = m_rootFolder;
        startCapture(Capture::Folder);
        break;
    case Tag::DL:
        closeItem();
        m_sawStructure = true;
        pushLevel();
        break;
    case Tag::DT:
        closeItem();
        m_hasPendingFolder = false;
        break;
    case Tag::DD:
        endCapture();
        if (m_hasBookmark && !m_descriptionTaken) {
            m_descriptionTaken = true;
            startCapture(Capture::Description);
        }
        break;
    case Tag::Meta:
        if (!m_charsetFixed && !m_sawStructure) {
            if (!m_metaCharset.isEmpty()) {
                setCharset(m_metaCharset);
            } else {
                const qsizetype at = m_metaContent.toLower().indexOf("charset=");
                if (at >= 0)
                    setCharset(m_metaContent.mid(at + 8));
            }
        }
        break;
    case Tag::Other:
        break;
    }
}

void Scanner::endTag()
{
    if ((m_tag == Tag::A && m_capture == Capture::Title) || (m_tag == Tag::H3 && m_capture == Capture::Folder)
        || (m_tag == Tag::DD && m_capture == Capture::Description)) {
        endCapture();
    } else if (m_tag == Tag::DL) {
        closeItem();
        if (!m_levels.empty())
            m_levels.pop_back();
    }
}

void Scanner::declaration()
{
    if (m_sawDoctype)
        return;
    const QByteArray text = m_declaration.toUpper();
    if (text.startsWith("DOCTYPE") && text.contains("NETSCAPE-BOOKMARK-FILE-1"))
        m_sawDoctype = true;
    else
        fail(message(kNotBookmarkFile));
}

void Scanner::startCapture(Capture what)
{
    m_capture = what;
    m_text.clear();
    m_textLine = line();
}

void Scanner::endCapture()
{
    if (m_capture == Capture::None)
        return;
    const QString text = HtmlText::decodeReferences(HtmlText::joinLines(decode(m_text, m_textLine)));
    switch (m_capture) {
    case Capture::Title:
        m_bookmark.title = text;
        break;
    case Capture::Folder:
        m_pendingFolder = text;
        m_hasPendingFolder = true;
        break;
    case Capture::Description:
        m_bookmark.description = text;
        break;
    case Capture::None:
        break;
    }
    m_capture = Capture::None;
    m_text.clear();
}

void Scanner::closeItem()
{
    endCapture();
    if (!m_hasBookmark || failed())
        return;
    m_hasBookmark = false;
    if (++m_result.bookmarks > m_limits.maxBookmarks)
        return fail(QString::fromUtf8("ブックマークが多すぎます（%1 件まで読み込めます）。").arg(m_limits.maxBookmarks));
    m_sink(std::move(m_bookmark));
}

void Scanner::pushLevel()
{
    const bool named = m_hasPendingFolder && !m_pendingRoot && !m_pendingFolder.isEmpty();
    const int index = int(m_levels.size());
    const Level *above = m_levels.empty() ? nullptr : &m_levels.back();
    Level level{named ? m_pendingFolder : QString(), named ? index : (above ? above->nearestNamed : -1),
                (above ? above->namedCount : 0) + (named ? 1 : 0)};
    m_levels.push_back(std::move(level));
    m_hasPendingFolder = false;
    m_pendingFolder.clear();
}

void Scanner::setCharset(QByteArray label)
{
    label = label.trimmed().toLower();
    if (label.startsWith('"') || label.startsWith('\''))
        label = label.mid(1);
    const qsizetype end = label.indexOf(';');
    label = (end >= 0 ? label.left(end) : label).trimmed();
    // A <META> that names UTF-16 was read as ASCII, so it is wrong about itself.
    if (label.isEmpty() || label == "utf-8" || label == "utf8" || label.startsWith("utf-16"))
        return;
    QStringDecoder decoder(label.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return fail(QString::fromUtf8("文字コード「%1」のファイルは読み込めません。").arg(QString::fromLatin1(label)));
    m_charsetName = label;
    m_decoder = std::move(decoder);
}

QString Scanner::decode(const QByteArray &bytes, qint64 line)
{
    QString text = m_decoder.decode(bytes);
    if (m_decoder.hasError())
        fail(QString::fromUtf8("%1 として読めないバイトがあります（%2 行目）。")
                 .arg(QString::fromLatin1(m_charsetName).toUpper())
                 .arg(line));
    return text;
}

void Scanner::finish()
{
    if (failed())
        return;
    if (!m_sawDoctype)
        return fail(message(kNotBookmarkFile));
    if (m_state != State::Data || !m_levels.empty())
        return fail(atLine("ファイルが途中で終わっています（%1 行目）。", m_line));
    closeItem();
}

} // namespace

BookmarkReadResult ReadBookmarks(QIODevice &in, const BookmarkSink &sink, const BookmarkReadLimits &limits)
{
    Scanner scanner(sink, limits);
    QByteArray buffer(kChunk, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0) {
            scanner.fail(QString::fromUtf8("ファイルを読み込めませんでした: %1").arg(in.errorString()));
            break;
        }
        if (got == 0) {
            if (in.isSequential() && !in.atEnd() && in.waitForReadyRead(30000))
                continue;
            scanner.finish();
            break;
        }
        total += got;
        if (total > limits.maxBytes) {
            scanner.fail(tooLarge(limits));
            break;
        }
        if (!scanner.feed(buffer.constData(), got))
            break;
    }
    return scanner.result();
}

BookmarkReadResult ReadBookmarkFile(const QString &path, const BookmarkSink &sink, const BookmarkReadLimits &limits)
{
    const QFileInfo info(path);
    if (info.isDir())
        return {false, QString::fromUtf8("フォルダーは読み込めません: %1").arg(path), 0};
    if (info.isFile() && info.size() > limits.maxBytes)
        return {false, tooLarge(limits), 0};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {false, QString::fromUtf8("ファイルを開けませんでした: %1").arg(file.errorString()), 0};
    return ReadBookmarks(file, sink, limits);
}
