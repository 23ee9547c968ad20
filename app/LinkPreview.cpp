#include "LinkPreview.h"

namespace {

// Lines long enough to hold markup of any size still end the preview in time.
constexpr qsizetype kMaxChars = 64 * 1024;

} // namespace

LinkPreview::LinkPreview(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setAccessibleName(QString::fromUtf8("プレビュー"));
}

QVariant LinkPreview::loadResource(int, const QUrl &)
{
    return {};
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
    qsizetype end = 0;
    int lines = 0;
    while (end < m_code.size() && lines < kMaxLines && end < kMaxChars) {
        const qsizetype next = m_code.indexOf(QLatin1Char('\n'), end);
        end = next < 0 ? m_code.size() : next + 1;
        ++lines;
    }
    QString html = m_code.left(end);
    if (end < m_code.size())
        html += QString::fromUtf8("<p style=\"color: gray\">……（プレビューは最初の %1 行までです）</p>").arg(lines);
    setHtml(html);
}
