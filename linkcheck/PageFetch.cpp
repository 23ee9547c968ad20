#include "PageFetch.h"

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
        details.message = QStringLiteral("HTML のページではありません（%1）。")
                              .arg(QString::fromLatin1(contentType.left(80).toPercentEncoding("/;= ")));
        return details;
    }
    const PageHead head = PageHead::read(PageCharset::decode(body, contentType));
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
