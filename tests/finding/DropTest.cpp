#include "DroppedLink.h"

#include <QMimeData>
#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

QByteArray utf16(const char *utf8, QStringConverter::Encoding encoding = QStringConverter::Utf16LE)
{
    QStringEncoder encoder(encoding, encoding == QStringConverter::Utf16LE ? QStringConverter::Flag::Default
                                                                           : QStringConverter::Flag::WriteBom);
    return encoder.encode(QString::fromUtf8(utf8));
}

TEST(LinkFromDrop, readsUrlAndNameFromWhatBrowsersPutOnADrag)
{
    const struct
    {
        const char *name;
        std::vector<std::pair<const char *, QByteArray>> formats;
        const char *url; // nullptr: no link
        const char *title;
    } cases[] = {
        {"Firefox or Chromium link, UTF-16",
         {{"text/x-moz-url", utf16("https://a.example.jp/x\r\n東京の\tお店") + QByteArray(2, '\0')}, {"text/plain", QByteArray("https://a.example.jp/x")}},
         "https://a.example.jp/x", "東京の お店"},
        {"moz-url big-endian with a byte-order mark",
         {{"text/x-moz-url", utf16("https://a.example.jp/\nタイトル", QStringConverter::Utf16BE)}},
         "https://a.example.jp/", "タイトル"},
        {"moz-url in UTF-8, several links", {{"text/x-moz-url", QByteArray("https://a.jp/\nA\nhttps://b.jp/\nB")}}, "https://a.jp/", "A"},
        {"Chromium's X11 form", {{"_NETSCAPE_URL", QByteArray("https://a.jp/\n\xE5\x90\x8D\xE5\x89\x8D")}}, "https://a.jp/", "名前"},
        {"URI list: comments passed over, the first of several",
         {{"text/uri-list", QByteArray("# from somewhere\r\nhttps://a.jp/1\r\nhttps://a.jp/2\r\n")}}, "https://a.jp/1", ""},
        {"URI list with the link's HTML for its name",
         {{"text/uri-list", QByteArray("https://a.jp/")},
          {"text/html", QByteArray("<meta charset='utf-8'><A class=x HREF='https://a.jp/'>A &amp; <b>B</b>&#x30A2;</a>")}},
         "https://a.jp/", "A &amp; Bア"},
        {"HTML link alone", {{"text/html", QByteArray("<p><a href=\"https://a.jp/?q=1&amp;r=2\">リンク</a></p>")}}, "https://a.jp/?q=1&r=2", "リンク"},
        {"plain text address", {{"text/plain", QByteArray("  https://a.jp/page  \n")}}, "https://a.jp/page", ""},
        {"plain text host", {{"text/plain", QByteArray("www.example.jp/a")}}, "www.example.jp/a", ""},
        {"plain text word", {{"text/plain", QByteArray("hello")}}, nullptr, nullptr},
        {"plain text sentence", {{"text/plain", QByteArray("see example.jp today")}}, nullptr, nullptr},
        {"script link", {{"text/uri-list", QByteArray("JavaScript:alert(1)")}, {"text/plain", QByteArray("javascript:alert(1)")}}, nullptr, nullptr},
        {"script link in capitals, as text", {{"text/x-moz-url", QByteArray("JavaScript:alert(1)\nx")}}, nullptr, nullptr},
        // A browser drops C0 controls and blanks before the scheme, and tabs and line ends inside.
        {"script behind a control character", {{"text/uri-list", QByteArray("\x01java\tscript:alert(1)")}}, nullptr, nullptr},
        {"file is no site", {{"text/uri-list", QByteArray("file:///etc/passwd")}}, nullptr, nullptr},
        {"ftp is", {{"_NETSCAPE_URL", QByteArray("\x01 ftp://a.jp/\x02\nF")}}, "ftp://a.jp/", "F"},
        // A dragged title is text: its markup is escaped for the name field, which holds HTML.
        {"title with markup", {{"_NETSCAPE_URL", QByteArray("https://a.jp/\n<script>x</script> \"&")}},
         "https://a.jp/", "&lt;script&gt;x&lt;/script&gt; &quot;&amp;"},
        {"image only", {{"image/png", QByteArray("\x89PNG")}}, nullptr, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QMimeData mime;
        for (const auto &[format, bytes] : c.formats)
            mime.setData(QString::fromUtf8(format), bytes);
        const std::optional<DroppedLink> link = LinkFromDrop(mime);
        ASSERT_EQ(link.has_value(), c.url != nullptr);
        if (link) {
            EXPECT_EQ(link->url, QString::fromUtf8(c.url));
            EXPECT_EQ(link->name, QString::fromUtf8(c.title));
        }
    }
}

} // namespace
