#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <variant>

// "Who hosts a game?", asked on the local network, with an id the answers echo.
struct TDiscoveryQuery
{
    std::uint32_t id = 0;
    bool operator==(const TDiscoveryQuery &) const = default;
};

// A host's answer: the port its game listens on, its name, the game's version and whether the
// player's seat is still free (if not, there is room to watch).
struct TDiscoveryAnswer
{
    std::uint32_t id = 0;
    quint16 gamePort = 0;
    QString name;
    QString version;
    bool seatFree = false;
    bool operator==(const TDiscoveryAnswer &) const = default;
};

using TDiscoveryDatagram = std::variant<TDiscoveryQuery, TDiscoveryAnswer>;

// The datagrams that find games on the local network, and their bytes (see DiscoveryDatagram.cpp
// for the layout). Anything received is untrusted: Decode() checks every length and value.
namespace DiscoveryDatagram {

// The UDP port hosts listen on for questions.
inline constexpr quint16 DiscoveryPort = 7718;
// No datagram of ours is longer.
inline constexpr qsizetype MaxBytes = 256;
// A host's name is at most this many characters (UTF-16 units, so at most 189 bytes of UTF-8).
inline constexpr qsizetype MaxNameChars = 63;
// A version is printable ASCII of at most this many bytes.
inline constexpr qsizetype MaxVersionBytes = 32;

// The bytes of a datagram. A name is cut to its bound and its control characters become blanks;
// a version is cut to its bound and anything but printable ASCII becomes '?' (no version at all, "?").
QByteArray Encode(const TDiscoveryDatagram &datagram);
// The datagram in the bytes, or std::nullopt for anything that is not exactly one well-formed
// datagram of this layout. Never throws.
std::optional<TDiscoveryDatagram> Decode(QByteArrayView bytes) noexcept;

} // namespace DiscoveryDatagram
