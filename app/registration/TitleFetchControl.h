#pragma once

#include "PageFetch.h"

#include <QObject>
#include <QPointer>

class QAction;
class QLineEdit;

// 「タイトル取得」 beside the URL field (Ctrl+T): reads the title and description of the page
// the field names, in the background, into the name and content fields where they are empty.
// It runs only when asked, never as the user types; asked again while it runs, or when the URL
// changes under it, it stops. Nothing is saved: the fields are filled as a drop fills them, for
// the user to register.
class TitleFetchControl : public QObject
{
    Q_OBJECT
public:
    TitleFetchControl(QLineEdit &url, QLineEdit &name, QLineEdit &content, QWidget &window);

    QAction *action() const { return m_action; }
    bool isRunning() const { return m_fetch != nullptr; }

    void toggle();
    void cancel();

signals:
    // What was found but not put in a field, or that nothing was found, for the owner to show.
    void reported(const QString &text);
    // Why the page could not be read.
    void failed(const QString &text);

private:
    void fetched(const PageDetails &details);
    void showRunning(bool running);

    QLineEdit &m_url;
    QLineEdit &m_name;
    QLineEdit &m_content;
    QAction *m_action;
    QPointer<PageFetch> m_fetch;
};
