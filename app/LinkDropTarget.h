#pragma once

#include <QObject>

class MainDialog;

// Takes a link, a URL or a browser's tab dropped anywhere on the window into the URL and name
// fields, ready to register. A text field keeps plain text dropped on it as typing; only a
// drag that carries a link is taken there too, so that it never lands inside an old URL.
class LinkDropTarget : public QObject
{
    Q_OBJECT
public:
    explicit LinkDropTarget(MainDialog &dialog);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MainDialog &m_dialog;
};
