#include "PageFetch.h"

#include "LinkCheckText.h"
#include "LinkProbe.h"
#include "PageCharset.h"
#include "PageHead.h"

namespace {

// A page the fetch can read: HTML, or a server that does not say (many old ones do not).
bool isHtml(const QByteArray &contentType)
{
    const QByteArray type = contentType.left(contentType.indexOf(';')).trimmed().toLower();
    return type.isEmpty() || type == "text/html" || type == "application/xhtml+xml";
}

// Where the page's <body> starts: what a page says of itself comes before. -1 when not found.
qsizetype bodyStart(const QByteArray &page)
{
    for (qsizetype at = page.indexOf('<'); at >= 0; at = page.indexOf('<', at + 1)) {
        if (page.size() - at > 5 && qstrnicmp(page.constData() + at + 1, "body", 4) == 0)
            return at;
    }
    return -1;
}

} // namespace

PageFetch::PageFetch(const QString &url, QObject *parent, const LinkCheckSettings &settings)
    : QObject(parent)
    , m_probe(new LinkProbe(url, settings, this, kMaxBodyBytes))
{
    connect(m_probe, &LinkProbe::finished, this, &PageFetch::probed);
}

PageFetch::~PageFetch() = default;

void PageFetch::start()
{
    m_probe->start();
}

void PageFetch::cancel()
{
    m_probe->disconnect(this);
    m_probe->abort();
}

PageDetails PageFetch::read(const QByteArray &body, const QByteArray &contentType)
{
    PageDetails details;
    if (!isHtml(contentType)) {
        details.message = LinkCheckText::tr("HTML のページではありません（%1）。")
                              .arg(QString::fromLatin1(contentType.left(80).toPercentEncoding("/;= ")));
        return details;
    }
    // Only the part before <body> is decoded and read, unless the title is not there.
    const QByteArray charset = PageCharset::choose(body, contentType);
    const qsizetype start = bodyStart(body);
    PageHead head = PageHead::read(PageCharset::decode(start < 0 ? body : body.left(start), charset));
    if (head.title.isEmpty() && head.ogTitle.isEmpty() && start >= 0)
        head = PageHead::read(PageCharset::decode(body, charset));
    details.ok = true;
    details.title = head.title.isEmpty() ? head.ogTitle : head.title;
    details.description = head.description.isEmpty() ? head.ogDescription : head.description;
    return details;
}

void PageFetch::probed(const LinkResult &result)
{
    PageDetails details;
    if (result.status == LinkStatus::Ok || result.status == LinkStatus::Moved)
        details = read(m_probe->body(), m_probe->contentType());
    else
        details.message = result.message;
    details.bytesRead = m_probe->body().size();
    details.cut = m_probe->bodyCut();
    emit finished(details);
}
