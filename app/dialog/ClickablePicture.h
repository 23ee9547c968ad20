#pragma once

#include <QLabel>

// A picture that reports a left click, like a bitmap static that sends click notifications.
class ClickablePicture : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
