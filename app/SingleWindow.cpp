#include "SingleWindow.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace {

constexpr int kAnswerMs = 2000;
const QByteArray kRaise = QByteArrayLiteral("raise\n");

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
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(kRaise))
                    emit raiseRequested();
            });
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
    socket.write(kRaise);
    socket.waitForBytesWritten(kAnswerMs);
    socket.disconnectFromServer();
    return true;
}
