#include "net/THandshake.h"

#include <utility>

namespace {

using Reason = TNetRefuse::Reason;

QString SeatName(TSeat seat)
{
    return seat == TSeat::Player ? QStringLiteral("player") : QStringLiteral("watcher");
}

// The text a guest of another version reads: both versions, and the protocols too where the
// versions read the same (a build between two releases).
QString VersionText(const QString &host, std::uint16_t hostProtocol, const TNetHello &guest)
{
    if (host == guest.version)
        return QStringLiteral("The host plays Zandrix II %1 (network protocol %2), you have %3 (protocol %4): both "
                              "need the same version.")
            .arg(host)
            .arg(hostProtocol)
            .arg(guest.version)
            .arg(guest.protocol);
    return QStringLiteral("The host plays Zandrix II %1, you have %2: both need the same version.")
        .arg(host, guest.version);
}

} // namespace

THandshake::THandshake(bool isHost, QString gameVersion, const QString &secret, TNonceSource nonceSource)
    : hosting(isHost)
    , version(std::move(gameVersion))
    , password(secret)
    , nonces(std::move(nonceSource))
{
}

THandshake THandshake::Host(QString version, const QString &password, bool evenOutLag, TSeatsQuery seats,
                            TNonceSource nonces)
{
    THandshake host(true, std::move(version), password, std::move(nonces));
    host.evenOutLag = evenOutLag;
    host.seats = std::move(seats);
    return host;
}

THandshake THandshake::Join(QString version, const QString &password, TSeat wanted, TNonceSource nonces)
{
    THandshake guest(false, std::move(version), password, std::move(nonces));
    guest.seat = wanted;
    return guest;
}

std::vector<TNetMessage> THandshake::Start()
{
    if (hosting || step != Step::Hello)
        return {};
    guestNonce = nonces();
    step = Step::Challenge;
    return {TNetHello{NetProtocol::Version, version, seat, guestNonce}};
}

std::vector<TNetMessage> THandshake::Receive(const TNetMessage &message)
{
    if (outcome != Outcome::Pending)
        return {};
    return hosting ? HostReceives(message) : GuestReceives(message);
}

std::vector<TNetMessage> THandshake::HostReceives(const TNetMessage &message)
{
    if (const auto *bye = std::get_if<TNetBye>(&message)) {
        Finish(Outcome::Refused, QStringLiteral("A guest left before joining: %1").arg(bye->reason));
        return {};
    }
    if (const auto *hello = std::get_if<TNetHello>(&message); hello && step == Step::Hello) {
        if (hello->protocol != NetProtocol::Version || hello->version != version)
            return Refuse(Reason::VersionMismatch, VersionText(version, NetProtocol::Version, *hello),
                          QStringLiteral("A guest with Zandrix II %1 was turned away: this game is %2.")
                              .arg(hello->version, version));
        seat = hello->role;
        if (const std::optional<TNetRefuse> refusal = NoSeat(seat))
            return Refuse(refusal->reason, refusal->text,
                          QStringLiteral("A guest was turned away: no %1's seat is free.").arg(SeatName(seat)));
        guestNonce = hello->nonce;
        hostNonce = nonces();
        step = Step::Proof;
        return {TNetChallenge{hostNonce, password.Wanted()}};
    }
    if (const auto *proof = std::get_if<TNetProof>(&message); proof && step == Step::Proof) {
        if (!TPasswordProof::Same(proof->proof, password.OfGuest(guestNonce, hostNonce, seat)))
            return Refuse(Reason::WrongPassword, QStringLiteral("Wrong password."),
                          QStringLiteral("A guest gave a wrong password."));
        if (const std::optional<TNetRefuse> refusal = NoSeat(seat))
            return Refuse(refusal->reason, refusal->text,
                          QStringLiteral("A guest was turned away: no %1's seat is free.").arg(SeatName(seat)));
        Finish(Outcome::Seated, {});
        return {TNetWelcome{seat, password.OfHost(guestNonce, hostNonce, seat), evenOutLag}};
    }
    return Refuse(Reason::Protocol, QStringLiteral("Your game sent the host a message it did not expect."),
                  QStringLiteral("A guest was turned away: it did not follow the game's protocol."));
}

std::vector<TNetMessage> THandshake::GuestReceives(const TNetMessage &message)
{
    if (const auto *refuse = std::get_if<TNetRefuse>(&message); refuse && step != Step::Hello) {
        Finish(Outcome::Refused, refuse->text.isEmpty() ? QStringLiteral("The host turned you away.") : refuse->text);
        return {};
    }
    if (const auto *bye = std::get_if<TNetBye>(&message); bye && step != Step::Hello) {
        Finish(Outcome::Refused, QStringLiteral("The host closed the connection: %1").arg(bye->reason));
        return {};
    }
    if (const auto *challenge = std::get_if<TNetChallenge>(&message); challenge && step == Step::Challenge) {
        if (challenge->passwordWanted && !password.Wanted())
            return Leave(QStringLiteral("No password given."),
                         QStringLiteral("This game has a password: enter it to join."));
        // A host that wants none is joined without it (and learns nothing of it).
        if (!challenge->passwordWanted)
            password = TPasswordProof(QString());
        hostNonce = challenge->nonce;
        step = Step::Welcome;
        return {TNetProof{password.OfGuest(guestNonce, hostNonce, seat)}};
    }
    if (const auto *welcome = std::get_if<TNetWelcome>(&message); welcome && step == Step::Welcome) {
        if (welcome->seat != seat)
            return Leave(QStringLiteral("A seat that was not asked for."),
                         QStringLiteral("The host offered a seat you did not ask for."));
        if (!TPasswordProof::Same(welcome->proof, password.OfHost(guestNonce, hostNonce, seat)))
            return Leave(QStringLiteral("The host's proof of the password is wrong."),
                         QStringLiteral("The host does not know the game's password: it is not the game you meant "
                                        "to join."));
        evenOutLag = welcome->evenOutLag;
        Finish(Outcome::Seated, {});
        return {};
    }
    return Leave(QStringLiteral("The wrong message during the handshake."),
                 QStringLiteral("The host does not follow the game's protocol."));
}

std::vector<TNetMessage> THandshake::Refuse(TNetRefuse::Reason why, const QString &text, QString here)
{
    Finish(Outcome::Refused, std::move(here));
    return {TNetRefuse{why, text}};
}

std::vector<TNetMessage> THandshake::Leave(const QString &bye, QString here)
{
    Finish(Outcome::Refused, std::move(here));
    return {TNetBye{bye}};
}

std::optional<TNetRefuse> THandshake::NoSeat(TSeat role) const
{
    const TFreeSeats free = seats ? seats() : TFreeSeats{};
    if (!free.player && !free.watcher)
        return TNetRefuse{Reason::Full,
                          QStringLiteral("The game is full: a player and eight watchers are there already.")};
    if (role == TSeat::Player && !free.player)
        return TNetRefuse{Reason::Busy,
                          QStringLiteral("The host plays against someone else already: you can join as a watcher.")};
    if (role == TSeat::Watcher && !free.watcher)
        return TNetRefuse{Reason::Full, QStringLiteral("The game is full: eight watchers are there already.")};
    return std::nullopt;
}

void THandshake::Finish(Outcome end, QString why)
{
    outcome = end;
    step = Step::Done;
    reason = std::move(why);
}
