#include "LinkDropTarget.h"

#include "DroppedLink.h"

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>

namespace {

// What a browser puts on the drag of a link or a tab, as against text dragged from a field.
bool carriesLink(const QMimeData &mime)
{
    return mime.hasUrls() || mime.hasFormat(QStringLiteral("text/x-moz-url"))
        || mime.hasFormat(QStringLiteral("_NETSCAPE_URL"));
}

} // namespace

LinkDropTarget::LinkDropTarget(QWidget &window) : QObject(&window), m_window(window)
{
    window.setAcceptDrops(true);
    // The window and every text field in it, those made later too.
    qApp->installEventFilter(this);
}

bool LinkDropTarget::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    const bool onWindow = watched == &m_window;
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (!onWindow && !(field && m_window.isAncestorOf(field)))
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QMimeData *mime = drop->mimeData();
    if (!mime || (!onWindow && !carriesLink(*mime)))
        return false;
    const std::optional<DroppedLink> link = LinkFromDrop(*mime);
    // Script and data URLs lead to no site: not taken, not even as a field's text.
    if (!link) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop)
        emit linkDropped(link->url, link->name);
    return true;
}
