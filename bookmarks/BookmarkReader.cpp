#include "BookmarkReader.h"
#include "FileReason.h"

#include "BookmarkCharset.h"
#include "BookmarkDates.h"
#include "BookmarkFolders.h"
#include "BookmarkTags.h"
#include "BookmarkText.h"
#include "HtmlText.h"
#include "HtmlTokenizer.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr qsizetype kChunk = 64 * 1024;
constexpr const char *kNotBookmarkFile = QT_TRANSLATE_NOOP("BookmarkText", "ブックマークファイル（NETSCAPE-Bookmark-file-1）ではありません。");

enum class Tag { Other, A, H3, DL, DT, DD, Meta };
enum class Capture { None, Title, Folder, Description };

QString tooLarge(const BookmarkReadLimits &limits)
{
    const qint64 mib = 1024 * 1024;
    const QString size = limits.maxBytes >= mib ? QStringLiteral("%1 MB ").arg(limits.maxBytes / mib)
                                                : BookmarkText::tr("%1 バイト").arg(limits.maxBytes);
    return BookmarkText::tr("ファイルが大きすぎます（%1まで読み込めます）。").arg(size);
}

Tag classify(const QByteArray &name)
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

// The bookmark file's structure over the tokens: the folders open, the text of the link, folder
// or description being read, and the charset the file declares.
class BookmarkFileReader final : public HtmlTokenizer::Handler
{
public:
    BookmarkFileReader(const BookmarkSink &sink, const BookmarkReadLimits &limits) : m_sink(sink), m_limits(limits) {}

    bool feed(const char *data, qsizetype size);
    void finish();
    void fail(const QString &why);
    bool failed() const { return !m_result.ok; }
    BookmarkReadResult result() const { return m_result; }

    void text(const char *data, qsizetype size) override;
    bool keepsAttribute(const QByteArray &tag, const QByteArray &attribute) const override;
    void tag(const QByteArray &name, bool end, const std::vector<HtmlTokenizer::Attribute> &attributes) override;
    void declaration(const QByteArray &text) override;

private:
    bool begin();
    bool scan(const char *data, qsizetype size);
    void openTag(Tag tag, const std::vector<HtmlTokenizer::Attribute> &attributes);
    void closeTag(Tag tag);
    void startBookmark(const std::vector<HtmlTokenizer::Attribute> &attributes);
    void startCapture(Capture what);
    void endCapture();
    void closeItem();
    void pushLevel();
    QString decode(const QByteArray &bytes, qint64 line);

    const BookmarkSink &m_sink;
    BookmarkReadLimits m_limits;
    BookmarkReadResult m_result;
    HtmlTokenizer m_tokenizer{*this};

    bool m_started = false;
    QByteArray m_head; // what came before the first three bytes were there
    bool m_sawDoctype = false;
    bool m_sawStructure = false; // a later <META> no longer changes the charset

    Capture m_capture = Capture::None;
    QByteArray m_text;
    bool m_textTooLong = false;
    qint64 m_textLine = 0;

    Bookmark m_bookmark;
    bool m_hasBookmark = false;
    bool m_descriptionTaken = false;
    QString m_pendingFolder;
    bool m_hasPendingFolder = false;
    bool m_pendingRoot = false;
    BookmarkFolders m_folders;

    BookmarkCharset m_charset;
};

void BookmarkFileReader::fail(const QString &why)
{
    if (m_result.ok)
        m_result = {false, why, m_result.bookmarks, false};
    m_tokenizer.stop();
}

bool BookmarkFileReader::feed(const char *data, qsizetype size)
{
    if (m_started)
        return scan(data, size);
    // A byte-order mark may come split over two reads (from a pipe): the first three bytes decide.
    m_head.append(data, size);
    return m_head.size() < 3 || begin();
}

bool BookmarkFileReader::begin()
{
    m_started = true;
    const QByteArray head = std::exchange(m_head, QByteArray());
    const auto byte = [&](qsizetype i) { return i < head.size() ? static_cast<unsigned char>(head[i]) : 0u; };
    if ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF)) {
        fail(BookmarkText::tr("UTF-16 で書かれたファイルは読み込めません。UTF-8 で保存し直してください。"));
        return false;
    }
    qsizetype skip = 0;
    if (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        skip = 3;
        m_charset.fix(); // a byte-order mark outranks any <META>
    }
    return scan(head.constData() + skip, head.size() - skip);
}

