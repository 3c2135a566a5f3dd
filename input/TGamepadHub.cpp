#include "input/TGamepadHub.h"

#include "input/TDeviceWatch.h"

#include <QFileInfo>
#include <QLoggingCategory>

#include <SDL.h>

#include <algorithm>
#include <array>

namespace {

Q_LOGGING_CATEGORY(lcInput, "zandrix.input", QtWarningMsg)

const QString InputDirectory = QStringLiteral("/dev/input");
const QString DeviceDirectory = QStringLiteral("/dev");

// Milliseconds between the asks after a change in /dev/input: the device manager usually tells
// SDL within some ten milliseconds, on a busy machine it takes longer.
constexpr std::array<int, 5> FollowUps{10, 40, 150, 600, 1200};

void LogFromSdl(void *, int category, SDL_LogPriority priority, const char *message)
{
    qCDebug(lcInput, "SDL (%d, %d): %s", category, static_cast<int>(priority), message);
}

} // namespace

struct TGamepadHub::Pad
{
    SDL_GameController *controller = nullptr;
    SDL_JoystickID instance = -1;
    QString name;
    std::uint8_t player = 0;
    bool stickLeft = false;
    bool stickRight = false;
    // A child of the hub; deleted later, since a removal may be noticed from its own wake-up.
    TDeviceWatch *watch = nullptr;
};

std::shared_ptr<TGamepadHub> TGamepadHub::Shared()
{
    static std::weak_ptr<TGamepadHub> current;
    if (std::shared_ptr<TGamepadHub> hub = current.lock())
        return hub;
    std::shared_ptr<TGamepadHub> hub(new TGamepadHub);
    current = hub;
    return hub;
}

TGamepadHub::TGamepadHub()
{
    followUp.setSingleShot(true);
    connect(&followUp, &QTimer::timeout, this, [this] {
        Pump();
        if (++followUpStep < FollowUps.size())
            followUp.start(FollowUps.at(followUpStep));
    });

    SDL_LogSetOutputFunction(LogFromSdl, nullptr);
    // SDL is a guest in a Qt program: Qt handles the signals and the screen, SDL only reads the
    // controllers. Positions rather than labels, so that "a" is the south button on every
    // controller (a Nintendo layout prints A on the east one).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        qCDebug(lcInput, "no game controllers: %s", SDL_GetError());
        return;
    }
    started = true;
    connect(&inputDirectory, &QFileSystemWatcher::directoryChanged, this, [this] { InputDirectoryChanged(); });
    WatchInputDirectory();
    // The controllers already there come as events like any new one.
    Pump();
}

TGamepadHub::~TGamepadHub()
{
    followUp.stop();
    for (const std::unique_ptr<Pad> &pad : pads)
        SDL_GameControllerClose(pad->controller);
    pads.clear();
    if (started) {
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        if (SDL_WasInit(0) == 0)
            SDL_Quit();
    }
}

std::vector<TGamepadHub::Controller> TGamepadHub::Controllers() const
{
    std::vector<Controller> list;
    for (const std::unique_ptr<Pad> &pad : pads)
        list.push_back({pad->name, pad->player});
    return list;
}

void TGamepadHub::WatchInputDirectory()
{
    // Until the first input device appears there is no /dev/input: watch /dev for it then.
    // (QFileSystemWatcher warns about a path that is not there, so look first.)
    const QString wanted = QFileInfo(InputDirectory).isDir() ? InputDirectory : DeviceDirectory;
    const QStringList watched = inputDirectory.directories();
    if (watched == QStringList{wanted})
        return;
    if (!watched.isEmpty())
        inputDirectory.removePaths(watched);
    if (QFileInfo(wanted).isDir())
        inputDirectory.addPath(wanted);
}

void TGamepadHub::InputDirectoryChanged()
{
    const bool hadInput = inputDirectory.directories().contains(InputDirectory);
    WatchInputDirectory();
    if (!hadInput && !inputDirectory.directories().contains(InputDirectory))
        return; // something else changed in /dev
    Pump();
    PumpAgainSoon();
}

void TGamepadHub::PumpAgainSoon()
{
    followUpStep = 0;
    followUp.start(FollowUps.front());
}

