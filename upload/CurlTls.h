#pragma once

// libcurl's hook into each TLS connection it makes (the FTP login's and each file's): OpenSSL
// then asks ServerTrust (the `trust` libcurl hands over) about the server's certificate.
int CurlTlsContext(void *curl, void *sslContext, void *trust);