bool BookmarkFileReader::scan(const char *data, qsizetype size)
{
    // No HTML holds a NUL; a file that does is binary, or UTF-16 without its mark.
    const auto *nul = static_cast<const char *>(std::memchr(data, 0, std::size_t(size)));
    m_tokenizer.feed(data, nul ? nul - data : size);
    if (nul && !failed())
        fail(BookmarkText::tr("ファイルに NUL 文字が含まれています（%1 行目）。ブックマークファイルではありません。")
                 .arg(m_tokenizer.line()));
    return !failed();
}

void BookmarkFileReader::text(const char *data, qsizetype size)
{
    if (m_capture != Capture::None) {
        // Past the limit the text is only counted: it could never be stored.
        if (m_text.size() + size > Bookmark::kMaxTextBytes)
            m_textTooLong = true;
        else
            m_text.append(data, size);
    }
    else if (!m_sawDoctype && !std::all_of(data, data + size, HtmlTokenizer::isBlank))
        fail(BookmarkText::tr(kNotBookmarkFile));
}

bool BookmarkFileReader::keepsAttribute(const QByteArray &tag, const QByteArray &attribute) const
{
    if (tag == "a")
        return attribute == "href" || attribute == "tags" || attribute == "add_date" || attribute == "last_modified";
    if (tag == "h3")
        return attribute == "personal_toolbar_folder" || attribute == "unfiled_bookmarks_folder";
    if (tag == "meta")
        return attribute == "charset" || attribute == "content";
    return false;
}

void BookmarkFileReader::tag(const QByteArray &name, bool end, const std::vector<HtmlTokenizer::Attribute> &attributes)
{
    if (!m_sawDoctype)
        return fail(BookmarkText::tr(kNotBookmarkFile));
    if (end)
        closeTag(classify(name));
    else
        openTag(classify(name), attributes);
}

void BookmarkFileReader::declaration(const QByteArray &text)
{
    if (m_sawDoctype)
        return;
    const QByteArray upper = text.toUpper();
    if (upper.startsWith("DOCTYPE") && upper.contains("NETSCAPE-BOOKMARK-FILE-1"))
        m_sawDoctype = true;
    else
        fail(BookmarkText::tr(kNotBookmarkFile));
}

void BookmarkFileReader::openTag(Tag tag, const std::vector<HtmlTokenizer::Attribute> &attributes)
{
    switch (tag) {
    case Tag::A:
        closeItem();
        startBookmark(attributes);
        break;
    case Tag::H3:
        closeItem();
        m_sawStructure = true;
        m_pendingRoot = BookmarkFolders::isBrowsersOwn(attributes);
        startCapture(Capture::Folder);
        break;
    case Tag::DL:
        closeItem();
        m_sawStructure = true;
        pushLevel();
        break;
    case Tag::DT:
        closeItem();
        m_hasPendingFolder = false; // a folder with no <DL> of its own holds nothing
        break;
    case Tag::DD:
        endCapture();
        if (m_hasBookmark && !m_descriptionTaken) {
            m_descriptionTaken = true;
            startCapture(Capture::Description);
        }
        break;
    case Tag::Meta:
        if (!m_charset.isFixed() && !m_sawStructure) {
            if (const std::optional<QString> refused =
                    m_charset.declare(HtmlTokenizer::find(attributes, "charset"), HtmlTokenizer::find(attributes, "content")))
                fail(*refused);
        }
        break;
    case Tag::Other:
        break;
    }
}

void BookmarkFileReader::closeTag(Tag tag)
{
    if ((tag == Tag::A && m_capture == Capture::Title) || (tag == Tag::H3 && m_capture == Capture::Folder)
        || (tag == Tag::DD && m_capture == Capture::Description)) {
        endCapture();
    } else if (tag == Tag::DL) {
        closeItem();
        m_folders.close();
    }
}

void BookmarkFileReader::startBookmark(const std::vector<HtmlTokenizer::Attribute> &attributes)
{
    m_sawStructure = true;
    m_bookmark = Bookmark();
    m_hasBookmark = true;
    m_descriptionTaken = false;
    m_bookmark.line = m_tokenizer.line();
    const QByteArray *href = HtmlTokenizer::find(attributes, "href"), *tags = HtmlTokenizer::find(attributes, "tags");
    const auto tooLong = [](const QByteArray *value) { return value && value->size() > Bookmark::kMaxTextBytes; };
    m_bookmark.tooLong = tooLong(href) || tooLong(tags);
    if (href && !m_bookmark.tooLong) {
        // As URL parsers do: tabs and line breaks inside are dropped, blanks around trimmed.
        QString url = HtmlText::decodeReferences(decode(*href, m_bookmark.line));
        url.remove(u'\t').remove(u'\n').remove(u'\r');
        m_bookmark.url = url.trimmed();
    }
    if (tags && !m_bookmark.tooLong) {
        BookmarkTags taken = SplitBookmarkTags(decode(*tags, m_bookmark.line));
        m_bookmark.tags = std::move(taken.kept);
        m_bookmark.moreTags = taken.more;
    }
    m_bookmark.added = BookmarkSeconds(HtmlTokenizer::find(attributes, "add_date"));
    const std::int64_t modified = BookmarkSeconds(HtmlTokenizer::find(attributes, "last_modified"));
    m_bookmark.changed = modified != 0 ? modified : m_bookmark.added;
    m_folders.place(m_bookmark);
    startCapture(Capture::Title);
}

