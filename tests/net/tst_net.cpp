// The network game: its messages and their bytes, the handshake and the password's proofs; the
// addresses players type and finding games on the local network; a game between two sides.
#include "app/TNetGuestPlay.h"
#include "app/TNetHostPlay.h"
#include "game/TFieldSurface.h"
#include "game/TGameMirror.h"
#include "net/DiscoveryDatagram.h"
#include "net/NetAddress.h"
#include "net/NetMessage.h"
#include "net/TGameBeacon.h"
#include "net/TGameFinder.h"
#include "net/THandshake.h"
#include "net/TNetLink.h"
#include "net/TPasswordProof.h"
#include "platform/Failure.h"
#include "support/GameRig.h"
#include "support/TLagProxy.h"
#include "windows/TNetGameDialog.h"
#include "windows/TNetWaitWindow.h"
#include "windows/Tcrash.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <QtEndian>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>

Q_DECLARE_METATYPE(TNetMessage)
Q_DECLARE_METATYPE(TSeat)
Q_DECLARE_METATYPE(THandshake::Outcome)

namespace {

using Kind = TGameEvent::Kind;

constexpr TNonce GuestNonce{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
constexpr TNonce HostNonce{99, 98, 97, 96, 95, 94, 93, 92, 91, 90, 89, 88, 87, 86, 85, 84};

TGameEvent CycleEvent(Kind kind, std::uint16_t x, std::uint16_t y, std::uint8_t dir = 3)
{
    TGameEvent event{.time = 1234, .kind = kind, .player = TPlayer::Blue};
    event.cycle = {x, y, dir, 41, -7, 2, 2147483647};
    return event;
}

QByteArray Events(const TGameEvent &event)
{
    return NetMessage::Encode(TNetEvents{{event}});
}

QByteArray With(QByteArray bytes, qsizetype at, char value)
{
    bytes[at < 0 ? bytes.size() + at : at] = value;
    return bytes;
}

// What a decode throws, or "" when it decodes.
QString DecodeFailure(const QByteArray &bytes)
{
    try {
        NetMessage::Decode(bytes);
    } catch (const Failure &failure) {
        return QString::fromUtf8(failure.what());
    }
    return {};
}

// Passes the messages between the two sides until neither has anything more to send.
void Exchange(THandshake &guest, THandshake &host)
{
    std::vector<TNetMessage> toHost = guest.Start();
    for (int rounds = 0; rounds < 10 && !toHost.empty(); ++rounds) {
        std::vector<TNetMessage> toGuest;
        for (const TNetMessage &message : toHost)
            for (TNetMessage &answer : host.Receive(NetMessage::Decode(NetMessage::Encode(message))))
                toGuest.push_back(std::move(answer));
        toHost.clear();
        for (const TNetMessage &message : toGuest)
            for (TNetMessage &answer : guest.Receive(NetMessage::Decode(NetMessage::Encode(message))))
                toHost.push_back(std::move(answer));
    }
}

THandshake::TNonceSource Fixed(TNonce nonce)
{
    return [nonce] { return nonce; };
}

} // namespace

Q_DECLARE_METATYPE(TLagProfile)

namespace {

// The link's tests open sockets: they run only where nothing but loopback is up, a network
// namespace of their own (ctest runs them through support/in-netns.sh), so not a datagram of
// theirs can leave the machine.
bool OnlyLoopback()
{
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    return std::all_of(all.begin(), all.end(), [](const QNetworkInterface &face) {
        return face.flags().testFlag(QNetworkInterface::IsLoopBack) || !face.flags().testFlag(QNetworkInterface::IsUp);
    });
}

#define SKIP_UNLESS_ONLY_LOOPBACK()                                                                                    \
    if (!OnlyLoopback())                                                                                               \
    QSKIP("Opens sockets: runs only in a network namespace with loopback alone (support/in-netns.sh).")

// The port a guest joins to reach a host listening on hostPort: the host's own, or with a profile
// that of a lag proxy in front of it (made into proxy); 0 when the proxy cannot start.
quint16 JoinPort(quint16 hostPort, const TLagProfile *lag, std::unique_ptr<TLagProxy> &proxy)
{
    if (!lag)
        return hostPort;
    proxy = std::make_unique<TLagProxy>(hostPort, 20261210);
    proxy->SetProfile(*lag);
    QString error;
    if (!proxy->Start(&error)) {
        qWarning() << error;
        return 0;
    }
    return proxy->Port();
}

// A host's link and a guest's link that joins it, straight or through a lag proxy, with what each
// side has been told.
struct LinkPair
{
    explicit LinkPair(const TNetLinkLimits &hostLimits = {}, const TNetLinkLimits &guestLimits = {})
        : host(nullptr, hostLimits)
        , guest(std::make_unique<TNetLink>(nullptr, guestLimits))
    {
        QObject::connect(&host, &TNetLink::connected, [this](int peer) { hostPeer = peer; });
        QObject::connect(&host, &TNetLink::received, [this](int, const QByteArray &m) { atHost.append(m); });
        QObject::connect(&host, &TNetLink::disconnected, [this](int, const QString &why) { hostGone = why; });
        QObject::connect(guest.get(), &TNetLink::connected, [this](int peer) { guestPeer = peer; });
        QObject::connect(guest.get(), &TNetLink::received, [this](int, const QByteArray &m) { atGuest.append(m); });
        QObject::connect(guest.get(), &TNetLink::disconnected, [this](int, const QString &why) { guestGone = why; });
        QObject::connect(guest.get(), &TNetLink::failed, [this](const QString &why) { guestFailed = why; });
    }

    // Listens, joins (through a proxy with the profile, if any) and waits for both ends.
    bool Join(const QString &name = QStringLiteral("127.0.0.1"), const TLagProfile *lag = nullptr)
    {
        QString error;
        if (!host.Listen(0, &error)) {
            qWarning() << error;
            return false;
        }
        const quint16 port = JoinPort(host.Port(), lag, proxy);
        if (port == 0)
            return false;
        guest->Connect(name, port);
        return QTest::qWaitFor([this] { return (hostPeer > 0 && guestPeer > 0) || !guestFailed.isEmpty(); }, 10000)
               && hostPeer > 0 && guestPeer > 0;
    }

    TNetLink host;
    std::unique_ptr<TNetLink> guest;
    std::unique_ptr<TLagProxy> proxy;
    int hostPeer = -1;
    int guestPeer = -1;
    QList<QByteArray> atHost;
    QList<QByteArray> atGuest;
    QString hostGone;
    QString guestGone;
    QString guestFailed;
};

// The n-th of a run of messages: its number, then its own length of bytes, some beyond a datagram.
QByteArray Numbered(int n)
{
    QByteArray message(4 + (n * 211) % 4000, static_cast<char>(n));
    qToBigEndian<qint32>(n, message.data());
    return message;
}

// A network game at a host (a real game, its ticks driven by the test) and its guest, which steers
// blue through the network; straight, or through a lag proxy.
struct NetGame
{
    // With an owner the guest opens its crash windows, and closes them only when told.
    explicit NetGame(QWidget *guestWindows = nullptr)
        : guest(TSeat::Player, {}, guestWindows)
    {
        host.setCountdownMs(50);
        QObject::connect(&host, &TNetHostPlay::lost, [this](const QString &text) { hostLost = text; });
        QObject::connect(&guest, &TNetGuestPlay::ended, [this](const QString &reason, bool lost) {
            guestEnded = reason;
            guestLost = lost;
        });
    }

    // Hosts, joins and waits until the game runs on both sides.
    bool Start(const TLagProfile *lag)
    {
        QString error;
        if (!host.Listen(0, &error)) {
            qWarning() << error;
            return false;
        }
        const quint16 port = JoinPort(host.Port(), lag, proxy);
        if (port == 0)
            return false;
        guest.Join(QStringLiteral("127.0.0.1"), port);
        return QTest::qWaitFor(
            [this] { return rig.game.State() == TRoundState::Running && guest.Mirror().state == TRoundState::Running; },
            15000);
    }

    GameRig rig;
    TNetHostPlay host{rig.game, nullptr, {.password = {}, .evenOutLag = false}};
    TNetGuestPlay guest;
    std::unique_ptr<TLagProxy> proxy;
    QString hostLost;
    QString guestEnded;
    bool guestLost = false;
};

// A port on loopback that nobody listens on.
quint16 ClosedPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

} // namespace
class NetTest : public QObject
{
    Q_OBJECT

private slots:
    void messageComesBackAsSent_data();
    void messageComesBackAsSent();
    void malformedMessageIsRefused_data();
    void malformedMessageIsRefused();
    void helloOfAnotherVersionStillTellsItsVersion();
    void gameStreamCrossesInBatchesWithinTheLimit();
    void handshake_data();
    void handshake();
    void handshakeRefusesMessagesOutOfTurn_data();
    void handshakeRefusesMessagesOutOfTurn();
    void passwordIsNeverSentAndAProofServesOnce();

    // A game between two sides, on loopback.
    void networkGamePlaysOnThroughStrangers_data();
    void networkGamePlaysOnThroughStrangers();
    void eitherSideLeavingEndsTheGameOnBoth_data();
    void eitherSideLeavingEndsTheGameOnBoth();
    void eitherSidePausesBothAndEitherResumes();
    void crashWaitsForBothWindowsOrItsTime_data();
    void crashWaitsForBothWindowsOrItsTime();

