#include "LocalHttpServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace {
const char *kInFlight = "inFlight"; // socket property: the request is counted and not answered yet
const char *kHost = "host";
} // namespace

LocalHttpServer::LocalHttpServer(int hosts, QObject *parent)
    : QObject(parent)
    , m_handler([](const Request &) { return Answer{}; })
{
    for (int attempt = 0; attempt < 20 && m_port == 0; ++attempt) {
        qDeleteAll(m_servers);
        m_servers.clear();
        bool all = true;
        for (int host = 1; host <= hosts && all; ++host) {
            auto *server = new QTcpServer(this);
            m_servers.push_back(server);
            const quint16 port = host == 1 ? 0 : m_servers.front()->serverPort();
            all = server->listen(QHostAddress(QStringLiteral("127.0.0.%1").arg(host)), port);
            server->setMaxPendingConnections(1000);
            connect(server, &QTcpServer::newConnection, this, [this, server, host] { accept(server, host); });
        }
        if (all)
            m_port = m_servers.front()->serverPort();
    }
}

LocalHttpServer::~LocalHttpServer() = default;

QString LocalHttpServer::base(int host) const
{
    return QStringLiteral("http://127.0.0.%1:%2").arg(host).arg(m_port);
}

void LocalHttpServer::accept(QTcpServer *server, int host)
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        ++m_open;
        socket->setProperty(kHost, host);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, host] { read(socket, host); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            settle(socket);
            --m_open;
            socket->deleteLater();
        });
    }
}

void LocalHttpServer::read(QTcpSocket *socket, int host)
{
    if (socket->property(kInFlight).isValid())
        return; // one request per connection
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    socket->setProperty("head", head);
    if (!head.contains("\r\n\r\n"))
        return;
    const QList<QByteArray> words = head.left(head.indexOf("\r\n")).split(' ');
    Request request{words.value(0), words.value(1), host};
    m_log.push_back(request);
    socket->setProperty(kInFlight, true);
    ++m_inFlight;
    m_maxInFlight = std::max(m_maxInFlight, m_inFlight);
    m_maxPerHost = std::max(m_maxPerHost, ++m_perHost[host]);
    const Answer reply = m_handler(request);
    if (reply.never)
        return;
    QTimer::singleShot(reply.delayMs, socket, [this, socket, request, reply] { answer(socket, request, reply); });
}

void LocalHttpServer::answer(QTcpSocket *socket, const Request &request, const Answer &answer)
{
    if (answer.headerEveryMs > 0) {
        socket->write("HTTP/1.1 200 OK\r\n");
        endlessHeaders(socket, answer.headerEveryMs);
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.code) + " Answer\r\nConnection: close\r\n";
    if (!answer.location.isEmpty())
        head += "Location: " + answer.location + "\r\n";
    head += answer.endlessBody ? QByteArray("Content-Length: 1000000000000\r\n\r\n") : QByteArray("Content-Length: 0\r\n\r\n");
    socket->write(head);
    settle(socket);
    if (answer.endlessBody && request.method == "GET") {
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { trickle(socket); });
        trickle(socket);
        return;
    }
    socket->disconnectFromHost();
}

void LocalHttpServer::trickle(QTcpSocket *socket)
{
    if (socket->bytesToWrite() < 64 * 1024)
        socket->write(QByteArray(64 * 1024, 'x'));
}

void LocalHttpServer::endlessHeaders(QTcpSocket *socket, int everyMs)
{
    if (socket->state() != QAbstractSocket::ConnectedState)
        return;
    socket->write("X-Slow: 1\r\n");
    QTimer::singleShot(everyMs, socket, [this, socket, everyMs] { endlessHeaders(socket, everyMs); });
}

void LocalHttpServer::settle(QTcpSocket *socket)
{
    if (!socket->property(kInFlight).toBool())
        return;
    socket->setProperty(kInFlight, false);
    --m_inFlight;
    --m_perHost[socket->property(kHost).toInt()];
}
