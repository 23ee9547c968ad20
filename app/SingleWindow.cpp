#include "SingleWindow.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QUrl>
#include <QVariant>

#include <unistd.h>

namespace {

constexpr int kAnswerMs = 2000;
// A later start sends lines: "raise", or "link " and a link, percent-encoded so that it is one
// line of ASCII whatever it holds. More than a link may carry ends the connection.
const QByteArray kRaise = QByteArrayLiteral("raise");
const QByteArray kLink = QByteArrayLiteral("link ");
constexpr qsizetype kMaxRequest = 256 * 1024;
const char *kPending = "pendingRequest";

} // namespace

SingleWindow::SingleWindow(const QString &folder, QObject *parent)
    : QObject(parent)
{
    // The same register reached through another path (a link, "..") is the same register; one
    // not made yet has no other path.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QByteArray key = QFile::encodeName(canonical.isEmpty() ? QDir::cleanPath(folder) : canonical);
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
    // Per user: another user's window on a shared folder is no window of ours to raise.
    m_name = QStringLiteral("sitekanri-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
}

SingleWindow::~SingleWindow() = default;

bool SingleWindow::claim()
{
    // Two programs starting at once must not both decide they are first.
    QLockFile starting(QDir::temp().filePath(m_name + QStringLiteral(".starting")));
    starting.tryLock(kAnswerMs);
    if (askRunning())
        return true;
    // Nobody answered: a name still there was left by a program that ended without removing it.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name))
        return false; // the window still opens; later starts then open their own
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequests(socket); });
        }
    });
    return false;
}

bool SingleWindow::askRunning()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kAnswerMs))
        return false;
    socket.write((m_link.isEmpty() ? kRaise : kLink + QUrl::toPercentEncoding(m_link)) + '\n');
    socket.waitForBytesWritten(kAnswerMs);
    socket.disconnectFromServer();
    return true;
}

void SingleWindow::readRequests(QLocalSocket *socket)
{
    QByteArray pending = socket->property(kPending).toByteArray() + socket->readAll();
    for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
        const QByteArray line = pending.left(end);
        if (line == kRaise) {
            emit raiseRequested();
        } else if (line.startsWith(kLink)) {
            emit raiseRequested();
            emit linkReceived(QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(kLink.size()))));
        }
    }
    if (pending.size() > kMaxRequest) {
        socket->abort();
        return;
    }
    socket->setProperty(kPending, pending);
}