    // The link, on loopback.
    void linkCarriesMessagesBothWaysInOrder_data();
    void linkCarriesMessagesBothWaysInOrder();
    void peerThatIsGoneIsNoticed_data();
    void peerThatIsGoneIsNoticed();
    void joinThatCannotSucceedFails_data();
    void joinThatCannotSucceedFails();
    void listenerServesItsPeerThroughGarbage();
    void messageOverTheSizeLimitIsRefused_data();
    void messageOverTheSizeLimitIsRefused();
    void floodDropsThePeer_data();
    void floodDropsThePeer();
    void peerThatCannotKeepUpIsDropped();

    // Addresses, and finding games on the local network.
    void addressIsReadAsTyped_data();
    void addressIsReadAsTyped();
    void discoveryDatagramComesBackAsSent_data();
    void discoveryDatagramComesBackAsSent();
    void malformedDiscoveryDatagramIsIgnored_data();
    void malformedDiscoveryDatagramIsIgnored();
    void beaconAnswersTheFinderThroughGarbage();
    void dialogListsTheGamesFound();
    void dialogChoosesWhatWasTyped_data();
    void dialogChoosesWhatWasTyped();
    void waitWindowCancelsOnce_data();
    void waitWindowCancelsOnce();
};

// Every message, with values at their bounds, decodes to what was encoded.
void NetTest::messageComesBackAsSent_data()
{
    QTest::addColumn<TNetMessage>("message");
    TProof proof{};
    std::iota(proof.begin(), proof.end(), std::uint8_t{200});
    const QString longest(NetProtocol::MaxReasonText, QChar(0x263A));
    QTest::newRow("hello") << TNetMessage(
        TNetHello{NetProtocol::Version, QStringLiteral("2.0.0-rc1 (debian)"), TSeat::Watcher, GuestNonce});
    QTest::newRow("challenge") << TNetMessage(TNetChallenge{HostNonce, true});
    QTest::newRow("proof") << TNetMessage(TNetProof{proof});
    QTest::newRow("welcome") << TNetMessage(TNetWelcome{TSeat::Watcher, proof, true});
    QTest::newRow("refuse") << TNetMessage(TNetRefuse{TNetRefuse::Reason::Busy, longest});
    QTest::newRow("action") << TNetMessage(TNetAction{0xFFFFFFFF, TPlayerAction::Jump, 0x80000001});
    QTest::newRow("ping") << TNetMessage(TNetPing{7, 0xFFFFFFFFFFFFFFFF});
    QTest::newRow("pong") << TNetMessage(TNetPong{0, 1});
    QTest::newRow("crash closed") << TNetMessage(TNetCrashClosed{65535});
    QTest::newRow("pause") << TNetMessage(TNetPause{});
    QTest::newRow("resume") << TNetMessage(TNetResume{});
    QTest::newRow("countdown") << TNetMessage(TNetCountdown{3000});
    QTest::newRow("bye") << TNetMessage(TNetBye{QStringLiteral("Tschüss 👋")});
    QTest::newRow("no events") << TNetMessage(TNetEvents{});

    TGameEvent bonus{.time = NetProtocol::MaxTime, .kind = Kind::BonusShown, .x = 602, .y = 552, .bonus = 10};
    bonus.text = QString(NetProtocol::MaxEventText, QLatin1Char('W'));
    bonus.mask = TFieldLabel::TextMask(QStringLiteral("Jump Jet"));
    TGameEvent collected{.kind = Kind::BonusErased, .player = TPlayer::Blue, .x = 100, .y = 50, .collected = true};
    collected.cycle = {5, 6, 8, 1, 123456, 0, 4};
    QTest::newRow("events of every kind") << TNetMessage(TNetEvents{{
        {.kind = Kind::RoundStart, .mode = TGameMode::AgainstComputer},
        CycleEvent(Kind::Cycle, 200, 200),
        CycleEvent(Kind::Step, 602, 552),
        // A crash or a jump may end beyond the field's edge, wrapped.
        CycleEvent(Kind::Crash, 65535, 603, 8),
        CycleEvent(Kind::Heading, 0, 0, 1),
        CycleEvent(Kind::Speed, 1, 1),
        CycleEvent(Kind::Jump, 65520, 10),
        CycleEvent(Kind::Score, 3, 3),
        CycleEvent(Kind::Lives, 4, 4),
        bonus,
        collected,
        {.kind = Kind::BonusErased, .x = 499, .y = 449},
        {.kind = Kind::Panel, .display = TDisplay::BlueJets, .value = -2147483647 - 1, .visible = true},
        {.kind = Kind::FieldCleared},
        {.kind = Kind::GameOverShown, .visible = true},
        {.kind = Kind::RoundEnd, .checksum = 0xFEDCBA9876543210},
        {.kind = Kind::GameEnd, .player = TPlayer::Blue, .mode = TGameMode::TwoPlayers},
        {.kind = Kind::State, .state = TRoundState::GameOver},
        {.kind = Kind::CrashShown, .text = QStringLiteral("Player 2 crashed! 0 Cycles left...")},
    }});
}

void NetTest::messageComesBackAsSent()
{
    QFETCH(TNetMessage, message);
    const QByteArray bytes = NetMessage::Encode(message);
    QVERIFY(bytes.size() <= NetProtocol::MaxMessageSize);
    QVERIFY(NetMessage::Decode(bytes) == message);
}

// Anything malformed is refused, naming what is wrong: never read past its end, never taken with
// a value out of range.
void NetTest::malformedMessageIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("why");
    const QByteArray hello =
        NetMessage::Encode(TNetHello{NetProtocol::Version, QStringLiteral("2.0.0"), TSeat::Player, {}});
    const QByteArray pause = NetMessage::Encode(TNetPause{});
    const QByteArray step = Events(CycleEvent(Kind::Step, 10, 10));
    const QByteArray bonus =
        Events({.kind = Kind::BonusShown, .x = 100, .y = 50, .bonus = 3, .text = QStringLiteral("1000")});

    QTest::newRow("nothing") << QByteArray() << "cut short";
    QTest::newRow("type 0") << QByteArray(1, 0) << "unknown type";
    QTest::newRow("type 15") << QByteArray(1, 15) << "unknown type";
    QTest::newRow("more than 64 KiB") << QByteArray(NetProtocol::MaxMessageSize + 1, 11) << "longer than 64 KiB";
    QTest::newRow("a byte after a pause") << pause + '\0' << "left over";
    QTest::newRow("hello of another game") << With(hello, 6, 'X') << "not a hello";
    QTest::newRow("hello cut in its nonce") << hello.chopped(1) << "cut short";
    QTest::newRow("hello with a byte more") << hello + 'x' << "left over";
    QTest::newRow("hello of a seat 2") << With(hello, -17, 2) << "seat out of range";
    QTest::newRow("version not printable") << With(hello, 11, '\t') << "printable ASCII";
    QTest::newRow("version of 33 bytes") << QByteArray::fromHex("015a58324e4554010021") + QByteArray(33, '1')
                                                + QByteArray(17, 0)
                                         << "printable ASCII";
    QTest::newRow("challenge saying 2") << With(NetMessage::Encode(TNetChallenge{}), -1, 2) << "yes or no";
    QTest::newRow("welcome of a seat 2") << With(NetMessage::Encode(TNetWelcome{}), 1, 2) << "seat out of range";
    QTest::newRow("action 5") << With(NetMessage::Encode(TNetAction{}), 5, 5) << "action out of range";
    QTest::newRow("bye not UTF-8") << QByteArray::fromHex("0e0200c328") << "not UTF-8";
    QTest::newRow("bye with a bell") << QByteArray::fromHex("0e010007") << "control characters";
    QTest::newRow("bye of 201 characters") << QByteArray::fromHex("0ec900") + QByteArray(201, 'a') << "too long";
    QTest::newRow("bye longer than its bytes") << QByteArray::fromHex("0e0500616263") << "cut short";
    QTest::newRow("crash caption of 65 characters")
        << QByteArray::fromHex("070111004100") + QByteArray(65, 'a') << "too long";
    QTest::newRow("more events than bytes") << QByteArray::fromHex("0703000000") << "more events";
    QTest::newRow("event of kind 18") << QByteArray::fromHex("07011200") << "unknown kind";
    QTest::newRow("event with its top bit") << QByteArray::fromHex("07018f00") << "unknown kind";
    const QByteArray cleared = QByteArray::fromHex("07010c");
    QTest::newRow("time beyond a round's") << cleared + QByteArray(7, char(0x80)) + '\x01' << "time out of range";
    QTest::newRow("number of eleven bytes")
        << cleared + QByteArray(10, char(0x80)) + QByteArray::fromHex("0100") << "number out of range";
    QTest::newRow("step off the field") << Events(CycleEvent(Kind::Step, 603, 10)) << "off the field";
    QTest::newRow("step below the field") << Events(CycleEvent(Kind::Step, 10, 553)) << "off the field";
    QTest::newRow("heading 9") << Events(CycleEvent(Kind::Heading, 10, 10, 9)) << "heading out of range";
    QTest::newRow("step cut in its cycle") << step.chopped(1) << "cut short";
    QTest::newRow("flag on a step") << With(step, 2, 0x42) << "flag";
    QTest::newRow("bonus 0") << With(bonus, 8, 0) << "bonus out of range";
    QTest::newRow("bonus 11") << With(bonus, 8, 11) << "bonus out of range";
    QTest::newRow("bonus off the field") << With(With(bonus, 4, char(0x5B)), 5, 2) << "off the field";
    QTest::newRow("mask wider than the field")
        << bonus.chopped(2) + QByteArray::fromHex("dc0401") + QByteArray(76, 0) << "wider than the field";
    QTest::newRow("mask taller than the field")
        << bonus.chopped(2) + QByteArray::fromHex("01aa04") + QByteArray(70, 0) << "taller than the field";
    QTest::newRow("mask of no width") << bonus.chopped(2) + QByteArray::fromHex("0005") << "no size";
    QTest::newRow("mask cut short") << bonus.chopped(2) + QByteArray::fromHex("0808") + QByteArray(7, 0) << "cut short";
    QTest::newRow("display 8") << Events({.kind = Kind::Panel, .display = TDisplay(8)}) << "display out of range";
    QTest::newRow("state 5") << Events({.kind = Kind::State, .state = TRoundState(5)}) << "state out of range";
    QTest::newRow("mode 4") << Events({.kind = Kind::RoundStart, .mode = TGameMode(4)}) << "mode out of range";
}

