#include "CurlTls.h"

#include "ServerTrust.h"
#include "UploadText.h"

#include <QByteArray>
#include <QString>

#include <openssl/ssl.h>
#include <openssl/x509.h>

namespace {

int trustIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// OpenSSL's reason for refusing a certificate, in words for people.
QString reasonOf(int error)
{
    switch (error) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return UploadText::tr("認証局の署名がない自己署名の証明書です");
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return UploadText::tr("証明書の有効期限が切れています");
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return UploadText::tr("証明書の有効期間がまだ始まっていません");
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return UploadText::tr("証明書を発行した認証局を確かめられません");
    case X509_V_ERR_CERT_REVOKED:
        return UploadText::tr("証明書は失効しています");
    default:
        return UploadText::tr("証明書を確かめられません（%1）").arg(QString::fromUtf8(X509_verify_cert_error_string(error)));
    }
}

int verify(int chainOk, X509_STORE_CTX *store)
{
    auto *ssl = static_cast<SSL *>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto *trust = ssl ? static_cast<ServerTrust *>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), trustIndex())) : nullptr;
    X509 *own = X509_STORE_CTX_get0_cert(store);
    if (!trust || !own)
        return 0;
    unsigned char *der = nullptr;
    const int length = i2d_X509(own, &der);
    if (length <= 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(der), length);
    OPENSSL_free(der);
    return trust->certificate(bytes, chainOk == 1, chainOk == 1 ? QString() : reasonOf(X509_STORE_CTX_get_error(store))) ? 1 : 0;
}

} // namespace

int CurlTlsContext(void *, void *sslContext, void *trust)
{
    auto *context = static_cast<SSL_CTX *>(sslContext);
    SSL_CTX_set_ex_data(context, trustIndex(), trust);
    // Peer verification always runs through `verify`, also where libcurl was told not to look
    // (a pinned certificate: the pin decides there, not the authorities).
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, verify);
    return 0;
}
