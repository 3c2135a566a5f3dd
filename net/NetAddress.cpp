#include "net/NetAddress.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QUrl>

#include <algorithm>

namespace {

// What the player typed, as quoted back in a message: cut short if long, without control characters.
QString Quoted(const QString &text)
{
    constexpr qsizetype Longest = 40;
    QString shown = text.size() > Longest ? text.left(Longest) + QChar(0x2026) : text;
    for (QChar &c : shown)
        if (!c.isPrint())
            c = QLatin1Char('?');
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

std::optional<TNetAddress> Refuse(const QString &text, const QString &why, QString *error)
{
    if (error)
        *error = QStringLiteral("%1 is not an address: %2.").arg(Quoted(text), why);
    return std::nullopt;
}

bool AllDigits(QStringView text)
{
    return !text.isEmpty()
           && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
}

// "1".."65535" in decimal digits.
std::optional<quint16> PortIn(QStringView text)
{
    if (!AllDigits(text) || text.size() > 5)
        return std::nullopt;
    const int port = text.toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return static_cast<quint16>(port);
}

// Four numbers 0..255 with dots between them, nothing shorter (QHostAddress also takes "127.1").
bool DottedQuad(QStringView text)
{
    const QList<QStringView> parts = text.split(QLatin1Char('.'));
    return parts.size() == 4 && std::all_of(parts.begin(), parts.end(), [](QStringView part) {
               return AllDigits(part) && part.size() <= 3 && part.toInt() <= 255;
           });
}

// A host name: labels of letters, digits and hyphens (after IDNA for names in other scripts),
// none empty or longer than 63, none starting or ending with a hyphen, 253 characters in all.
bool HostName(const QString &text)
{
    QString ace = QString::fromLatin1(QUrl::toAce(text));
    if (ace.endsWith(QLatin1Char('.')))
        ace.chop(1);
    if (ace.isEmpty() || ace.size() > 253)
        return false;
    const QStringList labels = ace.split(QLatin1Char('.'));
    return std::all_of(labels.begin(), labels.end(), [](const QString &label) {
        const bool letters = std::all_of(label.begin(), label.end(), [](QChar c) {
            return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                   || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
        });
        return letters && !label.isEmpty() && label.size() <= 63 && !label.startsWith(QLatin1Char('-'))
               && !label.endsWith(QLatin1Char('-'));
    });
}

bool IPv6(const QString &text)
{
    const QHostAddress address(text);
    return address.protocol() == QAbstractSocket::IPv6Protocol;
}

} // namespace

std::optional<TNetAddress> NetAddress::Parse(const QString &text, quint16 defaultPort, QString *error)
{
    const QString typed = text.trimmed();
    if (typed.isEmpty()) {
        if (error)
            *error = QStringLiteral("Type the address of the computer that hosts the game.");
        return std::nullopt;
    }
    if (std::any_of(typed.begin(), typed.end(), [](QChar c) { return c.isSpace(); }))
        return Refuse(typed, QStringLiteral("it has a space in it"), error);
    const QString badPort = QStringLiteral("the port must be 1 to 65535");

    // "[IPv6]" or "[IPv6]:port".
    if (typed.startsWith(QLatin1Char('['))) {
        const qsizetype close = typed.indexOf(QLatin1Char(']'));
        if (close < 0)
            return Refuse(typed, QStringLiteral("the bracket after the IPv6 address is missing"), error);
        const QString host = typed.mid(1, close - 1);
        if (!IPv6(host))
            return Refuse(typed, QStringLiteral("there is no IPv6 address in the brackets"), error);
        const QStringView rest = QStringView(typed).mid(close + 1);
        if (rest.isEmpty())
            return TNetAddress{host, defaultPort};
        if (!rest.startsWith(QLatin1Char(':')))
            return Refuse(typed, QStringLiteral("only \":port\" may follow the brackets"), error);
        const std::optional<quint16> port = PortIn(rest.mid(1));
        if (!port)
            return Refuse(typed, badPort, error);
        return TNetAddress{host, *port};
    }

    // Two colons or more: an IPv6 address, which takes a port only in brackets.
    if (typed.count(QLatin1Char(':')) >= 2) {
        if (!IPv6(typed))
            return Refuse(typed, QStringLiteral("it is no IPv6 address (with a port, write \"[address]:port\")"),
                          error);
        return TNetAddress{typed, defaultPort};
    }

    QString host = typed;
    quint16 port = defaultPort;
    if (const qsizetype colon = typed.indexOf(QLatin1Char(':')); colon >= 0) {
        host = typed.left(colon);
        const std::optional<quint16> given = PortIn(QStringView(typed).mid(colon + 1));
        if (!given)
            return Refuse(typed, badPort, error);
        port = *given;
        if (host.isEmpty())
            return Refuse(typed, QStringLiteral("the computer's name or number is missing before the port"), error);
    }
    const bool numeric =
        std::all_of(host.begin(), host.end(), [](QChar c) { return c == QLatin1Char('.') || c.isDigit(); });
    if (numeric) {
        if (!DottedQuad(host))
            return Refuse(typed, QStringLiteral("an IPv4 address is four numbers 0 to 255 with dots between them"),
                          error);
    } else if (!HostName(host)) {
        return Refuse(typed, QStringLiteral("a name has only letters, digits, hyphens and dots between its parts"),
                      error);
    }
    return TNetAddress{host, port};
}

QStringList NetAddress::LocalAddresses()
{
    QStringList v4;
    QStringList v6;
    const QList<QNetworkInterface> faces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &face : faces) {
        const QNetworkInterface::InterfaceFlags flags = face.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning)
            || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const QList<QNetworkAddressEntry> entries = face.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            QHostAddress address = entry.ip();
            if (address.isLoopback() || address.isNull())
                continue;
            if (address.protocol() == QAbstractSocket::IPv4Protocol) {
                if (!address.isLinkLocal() && !v4.contains(address.toString()))
                    v4.append(address.toString());
            } else if (address.protocol() == QAbstractSocket::IPv6Protocol && address.isGlobal()
                       && !address.isUniqueLocalUnicast()) {
                address.setScopeId(QString());
                if (!v6.contains(address.toString()))
                    v6.append(address.toString());
            }
        }
    }
    return v4 + v6;
}

QString NetAddress::Display(const QString &host, quint16 port)
{
    if (host.contains(QLatin1Char(':')))
        return QStringLiteral("[%1]:%2").arg(host).arg(port);
    return QStringLiteral("%1:%2").arg(host).arg(port);
}