void NetTest::malformedMessageIsRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    const QString failure = DecodeFailure(bytes);
    QVERIFY2(failure.startsWith(QStringLiteral("The other side sent a damaged message")), qPrintable(failure));
    QVERIFY2(failure.contains(why), qPrintable(failure));
}

// A hello of another protocol is read up to its version, whatever follows: the host can still tell
// the guest, in words, that their versions differ.
void NetTest::helloOfAnotherVersionStillTellsItsVersion()
{
    const QByteArray future = QByteArray::fromHex("015a58324e455402000631302e302e30") + "what 10.0 sends next";
    const TNetMessage hello = NetMessage::Decode(future);
    QCOMPARE(int{std::get<TNetHello>(hello).protocol}, 2);
    QCOMPARE(std::get<TNetHello>(hello).version, QStringLiteral("10.0.0"));

    THandshake host = THandshake::Host(QStringLiteral("2.0.0"), {}, false, [] {
        return THandshake::TFreeSeats{true, true};
    });
    const std::vector<TNetMessage> answer = host.Receive(hello);
    QCOMPARE(answer.size(), std::size_t{1});
    const auto &refuse = std::get<TNetRefuse>(answer.front());
    QCOMPARE(refuse.reason, TNetRefuse::Reason::VersionMismatch);
    QCOMPARE(refuse.text,
             QStringLiteral("The host plays Zandrix II 2.0.0, you have 10.0.0: both need the same version."));
    QCOMPARE(host.State(), THandshake::Outcome::Refused);
}

// Seeded games of two players, their every event sent across in batches as a host would (each
// bonus with its label's pixels), rebuild on the other side: the events are the same, the field's
// checksums match at every round's end, and no message is over the limit.
void NetTest::gameStreamCrossesInBatchesWithinTheLimit()
{
    GameRig rig(GameRig::DefaultSeed);
    std::vector<TGameEvent> told;
    QObject::connect(&rig.game, &TGame::happened, &rig.game, [&](const TGameEvent &event) {
        told.push_back(event);
        if (event.kind == Kind::BonusShown)
            told.back().mask = TFieldLabel::TextMask(event.text);
    });
    std::mt19937 draw(11);
    const QString keys = QStringLiteral("aswyd46825");
    // Games until their stream takes several messages.
    const auto bytes = [&] {
        qsizetype sum = 0;
        for (const QByteArray &message : NetMessage::EncodeEvents(told))
            sum += message.size();
        return sum;
    };
    for (int games = 0; games < 20 && bytes() < 3 * NetProtocol::MaxMessageSize; ++games) {
        rig.StartTwoPlayers();
        for (int step = 0; step < 100000 && rig.game.State() != TRoundState::GameOver; ++step) {
            rig.clock->Run(37);
            if (draw() % 3 == 0)
                rig.Type(QString(keys.at(static_cast<qsizetype>(draw() % 10))));
        }
        QCOMPARE(rig.game.State(), TRoundState::GameOver);
    }

    std::vector<TGameEvent> received;
    TGameMirror mirror;
    const std::vector<QByteArray> messages = NetMessage::EncodeEvents(told);
    for (const QByteArray &message : messages) {
        QVERIFY(message.size() <= NetProtocol::MaxMessageSize);
        const TNetMessage batch = NetMessage::Decode(message);
        for (const TGameEvent &event : std::get<TNetEvents>(batch).events) {
            received.push_back(event);
            mirror.Apply(event);
        }
    }
    QVERIFY(received == told);
    QVERIFY(messages.size() >= 3);
    QVERIFY(mirror.roundEnds >= 3);
    QCOMPARE(mirror.checksumMismatches, 0);
}

// Both sides of a handshake, as they end: the seat, or each side's reason.
void NetTest::handshake_data()
{
    QTest::addColumn<QString>("hostVersion");
    QTest::addColumn<QString>("guestVersion");
    QTest::addColumn<QString>("hostPassword");
    QTest::addColumn<QString>("guestPassword");
    QTest::addColumn<bool>("playerFree");
    QTest::addColumn<bool>("watcherFree");
    QTest::addColumn<TSeat>("wanted");
    QTest::addColumn<THandshake::Outcome>("outcome");
    QTest::addColumn<QString>("guestReason");
    QTest::addColumn<QString>("hostReason");
    const QString v = QStringLiteral("2.0.0");
    const auto seated = THandshake::Outcome::Seated;
    const auto refused = THandshake::Outcome::Refused;
    QTest::newRow("player, no password") << v << v << ""
                                         << "" << true << true << TSeat::Player << seated << ""
                                         << "";
    QTest::newRow("watcher, no password") << v << v << ""
                                          << "" << false << true << TSeat::Watcher << seated << ""
                                          << "";
    QTest::newRow("the password") << v << v << "Fahrrad 7"
                                  << "Fahrrad 7" << true << false << TSeat::Player << seated << ""
                                  << "";
    QTest::newRow("a password the host does not want") << v << v << ""
                                                       << "geheim" << true << true << TSeat::Player << seated << ""
                                                       << "";
    QTest::newRow("wrong password") << v << v << "Fahrrad 7"
                                    << "fahrrad 7" << true << true << TSeat::Player << refused << "Wrong password."
                                    << "A guest gave a wrong password.";
    QTest::newRow("no password") << v << v << "Fahrrad 7"
                                 << "" << true << true << TSeat::Watcher << refused
                                 << "This game has a password: enter it to join."
                                 << "A guest left before joining: No password given.";
    QTest::newRow("newer host") << "2.1.0" << v << ""
                                << "" << true << true << TSeat::Player << refused
                                << "The host plays Zandrix II 2.1.0, you have 2.0.0: both need the same version."
                                << "A guest with Zandrix II 2.0.0 was turned away: this game is 2.1.0.";
    QTest::newRow("player's seat taken") << v << v << ""
                                         << "" << false << true << TSeat::Player << refused
                                         << "The host plays against someone else already: you can join as a watcher."
                                         << "A guest was turned away: no player's seat is free.";
    QTest::newRow("watchers' seats taken")
        << v << v << ""
        << "" << true << false << TSeat::Watcher << refused << "The game is full: eight watchers are there already."
        << "A guest was turned away: no watcher's seat is free.";
    QTest::newRow("full") << v << v << "x"
                          << "x" << false << false << TSeat::Player << refused
                          << "The game is full: a player and eight watchers are there already."
                          << "A guest was turned away: no player's seat is free.";
}

void NetTest::handshake()
{
    QFETCH(QString, hostVersion);
    QFETCH(QString, guestVersion);
    QFETCH(QString, hostPassword);
    QFETCH(QString, guestPassword);
    QFETCH(bool, playerFree);
    QFETCH(bool, watcherFree);
    QFETCH(TSeat, wanted);
    QFETCH(THandshake::Outcome, outcome);
    QFETCH(QString, guestReason);
    QFETCH(QString, hostReason);
    THandshake host = THandshake::Host(hostVersion, hostPassword, true, [&] {
        return THandshake::TFreeSeats{playerFree, watcherFree};
    });
    THandshake guest = THandshake::Join(guestVersion, guestPassword, wanted);
    Exchange(guest, host);
    QCOMPARE(guest.State(), outcome);
    QCOMPARE(host.State(), outcome);
    QCOMPARE(guest.Reason(), guestReason);
    QCOMPARE(host.Reason(), hostReason);
    if (outcome == THandshake::Outcome::Seated) {
        QCOMPARE(guest.Seat(), wanted);
        QCOMPARE(host.Seat(), wanted);
        QVERIFY(guest.EvenOutLag());
    }
}

