// The window's rendering of a name: the link collection's preview and its code box, given a
// site whose name is the input (UTF-8, as a bookmark title or a typed name would bring it).
// Each input must lay out within libFuzzer's -timeout and -rss_limit_mb (scripts/fuzz.sh sets
// them). The kept corpus names /dev/zero as an image, a style sheet and a background: a read of
// it would fill memory past the limit.
#include "LinkCodeBox.h"
#include "LinkPreview.h"

#include <QApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>

namespace {

QApplication *application()
{
    static int argc = 1;
    static char name[] = "link_render_fuzz";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    application();
    const QString name = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // The generator writes one line per site; a name is written as the user's HTML.
    const QString code = QStringLiteral("<A href=\"http://example.jp/\">") + name + QStringLiteral("</A><BR>\r\n")
        + QStringLiteral("<A href=\"http://example.jp/2\">") + name + QStringLiteral("</A><BR>\r\n");
    static LinkPreview *preview = [] {
        auto *p = new LinkPreview;
        p->resize(400, 300);
        p->show();
        return p;
    }();
    static LinkCodeBox *box = [] {
        auto *b = new LinkCodeBox;
        b->resize(400, 300);
        b->show();
        return b;
    }();
    preview->showCode(code);
    preview->document()->size(); // the whole layout, not only the part in view
    box->setLinkCode(code);
    box->grab();
    preview->grab();
    return 0;
}
