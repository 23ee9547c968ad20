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

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kAnswerMs = 2000;
// A later start sends lines: "raise", "link " and a link, percent-encoded so that it is one line
// of ASCII whatever it holds, or "too-long" for a link longer than a line may be. A line longer
// than that is taken as "too-long" too, and ends the connection.
const QByteArray kRaise = QByteArrayLiteral("raise");
const QByteArray kLink = QByteArrayLiteral("link ");
const QByteArray kTooLong = QByteArrayLiteral("too-long");
const char *kPending = "pendingRequest";

// A folder nobody but this user can enter or put anything in: no link, ours, mode 0700.
bool oursAlone(const QString &path)
{
    struct stat info = {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == ::geteuid() && (info.st_mode & 0777) == 0700;
}

// Whether the program at the other end of a local connection runs as this user.
bool peerIsUs(qintptr descriptor)
{
    struct ucred peer = {};
    socklen_t size = sizeof peer;
    return descriptor >= 0 && ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0
        && peer.uid == ::geteuid();
}

} // namespace

SingleWindow::SingleWindow(const QString &folder, QObject *parent)
    : QObject(parent)
{
    const QString home = socketFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath());
    if (home.isEmpty())
        return;
    // The same register reached through another path (a link, "..") is the same register; one
    // not made yet has no other path.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QByteArray key = QFile::encodeName(canonical.isEmpty() ? QDir::cleanPath(folder) : canonical);
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
    m_name = home + QStringLiteral("/sitekanri-") + QString::fromLatin1(digest);
}

SingleWindow::~SingleWindow() = default;

QString SingleWindow::socketFolder(const QString &runtime, const QString &temp)
{
    if (QDir::isAbsolutePath(runtime) && oursAlone(runtime))
        return QDir::cleanPath(runtime);
    const QString own = QDir(temp).filePath(QStringLiteral("sitekanri-%1").arg(::geteuid()));
    // Made with its mode at once; one that is there already counts only if it passes the same check
    // (another user may have made it first to catch our socket).
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    return oursAlone(own) ? own : QString();
}

bool SingleWindow::claim()
{
    if (m_name.isEmpty())
        return false;
    // Two programs starting at once must not both decide they are first.
    QLockFile starting(m_name + QStringLiteral(".starting"));
    starting.tryLock(kAnswerMs);
    if (askRunning())
        return true;
    // Nobody of ours answered: a name still there was left by a program that ended without
    // removing it, or is another user's, which is no window of ours.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name))
        return false; // the window still opens; later starts then open their own
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            if (!peerIsUs(socket->socketDescriptor())) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
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
    if (!socket.waitForConnected(kAnswerMs) || !peerIsUs(socket.socketDescriptor()))
        return false;
    QByteArray request = m_link.isEmpty() ? kRaise : kLink + QUrl::toPercentEncoding(m_link);
    m_linkTooLong = request.size() > kMaxRequest;
    // The window tells the user; a link cut short could be another link.
    if (m_linkTooLong)
        request = kTooLong;
    socket.write(request + '\n');
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
        } else if (line == kTooLong) {
            emit raiseRequested();
            emit linkTooLong(kMaxRequest);
        }
    }
    if (pending.size() > kMaxRequest) {
        socket->abort();
        emit raiseRequested();
        emit linkTooLong(kMaxRequest);
        return;
    }
    socket->setProperty(kPending, pending);
}
