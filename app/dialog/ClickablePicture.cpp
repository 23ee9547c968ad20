#include "ClickablePicture.h"

#include <QMouseEvent>

void ClickablePicture::mouseReleaseEvent(QMouseEvent *event)
{
    // Only a click that ends on the picture counts, as with a button.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}
