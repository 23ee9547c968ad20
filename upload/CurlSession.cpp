#include "CurlSession.h"

#include "CurlTls.h"
#include "ServerTrust.h"

#include <QCryptographicHash>
#include <QFile>
#include <QIODevice>

#include <curl/curl.h>

#include <mutex>

namespace {

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int checkHostKey(CURL *, const curl_khkey *, const curl_khkey *found, curl_khmatch match, void *trust)
{
    const QByteArray key = found->len ? QByteArray(found->key, qsizetype(found->len)) : QByteArray::fromBase64(found->key);
    const ServerTrust::KnownMatch known = match == CURLKHMATCH_OK ? ServerTrust::KnownMatch::Same
        : match == CURLKHMATCH_MISMATCH                           ? ServerTrust::KnownMatch::Other
                                                                  : ServerTrust::KnownMatch::None;
    return static_cast<ServerTrust *>(trust)->hostKey(key, known) ? CURLKHSTAT_FINE : CURLKHSTAT_REJECT;
}

// The file being sent, read as libcurl asks for it, and the digest of exactly what went.
struct Source
{
    QIODevice &device;
    QCryptographicHash digest{QCryptographicHash::Sha256};
};

size_t readSource(char *buffer, size_t size, size_t count, void *data)
{
    auto *source = static_cast<Source *>(data);
    const qint64 read = source->device.read(buffer, qint64(size * count));
    if (read < 0)
        return CURL_READFUNC_ABORT;
    source->digest.addData(QByteArrayView(buffer, read));
    return size_t(read);
}

// A list of commands for libcurl, freed with the request.
struct CommandList
{
    curl_slist *list = nullptr;
    explicit CommandList(const QList<QByteArray> &commands)
    {
        for (const QByteArray &command : commands)
            list = curl_slist_append(list, command.constData());
    }
    ~CommandList() { curl_slist_free_all(list); }
};

} // namespace

struct CurlProgress
{
    static int report(void *data, curl_off_t, curl_off_t, curl_off_t total, curl_off_t sent)
    {
        auto *session = static_cast<CurlSession *>(data);
        if (session->m_cancel && session->m_cancel->load())
            return 1;
        if (session->m_progress && total > 0)
            session->m_progress(qint64(sent), qint64(total));
        return 0;
    }
};

CurlSession::CurlSession(const UploadServer &server, ServerTrust &trust)
    : m_server(server), m_trust(trust), m_knownHosts(QFile::encodeName(trust.knownHostsFile())),
      m_keyFile(QFile::encodeName(server.keyFile))
{
    initialiseCurl();
    m_curl = curl_easy_init();
}

CurlSession::~CurlSession()
{
    curl_easy_cleanup(m_curl);
}

void CurlSession::disconnect()
{
    curl_easy_cleanup(m_curl);
    m_curl = curl_easy_init();
}

void CurlSession::setCommon(const QByteArray &url)
{
    CURL *curl = m_curl;
    curl_easy_reset(curl);
    const bool sftp = m_server.protocol == UploadProtocol::Sftp;
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, sftp ? "sftp" : "ftp");
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_error);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERNAME, m_server.user.toUtf8().constData());
    // A server that stops answering is given up on, rather than waited for without end.
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CurlProgress::report);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    if (sftp) {
        curl_easy_setopt(curl, CURLOPT_SSH_KNOWNHOSTS, m_knownHosts.constData());
        curl_easy_setopt(curl, CURLOPT_SSH_KEYFUNCTION, &checkHostKey);
        curl_easy_setopt(curl, CURLOPT_SSH_KEYDATA, &m_trust);
        curl_easy_setopt(curl, CURLOPT_NEW_FILE_PERMS, 0644L);
        curl_easy_setopt(curl, CURLOPT_NEW_DIRECTORY_PERMS, 0755L);
        switch (m_server.sshLogin) {
        case SshLogin::Agent:
            curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_AGENT));
            break;
        case SshLogin::KeyFile:
            curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PUBLICKEY));
            curl_easy_setopt(curl, CURLOPT_SSH_PRIVATE_KEYFILE, m_keyFile.constData());
            // Empty: libssh2 finds the public key from the private one.
            curl_easy_setopt(curl, CURLOPT_SSH_PUBLIC_KEYFILE, "");
            if (!m_secret.isEmpty())
                curl_easy_setopt(curl, CURLOPT_KEYPASSWD, m_secret.constData());
            break;
        case SshLogin::Password:
            curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
            curl_easy_setopt(curl, CURLOPT_PASSWORD, m_secret.constData());
            break;
        }
        return;
    }
    curl_easy_setopt(curl, CURLOPT_PASSWORD, m_secret.constData());
    if (m_server.protocol == UploadProtocol::Ftps) {
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        curl_easy_setopt(curl, CURLOPT_FTPSSLAUTH, long(CURLFTPAUTH_TLS));
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, &CurlTlsContext);
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &m_trust);
        // A pinned certificate is checked by its fingerprint alone (CurlTls), so libcurl's own
        // look at the authorities and the name stands aside.
        const bool pinned = m_trust.pinned();
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, pinned ? 0L : 1L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, pinned ? 0L : 2L);
    } else {
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_NONE));
    }
}

CurlOutcome CurlSession::perform()
{
    m_error[0] = '\0';
    CurlOutcome outcome;
    const CURLcode code = curl_easy_perform(m_curl);
    outcome.code = int(code);
    outcome.detail = QString::fromUtf8(m_error[0] ? m_error : curl_easy_strerror(code));
    curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &outcome.reply);
    return outcome;
}

CurlOutcome CurlSession::upload(QIODevice &source, qint64 size, const QByteArray &url, const QList<QByteArray> &after,
                                QByteArray *sentDigest)
{
    setCommon(url);
    Source reading{source};
    const CommandList commands(after);
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_curl, CURLOPT_READFUNCTION, &readSource);
    curl_easy_setopt(m_curl, CURLOPT_READDATA, &reading);
    curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(size));
    curl_easy_setopt(m_curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_RETRY));
    curl_easy_setopt(m_curl, CURLOPT_POSTQUOTE, commands.list);
    const CurlOutcome outcome = perform();
    if (sentDigest)
        *sentDigest = reading.digest.result();
    return outcome;
}

CurlOutcome CurlSession::commands(const QByteArray &folderUrl, const QList<QByteArray> &commands)
{
    setCommon(folderUrl);
    const CommandList list(commands);
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    // SFTP runs its commands by their whole paths before anything else; FTP once it is in the
    // folder, where they name the files alone.
    curl_easy_setopt(m_curl, m_server.protocol == UploadProtocol::Sftp ? CURLOPT_QUOTE : CURLOPT_POSTQUOTE, list.list);
    return perform();
}
