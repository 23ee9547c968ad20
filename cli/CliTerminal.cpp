#include "CliTerminal.h"

#include "CliOutput.h"
#include "CliText.h"
#include "SecretKeeper.h"

#include <csignal>
#include <iterator>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// While echo is off, a signal that ends the command puts the terminal back first.
int g_tty = -1;
termios g_saved;
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void restoreAndEnd(int signal)
{
    ::tcsetattr(g_tty, TCSANOW, &g_saved);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

TerminalEdges::TerminalEdges(const SecretKeeper &secrets)
    : m_secrets(secrets)
{
}

TerminalEdges::~TerminalEdges()
{
    if (m_tty >= 0)
        ::close(m_tty);
}

bool TerminalEdges::terminal(const QString &whyAsked)
{
    if (!m_opened) {
        m_opened = true;
        m_tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    if (m_tty < 0)
        WriteError(QStringLiteral("sitekanri-cli: ") + whyAsked);
    return m_tty >= 0;
}

void TerminalEdges::say(const QString &text)
{
    const QByteArray bytes = TerminalText(text.toLocal8Bit(), OutputEncoding::Utf8);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(m_tty, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote <= 0)
            return;
        done += wrote;
    }
}

std::optional<QByteArray> TerminalEdges::readLine(bool echo)
{
    termios before{};
    const bool quiet = !echo && ::tcgetattr(m_tty, &before) == 0;
    struct sigaction previous[std::size(kEndingSignals)];
    if (quiet) {
        g_tty = m_tty;
        g_saved = before;
        struct sigaction restoring{};
        restoring.sa_handler = restoreAndEnd;
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            ::sigaction(kEndingSignals[i], &restoring, &previous[i]);
        termios hidden = before;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(m_tty, TCSAFLUSH, &hidden);
    }
    QByteArray line;
    char c = 0;
    ssize_t got = 0;
    while ((got = ::read(m_tty, &c, 1)) == 1 && c != '\n')
        line += c;
    if (quiet) {
        ::tcsetattr(m_tty, TCSAFLUSH, &before);
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            ::sigaction(kEndingSignals[i], &previous[i], nullptr);
        say(QStringLiteral("\n"));
    }
    if (got != 1 && line.isEmpty())
        return std::nullopt; // the terminal closed (Ctrl+D)
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

bool TerminalEdges::yes(const QString &question, bool byDefault)
{
    say(question + (byDefault ? QStringLiteral(" [Y/n] ") : QStringLiteral(" [y/N] ")));
    const std::optional<QByteArray> answer = readLine(true);
    if (!answer)
        return false;
    const QByteArray word = answer->trimmed().toLower();
    return word.isEmpty() ? byDefault : word == "y" || word == "yes";
}

std::optional<SecretAnswer> TerminalEdges::askSecret(const UploadServer &server, SecretKind kind, bool again)
{
    const QString what = kind == SecretKind::Password ? CliText::tr("%1 のパスワード").arg(server.shown())
                                                      : CliText::tr("鍵ファイル %1 のパスフレーズ").arg(server.keyFile);
    if (!terminal(CliText::tr("%1を尋ねる端末がないため、送りません。端末で一度 sitekanri-cli publish --upload を実行して"
                        "秘密の保管場所（キーリング）に保存するか、ウィンドウの「公開」で入力して保存してください"
                        "（コマンドラインや環境変数では受け取りません）。")
                      .arg(what)))
        return std::nullopt;
    if (again)
        say(CliText::tr("受け入れられませんでした。もう一度入力してください。\n"));
    say(what + QStringLiteral(": "));
    const std::optional<QByteArray> secret = readLine(false);
    if (!secret)
        return std::nullopt;
    SecretAnswer answer{QString::fromLocal8Bit(*secret), false};
    if (m_secrets.storeAvailable())
        answer.remember = yes(CliText::tr("秘密の保管場所（キーリング）に保存して、次からは尋ねないようにしますか?"), true);
    else
        say(CliText::tr("（秘密の保管場所がないため、保存しません）\n"));
    return answer;
}

bool TerminalEdges::acceptHostKey(const UploadServer &server, const QString &keyType, const QString &fingerprint)
{
    if (!terminal(CliText::tr("%1 は初めてのサーバーです（%2 鍵の指紋 %3）。確かめる端末がないため、接続しません。端末で一度実行するか、"
                        "ウィンドウの「公開」で確かめてください。")
                      .arg(server.shown(), keyType, fingerprint)))
        return false;
    say(CliText::tr("%1 に初めて接続します。\n鍵の種類: %2\n指紋: %3\n"
              "この指紋がそのサーバーの鍵のものか、サーバーの管理者や管理画面で確かめてください。\n")
            .arg(server.shown(), keyType, fingerprint));
    return yes(CliText::tr("信頼して接続し、~/.ssh/known_hosts に記録しますか?"));
}

bool TerminalEdges::acceptCertificate(const UploadServer &server, const QString &fingerprint, const QString &problem,
                                      bool changed)
{
    if (!terminal(CliText::tr("%1 の証明書を確かめられません（%2、指紋 %3）。確かめる端末がないため、接続しません。端末で一度実行するか、"
                        "ウィンドウの「公開」で確かめてください。")
                      .arg(server.shown(), problem, fingerprint)))
        return false;
    say(CliText::tr("%1 の証明書を確かめられません（%2）。\n証明書の指紋: %3\n").arg(server.shown(), problem, fingerprint));
    if (changed)
        say(CliText::tr("以前に信頼した証明書と違います。サーバーが証明書を替えたのでなければ、通信の途中で誰かがなりすましているおそれがあります。\n"));
    return yes(CliText::tr("このサーバーでは、この証明書だけを信頼しますか?"));
}

bool TerminalEdges::acceptClearText(const UploadServer &server)
{
    if (!terminal(CliText::tr("%1 には暗号化しない FTP で送る設定です。パスワードを平文で送ってよいかを尋ねる端末がないため、送りません。"
                        "端末で一度実行するか、ウィンドウの「公開」で認めてください。")
                      .arg(server.shown())))
        return false;
    say(CliText::tr("%1 には FTP で送ります。FTP はパスワードもページも暗号化しないため、途中の誰にでも読めます。\n").arg(server.shown()));
    return yes(CliText::tr("このサーバーに FTP で送りますか?（次からは尋ねません）"));
}
