#include "LocalHttpServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace {

// Socket properties: the request read so far, and whether it is counted and not yet answered.
const char *kHead = "head";
const char *kInFlight = "inFlight";

// Writes `bytes` every `everyMs` for as long as the client stays, never queueing more than a little.
void drip(QTcpSocket *socket, const QByteArray &bytes, int everyMs)
{
    if (socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (socket->bytesToWrite() < 1024 * 1024)
        socket->write(bytes);
    QTimer::singleShot(everyMs, socket, [=] { drip(socket, bytes, everyMs); });
}

} // namespace

LocalHttpServer::LocalHttpServer(int hosts)
{
    bool all = true;
    for (int host = 1; host <= hosts && all; ++host) {
        auto *server = new QTcpServer(this);
        all = server->listen(QHostAddress(QStringLiteral("127.0.0.%1").arg(host)), m_port);
        m_port = all ? server->serverPort() : 0;
        connect(server, &QTcpServer::newConnection, this, [this, server, host] {
            while (QTcpSocket *socket = server->nextPendingConnection()) {
                ++m_open;
                connect(socket, &QTcpSocket::readyRead, this, [this, socket, host] { read(socket, host); });
                connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                    settle(socket);
                    --m_open;
                    socket->deleteLater();
                });
            }
        });
    }
}

QString LocalHttpServer::base(int host) const
{
    return QStringLiteral("http://127.0.0.%1:%2").arg(host).arg(m_port);
}

void LocalHttpServer::read(QTcpSocket *socket, int host)
{
    const QByteArray head = socket->property(kHead).toByteArray() + socket->readAll();
    socket->setProperty(kHead, head);
    if (socket->property(kInFlight).isValid() || !head.contains("\r\n\r\n"))
        return; // one request per connection, read whole
    const QList<QByteArray> words = head.left(head.indexOf("\r\n")).split(' ');
    const Request request{words.value(0), words.value(1), host};
    m_log.push_back(request);
    socket->setProperty(kInFlight, host);
    m_maxInFlight = std::max(m_maxInFlight, ++m_inFlight);
    m_maxPerHost = std::max(m_maxPerHost, ++m_perHost[host]);
    const Answer reply = m_handler(request);
    if (reply.kind == Answer::EndlessHeaders) {
        socket->write("HTTP/1.1 200 OK\r\n");
        drip(socket, "X-Slow: 1\r\n", reply.delayMs);
    } else if (reply.kind != Answer::Never) {
        QTimer::singleShot(reply.delayMs, socket, [=] { answer(socket, request, reply); });
    }
}

void LocalHttpServer::answer(QTcpSocket *socket, const Request &request, const Answer &answer)
{
    const bool endless = answer.kind == Answer::EndlessBody;
    socket->write("HTTP/1.1 " + QByteArray::number(answer.code) + " Answer\r\nConnection: close\r\n"
                  + (answer.location.isEmpty() ? QByteArray() : "Location: " + answer.location + "\r\n")
                  + "Content-Length: " + (endless ? "1000000000000" : "0") + "\r\n\r\n");
    settle(socket);
    if (endless && request.method == "GET")
        drip(socket, QByteArray(64 * 1024, 'x'), 1);
    else
        socket->disconnectFromHost();
}

void LocalHttpServer::settle(QTcpSocket *socket)
{
    const int host = socket->property(kInFlight).toInt();
    if (host == 0)
        return;
    socket->setProperty(kInFlight, 0);
    --m_inFlight;
    --m_perHost[host];
}
