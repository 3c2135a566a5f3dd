#pragma once

#include "net/NetMessage.h"
#include "net/TPasswordProof.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The start of a connection, on one side: the joining side says hello and proves the password, the
// host checks the version, the seats and the proof, and proves the password in turn. It knows no
// sockets: it is fed the peer's messages, decoded, and answers with what to send back. Once it has
// an outcome, it takes no more messages (Receive() answers nothing and changes nothing).
//
//   guest                host
//   Hello       ->
//               <-       Challenge            (or Refuse: another version, no seat)
//   Proof       ->
//               <-       Welcome              (or Refuse: wrong password, no seat any more)
class THandshake
{
public:
    enum class Outcome : std::uint8_t {
        Pending, // messages are still to come
        Seated,  // the guest sits as Seat()
        Refused, // one side turned the other away, or left: Reason() tells why
    };

    // The seats free on the host when a guest asks for one.
    struct TFreeSeats
    {
        bool player = false;
        bool watcher = false;
    };
    // Asked when a guest says hello and again when it has proved the password (another guest may
    // have been seated in between).
    using TSeatsQuery = std::function<TFreeSeats()>;
    using TNonceSource = std::function<TNonce()>;

    // The host's side of one guest's connection. version is the game's (NetProtocol::GameVersion()
    // in the program); the nonces come from the system unless a test gives its own.
    static THandshake Host(QString version, const QString &password, bool evenOutLag, TSeatsQuery seats,
                           TNonceSource nonces = TPasswordProof::NewNonce);
    // The joining side, asking for the seat wanted.
    static THandshake Join(QString version, const QString &password, TSeat wanted,
                           TNonceSource nonces = TPasswordProof::NewNonce);

    // What this side sends first: the joining side's hello; nothing on the host.
    std::vector<TNetMessage> Start();
    // The peer's next message; what to send back.
    std::vector<TNetMessage> Receive(const TNetMessage &message);

    Outcome State() const { return outcome; }
    // The guest's seat, once seated.
    TSeat Seat() const { return seat; }
    // Whether the host evens out the lag, once seated.
    bool EvenOutLag() const { return evenOutLag; }
    // Why the handshake was refused, for the player on this side.
    const QString &Reason() const { return reason; }

private:
    enum class Step : std::uint8_t { Hello, Challenge, Proof, Welcome, Done };

    THandshake(bool isHost, QString gameVersion, const QString &secret, TNonceSource nonceSource);

    std::vector<TNetMessage> HostReceives(const TNetMessage &message);
    std::vector<TNetMessage> GuestReceives(const TNetMessage &message);
    // Turns the guest away with the text it reads, and tells this side why.
    std::vector<TNetMessage> Refuse(TNetRefuse::Reason why, const QString &text, QString here);
    // Leaves with a goodbye the other side reads, and tells this side why.
    std::vector<TNetMessage> Leave(const QString &bye, QString here);
    // The seat a guest asking for role gets, if any; else the refusal.
    std::optional<TNetRefuse> NoSeat(TSeat role) const;
    void Finish(Outcome end, QString why);

    bool hosting;
    QString version;
    TPasswordProof password;
    TNonceSource nonces;
    TSeatsQuery seats;
    Step step = Step::Hello;
    Outcome outcome = Outcome::Pending;
    TSeat seat = TSeat::Player;
    bool evenOutLag = false;
    TNonce guestNonce{};
    TNonce hostNonce{};
    QString reason;
};
