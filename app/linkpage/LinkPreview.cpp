#include "LinkPreview.h"

#include "PreviewMarkup.h"

#include <QImage>

namespace {

// Every resource the markup names (an image, a style sheet, anything with a URL) is answered with
// something empty. An empty answer is not enough: when a document's loader returns nothing,
// QTextDocument reads a local file of that name itself, and its image handler does the same when
// the image it got is null (a FIFO then blocks the window for good, /dev/zero fills memory).
QVariant nothingFor(int type)
{
    if (type == QTextDocument::ImageResource) {
        QImage blank(1, 1, QImage::Format_ARGB32);
        blank.fill(Qt::transparent);
        return blank;
    }
    return QByteArray(""); // not null: the document takes it as loaded
}

class InertDocument : public QTextDocument
{
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int type, const QUrl &) override { return nothingFor(type); }
};

} // namespace

LinkPreview::LinkPreview(QWidget *parent)
    : QTextBrowser(parent)
{
    setDocument(new InertDocument(this));
    // Lines break between words only, as a browser breaks them; a long word runs on. Breaking
    // inside words where need be, Qt's default, takes time that grows with the square of a word's
    // length (64 KiB of one word: seconds).
    setWordWrapMode(QTextOption::WordWrap);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // Its links lead nowhere: Tab goes on to the next control rather than from link to link, now
    // that the preview is never empty.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setAccessibleName(QString::fromUtf8("プレビュー"));
}

QVariant LinkPreview::loadResource(int type, const QUrl &)
{
    return nothingFor(type);
}

QString LinkPreview::tooComplexNotice()
{
    return QString::fromUtf8("リンク集のコードが複雑すぎるため、プレビューを表示できません。"
                             "コードと保存するファイルには影響ありません。");
}

void LinkPreview::showCode(const QString &code)
{
    m_code = code;
    m_stale = true;
    if (isVisible())
        render();
}

void LinkPreview::showEvent(QShowEvent *event)
{
    QTextBrowser::showEvent(event);
    if (m_stale)
        render();
}

void LinkPreview::render()
{
    m_stale = false;
    const PreviewMarkup part = PreviewMarkup::of(m_code);
    QString html = part.html;
    if (part.cut)
        html += QString::fromUtf8("<p style=\"color: gray\">……（プレビューは最初の %1 行までです）</p>").arg(part.lines);
    // Parsed once apart, where nothing lays it out yet: only the parsed document shows every
    // table the layout would have to nest.
    bool tooComplex = part.tooComplex;
    if (!tooComplex) {
        InertDocument parsed;
        parsed.setHtml(html);
        tooComplex = PreviewMarkup::tablesNestTooDeep(parsed);
    }
    if (tooComplex)
        setPlainText(tooComplexNotice());
    else
        setHtml(html);
}
