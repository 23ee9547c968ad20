#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One window per register. The first program started on a register listens under a name made from
// the register's folder; a later start finds it there, asks it to come to the front, and ends. A
// name left behind by a program that crashed is taken over.
//
// The name lives in a folder only this user can enter: $XDG_RUNTIME_DIR, or where there is none
// (or it is not ours alone), a folder of our own under the system's temporary folder. Both ends
// check who is at the other end of the connection, so another user's program is never obeyed and
// never told anything.
class SingleWindow : public QObject
{
    Q_OBJECT
public:
    explicit SingleWindow(const QString &folder, QObject *parent = nullptr);
    ~SingleWindow() override;

    // True when another program of ours already shows this register; it has been asked to come
    // forward. Otherwise this program is now the one later starts will find.
    bool claim();

    // The socket's full path; empty when no folder of ours could be had (each start then opens
    // its own window).
    QString serverName() const { return m_name; }

    // The folder that holds the socket: `runtime` when it is a folder of ours alone (mode 0700),
    // otherwise `<temp>/sitekanri-<uid>`, made or checked; empty when neither is ours.
    static QString socketFolder(const QString &runtime, const QString &temp);

    // A sitekanri: link this start was given, passed on by claim() to the program that shows the
    // register, or told by linkReceived when this program is that one.
    void setLink(const QString &link) { m_link = link; }
    // How long a request of a later start may be, in bytes: a link longer once percent-encoded
    // cannot be handed over.
    static constexpr qsizetype kMaxRequest = 256 * 1024;
    // claim() found the program that shows the register, but the link was too long to hand over:
    // that program was told so, and shows it (linkTooLong there).
    bool linkWasTooLong() const { return m_linkTooLong; }

signals:
    // A later start asked for the window.
    void raiseRequested();
    // A later start was given this link; it is text from another program, to be checked.
    void linkReceived(const QString &link);
    // A later start had a link longer than a request may be (`limit` bytes).
    void linkTooLong(qsizetype limit);

private:
    bool askRunning();
    void readRequests(QLocalSocket *socket);

    QString m_name;
    QString m_link;
    bool m_linkTooLong = false;
    QLocalServer *m_server = nullptr;
};