// A message out of its turn ends the handshake on either side, with a word to the other; so does a
// host that proves a password it does not know, or gives a seat nobody asked for.
void NetTest::handshakeRefusesMessagesOutOfTurn_data()
{
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<QList<TNetMessage>>("received");
    QTest::addColumn<QString>("reason");
    const TNetHello hello{NetProtocol::Version, QStringLiteral("2.0.0"), TSeat::Player, GuestNonce};
    const TNetChallenge challenge{HostNonce, true};
    const TProof guestProof = TPasswordProof(QStringLiteral("pw")).OfGuest(GuestNonce, HostNonce, TSeat::Player);
    const TProof hostProof = TPasswordProof(QStringLiteral("pw")).OfHost(GuestNonce, HostNonce, TSeat::Player);
    const QString protocol = QStringLiteral("A guest was turned away: it did not follow the game's protocol.");
    QTest::newRow("host: proof first") << true << QList<TNetMessage>{TNetProof{guestProof}} << protocol;
    QTest::newRow("host: hello twice") << true << QList<TNetMessage>{hello, hello} << protocol;
    QTest::newRow("host: events") << true << QList<TNetMessage>{hello, TNetEvents{}} << protocol;
    QTest::newRow("host: the host's proof sent back")
        << true << QList<TNetMessage>{hello, TNetProof{hostProof}} << "A guest gave a wrong password.";
    const QString odd = QStringLiteral("The host does not follow the game's protocol.");
    QTest::newRow("guest: welcome first")
        << false << QList<TNetMessage>{TNetWelcome{TSeat::Player, hostProof, false}} << odd;
    QTest::newRow("guest: a hello") << false << QList<TNetMessage>{hello} << odd;
    QTest::newRow("guest: the guest's proof sent back")
        << false << QList<TNetMessage>{challenge, TNetWelcome{TSeat::Player, guestProof, false}}
        << "The host does not know the game's password: it is not the game you meant to join.";
    QTest::newRow("guest: another seat") << false
                                         << QList<TNetMessage>{challenge, TNetWelcome{TSeat::Watcher, hostProof, false}}
                                         << "The host offered a seat you did not ask for.";
    QTest::newRow("guest: the host leaves")
        << false << QList<TNetMessage>{challenge, TNetBye{QStringLiteral("Closed.")}}
        << "The host closed the connection: Closed.";
}

void NetTest::handshakeRefusesMessagesOutOfTurn()
{
    QFETCH(bool, hosting);
    QFETCH(QList<TNetMessage>, received);
    QFETCH(QString, reason);
    THandshake side =
        hosting ? THandshake::Host(
            QStringLiteral("2.0.0"), QStringLiteral("pw"), false,
            [] {
                return THandshake::TFreeSeats{true, true};
            },
            Fixed(HostNonce))
                : THandshake::Join(QStringLiteral("2.0.0"), QStringLiteral("pw"), TSeat::Player, Fixed(GuestNonce));
    side.Start();
    std::vector<TNetMessage> last;
    for (const TNetMessage &message : received)
        last = side.Receive(message);
    QCOMPARE(side.State(), THandshake::Outcome::Refused);
    QCOMPARE(side.Reason(), reason);
    // The other side is told, unless it left first; and nothing more is taken.
    if (!std::holds_alternative<TNetBye>(received.back()))
        QCOMPARE(last.size(), std::size_t{1});
    QVERIFY(side.Receive(received.back()).empty());
    QCOMPARE(side.State(), THandshake::Outcome::Refused);
}

// The password never goes over the wire, and a proof overheard is worth nothing in another
// handshake: the host's nonce is new each time.
void NetTest::passwordIsNeverSentAndAProofServesOnce()
{
    const QString password = QStringLiteral("Fahrrad 7");
    THandshake host = THandshake::Host(QStringLiteral("2.0.0"), password, false, [] {
        return THandshake::TFreeSeats{true, true};
    });
    THandshake guest = THandshake::Join(QStringLiteral("2.0.0"), password, TSeat::Player, Fixed(GuestNonce));
    QByteArray wire;
    std::vector<TNetMessage> toHost = guest.Start();
    TNetProof overheard;
    for (int rounds = 0; rounds < 3 && !toHost.empty(); ++rounds) {
        std::vector<TNetMessage> toGuest;
        for (const TNetMessage &message : toHost) {
            wire += NetMessage::Encode(message);
            if (const auto *proof = std::get_if<TNetProof>(&message))
                overheard = *proof;
            for (TNetMessage &answer : host.Receive(message))
                toGuest.push_back(std::move(answer));
        }
        toHost.clear();
        for (const TNetMessage &message : toGuest) {
            wire += NetMessage::Encode(message);
            for (TNetMessage &answer : guest.Receive(message))
                toHost.push_back(std::move(answer));
        }
    }
    QCOMPARE(guest.State(), THandshake::Outcome::Seated);
    QVERIFY(!wire.contains(password.toUtf8()));
    QVERIFY(!wire.contains(QByteArrayView(reinterpret_cast<const char *>(password.utf16()), password.size() * 2)));

    // Someone who overheard it all says the same hello and gives the same proof to the host again.
    THandshake again = THandshake::Host(QStringLiteral("2.0.0"), password, false, [] {
        return THandshake::TFreeSeats{true, true};
    });
    again.Receive(TNetHello{NetProtocol::Version, QStringLiteral("2.0.0"), TSeat::Player, GuestNonce});
    again.Receive(overheard);
    QCOMPARE(again.State(), THandshake::Outcome::Refused);
    QCOMPARE(again.Reason(), QStringLiteral("A guest gave a wrong password."));

    // Two proofs that differ only in their last byte are not the same.
    TProof one{};
    TProof other{};
    other.back() = 1;
    QVERIFY(TPasswordProof::Same(one, one));
    QVERIFY(!TPasswordProof::Same(one, other));
}

// Whole messages, some fragmented, cross both ways complete and in order, straight and through a
// poor network that loses, delays, doubles and reorders datagrams.
void NetTest::linkCarriesMessagesBothWaysInOrder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("lagging");
    QTest::addColumn<TLagProfile>("lag");
    QTest::newRow("straight, by name") << QStringLiteral("localhost") << false << TLagProfile{};
    QTest::newRow("60 ms, 10 ms jitter, 3 % lost")
        << QStringLiteral("127.0.0.1") << true << TLagProfile{.delayMs = 60, .jitterMs = 10, .loss = 0.03};
    QTest::newRow("doubled and overtaken")
        << QStringLiteral("127.0.0.1") << true
        << TLagProfile{.delayMs = 20, .jitterMs = 15, .loss = 0.02, .duplicate = 0.05, .reorder = 0.05};
}

void NetTest::linkCarriesMessagesBothWaysInOrder()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    QFETCH(QString, name);
    QFETCH(bool, lagging);
    QFETCH(TLagProfile, lag);
    // A name needs the machine's own list of names: a bare root (a fresh chroot) may have none.
    const bool known = !QHostAddress(name).isNull() || !QHostInfo::fromName(name).addresses().isEmpty();
    if (!known)
        QSKIP("this machine cannot look the name up (no /etc/hosts)");
    LinkPair pair;
    QVERIFY(pair.Join(name, lagging ? &lag : nullptr));
    QCOMPARE(pair.host.Peers(), QList<int>{pair.hostPeer});
    QVERIFY(pair.host.Address(pair.hostPeer).startsWith(QStringLiteral("127.0.0.1:")));

    constexpr int count = 150;
    for (int n = 0; n < count; ++n) {
        QVERIFY(pair.guest->Send(pair.guestPeer, Numbered(n), true));
        QVERIFY(pair.host.Send(pair.hostPeer, Numbered(count - n), true));
    }
    QTRY_COMPARE_WITH_TIMEOUT(pair.atHost.size(), count, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(pair.atGuest.size(), count, 30000);
    for (int n = 0; n < count; ++n) {
        QCOMPARE(pair.atHost.at(n), Numbered(n));
        QCOMPARE(pair.atGuest.at(n), Numbered(count - n));
    }
    QVERIFY(pair.hostGone.isEmpty() && pair.guestGone.isEmpty());
    QVERIFY(pair.host.RoundTripMs(pair.hostPeer) >= 0);
    if (lagging) {
        const TLagCounters up = pair.proxy->Counters(TLagProxy::ToServer);
        const TLagCounters down = pair.proxy->Counters(TLagProxy::ToClient);
        QVERIFY2(up.lost + down.lost > 0, "the proxy lost nothing: no resend was tried");
        if (lag.reorder > 0)
            QVERIFY(up.reordered + down.reordered > 0 && up.duplicated + down.duplicated > 0);
    }
}

// A peer that leaves, or goes silent without a word, is reported gone with why: leaving at once,
// silence within 3 s (asserted as by 5 s: the machine is shared).
void NetTest::peerThatIsGoneIsNoticed_data()
{
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("guestLeaves");
    QTest::addColumn<QString>("hostHears");
    const QString lost = QStringLiteral("The connection is lost: no answer for 2 s.");
    QTest::newRow("leaves") << false << true << QStringLiteral("The other side left.");
    QTest::newRow("falls silent") << true << false << lost;
    QTest::newRow("leaves without a word reaching the host") << true << true << lost;
}

