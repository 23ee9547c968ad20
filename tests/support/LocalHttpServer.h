#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <vector>

class QTcpSocket;

// A small HTTP/1.1 server for link-check tests and benchmarks, on loopback addresses only
// (127.0.0.1 … 127.0.0.N, one port): each address is a host of its own to the client. It
// logs every request and counts the requests in flight per host and in all.
class LocalHttpServer : public QObject
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        int host = 0; // 1 … N
    };
    struct Answer
    {
        // Never: the connection kept open and never answered. EndlessBody: to GET, a body that keeps
        // coming. Slowloris: a status line, then a header one byte every delayMs, without end. Flood:
        // a status line, then header lines as fast as the client takes them. GzipBomb: to GET,
        // Content-Encoding: gzip and gzip members of 4 MiB of zeros without end.
        enum Kind { Plain, Never, EndlessBody, Slowloris, Flood, GzipBomb };
        Answer(int code = 200, int delayMs = 0, Kind kind = Plain) : code(code), delayMs(delayMs), kind(kind) {}
        int code;
        int delayMs;
        Kind kind;
        QByteArray location;
        QByteArray contentType; // sent when not empty
        QByteArray body;        // the page; for EndlessBody, what comes before the endless part
        bool chunked = false;   // the body in chunks of a few bytes, without Content-Length
    };
    using Handler = std::function<Answer(const Request &)>;

    explicit LocalHttpServer(int hosts = 1);

    bool isListening() const { return m_port != 0; }
    QString base(int host = 1) const;
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    const std::vector<Request> &log() const { return m_log; }
    int maxInFlightPerHost() const { return m_maxPerHost; }
    int maxInFlight() const { return m_maxInFlight; }
    int inFlight() const { return m_inFlight; }
    int openConnections() const { return m_open; }

private:
    void read(QTcpSocket *socket, int host);
    void answer(QTcpSocket *socket, const Request &request, const Answer &answer);
    void settle(QTcpSocket *socket);

    quint16 m_port = 0;
    Handler m_handler = [](const Request &) { return Answer(); };
    std::vector<Request> m_log;
    std::map<int, int> m_perHost;
    int m_maxPerHost = 0;
    int m_inFlight = 0;
    int m_maxInFlight = 0;
    int m_open = 0;
};
