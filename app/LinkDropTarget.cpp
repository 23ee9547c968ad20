#include "LinkDropTarget.h"

#include "DroppedLink.h"
#include "MainDialog.h"

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

LinkDropTarget::LinkDropTarget(MainDialog &dialog) : QObject(&dialog), m_dialog(dialog)
{
    dialog.setAcceptDrops(true);
    dialog.installEventFilter(this);
    for (QLineEdit *field : dialog.findChildren<QLineEdit *>())
        field->installEventFilter(this);
}

bool LinkDropTarget::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QMimeData *mime = drop->mimeData();
    if (!mime || (watched != &m_dialog && !carriesLink(*mime)))
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
        m_dialog.FillFromDroppedLink(link->url, link->name);
    return true;
}