void NetTest::peerThatIsGoneIsNoticed()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    QFETCH(bool, silent);
    QFETCH(bool, guestLeaves);
    QFETCH(QString, hostHears);
    LinkPair pair;
    const TLagProfile clear;
    QVERIFY(pair.Join(QStringLiteral("127.0.0.1"), &clear));
    if (silent)
        pair.proxy->SetProfile(TLagProfile{.loss = 1.0});
    if (guestLeaves)
        pair.guest.reset();
    QTRY_VERIFY_WITH_TIMEOUT(!pair.hostGone.isEmpty(), 5000);
    QCOMPARE(pair.hostGone, hostHears);
    QVERIFY(pair.host.Peers().isEmpty());
    if (!guestLeaves) {
        QTRY_VERIFY_WITH_TIMEOUT(!pair.guestGone.isEmpty(), 5000);
        QCOMPARE(pair.guestGone, hostHears);
    }
}

void NetTest::joinThatCannotSucceedFails_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("nobody at the port") << QStringLiteral("127.0.0.1")
                                        << QStringLiteral("Nobody answers at 127.0.0.1:%1.");
    QTest::newRow("IPv6 address") << QStringLiteral("::1")
                                  << QStringLiteral("::1 is an IPv6 address: the network game needs IPv4.");
}

void NetTest::joinThatCannotSucceedFails()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    QFETCH(QString, name);
    QFETCH(QString, message);
    const quint16 port = ClosedPort();
    TNetLink guest;
    QSignalSpy failed(&guest, &TNetLink::failed);
    QSignalSpy connected(&guest, &TNetLink::connected);
    guest.Connect(name, port);
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 5000);
    QCOMPARE(failed.at(0).at(0).toString(), message.contains(QLatin1String("%1")) ? message.arg(port) : message);
    QCOMPARE(connected.size(), 0);
}

// Datagrams that are not ENet's, or only the start of ENet's, from a stranger's socket: the
// listener takes no peer from them and goes on serving the one it has.
void NetTest::listenerServesItsPeerThroughGarbage()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    LinkPair pair;
    QVERIFY(pair.Join());
    QSignalSpy joined(&pair.host, &TNetLink::connected);
    QSignalSpy left(&pair.host, &TNetLink::disconnected);

    // ENet's header: the peer (0xFFF: none yet) with the flag for a sent time, then the time. A
    // command: its number, channel and sequence, then its fields. A join (2) has 44 bytes of them;
    // a reliable message (6) for peer 0 claims far more bytes than follow.
    const QByteArray header = QByteArray::fromHex("8fff1234");
    const QByteArray join = QByteArray::fromHex("82ff0001"
                                                "0000"
                                                "ffff"
                                                "00000578"
                                                "00008000"
                                                "00000002"
                                                "00000000"
                                                "00000000"
                                                "00001388"
                                                "00000002"
                                                "00000002"
                                                "cafe1234"
                                                "12345678");
    std::vector<QByteArray> garbage{
        {},
        QByteArray(1, '\xff'),
        header,
        header + join.left(20),
        header + join,
        QByteArray::fromHex("80001234") + QByteArray::fromHex("8600000100ff") + QByteArray(8, 'x'),
        QByteArray::fromHex("cfff1234") + join,
    };
    std::mt19937 random(20261210);
    for (int n = 0; n < 300; ++n) {
        QByteArray bytes(static_cast<qsizetype>(random() % 1500), '\0');
        for (char &byte : bytes)
            byte = static_cast<char>(random());
        if (n % 2 == 0 && bytes.size() >= 4)
            bytes.replace(0, 4, header);
        garbage.push_back(bytes);
    }
    QUdpSocket stranger;
    QVERIFY(stranger.bind(QHostAddress::LocalHost, 0));
    for (const QByteArray &bytes : garbage) {
        stranger.writeDatagram(bytes, QHostAddress::LocalHost, pair.host.Port());
        QCoreApplication::processEvents();
    }

    QVERIFY(pair.guest->Send(pair.guestPeer, "after", true));
    QVERIFY(pair.host.Send(pair.hostPeer, "still here", true));
    QTRY_COMPARE(pair.atHost, QList<QByteArray>{"after"});
    QTRY_COMPARE(pair.atGuest, QList<QByteArray>{"still here"});
    QCOMPARE(joined.size(), 0);
    QCOMPARE(left.size(), 0);
    QCOMPARE(pair.host.Peers(), QList<int>{pair.hostPeer});
}

// A message at the size limit arrives; over it the sender refuses it. A sender with a looser limit
// gets its message nowhere, and the receiver loses it as a peer (it never acknowledges it).
void NetTest::messageOverTheSizeLimitIsRefused_data()
{
    QTest::addColumn<int>("guestLimit");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<bool>("arrives");
    QTest::newRow("at the limit") << 64 * 1024 << 64 * 1024 << true << true;
    QTest::newRow("a byte over") << 64 * 1024 << 64 * 1024 + 1 << false << false;
    QTest::newRow("over the host's limit") << 256 * 1024 << 100 * 1024 << true << false;
}

void NetTest::messageOverTheSizeLimitIsRefused()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    QFETCH(int, guestLimit);
    QFETCH(int, size);
    QFETCH(bool, sent);
    QFETCH(bool, arrives);
    LinkPair pair({}, TNetLinkLimits{.maxMessageBytes = guestLimit, .maxWaitingBytes = guestLimit});
    QVERIFY(pair.Join());
    const QByteArray big(size, 'z');
    QCOMPARE(pair.guest->Send(pair.guestPeer, big, true), sent);
    QVERIFY(pair.guest->Send(pair.guestPeer, "small", true));
    if (arrives) {
        QTRY_COMPARE(pair.atHost, (QList<QByteArray>{big, "small"}));
    } else if (!sent) {
        QTRY_COMPARE(pair.atHost, QList<QByteArray>{"small"});
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!pair.hostGone.isEmpty(), 10000);
        QVERIFY(pair.atHost.isEmpty());
    }
}

// A peer that sends more than the limits allow within a second is dropped, and told so; one that
// keeps within them is served.
void NetTest::floodDropsThePeer_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("dropped");
    QTest::newRow("within the limits") << 40 << 1000 << false;
    QTest::newRow("too many messages") << 500 << 10 << true;
    QTest::newRow("too many bytes") << 20 << 8 * 1024 << true;
}

void NetTest::floodDropsThePeer()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    QFETCH(int, count);
    QFETCH(int, size);
    QFETCH(bool, dropped);
    LinkPair pair(TNetLinkLimits{.maxMessagesPerSecond = 50, .maxBytesPerSecond = 64 * 1024});
    QVERIFY(pair.Join());
    for (int n = 0; n < count; ++n)
        QVERIFY(pair.guest->Send(pair.guestPeer, QByteArray(size, 'f'), true));
    if (!dropped) {
        QTRY_COMPARE(pair.atHost.size(), count);
        QTest::qWait(200);
        QVERIFY(pair.hostGone.isEmpty());
        return;
    }
    QTRY_COMPARE(pair.hostGone, QStringLiteral("Sent too much: more than 50 messages or 64 KiB in a second."));
    QTRY_COMPARE(pair.guestGone, QStringLiteral("The other side ended the connection."));
    QVERIFY(pair.atHost.size() < count);
    QVERIFY(pair.host.Peers().isEmpty());
    QVERIFY(!pair.host.Send(pair.hostPeer, "gone", true));
}
// A network game goes on, and both sides see the same field at each crash, while strangers throw
// datagrams at the host's port, or join and lie (half a message, a flood); a watcher who comes in the
// middle of the round sees the same field too.
void NetTest::networkGamePlaysOnThroughStrangers_data()
{
    QTest::addColumn<bool>("lagging");
    QTest::addColumn<QString>("stranger");
    QTest::newRow("straight") << false << QString();
    QTest::newRow("60 ms, 10 ms jitter, 3 % lost") << true << QString();
    QTest::newRow("garbage datagrams") << false << QStringLiteral("garbage");
    QTest::newRow("half a message") << false << QStringLiteral("half");
    QTest::newRow("a flood of messages") << false << QStringLiteral("flood");
    QTest::newRow("a watcher comes late") << false << QStringLiteral("watcher");
}

