#include "net/TPortOpener.h"

#include <QThread>

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

namespace {

// How long the routers on the local network have to answer, and how long a destroyed opener waits
// for its forwarding to be removed.
constexpr int DiscoverMs = 2000;
constexpr auto RemoveWait = std::chrono::milliseconds(1500);

// Where a forwarding was made, to remove it again.
struct TMapping
{
    std::string controlUrl;
    std::string serviceType;
    std::string port;
};

struct TOutcome
{
    bool ok = false;
    QString message;
    std::optional<TMapping> mapping;
};

TOutcome Fail(const QString &what, quint16 port)
{
    return {false,
            QStringLiteral("%1 Forward UDP port %2 to this computer by hand in your router's settings.")
                .arg(what)
                .arg(port),
            std::nullopt};
}

// Asks the router: find it, then add the forwarding. Runs on the worker; throws nothing.
TOutcome MapPort(quint16 port) noexcept
{
    try {
        int error = 0;
        const std::unique_ptr<UPNPDev, void (*)(UPNPDev *)> devices(
            upnpDiscover(DiscoverMs, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &error), freeUPNPDevlist);
        if (!devices)
            return Fail(QStringLiteral("No router on the local network answered (it may not offer UPnP, or has it "
                                       "switched off)."),
                        port);
        UPNPUrls urls{};
        IGDdatas data{};
        char lanAddress[64] = {};
        const int found = UPNP_GetValidIGD(devices.get(), &urls, &data, lanAddress, sizeof lanAddress);
        const std::unique_ptr<UPNPUrls, void (*)(UPNPUrls *)> freeUrls(found != 0 ? &urls : nullptr, FreeUPNPUrls);
        if (found == 2)
            return Fail(QStringLiteral("The router says it is not connected to the internet."), port);
        if (found != 1 || !urls.controlURL)
            return Fail(QStringLiteral("No router that can forward ports answered (UPnP)."), port);

        char outside[64] = {};
        if (UPNP_GetExternalIPAddress(urls.controlURL, data.first.servicetype, outside) != 0)
            outside[0] = '\0';
        const std::string number = std::to_string(port);
        const int refused = UPNP_AddPortMapping(urls.controlURL, data.first.servicetype, number.c_str(), number.c_str(),
                                                lanAddress, "Zandrix II", "UDP", nullptr, "0");
        if (refused == 718)
            return Fail(QStringLiteral("The router already forwards UDP port %1 to another computer.").arg(port), port);
        if (refused != 0) {
            const char *why = strupnperror(refused);
            return Fail(QStringLiteral("The router refused to forward the port (%1, error %2).")
                            .arg(QString::fromUtf8(why ? why : "no reason given"))
                            .arg(refused),
                        port);
        }
        const QString address = QString::fromLatin1(outside, qstrnlen(outside, sizeof outside - 1));
        const QString where = address.isEmpty() || address == QLatin1String("0.0.0.0")
                                  ? QString()
                                  : QStringLiteral(" (outside address %1)").arg(address);
        return {true, QStringLiteral("The router forwards UDP port %1 to this computer%2.").arg(port).arg(where),
                TMapping{urls.controlURL, data.first.servicetype, number}};
    } catch (...) {
        return Fail(QStringLiteral("Asking the router failed."), port);
    }
}

void Unmap(const TMapping &mapping) noexcept
{
    UPNP_DeletePortMapping(mapping.controlUrl.c_str(), mapping.serviceType.c_str(), mapping.port.c_str(), "UDP",
                           nullptr);
}

// Runs the work on a thread of its own, which puts itself away when done. Nothing it throws (it
// could only fail to allocate) leaves the thread.
template <typename Work> void RunAside(Work work)
{
    QThread *thread = QThread::create([work = std::move(work)]() mutable {
        try {
            work();
        } catch (...) {
        }
    });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

} // namespace

// What the opener and its workers share; it outlives whichever of them ends last.
struct TPortOpener::Shared
{
    std::mutex mutex;
    std::condition_variable removed;
    // Null once the opener is gone: then nobody is told any more.
    TPortOpener *owner = nullptr;
    // The forwarding in place, to remove.
    std::optional<TMapping> mapping;
    // Counts the Open() and Close() calls: a forwarding made for an earlier one is not wanted.
    quint64 generation = 0;
    int removing = 0;
};

TPortOpener::TPortOpener(QObject *parent)
    : QObject(parent)
    , shared(std::make_shared<Shared>())
{
    shared->owner = this;
}

TPortOpener::~TPortOpener()
{
    std::unique_lock lock(shared->mutex);
    shared->owner = nullptr;
    lock.unlock();
    Close();
    lock.lock();
    shared->removed.wait_for(lock, RemoveWait, [this] { return shared->removing == 0; });
}

void TPortOpener::Open(quint16 wanted)
{
    if (busy)
        return;
    Close();
    busy = true;
    port = wanted;
    quint64 generation = 0;
    {
        std::lock_guard lock(shared->mutex);
        generation = ++shared->generation;
    }
    asking = generation;
    RunAside([state = shared, wanted, generation] {
        TOutcome outcome = MapPort(wanted);
        std::unique_lock lock(state->mutex);
        if (generation != state->generation || !state->owner) {
            // Closed or destroyed meanwhile: take back what was made, tell nobody.
            lock.unlock();
            if (outcome.mapping)
                Unmap(*outcome.mapping);
            return;
        }
        state->mapping = std::move(outcome.mapping);
        // Posted while the owner cannot go away; an owner destroyed before it arrives drops it.
        TPortOpener *owner = state->owner;
        QMetaObject::invokeMethod(
            owner,
            [owner, generation, ok = outcome.ok, message = outcome.message] {
                owner->Finished(generation, ok, message);
            },
            Qt::QueuedConnection);
    });
}

void TPortOpener::Close()
{
    open = false;
    busy = false;
    asking = 0;
    std::unique_lock lock(shared->mutex);
    ++shared->generation;
    std::optional<TMapping> mapping = std::exchange(shared->mapping, std::nullopt);
    if (!mapping)
        return;
    ++shared->removing;
    lock.unlock();
    RunAside([state = shared, mapping = std::move(*mapping)] {
        Unmap(mapping);
        std::lock_guard done(state->mutex);
        --state->removing;
        state->removed.notify_all();
    });
}

void TPortOpener::Finished(quint64 generation, bool ok, const QString &message)
{
    // Closed since: its forwarding is already on its way out.
    if (generation != asking)
        return;
    busy = false;
    open = ok;
    emit done(ok, message);
}
