#include "LocalServers.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <csignal>
#include <pwd.h>
#include <unistd.h>

// Where the test servers' own files are (ftp_server.py), for test programs of other folders too.
#ifndef UPLOAD_SERVERS_DIR
#define UPLOAD_SERVERS_DIR TEST_DATA
#endif

namespace {

int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// `pid` and every process it began, by their parent links in /proc.
QList<qint64> family(qint64 pid)
{
    QList<qint64> found{pid};
    for (qsizetype i = 0; i < found.size(); ++i)
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && fields[1].toLongLong() == found[i] && !found.contains(entry.toLongLong()))
                found.append(entry.toLongLong());
        }
    return found;
}

} // namespace

bool RunTool(const QString &program, const char *words, const QStringList &more, QString *output)
{
    QProcess process;
    process.start(program, QString::fromUtf8(words).split(u' ', Qt::SkipEmptyParts) + more);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return false;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return true;
}

bool MakeKey(const QString &path, const QString &passphrase)
{
    return RunTool(QStringLiteral("ssh-keygen"), "-q -t ed25519 -N", {passphrase, QStringLiteral("-f"), path});
}

LocalServer::~LocalServer()
{
    kill();
}

void LocalServer::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    for (const qint64 pid : family(m_process.processId()))
        ::kill(pid_t(pid), SIGKILL);
    m_process.waitForFinished(5000);
}

SshServer::SshServer()
{
    MakeKey(file(QStringLiteral("user_key")));
    QFile::copy(file(QStringLiteral("user_key.pub")), file(QStringLiteral("authorized_keys")));
    changeIdentity();
    QDir(m_dir.path()).mkpath(QStringLiteral("remote/site"));
}

void SshServer::changeIdentity()
{
    QFile::remove(file(QStringLiteral("host_key")));
    QFile::remove(file(QStringLiteral("host_key.pub")));
    MakeKey(file(QStringLiteral("host_key")));
}

void SshServer::authorize(const QString &keyFile)
{
    QFile list(file(QStringLiteral("authorized_keys")));
    QFile key(keyFile + QStringLiteral(".pub"));
    if (list.open(QIODevice::Append) && key.open(QIODevice::ReadOnly))
        list.write(key.readAll());
}

QString SshServer::fingerprint() const
{
    QString line;
    RunTool(QStringLiteral("ssh-keygen"), "-l -E sha256 -f", {file(QStringLiteral("host_key.pub"))}, &line);
    return line.section(u' ', 1, 1);
}

UploadServer SshServer::uploadServer() const
{
    UploadServer server;
    server.host = QStringLiteral("127.0.0.1");
    server.port = m_port;
    const passwd *entry = ::getpwuid(::getuid());
    server.user = entry ? QString::fromLocal8Bit(entry->pw_name) : QString();
    server.folder = remote(QStringLiteral("site"));
    server.sshLogin = SshLogin::KeyFile;
    server.keyFile = file(QStringLiteral("user_key"));
    return server;
}

QString SshServer::start()
{
    const QString sshd = QStringLiteral("/usr/sbin/sshd");
    if (!QFile::exists(sshd))
        return QStringLiteral("OpenSSH's sshd is not installed (scripts/setup.sh installs openssh-server)");
    // As root, sshd separates its privileges into this folder, which the package's service makes.
    if (::getuid() == 0)
        QDir().mkpath(QStringLiteral("/run/sshd"));
    if (m_port == 0)
        m_port = freePort();
    QFile config(file(QStringLiteral("sshd_config")));
    if (!config.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write the server's configuration");
    config.write(QStringLiteral("Port %1\nListenAddress 127.0.0.1\nHostKey %2\nPidFile %3\nAuthorizedKeysFile %4\n"
                                "StrictModes no\nUsePAM no\nUseDNS no\nPasswordAuthentication no\n"
                                "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\n"
                                "Subsystem sftp internal-sftp\nLogLevel QUIET\n")
                     .arg(m_port)
                     .arg(file(QStringLiteral("host_key")), file(QStringLiteral("sshd.pid")), file(QStringLiteral("authorized_keys")))
                     .toUtf8());
    config.close();
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(sshd, {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"), config.fileName()});
    for (int i = 0; i < 100 && m_process.state() != QProcess::NotRunning; ++i) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, quint16(m_port));
        if (probe.waitForConnected(200))
            return {};
        QThread::msleep(50);
    }
    kill();
    return QStringLiteral("sshd did not start on 127.0.0.1:%1").arg(m_port);
}

FtpServer::FtpServer(bool tls)
    : m_tls(tls)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("remote/site"));
    changeIdentity();
}

void FtpServer::changeIdentity()
{
    const QString pem = file(QStringLiteral("server.pem"));
    QFile::remove(pem);
    if (m_tls)
        RunTool(QStringLiteral("openssl"), "req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -keyout",
                {pem, QStringLiteral("-out"), pem});
}

QString FtpServer::fingerprint() const
{
    QString out;
    RunTool(QStringLiteral("openssl"), "x509 -noout -fingerprint -sha256 -in", {file(QStringLiteral("server.pem"))}, &out);
    return QStringLiteral("SHA256:") + out.section(u'=', 1).trimmed();
}

UploadServer FtpServer::uploadServer() const
{
    UploadServer server;
    server.protocol = m_tls ? UploadProtocol::Ftps : UploadProtocol::Ftp;
    server.host = QStringLiteral("127.0.0.1");
    server.port = m_port;
    server.user = QStringLiteral("web");
    server.folder = QStringLiteral("site");
    return server;
}

QString FtpServer::start()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!RunTool(python, "-c", {QStringLiteral("import pyftpdlib, OpenSSL")}))
        return QStringLiteral("pyftpdlib or pyOpenSSL is missing (scripts/setup.sh installs python3-pyftpdlib and python3-openssl)");
    QStringList arguments{QStringLiteral(UPLOAD_SERVERS_DIR "/ftp_server.py"), remote(QString()), QStringLiteral("web"), password(),
                          QString::number(m_port)};
    if (m_tls)
        arguments << file(QStringLiteral("server.pem"));
    m_process.setStandardErrorFile(file(QStringLiteral("ftp.log")));
    if (m_slow) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("FTP_SERVER_SLOW"), QStringLiteral("1"));
        m_process.setProcessEnvironment(environment);
    }
    m_process.start(python, arguments);
    if (!m_process.waitForReadyRead(10000))
        return QStringLiteral("pyftpdlib did not start");
    m_port = m_process.readLine().trimmed().toInt();
    return m_port > 0 ? QString() : QStringLiteral("pyftpdlib named no port");
}