void NetTest::networkGamePlaysOnThroughStrangers()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    QFETCH(bool, lagging);
    QFETCH(QString, stranger);
    const TLagProfile lag{.delayMs = 60, .jitterMs = 10, .loss = 0.03};
    NetGame net;
    QVERIFY(net.Start(lagging ? &lag : nullptr));
    TGame &game = net.rig.game;
    int blueTurns = 0;
    QObject::connect(&game, &TGame::happened, [&](const TGameEvent &event) {
        blueTurns += event.kind == Kind::Heading && event.player == TPlayer::Blue;
    });

    QUdpSocket datagrams;
    QVERIFY(datagrams.bind(QHostAddress::LocalHost, 0));
    TNetLink liar(nullptr, TNetLinkLimits{.maxMessagesPerSecond = 100000, .maxBytesPerSecond = 100 << 20});
    QString liarGone;
    QObject::connect(&liar, &TNetLink::disconnected, [&](int, const QString &why) { liarGone = why; });
    // What the host tells the liar as it lets it go.
    QString liarTold;
    QObject::connect(&liar, &TNetLink::received, [&](int, const QByteArray &bytes) {
        const TNetMessage message = NetMessage::Decode(bytes);
        if (const auto *bye = std::get_if<TNetBye>(&message))
            liarTold = bye->reason;
    });
    TNetGuestSession watcher(TSeat::Watcher, QString());
    TGameMirror watched;
    QObject::connect(&watcher, &TNetGuestSession::happened, [&](const TGameEvent &event) { watched.Apply(event); });
    if (stranger == QStringLiteral("half") || stranger == QStringLiteral("flood")) {
        QSignalSpy joined(&liar, &TNetLink::connected);
        liar.Connect(QStringLiteral("127.0.0.1"), net.host.Port());
        QTRY_COMPARE(joined.size(), 1);
        const int peer = joined.at(0).at(0).toInt();
        const QByteArray hello = NetMessage::Encode(TNetHello{.version = NetProtocol::GameVersion()});
        if (stranger == QStringLiteral("half"))
            liar.Send(peer, hello.left(hello.size() / 2), true);
        else
            for (int n = 0; n < 6000; ++n)
                liar.Send(peer, hello, false);
    }

    std::mt19937 random(20261210);
    for (int tick = 0; tick < 300; ++tick) {
        net.rig.TickBoth();
        if (tick % 30 == 10)
            net.guest.Act(tick % 60 == 10 ? TPlayerAction::TurnLeft : TPlayerAction::TurnRight);
        if (tick == 150 && stranger == QStringLiteral("watcher")) {
            watcher.Join(QStringLiteral("127.0.0.1"), net.host.Port());
            QTRY_VERIFY(watcher.Seated());
        }
        if (stranger == QStringLiteral("garbage"))
            for (int n = 0; n < 20; ++n) {
                QByteArray bytes(static_cast<qsizetype>(random() % 1400), '\0');
                for (char &byte : bytes)
                    byte = static_cast<char>(random());
                datagrams.writeDatagram(bytes, QHostAddress::LocalHost, net.host.Port());
            }
        QTest::qWait(lagging ? 4 : 1);
    }
    QTRY_VERIFY_WITH_TIMEOUT(blueTurns >= 10, 10000);
    net.rig.CrashRed();
    QTRY_COMPARE_WITH_TIMEOUT(net.guest.Mirror().roundEnds, 1, 10000);
    QCOMPARE(net.guest.Mirror().checksumMismatches, 0);
    QVERIFY(net.host.Session().PlayerSeated());
    QVERIFY2(net.hostLost.isEmpty() && net.guestEnded.isEmpty(), qPrintable(net.hostLost + net.guestEnded));
    if (stranger == QStringLiteral("half"))
        QTRY_VERIFY2(!liarGone.isEmpty() && liarTold.contains(QStringLiteral("makes no sense")), qPrintable(liarTold));
    if (stranger == QStringLiteral("flood"))
        QTRY_VERIFY(!liarGone.isEmpty());
    if (stranger == QStringLiteral("watcher")) {
        QTRY_COMPARE(watched.roundEnds, 1);
        QCOMPARE(watched.checksumMismatches, 0);
        QTRY_COMPARE(watched.Display(TDisplay::RedScore).Value(), game.Display(TDisplay::RedScore).Value());
    }
}

// Either side leaving, or falling silent, in the middle of a round ends the game on both: the
// host hears the connection is lost, the guest too unless it left itself.
void NetTest::eitherSideLeavingEndsTheGameOnBoth_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("hostHears");
    QTest::addColumn<QString>("guestHears");
    QTest::addColumn<bool>("guestLost");
    QTest::newRow("the guest leaves") << "guest leaves"
                                      << "I have had enough."
                                      << "I have had enough." << false;
    QTest::newRow("the host leaves") << "host leaves" << QString() << "The host ended the game." << true;
    QTest::newRow("the guest falls silent") << "guest silent"
                                            << "The connection is lost: no answer for 2 s." << QString() << false;
}

void NetTest::eitherSideLeavingEndsTheGameOnBoth()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    QFETCH(QString, how);
    QFETCH(QString, hostHears);
    QFETCH(QString, guestHears);
    QFETCH(bool, guestLost);
    const TLagProfile clear;
    NetGame net;
    QVERIFY(net.Start(&clear));
    net.rig.TickBoth(20);
    if (how == QStringLiteral("guest leaves"))
        net.guest.Stop(QStringLiteral("I have had enough."));
    else if (how == QStringLiteral("host leaves"))
        net.host.Stop(QStringLiteral("The host ended the game."));
    else
        net.proxy->SetProfile(TLagProfile{.loss = 1.0});
    if (!hostHears.isEmpty()) {
        QTRY_VERIFY_WITH_TIMEOUT(net.hostLost.startsWith(QStringLiteral("Connection lost.\n") + hostHears), 5000);
        QVERIFY2(net.hostLost.contains(QStringLiteral("Player 1: ")), qPrintable(net.hostLost));
    }
    if (!guestHears.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(net.guestEnded, guestHears, 5000);
        QCOMPARE(net.guestLost, guestLost);
    }
    QVERIFY(net.host.Over());
}

// F5 or leaving the window on either side pauses the round on both; either side goes on.
void NetTest::eitherSidePausesBothAndEitherResumes()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    NetGame net;
    QVERIFY(net.Start(nullptr));
    TGame &game = net.rig.game;
    const auto both = [&](TRoundState state) { return game.State() == state && net.guest.Mirror().state == state; };
    net.guest.Pause();
    QTRY_VERIFY(both(TRoundState::Paused));
    net.host.Pause();
    QTRY_VERIFY(both(TRoundState::Running));
    net.guest.Leave();
    QTRY_VERIFY(both(TRoundState::Paused));
    net.guest.Pause();
    QTRY_VERIFY(both(TRoundState::Running));
    game.Leave();
    QTRY_VERIFY(both(TRoundState::Paused));
    // While paused the guest's keys move nothing.
    const std::uint8_t heading = game.Sight(TPlayer::Blue).dir;
    net.guest.Act(TPlayerAction::TurnLeft);
    QTest::qWait(100);
    QCOMPARE(game.Sight(TPlayer::Blue).dir, heading);
    QCOMPARE(game.State(), TRoundState::Paused);
}

// The next round starts once both crash windows are closed, or once the wait is over however long
// the guest's stays open.
void NetTest::crashWaitsForBothWindowsOrItsTime_data()
{
    QTest::addColumn<bool>("guestCloses");
    QTest::newRow("the guest closes its window") << true;
    QTest::newRow("the guest's window stays open") << false;
}

void NetTest::crashWaitsForBothWindowsOrItsTime()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    QFETCH(bool, guestCloses);
    // The guest's main window, over which its crash window shows.
    QWidget guestScreen;
    guestScreen.show();
    NetGame net(&guestScreen);
    // Long enough never to end the wait for a window that is closed; short where none is.
    net.host.setCrashWaitMs(guestCloses ? 30000 : 1500);
    QVERIFY(net.Start(nullptr));
    const auto guestCrash = [&]() -> QDialog * {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (auto *crash = qobject_cast<Tcrash *>(window); crash && crash->isVisible())
                return crash;
        return nullptr;
    };
    // While the host's crash window is open, as the program waits at a crash: this side's window
    // closes at once; the guest's after a moment, or not at all.
    QDialog here;
    qint64 waitedMs = -1;
    QString guestCaption;
    bool guestOpenAtTheEnd = false;
    net.rig.onWindow = [&](const QString &) {
        QTimer::singleShot(50, &here, &QDialog::accept);
        QTimer::singleShot(300, &here, [&] {
            if (QDialog *crash = guestCrash()) {
                guestCaption = crash->windowTitle();
                if (guestCloses)
                    crash->accept();
            }
        });
        QElapsedTimer waited;
        waited.start();
        net.host.WaitAfterCrash(here);
        waitedMs = waited.elapsed();
        guestOpenAtTheEnd = guestCrash() != nullptr;
    };
    net.rig.CrashRed();
    QCOMPARE(guestCaption, QStringLiteral("Player 1 crashed! 2 Cycles left..."));
    QVERIFY(!here.isVisible());
    if (guestCloses) {
        // Not before the guest's window closed, and not for the whole wait.
        QVERIFY(!guestOpenAtTheEnd);
        QVERIFY2(waitedMs < 30000, qPrintable(QString::number(waitedMs)));
    } else {
        QVERIFY(guestOpenAtTheEnd);
        QVERIFY2(waitedMs >= 1400, qPrintable(QString::number(waitedMs)));
        // The next round closes it.
        QTRY_VERIFY(!guestCrash());
    }
}

// A peer that acknowledges nothing while we go on sending is dropped once its queue is full, before
// it is found silent.
void NetTest::peerThatCannotKeepUpIsDropped()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    LinkPair pair(TNetLinkLimits{.maxQueuedBytes = 100 * 1024});
    const TLagProfile clear;
    QVERIFY(pair.Join(QStringLiteral("127.0.0.1"), &clear));
    pair.proxy->SetProfile(TLagProfile{.loss = 1.0});
    const QByteArray chunk(8 * 1024, 'q');
    int accepted = 0;
    while (accepted < 100 && pair.host.Send(pair.hostPeer, chunk, true))
        ++accepted;
    QCOMPARE(accepted, 12);
    QTRY_COMPARE(pair.hostGone, QStringLiteral("Cannot keep up: more than 100 KiB waiting to be sent."));
    QVERIFY(pair.host.Peers().isEmpty());
}

