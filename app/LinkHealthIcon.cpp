#include "LinkHealthIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {

QIcon dot(const QColor &colour)
{
    QIcon icon;
    // Drawn at two sizes so that the mark stays sharp on a high-density screen.
    for (int size : {12, 24}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(colour.darker(140), size / 12.0));
        painter.setBrush(colour);
        const qreal margin = size / 8.0;
        painter.drawEllipse(QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon LinkHealthIcon(LinkHealth health)
{
    switch (health) {
    case LinkHealth::Unchecked: return QIcon();
    case LinkHealth::Ok: return dot(QColor(0x2e, 0x9e, 0x44));
    case LinkHealth::Moved: return dot(QColor(0x2f, 0x6f, 0xd0));
    case LinkHealth::Doubtful: return dot(QColor(0xe0, 0xa0, 0x10));
    case LinkHealth::Dead: return dot(QColor(0xd0, 0x30, 0x30));
    }
    return QIcon();
}