void BookmarkFileReader::startCapture(Capture what)
{
    m_capture = what;
    m_text.clear();
    m_textTooLong = false;
    m_textLine = m_tokenizer.line();
}

void BookmarkFileReader::endCapture()
{
    if (m_capture == Capture::None)
        return;
    const QString text =
        m_textTooLong ? QString() : HtmlText::decodeReferences(HtmlText::joinLines(decode(m_text, m_textLine)));
    // A folder of too long a name stands unnamed; a bookmark with too long a text is no record.
    if (m_textTooLong && m_capture != Capture::Folder)
        m_bookmark.tooLong = true;
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

// A link is complete once whatever follows it (its <DD>, or nothing) has ended.
void BookmarkFileReader::closeItem()
{
    endCapture();
    if (!m_hasBookmark || failed())
        return;
    m_hasBookmark = false;
    if (++m_result.bookmarks > m_limits.maxBookmarks)
        return fail(BookmarkText::tr("ブックマークが多すぎます（%1 件まで読み込めます）。").arg(m_limits.maxBookmarks));
    m_sink(std::move(m_bookmark));
}

void BookmarkFileReader::pushLevel()
{
    const bool named = m_hasPendingFolder && !m_pendingRoot && !m_pendingFolder.isEmpty();
    m_folders.open(named ? m_pendingFolder : QString(), m_hasPendingFolder && m_pendingRoot);
    m_hasPendingFolder = false;
    m_pendingFolder.clear();
}

QString BookmarkFileReader::decode(const QByteArray &bytes, qint64 line)
{
    BookmarkCharset::Text read = m_charset.decode(bytes, line);
    if (read.failure)
        fail(*read.failure);
    return std::move(read.text);
}

void BookmarkFileReader::finish()
{
    if (failed() || (!m_started && !begin()))
        return;
    if (!m_sawDoctype)
        return fail(BookmarkText::tr(kNotBookmarkFile));
    if (!m_tokenizer.betweenTags() || !m_folders.isEmpty())
        return fail(BookmarkText::tr("ファイルが途中で終わっています（%1 行目）。").arg(m_tokenizer.line()));
    closeItem();
    m_result.topFoldersAreBrowsers = m_folders.topFoldersAreBrowsers();
}

} // namespace

BookmarkReadResult ReadBookmarks(QIODevice &in, const BookmarkSink &sink, const BookmarkReadLimits &limits)
{
    BookmarkFileReader reader(sink, limits);
    QByteArray buffer(kChunk, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0) {
            reader.fail(BookmarkText::tr("ファイルを読み込めませんでした: %1").arg(FileReason(in)));
            break;
        }
        if (got == 0) {
            if (in.isSequential() && !in.atEnd() && in.waitForReadyRead(30000))
                continue;
            reader.finish();
            break;
        }
        total += got;
        if (total > limits.maxBytes) {
            reader.fail(tooLarge(limits));
            break;
        }
        if (!reader.feed(buffer.constData(), got))
            break;
        if (limits.keepGoing && !limits.keepGoing(total)) {
            reader.fail(BookmarkText::tr("取り込みを中止しました。"));
            break;
        }
    }
    return reader.result();
}

BookmarkReadResult ReadBookmarkFile(const QString &path, const BookmarkSink &sink, const BookmarkReadLimits &limits)
{
    const QFileInfo info(path);
    if (info.isDir())
        return {false, BookmarkText::tr("フォルダーは読み込めません: %1").arg(path), 0};
    if (info.isFile() && info.size() > limits.maxBytes)
        return {false, tooLarge(limits), 0};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {false, BookmarkText::tr("ファイルを開けませんでした: %1").arg(FileReason(file)), 0};
    return ReadBookmarks(file, sink, limits);
}
