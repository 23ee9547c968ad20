#pragma once

#include <QObject>
#include <QString>

class QWidget;

// Takes a link, a URL or a browser's tab dropped anywhere on the window and tells it, ready to
// register. A text field of the window keeps plain text dropped on it as typing; only a drag
// that carries a link is taken there too, so that it never lands inside an old URL.
class LinkDropTarget : public QObject
{
    Q_OBJECT
public:
    explicit LinkDropTarget(QWidget &window);

signals:
    void linkDropped(const QString &url, const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
};