Q_DECLARE_METATYPE(TDiscoveryDatagram)
Q_DECLARE_METATYPE(TNetGameChoice::Way)

// What players type: a name, IPv4 or IPv6, with a port or not; anything else is refused, saying why.
// Each address taken reads back from how it is shown.
void NetTest::addressIsReadAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("error");
    const auto taken = [](const char *name, const QString &typed, const QString &host, int port) {
        QTest::newRow(name) << typed << host << port << QString();
    };
    const auto refused = [](const char *name, const QString &typed, const QString &error) {
        QTest::newRow(name) << typed << QString() << 0 << error;
    };
    taken("name", QStringLiteral("friend.example.org"), QStringLiteral("friend.example.org"), 7717);
    taken("name with a port", QStringLiteral("localhost:7000"), QStringLiteral("localhost"), 7000);
    taken("name ending in a dot", QStringLiteral("friend.example.org."), QStringLiteral("friend.example.org."), 7717);
    taken("name in another script", QStringLiteral("bücher.example"), QStringLiteral("bücher.example"), 7717);
    taken("IPv4, blanks around", QStringLiteral(" 192.168.1.5:65535\t"), QStringLiteral("192.168.1.5"), 65535);
    taken("IPv4 port 1", QStringLiteral("10.0.0.1:1"), QStringLiteral("10.0.0.1"), 1);
    taken("IPv6", QStringLiteral("::1"), QStringLiteral("::1"), 7717);
    taken("IPv6 link-local with its interface", QStringLiteral("fe80::1%eth0"), QStringLiteral("fe80::1%eth0"), 7717);
    taken("IPv6 in brackets", QStringLiteral("[2001:db8::5]"), QStringLiteral("2001:db8::5"), 7717);
    taken("IPv6 with a port", QStringLiteral("[::1]:7720"), QStringLiteral("::1"), 7720);

    refused("nothing", QStringLiteral("  "), QStringLiteral("Type the address of the computer that hosts the game."));
    refused("port too high", QStringLiteral("x:99999"),
            QStringLiteral("\"x:99999\" is not an address: the port must be 1 to 65535."));
    refused("port 0", QStringLiteral("x:0"), QStringLiteral("\"x:0\" is not an address: the port must be 1 to 65535."));
    refused("port missing", QStringLiteral("x:"), QStringLiteral("the port must be 1 to 65535"));
    refused("port not a number", QStringLiteral("x:+80"), QStringLiteral("the port must be 1 to 65535"));
    refused("bracketed port too high", QStringLiteral("[::1]:65536"), QStringLiteral("the port must be 1 to 65535"));
    refused("space inside", QStringLiteral("my friend"), QStringLiteral("it has a space in it"));
    refused("IPv4 number too big", QStringLiteral("300.1.1.1"), QStringLiteral("four numbers 0 to 255"));
    refused("IPv4 cut short", QStringLiteral("127.1"), QStringLiteral("four numbers 0 to 255"));
    refused("garbage", QStringLiteral("foo!bar"), QStringLiteral("a name has only letters"));
    refused("name starting with a hyphen", QStringLiteral("-foo.org"), QStringLiteral("a name has only letters"));
    refused("empty part of a name", QStringLiteral("foo..org"), QStringLiteral("a name has only letters"));
    refused("port without a name", QStringLiteral(":7717"), QStringLiteral("missing before the port"));
    refused("two ports", QStringLiteral("1.2.3.4:5:6"), QStringLiteral("no IPv6 address"));
    refused("IPv6 port without brackets", QStringLiteral("fe80::1::7717"), QStringLiteral("[address]:port"));
    refused("bracket left open", QStringLiteral("[::1"), QStringLiteral("bracket"));
    refused("IPv4 in brackets", QStringLiteral("[1.2.3.4]:80"), QStringLiteral("no IPv6 address in the brackets"));
    refused("text after the brackets", QStringLiteral("[::1]x"), QStringLiteral("only \":port\""));
}

void NetTest::addressIsReadAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, error);
    QString why;
    const std::optional<TNetAddress> address = NetAddress::Parse(typed, NetAddress::DefaultPort, &why);
    if (!error.isEmpty()) {
        QVERIFY(!address);
        QVERIFY2(why.contains(error), qPrintable(why));
        return;
    }
    QVERIFY2(address, qPrintable(why));
    QCOMPARE(address->host, host);
    QCOMPARE(address->port, port);
    QCOMPARE(NetAddress::Parse(NetAddress::Display(host, address->port), 1), address);
}

// Questions and answers come back as sent, within 256 bytes at the longest; a name or version that
// cannot go out as it is goes out cut and cleaned.
void NetTest::discoveryDatagramComesBackAsSent_data()
{
    QTest::addColumn<TDiscoveryDatagram>("sent");
    QTest::addColumn<TDiscoveryDatagram>("received");
    const auto same = [](const char *name, const TDiscoveryDatagram &datagram) {
        QTest::newRow(name) << datagram << datagram;
    };
    same("query", TDiscoveryQuery{0xFEDCBA98});
    same("answer", TDiscoveryAnswer{1, 7717, QStringLiteral("Wohnzimmer-PC"), QStringLiteral("2.0.0"), true});
    same("answer, no name, seat taken", TDiscoveryAnswer{0, 65535, {}, QStringLiteral("2"), false});
    // 63 units of three bytes each (189 bytes) and a version of 32: the longest answer.
    same("longest answer", TDiscoveryAnswer{7, 1, QString(63, QChar(0x263A)), QString(32, QLatin1Char('~')), true});
    const QString emoji = QStringLiteral("\U0001F3CE");
    QTest::newRow("name cut, not within a pair")
        << TDiscoveryDatagram(TDiscoveryAnswer{2, 80, QString(32, QLatin1Char('a')) + emoji.repeated(20), {}, true})
        << TDiscoveryDatagram(
               TDiscoveryAnswer{2, 80, QString(32, QLatin1Char('a')) + emoji.repeated(15), QStringLiteral("?"), true});
    QTest::newRow("control characters made blanks")
        << TDiscoveryDatagram(TDiscoveryAnswer{3, 80, QStringLiteral("a\tb\nc\u2028"), QStringLiteral("1.0\x01"), true})
        << TDiscoveryDatagram(TDiscoveryAnswer{3, 80, QStringLiteral("a b c "), QStringLiteral("1.0?"), true});
    QTest::newRow("version cut")
        << TDiscoveryDatagram(TDiscoveryAnswer{4, 80, {}, QString(40, QLatin1Char('9')) + QChar(0xE9), true})
        << TDiscoveryDatagram(TDiscoveryAnswer{4, 80, {}, QString(32, QLatin1Char('9')), true});
}

void NetTest::discoveryDatagramComesBackAsSent()
{
    QFETCH(TDiscoveryDatagram, sent);
    QFETCH(TDiscoveryDatagram, received);
    const QByteArray bytes = DiscoveryDatagram::Encode(sent);
    QVERIFY(bytes.size() <= DiscoveryDatagram::MaxBytes);
    const std::optional<TDiscoveryDatagram> decoded = DiscoveryDatagram::Decode(bytes);
    QVERIFY(decoded);
    QVERIFY(*decoded == received);
}

void NetTest::malformedDiscoveryDatagramIsIgnored_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray query = DiscoveryDatagram::Encode(TDiscoveryQuery{5});
    const QByteArray answer =
        DiscoveryDatagram::Encode(TDiscoveryAnswer{5, 7717, QStringLiteral("ab"), QStringLiteral("2.0"), true});
    // The answer's bytes: header (8), id (4), port (2), flags (1), name's length and "ab" (3),
    // version's length and "2.0" (4).
    const QByteArray head = answer.left(14);
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("magic alone") << query.left(6);
    QTest::newRow("query cut") << query.chopped(1);
    QTest::newRow("query with a byte more") << query + 'x';
    QTest::newRow("another game's magic") << With(query, 5, 'E');
    QTest::newRow("another layout") << With(query, 6, 2);
    QTest::newRow("unknown kind") << With(query, 7, 'X');
    QTest::newRow("answer cut") << answer.chopped(1);
    QTest::newRow("answer with a byte more") << answer + '\0';
    QTest::newRow("port 0") << With(With(answer, 12, 0), 13, 0);
    QTest::newRow("unknown flag") << With(answer, 14, 3);
    QTest::newRow("name longer than its bytes") << With(answer, 15, 60);
    QTest::newRow("name with a bell") << With(answer, 16, 7);
    QTest::newRow("name not UTF-8") << With(With(answer, 16, char(0xC3)), 17, '(');
    QTest::newRow("name behind a byte order mark")
        << head + '\x01' + '\x05' + QByteArray::fromHex("efbbbf") + "ab" + answer.right(4);
    QTest::newRow("name of 64 characters") << head + '\x01' + '\x40' + QByteArray(64, 'n') + answer.right(4);
    QTest::newRow("name over 189 bytes") << head + '\x01' + char(190) + QByteArray(190, 'n') + answer.right(4);
    QTest::newRow("no version") << answer.chopped(4) + '\0';
    QTest::newRow("version with DEL") << With(answer, -1, 0x7F);
    QTest::newRow("version of 33 bytes") << answer.chopped(4) + '\x21' + QByteArray(33, '1');
    QTest::newRow("over 256 bytes") << query + QByteArray(DiscoveryDatagram::MaxBytes, '\0');
}

