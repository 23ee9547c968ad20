#pragma once

#include <QAction>

// 「ブックマークレットをコピー」: puts the bookmarklet that registers a browser's page on the
// clipboard, to be pasted as a new bookmark's address. (The help page offers the same one to
// drag to the bookmark bar.)
class BookmarkletAction : public QAction
{
    Q_OBJECT
public:
    explicit BookmarkletAction(QObject *parent);

signals:
    // What was done and what to do next, for the owner to show.
    void copied(const QString &text);
};
