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

QIcon LinkHealthIcon(LinkVerdict verdict)
{
    // Drawn once: the list asks for a mark on every repaint of every row.
    static const QIcon ok = dot(QColor(0x2e, 0x9e, 0x44));
    static const QIcon moved = dot(QColor(0x2f, 0x6f, 0xd0));
    static const QIcon doubtful = dot(QColor(0xe0, 0xa0, 0x10));
    static const QIcon dead = dot(QColor(0xd0, 0x30, 0x30));
    switch (verdict) {
    case LinkVerdict::Unchecked: return QIcon();
    case LinkVerdict::Ok: return ok;
    case LinkVerdict::Moved: return moved;
    case LinkVerdict::Warning: return doubtful;
    case LinkVerdict::Dead: return dead;
    }
    return QIcon();
}
