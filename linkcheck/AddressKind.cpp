#include "AddressKind.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace AddressKind {

namespace {

Kind ofIpv4(quint32 address)
{
    if (address == 0)
        return Kind::Unspecified;
    const auto in = [address](quint32 network, int bits) { return (address >> (32 - bits)) == (network >> (32 - bits)); };
    const bool internal = in(0x00000000, 8)      // "this network": reaches this computer
        || in(0x7f000000, 8) || in(0x0a000000, 8) || in(0xac100000, 12) || in(0xc0a80000, 16) || in(0xa9fe0000, 16);
    return internal ? Kind::Internal : Kind::Public;
}

Kind ofIpv6(const Q_IPV6ADDR &bytes)
{
    const quint8 *b = bytes.c;
    const auto zeros = [b](int from, int to) {
        for (int i = from; i < to; ++i) {
            if (b[i] != 0)
                return false;
        }
        return true;
    };
    const quint32 tail = quint32(b[12]) << 24 | quint32(b[13]) << 16 | quint32(b[14]) << 8 | b[15];
    // ::ffff:a.b.c.d (mapped), ::a.b.c.d (compatible, long deprecated but still read) and the
    // NAT64 64:ff9b::a.b.c.d all lead where the IPv4 address does; :: and ::1 are their own.
    if (zeros(0, 10) && b[10] == 0xff && b[11] == 0xff)
        return ofIpv4(tail);
    if (zeros(0, 12))
        return tail == 0 ? Kind::Unspecified : tail == 1 ? Kind::Internal : ofIpv4(tail);
    static const quint8 nat64[12] = {0, 0x64, 0xff, 0x9b, 0, 0, 0, 0, 0, 0, 0, 0};
    if (std::memcmp(b, nat64, sizeof nat64) == 0)
        return ofIpv4(tail);
    const bool uniqueLocal = (b[0] & 0xfe) == 0xfc;
    const bool linkOrSiteLocal = b[0] == 0xfe && (b[1] & 0x80) == 0x80; // fe80::/10 and fec0::/10
    return uniqueLocal || linkOrSiteLocal ? Kind::Internal : Kind::Public;
}

} // namespace

bool isLoopbackName(const QString &host)
{
    const QString name = host.endsWith(u'.') ? host.chopped(1) : host;
    return name.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
        || name.endsWith(QLatin1String(".localhost"), Qt::CaseInsensitive);
}

Kind ofHost(const QString &host)
{
    if (isLoopbackName(host))
        return Kind::Internal;
    QString bare = host;
    if (bare.startsWith(u'[') && bare.endsWith(u']'))
        bare = bare.mid(1, bare.size() - 2);
    const QByteArray latin = bare.toLatin1();
    in6_addr v6 = {};
    if (::inet_pton(AF_INET6, latin.constData(), &v6) == 1) {
        Q_IPV6ADDR bytes;
        std::memcpy(bytes.c, &v6, sizeof bytes.c);
        return ofIpv6(bytes);
    }
    // inet_aton reads every form getaddrinfo does: hexadecimal, octal, one to four parts. It
    // also stops at a blank and takes what came before, which no host is.
    const bool numeric = !latin.isEmpty() && std::all_of(latin.begin(), latin.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'x' || c == 'X';
    });
    in_addr v4 = {};
    if (numeric && ::inet_aton(latin.constData(), &v4) != 0)
        return ofIpv4(ntohl(v4.s_addr));
    return Kind::Name;
}

Kind ofAddress(const QHostAddress &address)
{
    if (address.protocol() == QAbstractSocket::IPv4Protocol)
        return ofIpv4(address.toIPv4Address());
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        return ofIpv6(address.toIPv6Address());
    return Kind::Name;
}

} // namespace AddressKind
