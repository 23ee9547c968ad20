#pragma once

#include "SiteLink.h"

#include <QObject>
#include <QString>
#include <QStringList>

// Reads the sitekanri: links the browser hands over (on the command line of the start that opened
// the window, or from a later start through SingleWindow). Each link is checked here, even one a
// later start checked already: it is text from another program. What becomes of a good one (the
// fields, or the offer bar) is the window's business.
class LinkIntake : public QObject
{
    Q_OBJECT
public:
    explicit LinkIntake(QObject *parent = nullptr) : QObject(parent) {}

    // The first sitekanri: link among a program's arguments; "" when there is none.
    static QString linkAmong(const QStringList &arguments);
    // What refusing `link` says to the user, in full; "" when the link is good.
    static QString refusalOf(const QString &link);
    // Why a link too long to be handed over (`limit` bytes) is refused, and that in full.
    static QString tooLongReason(qsizetype limit);
    static QString tooLongRefusal(qsizetype limit);

    void take(const QString &link);
    // A later start had a link too long to hand over.
    void takeTooLong(qsizetype limit) { emit refused(tooLongReason(limit)); }

signals:
    // A good link: its URL, name and content as text from outside.
    void siteOffered(const SiteLink::Parsed &link);
    // A link that registers nothing, and why.
    void refused(const QString &reason);
};
