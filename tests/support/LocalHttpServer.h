#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <vector>

class QTcpServer;
class QTcpSocket;

// A small HTTP/1.1 server for link-check tests and benchmarks, on loopback addresses only
// (127.0.0.1 … 127.0.0.N, one port): each address is a host of its own to the client. It
// counts the requests in flight per host and in all, and logs every request.
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
        int code = 200;
        QByteArray location;
        int delayMs = 0;
        bool never = false;      // keep the connection open and never answer
        bool endlessBody = false; // a body that keeps coming for as long as the client reads
        int headerEveryMs = 0;    // above 0: a status line, then a header line every so often, forever

        static Answer after(int delayMs, int code = 200)
        {
            Answer answer;
            answer.code = code;
            answer.delayMs = delayMs;
            return answer;
        }
        static Answer none()
        {
            Answer answer;
            answer.never = true;
            return answer;
        }
    };
    using Handler = std::function<Answer(const Request &)>;

    explicit LocalHttpServer(int hosts = 1, QObject *parent = nullptr);
    ~LocalHttpServer() override;

    bool isListening() const { return m_port != 0; }
    QString base(int host = 1) const;
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    const std::vector<Request> &log() const { return m_log; }
    int maxInFlightPerHost() const { return m_maxPerHost; }
    int maxInFlight() const { return m_maxInFlight; }
    int inFlight() const { return m_inFlight; }
    int openConnections() const { return m_open; }

private:
    void accept(QTcpServer *server, int host);
    void read(QTcpSocket *socket, int host);
    void answer(QTcpSocket *socket, const Request &request, const Answer &answer);
    void settle(QTcpSocket *socket);
    void trickle(QTcpSocket *socket);
    void endlessHeaders(QTcpSocket *socket, int everyMs);

    std::vector<QTcpServer *> m_servers;
    quint16 m_port = 0;
    Handler m_handler;
    std::vector<Request> m_log;
    std::map<int, int> m_perHost;
    int m_maxPerHost = 0;
    int m_inFlight = 0;
    int m_maxInFlight = 0;
    int m_open = 0;
};