void NetTest::malformedDiscoveryDatagramIsIgnored()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!DiscoveryDatagram::Decode(bytes));
}

// A beacon on loopback answers a finder asking there, whatever else it was sent before; the finder
// follows the seat and forgets the game when it is gone. Found within 2 s (the first question goes
// at once) and forgotten after 3 s, both asserted loosely: the machine is shared.
void NetTest::beaconAnswersTheFinderThroughGarbage()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    auto beacon = std::make_unique<TGameBeacon>(7800);
    beacon->setName(QStringLiteral("Wohnzimmer"));
    QVERIFY2(beacon->Listen(0, QHostAddress::LocalHost), qPrintable(beacon->error()));
    QVERIFY(beacon->error().isEmpty());
    // One that cannot listen (on an address this computer does not have) says why.
    TGameBeacon homeless(7800);
    QVERIFY(!homeless.Listen(0, QHostAddress(QStringLiteral("192.0.2.1"))));
    QVERIFY2(homeless.error().startsWith(QStringLiteral("Other computers on the local network cannot find this game")),
             qPrintable(homeless.error()));
    QCOMPARE(homeless.Port(), 0);

    // A stranger sends it everything but a question, then a question, and hears only that answer.
    QUdpSocket stranger;
    QVERIFY(stranger.bind(QHostAddress::LocalHost, 0));
    const QByteArray question = DiscoveryDatagram::Encode(TDiscoveryQuery{42});
    std::vector<QByteArray> garbage{
        {},
        question.chopped(1),
        question + QByteArray(300, 'x'),
        DiscoveryDatagram::Encode(TDiscoveryAnswer{42, 1, {}, QStringLiteral("1"), true}),
        QByteArray(2000, 'Z'),
    };
    std::mt19937 random(20261210);
    for (int n = 0; n < 100; ++n) {
        QByteArray bytes = question;
        const auto at = static_cast<qsizetype>(random() % 8);
        bytes[at] = static_cast<char>(bytes.at(at) ^ static_cast<char>(random() % 255 + 1));
        garbage.push_back(bytes);
    }
    for (const QByteArray &bytes : garbage)
        stranger.writeDatagram(bytes, QHostAddress::LocalHost, beacon->Port());
    stranger.writeDatagram(question, QHostAddress::LocalHost, beacon->Port());
    QTRY_VERIFY_WITH_TIMEOUT(stranger.hasPendingDatagrams(), 5000);
    const std::optional<TDiscoveryDatagram> heard = DiscoveryDatagram::Decode(stranger.receiveDatagram().data());
    QVERIFY(heard);
    QVERIFY(*heard
            == TDiscoveryDatagram(
                TDiscoveryAnswer{42, 7800, QStringLiteral("Wohnzimmer"), NetProtocol::GameVersion(), true}));
    QTest::qWait(100);
    QVERIFY(!stranger.hasPendingDatagrams());

    TGameFinder finder({{QHostAddress::LocalHost, beacon->Port()}});
    QSignalSpy changed(&finder, &TGameFinder::changed);
    finder.Start();
    QVERIFY(finder.IsRunning());
    QTRY_COMPARE_WITH_TIMEOUT(finder.Games().size(), 1, 5000);
    const TFoundGame found{QHostAddress::LocalHost, 7800, QStringLiteral("Wohnzimmer"), NetProtocol::GameVersion(),
                           true};
    QCOMPARE(finder.Games().front(), found);

    beacon->setSeatFree(false);
    QTRY_VERIFY_WITH_TIMEOUT(!finder.Games().front().seatFree, 5000);
    QCOMPARE(finder.Games().size(), 1);
    beacon->setGamePort(7801);
    // Another port is another game; the old one is forgotten when no longer heard.
    QTRY_COMPARE_WITH_TIMEOUT(finder.Games().size(), 2, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(finder.Games().size(), 1, 8000);
    QCOMPARE(finder.Games().front().port, 7801);

    beacon.reset();
    QTRY_VERIFY_WITH_TIMEOUT(finder.Games().isEmpty(), 8000);
    QVERIFY(changed.size() >= 4);
    finder.Stop();
    QVERIFY(!finder.IsRunning());
}

// The window lists what its finder hears while the list is in sight; taking a game joins it.
void NetTest::dialogListsTheGamesFound()
{
    SKIP_UNLESS_ONLY_LOOPBACK();
    TGameBeacon beacon(7717);
    beacon.setName(QStringLiteral("Keller"));
    beacon.setSeatFree(false);
    QVERIFY(beacon.Listen(0, QHostAddress::LocalHost));
    TNetGameDialog dialog(nullptr);
    dialog.setFinderTargets({{QHostAddress::LocalHost, beacon.Port()}});
    dialog.show();
    QTest::qWait(100);
    QCOMPARE(dialog.Found->count(), 0);

    dialog.setWay(TNetGameChoice::Way::Watch);
    QTRY_COMPARE_WITH_TIMEOUT(dialog.Found->count(), 1, 5000);
    QCOMPARE(dialog.Found->item(0)->text(), QStringLiteral("Keller - 127.0.0.1:7717 (playing: room to watch)"));
    emit dialog.Found->itemActivated(dialog.Found->item(0));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const std::optional<TNetGameChoice> choice = dialog.Choice();
    QVERIFY(choice);
    QCOMPARE(choice->way, TNetGameChoice::Way::Watch);
    QCOMPARE(choice->host, QStringLiteral("127.0.0.1"));
    QCOMPARE(choice->port, 7717);
    // Out of sight, the list is emptied and nobody is asked.
    QTRY_COMPARE(dialog.Found->count(), 0);
}

// The window returns what was chosen; an address that is none keeps the button off and says why.
void NetTest::dialogChoosesWhatWasTyped_data()
{
    QTest::addColumn<TNetGameChoice::Way>("way");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("error");
    using Way = TNetGameChoice::Way;
    QTest::newRow("host") << Way::Host << QStringLiteral("not read") << QString() << 7730 << QString();
    QTest::newRow("join by name") << Way::Join << QStringLiteral("friend.example.org:7000")
                                  << QStringLiteral("friend.example.org") << 7000 << QString();
    QTest::newRow("watch IPv6") << Way::Watch << QStringLiteral("[::1]") << QStringLiteral("::1") << 7717 << QString();
    QTest::newRow("join a bad port") << Way::Join << QStringLiteral("x:99999") << QString() << 0
                                     << QStringLiteral("\"x:99999\" is not an address: the port must be 1 to 65535.");
    QTest::newRow("watch nothing") << Way::Watch << QString() << QString() << 0
                                   << QStringLiteral("Type the address of the computer that hosts the game.");
}

void NetTest::dialogChoosesWhatWasTyped()
{
    QFETCH(TNetGameChoice::Way, way);
    QFETCH(QString, typed);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, error);
    // Never shown: its finder asks nobody.
    TNetGameDialog dialog(nullptr, 7730);
    dialog.setFinderTargets({});
    dialog.setWay(way);
    QTest::keyClicks(dialog.Address, typed);
    dialog.HostPassword->setText(QStringLiteral("host pw"));
    dialog.JoinPassword->setText(QStringLiteral("guest pw"));
    QCOMPARE(dialog.Go->text(), dialog.Ways->tabText(dialog.Ways->currentIndex()));
    QCOMPARE(dialog.Go->isEnabled(), error.isEmpty());
    QCOMPARE(dialog.AddressError->text(), way == TNetGameChoice::Way::Host ? QString() : error);
    const std::optional<TNetGameChoice> choice = dialog.Choice();
    QCOMPARE(choice.has_value(), error.isEmpty());
    if (!choice)
        return;
    QCOMPARE(choice->way, way);
    QCOMPARE(choice->host, host);
    QCOMPARE(choice->port, port);
    const bool hosting = way == TNetGameChoice::Way::Host;
    QCOMPARE(choice->password, hosting ? QStringLiteral("host pw") : QStringLiteral("guest pw"));
    QCOMPARE(choice->evenOutLag, hosting);
    QVERIFY(!choice->router);
}

// Cancel, Escape and the window's X each cancel, once.
void NetTest::waitWindowCancelsOnce_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("X") << 2;
}

void NetTest::waitWindowCancelsOnce()
{
    QFETCH(int, how);
    TNetWaitWindow window(nullptr);
    window.setText(QStringLiteral("Waiting for an opponent on port 7717."));
    QVERIFY(!window.isModal());
    QVERIFY(window.RouterButton->isHidden());
    window.setRouterPort(7717);
    QVERIFY(!window.RouterButton->isHidden());
    window.show();
    QSignalSpy cancelled(&window, &TNetWaitWindow::cancelled);
    if (how == 0)
        QTest::mouseClick(window.Cancel, Qt::LeftButton);
    else if (how == 1)
        QTest::keyClick(&window, Qt::Key_Escape);
    else
        window.close();
    QCOMPARE(cancelled.size(), 1);
    QVERIFY(!window.isVisible());
    window.show();
    window.close();
    QCOMPARE(cancelled.size(), 1);
}

QTEST_MAIN(NetTest)
#include "tst_net.moc"
