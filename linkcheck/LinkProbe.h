#pragma once

#include "LinkCheckSettings.h"
#include "LinkConnection.h"
#include "LinkTrail.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <memory>

class BodyReader;

// Checks one URL: makes the requests its LinkTrail asks for, one at a time, each under a hard
// deadline and all of them under kTotalTimeouts times that, and reads no more than the status
// line and headers of any answer. Given a body limit, it reads the page instead: every request a
// GET, and the body of the final 2xx answer read up to that limit (within the same deadlines),
// when the connection is closed at once.
//
// The requests go over a connection of the probe's own (LinkConnection: the lookup, the proxy),
// in the caller's thread, rather than through
// QNetworkAccessManager: its HTTP thread reads a head with no limit for as long as bytes keep
// coming, so one server sending header lines without end held up every other request of the
// check and could not be aborted.
class LinkProbe : public QObject
{
    Q_OBJECT
public:
    // Ten redirects, each answered just within the timeout, took 22 timeouts in all.
    static constexpr int kTotalTimeouts = 3;

    LinkProbe(const QString &url, const LinkCheckSettings &settings, QObject *parent = nullptr, qint64 bodyLimit = 0);
    ~LinkProbe() override;

    // Starts the check; `finished` follows, possibly before start() returns.
    void start();
    // Stops at once, without a result: the open request is aborted, its connection closed.
    void abort();

    // With a body limit, once finished: the page's body (empty when the answer was no 2xx, or
    // was compressed) and its Content-Type header.
    const QByteArray &body() const { return m_body; }
    const QByteArray &contentType() const { return m_contentType; }
    bool bodyCut() const { return m_bodyCut; }

signals:
    void finished(const LinkResult &result);

private:
    void send();
    void writeRequest();
    void step(LinkTrail::Next next);
    void readHead();
    bool startBody(const LinkAnswer &head);
    void endBody();
    void failed(QAbstractSocket::SocketError error);
    void timedOut();
    void answered(const LinkAnswer &answer);
    void dropSocket();

    const LinkCheckSettings m_settings;
    LinkTrail m_trail;
    LinkConnection m_connection;
    QByteArray m_head;
    const qint64 m_bodyLimit;
    std::unique_ptr<BodyReader> m_reader;
    LinkAnswer m_bodyHead; // the answer whose body is being read
    QByteArray m_body;
    QByteArray m_contentType;
    bool m_bodyCut = false;
    QTimer m_deadline;
    QTimer m_total; // the whole check, every request, retry and redirect together
    QTimer m_pause;
};