void TGamepadHub::Pump()
{
    if (!started)
        return;
    SDL_PumpEvents();
    // One event at a time: a listener may come back here (a nested event loop) and must find
    // the queue and the list of controllers as they are.
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
        Handle(event);
}

void TGamepadHub::Handle(const SDL_Event &event)
{
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: Add(event.cdevice.which); break;
    case SDL_CONTROLLERDEVICEREMOVED: Remove(event.cdevice.which); break;
    case SDL_CONTROLLERBUTTONDOWN: Button(event.cbutton.which, event.cbutton.button); break;
    case SDL_CONTROLLERAXISMOTION:
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
            Stick(event.caxis.which, event.caxis.value);
        break;
    default: break;
    }
}

TGamepadHub::Pad *TGamepadHub::Find(std::int32_t instance) const
{
    for (const std::unique_ptr<Pad> &pad : pads)
        if (pad->instance == instance)
            return pad.get();
    return nullptr;
}

void TGamepadHub::Add(int deviceIndex)
{
    SDL_GameController *controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) {
        qCDebug(lcInput, "cannot open controller %d: %s", deviceIndex, SDL_GetError());
        return;
    }
    SDL_Joystick *joystick = SDL_GameControllerGetJoystick(controller);
    const SDL_JoystickID instance = SDL_JoystickInstanceID(joystick);
    if (Find(instance)) {
        // Announced again (a new mapping for it): it is open already.
        SDL_GameControllerClose(controller);
        return;
    }
    auto pad = std::make_unique<Pad>();
    pad->controller = controller;
    pad->instance = instance;
    const char *name = SDL_GameControllerName(controller);
    pad->name = name ? QString::fromUtf8(name) : QStringLiteral("Game controller");
    for (std::uint8_t player : {std::uint8_t{1}, std::uint8_t{2}})
        if (std::none_of(pads.begin(), pads.end(), [player](const auto &other) { return other->player == player; })) {
            pad->player = player;
            break;
        }
    if (const char *path = SDL_JoystickPath(joystick)) {
        pad->watch = new TDeviceWatch(
            QString::fromLocal8Bit(path), [this] { Pump(); }, this);
        if (!pad->watch->Watching())
            qCDebug(lcInput, "cannot watch %s", path);
    }
    qCDebug(lcInput) << "controller" << pad->name << "for player" << pad->player;
    pads.push_back(std::move(pad));
    emit controllersChanged();
}

void TGamepadHub::Remove(std::int32_t instance)
{
    const auto found =
        std::find_if(pads.begin(), pads.end(), [instance](const auto &pad) { return pad->instance == instance; });
    if (found == pads.end())
        return;
    std::unique_ptr<Pad> pad = std::move(*found);
    pads.erase(found);
    SDL_GameControllerClose(pad->controller);
    if (pad->watch) {
        pad->watch->Stop();
        pad->watch->deleteLater();
    }
    // The first controller still waiting takes over the player.
    if (pad->player != 0)
        for (const std::unique_ptr<Pad> &waiting : pads)
            if (waiting->player == 0) {
                waiting->player = pad->player;
                break;
            }
    emit controllersChanged();
}

void TGamepadHub::Button(std::int32_t instance, std::uint8_t button)
{
    const Pad *pad = Find(instance);
    if (pad && pad->player != 0)
        emit pressed(pad->player, button);
}

void TGamepadHub::Stick(std::int32_t instance, int value)
{
    Pad *pad = Find(instance);
    if (!pad)
        return;
    // Each way is a button of its own: down past half the travel, up again below a quarter.
    const bool left = pad->stickLeft ? value <= -PadControl::StickReleased : value <= -PadControl::StickPushed;
    const bool right = pad->stickRight ? value >= PadControl::StickReleased : value >= PadControl::StickPushed;
    const bool turnLeft = left && !pad->stickLeft;
    const bool turnRight = right && !pad->stickRight;
    pad->stickLeft = left;
    pad->stickRight = right;
    // A listener may remove the pad; nothing of it is used after the first signal.
    const std::uint8_t player = pad->player;
    if (player == 0)
        return;
    if (turnLeft)
        emit pressed(player, PadControl::StickLeft);
    if (turnRight)
        emit pressed(player, PadControl::StickRight);
}
