#pragma once

#include "LinkCheckSettings.h"
#include "LinkTrail.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QNetworkAccessManager;
class QNetworkReply;

// Checks one URL: makes the requests its LinkTrail asks for, one at a time, each under a hard
// deadline, and reads no more than the status line and headers of any answer.
class LinkProbe : public QObject
{
    Q_OBJECT
public:
    LinkProbe(QNetworkAccessManager &network, const QString &url, const LinkCheckSettings &settings,
              QObject *parent = nullptr);
    ~LinkProbe() override;

    // Starts the check; `finished` follows, possibly before start() returns.
    void start();
    // Stops at once, without a result: the open request is aborted, its connection closed.
    void abort();

signals:
    void finished(const LinkResult &result);

private:
    void send();
    void step(LinkTrail::Next next);
    void answered();
    void failed();
    void timedOut();
    void dropReply();

    QNetworkAccessManager &m_network;
    const LinkCheckSettings m_settings;
    LinkTrail m_trail;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QTimer m_pause;
};
