#include "LocalServers.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <csignal>
#include <pwd.h>
#include <unistd.h>

namespace {

// A port on 127.0.0.1 nobody listens on now.
int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

bool accepts(int port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    return socket.waitForConnected(200);
}

// `pid` and every process it began, by their parent links in /proc.
QList<qint64> family(qint64 pid)
{
    QList<qint64> found{pid};
    for (qsizetype i = 0; i < found.size(); ++i)
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = stat.readAll();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && fields[1].toLongLong() == found[i] && !found.contains(entry.toLongLong()))
                found.append(entry.toLongLong());
        }
    return found;
}

void killFamily(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    for (const qint64 pid : family(process.processId()))
        ::kill(pid_t(pid), SIGKILL);
    process.waitForFinished(5000);
}

} // namespace

bool RunTool(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return false;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return true;
}

SshServer::SshServer()
{
    const QString keygen = QStringLiteral("ssh-keygen");
    RunTool(keygen, {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"), QStringLiteral("-N"), QString(),
                     QStringLiteral("-f"), m_dir.filePath(QStringLiteral("user_key"))});
    QFile::copy(m_dir.filePath(QStringLiteral("user_key.pub")), m_dir.filePath(QStringLiteral("authorized_keys")));
    replaceHostKey();
    QDir(m_dir.path()).mkpath(QStringLiteral("remote"));
}

SshServer::~SshServer()
{
    killFamily(m_process);
}

void SshServer::replaceHostKey()
{
    QFile::remove(m_dir.filePath(QStringLiteral("host_key")));
    QFile::remove(m_dir.filePath(QStringLiteral("host_key.pub")));
    RunTool(QStringLiteral("ssh-keygen"), {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                                           QStringLiteral("-N"), QString(), QStringLiteral("-f"),
                                           m_dir.filePath(QStringLiteral("host_key"))});
}

void SshServer::authorize(const QString &keyFile)
{
    QFile list(m_dir.filePath(QStringLiteral("authorized_keys")));
    QFile key(keyFile + QStringLiteral(".pub"));
    if (list.open(QIODevice::Append) && key.open(QIODevice::ReadOnly))
        list.write(key.readAll());
}

QString SshServer::hostKeyFingerprint() const
{
    QString line;
    RunTool(QStringLiteral("ssh-keygen"), {QStringLiteral("-l"), QStringLiteral("-E"), QStringLiteral("sha256"), QStringLiteral("-f"),
                                           m_dir.filePath(QStringLiteral("host_key.pub"))},
            &line);
    return line.section(u' ', 1, 1);
}

QString SshServer::user() const
{
    const passwd *entry = ::getpwuid(::getuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

QString SshServer::folder(const QString &name) const
{
    return m_dir.filePath(QStringLiteral("remote/") + name);
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
    QFile config(m_dir.filePath(QStringLiteral("sshd_config")));
    if (!config.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write the server's configuration");
    config.write(QStringLiteral("Port %1\nListenAddress 127.0.0.1\nHostKey %2\nPidFile %3\nAuthorizedKeysFile %4\n"
                                "StrictModes no\nUsePAM no\nUseDNS no\nPasswordAuthentication no\n"
                                "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\n"
                                "Subsystem sftp internal-sftp\nLogLevel QUIET\n")
                     .arg(m_port)
                     .arg(m_dir.filePath(QStringLiteral("host_key")), m_dir.filePath(QStringLiteral("sshd.pid")),
                          m_dir.filePath(QStringLiteral("authorized_keys")))
                     .toUtf8());
    config.close();
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(sshd, {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"), config.fileName()});
    for (int i = 0; i < 100 && m_process.state() != QProcess::NotRunning; ++i) {
        if (accepts(m_port))
            return {};
        QThread::msleep(50);
    }
    killFamily(m_process);
    return QStringLiteral("sshd did not start on 127.0.0.1:%1").arg(m_port);
}

void SshServer::kill()
{
    killFamily(m_process);
}

FtpServer::FtpServer(bool tls)
    : m_tls(tls)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("remote"));
    replaceCertificate();
}

FtpServer::~FtpServer()
{
    killFamily(m_process);
}

void FtpServer::replaceCertificate()
{
    if (!m_tls)
        return;
    const QString pem = m_dir.filePath(QStringLiteral("server.pem"));
    QFile::remove(pem);
    RunTool(QStringLiteral("openssl"), {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                                        QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"), pem,
                                        QStringLiteral("-out"), pem, QStringLiteral("-days"), QStringLiteral("2"),
                                        QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")});
}

QString FtpServer::certificateFingerprint() const
{
    QString out;
    RunTool(QStringLiteral("openssl"), {QStringLiteral("x509"), QStringLiteral("-noout"), QStringLiteral("-fingerprint"),
                                        QStringLiteral("-sha256"), QStringLiteral("-in"), m_dir.filePath(QStringLiteral("server.pem"))},
            &out);
    return QStringLiteral("SHA256:") + out.section(u'=', 1).trimmed();
}

QString FtpServer::folder(const QString &name) const
{
    return m_dir.filePath(QStringLiteral("remote/") + name);
}

QString FtpServer::start()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!RunTool(python, {QStringLiteral("-c"), QStringLiteral("import pyftpdlib, OpenSSL")}))
        return QStringLiteral("pyftpdlib or pyOpenSSL is missing (scripts/setup.sh installs python3-pyftpdlib and python3-openssl)");
    // A server started again keeps its port, as a real one does.
    QStringList arguments{QStringLiteral(TEST_DATA "/ftp_server.py"), m_dir.filePath(QStringLiteral("remote")), user(), password(),
                          QString::number(m_port)};
    if (m_tls)
        arguments << m_dir.filePath(QStringLiteral("server.pem"));
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("ftp.log")));
    m_process.start(python, arguments);
    if (!m_process.waitForReadyRead(10000))
        return QStringLiteral("pyftpdlib did not start");
    m_port = m_process.readLine().trimmed().toInt();
    return m_port > 0 ? QString() : QStringLiteral("pyftpdlib named no port");
}

void FtpServer::kill()
{
    killFamily(m_process);
}
