#pragma once

#include <QHostAddress>
#include <QString>

// Where an address leads, as the check and the title fetch see it before they follow a redirect:
// out onto the internet, or to this computer or a network of its own (loopback 127/8 and ::1,
// the private 10/8, 172.16/12 and 192.168/16, link-local 169.254/16 and fe80::/10, unique-local
// fc00::/7 and the old site-local fec0::/10), where a page from outside has no business sending
// them. Pure.
namespace AddressKind {

enum class Kind {
    Name,        // a host name: only what it resolves to tells
    Public,
    Internal,
    Unspecified, // 0.0.0.0 or ::, no machine at all (a connection there reaches this one)
};

// A URL's host by its spelling: an address written in any form the resolver reads
// (0x7f000001, 2130706433, 0177.0.0.1, 127.1, [::ffff:127.0.0.1], …), or a name of this computer
// by itself (see isLoopbackName), else a name.
Kind ofHost(const QString &host);
// "localhost" and every name under it ("a.localhost"), in any case and with or without the final
// dot: this computer by their name alone (RFC 6761), whatever a resolver or the hosts file says,
// so never asked of one.
bool isLoopbackName(const QString &host);
// An address, IPv4 written inside IPv6 (mapped, compatible or NAT64) taken for the IPv4 it holds.
Kind ofAddress(const QHostAddress &address);

} // namespace AddressKind
