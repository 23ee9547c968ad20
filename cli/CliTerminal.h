#pragma once

#include "UploadEdges.h"

class SecretKeeper;

// The questions of an upload asked on the terminal the command runs in (/dev/tty, never its
// standard input or output, which a script may be using), a secret read without echo. A command
// with no terminal (cron, a pipe from another program) asks nothing: each question is a no, and
// standard error says once how to answer it from a terminal or the window, where the answer is
// then kept (the secret store, known_hosts, the accepted certificate). A secret is never taken
// from the command line or the environment.
class TerminalEdges : public UploadEdges
{
public:
    explicit TerminalEdges(const SecretKeeper &secrets);
    ~TerminalEdges() override;

    std::optional<SecretAnswer> askSecret(const UploadServer &server, SecretKind kind, bool again) override;
    bool acceptHostKey(const UploadServer &server, const QString &keyType, const QString &fingerprint) override;
    bool acceptCertificate(const UploadServer &server, const QString &fingerprint, const QString &problem,
                           bool changed) override;
    bool acceptClearText(const UploadServer &server) override;

private:
    bool terminal(const QString &whyAsked);
    void say(const QString &text);
    std::optional<QByteArray> readLine(bool echo);
    bool yes(const QString &question, bool byDefault = false);

    const SecretKeeper &m_secrets;
    int m_tty = -1;
    bool m_opened = false;
};
