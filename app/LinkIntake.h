#pragma once

#include "SiteEntry.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

// Takes the sitekanri: links the browser hands over (on the command line of this start, or from a
// later start through SingleWindow) to the registration fields. Each link is checked here, even
// one a later start checked already: it is text from another program. A good one is offered as
// soon as the window asks no question (filling the fields under an open question could change
// what the question is about); a bad one is refused with the reason.
class LinkIntake : public QObject
{
    Q_OBJECT
public:
    // `window` is the main window: a question is any modal widget but it.
    explicit LinkIntake(QWidget *window);

    // The first sitekanri: link among a program's arguments; "" when there is none.
    static QString linkAmong(const QStringList &arguments);
    // What refusing `link` says to the user; "" when the link is good.
    static QString refusalOf(const QString &link);

    void take(const QString &link);

signals:
    // The fields a good link fills: URL, name and content as text from outside, keywords empty.
    void siteOffered(const SiteFields &fields);
    void refused(const QString &message);

private:
    void offerWhenFree(const SiteFields &fields);

    QWidget *m_window;
};
