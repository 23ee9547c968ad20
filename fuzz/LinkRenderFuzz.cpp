// The window's rendering of a name: the link collection's preview and its code box, given a
// site whose name is the input (UTF-8, as a bookmark title or a typed name would bring it).
// Each input must lay out within libFuzzer's -timeout and -rss_limit_mb (scripts/fuzz.sh sets
// them). The kept corpus names /dev/zero as an image, a style sheet and a background: a read of
// it would fill memory past the limit.
// Each input is laid out whole; it is painted only with LINK_RENDER_PAINT=1 in the environment:
// two pictures per input cost nine tenths of the time, and painting draws what the layout placed.
#include "LinkCodeBox.h"
#include "LinkPreview.h"

#include <QApplication>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>

namespace {

LinkPreview *g_preview = nullptr;
LinkCodeBox *g_box = nullptr;
bool g_paint = false;

void render(const QString &name)
{
    // The generator writes one line per site; a name is written as the user's HTML.
    const QString code = QStringLiteral("<A href=\"http://example.jp/\">") + name + QStringLiteral("</A><BR>\r\n")
        + QStringLiteral("<A href=\"http://example.jp/2\">") + name + QStringLiteral("</A><BR>\r\n");
    g_preview->showCode(code);
    g_preview->document()->size(); // the whole layout, not only the part in view
    g_box->setLinkCode(code);
    // A plain text box lays its lines out as they are painted or asked for: each is asked for.
    QAbstractTextDocumentLayout *lines = g_box->document()->documentLayout();
    for (QTextBlock block = g_box->document()->begin(); block.isValid(); block = block.next())
        lines->blockBoundingRect(block);
    if (g_paint) {
        g_box->grab();
        g_preview->grab();
    }
}

} // namespace

// The application, the widgets and the fonts are made once, before the first input is timed.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "link_render_fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_paint = qEnvironmentVariableIntValue("LINK_RENDER_PAINT") == 1;
    new QApplication(argc, argv);
    g_preview = new LinkPreview;
    g_preview->resize(400, 300);
    g_preview->show();
    g_box = new LinkCodeBox;
    g_box->resize(400, 300);
    g_box->show();
    render(QStringLiteral("<b>サイト</b> &amp; 日本語"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    render(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
