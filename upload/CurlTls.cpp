#include "CurlTls.h"

#include "ServerTrust.h"

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
    const QString problem = QString::fromUtf8(X509_verify_cert_error_string(X509_STORE_CTX_get_error(store)));
    return trust->certificate(bytes, chainOk == 1, problem) ? 1 : 0;
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
