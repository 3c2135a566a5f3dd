#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Where a game is: a host (a name, an IPv4 or an IPv6 address, as typed) and its port.
struct TNetAddress
{
    QString host;
    quint16 port = 0;
    bool operator==(const TNetAddress &) const = default;
};

// The addresses players type and give each other.
namespace NetAddress {

// The port a game listens on unless the player picks another.
inline constexpr quint16 DefaultPort = 7717;

// The address in what the player typed: "friend.example.org", "192.168.1.5", "::1", "fe80::1%eth0",
// each with an optional ":PORT" (an IPv6 address in brackets then: "[::1]:7717"); defaultPort
// where none is given. Blanks around it are dropped. Anything else (nothing, a space inside, a port
// outside 1..65535, a name or number that cannot be an address) gives std::nullopt and, in *error,
// a sentence for the player naming what is wrong.
std::optional<TNetAddress> Parse(const QString &text, quint16 defaultPort, QString *error = nullptr);

// This computer's addresses a friend could reach it at: those of the interfaces that are up and
// running, not loopback; IPv4 first, then global IPv6 (no link-local or unique local ones).
QStringList LocalAddresses();

// How an address is shown and typed: "1.2.3.4:7717", "name:7717", "[::1]:7717".
QString Display(const QString &host, quint16 port);

} // namespace NetAddress
