#include "LocalHttpServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>

#include <algorithm>

namespace {

using Answer = LocalHttpServer::Answer;

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

// One gzip member holding 4 MiB of zeros in about 4 KiB: a body that inflates a thousandfold.
const QByteArray &gzipMember()
{
    static const QByteArray member = [] {
        const QByteArray zeros(4 << 20, '\0');
        const QByteArray zlib = qCompress(zeros, 9); // size, zlib header, deflate data, Adler-32
        const quint32 crc = 0x1147406a; // CRC-32 of the 4 MiB of zeros, as zlib.crc32 gives it
        QByteArray gzip = QByteArray("\x1f\x8b\x08\0\0\0\0\0\x02\x03", 10) + zlib.mid(6, zlib.size() - 10);
        for (const quint32 word : {qToLittleEndian(crc), qToLittleEndian(quint32(zeros.size()))})
            gzip += QByteArray::fromRawData(reinterpret_cast<const char *>(&word), 4);
        return gzip;
    }();
    return member;
}

QByteArray statusAndHeaders(const Answer &answer, const QByteArray &length)
{
    return "HTTP/1.1 " + QByteArray::number(answer.code) + " Answer\r\nConnection: close\r\n"
        + (answer.location.isEmpty() ? QByteArray() : "Location: " + answer.location + "\r\n")
        + (answer.kind == Answer::GzipBomb ? "Content-Encoding: gzip\r\n" : "")
        + (answer.contentType.isEmpty() ? QByteArray() : "Content-Type: " + answer.contentType + "\r\n")
        + (answer.chunked ? QByteArray("Transfer-Encoding: chunked") : "Content-Length: " + length) + "\r\n\r\n";
}

QByteArray chunks(const QByteArray &body)
{
    QByteArray out;
    for (qsizetype at = 0; at < body.size(); at += 7) // chunks that end inside characters and tags
        out += QByteArray::number(std::min<qsizetype>(7, body.size() - at), 16) + ";x=1\r\n" + body.mid(at, 7) + "\r\n";
    return out + "0\r\n\r\n";
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
    if (reply.kind == Answer::Slowloris || reply.kind == Answer::Flood) {
        socket->write("HTTP/1.1 200 OK\r\nX-Slow: ");
        drip(socket, reply.kind == Answer::Flood ? QByteArray("1\r\nX-Flood: ").repeated(8192) : "1", reply.delayMs);
    } else if (reply.kind != Answer::Never) {
        QTimer::singleShot(reply.delayMs, socket, [=] { answer(socket, request, reply); });
    }
}

void LocalHttpServer::answer(QTcpSocket *socket, const Request &request, const Answer &answer)
{
    const bool endless = answer.kind == Answer::EndlessBody || answer.kind == Answer::GzipBomb;
    socket->write(statusAndHeaders(answer, endless ? "1000000000000" : QByteArray::number(answer.body.size())));
    if (request.method == "GET")
        socket->write(answer.chunked ? chunks(answer.body) : answer.body);
    settle(socket);
    if (endless && request.method == "GET")
        drip(socket, answer.kind == Answer::GzipBomb ? gzipMember().repeated(16) : QByteArray(64 * 1024, 'x'), 1);
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
