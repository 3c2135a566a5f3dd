#pragma once

#include "input/PadControl.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

union SDL_Event;

// The game's one connection to SDL's game controllers, shared by everyone who listens to them.
// It starts SDL's game-controller subsystem only (with the joystick and event subsystems that it
// brings, but no video), opens each controller SDL reports and gives it a player: the first
// controller connected drives player 1, the next player 2; a further one waits and takes over
// the first player whose controller is pulled out. It tells of every press of a button and every
// push of the left stick (with hysteresis, see PadControl.h) together with the player.
//
// Nothing polls. Everything runs on the GUI thread, whose event loop waits on:
// - a second descriptor of each controller's device node (TDeviceWatch), which wakes it the moment
//   the controller sends something; SDL is then asked for its events;
// - /dev/input itself (inotify, through QFileSystemWatcher), which wakes it when a controller is
//   plugged in or pulled out. The system's device manager tells SDL of the change a little after
//   the node appears (once it has set its permissions), so SDL is asked again a few times over
//   the next two seconds.
// A controller without a device node (SDL's virtual ones) is heard only when Pump() is called.
//
// Without SDL (it could not start: no access, no devices) the hub is simply empty and silent; what
// SDL has to say goes to the debug category "zandrix.input".
class TGamepadHub : public QObject
{
    Q_OBJECT

public:
    struct Controller
    {
        QString name;
        // 1 or 2; 0 while both players have a controller already.
        std::uint8_t player = 0;
    };

    // The program's hub: made by the first to ask, ended (and SDL with it) when the last one
    // holding it lets go. Only on the GUI thread.
    static std::shared_ptr<TGamepadHub> Shared();

    ~TGamepadHub() override;
    TGamepadHub(const TGamepadHub &) = delete;
    TGamepadHub &operator=(const TGamepadHub &) = delete;

    // Whether SDL's game-controller subsystem is running.
    bool Started() const { return started; }
    // The controllers connected, in the order in which they came.
    std::vector<Controller> Controllers() const;

    // Takes in and hands on everything SDL has to tell. The hub does this itself whenever a
    // device node or /dev/input wakes it.
    void Pump();

signals:
    // A button of a player's controller went down, or the left stick was pushed one way.
    void pressed(std::uint8_t player, TPadControl control);
    // A controller came or went, or a controller's player changed.
    void controllersChanged();

private:
    struct Pad;

    TGamepadHub();
    void WatchInputDirectory();
    void InputDirectoryChanged();
    void PumpAgainSoon();
    void Handle(const SDL_Event &event);
    void Add(int deviceIndex);
    void Remove(std::int32_t instance);
    void Button(std::int32_t instance, std::uint8_t button);
    void Stick(std::int32_t instance, int value);
    Pad *Find(std::int32_t instance) const;

    bool started = false;
    std::vector<std::unique_ptr<Pad>> pads;
    QFileSystemWatcher inputDirectory;
    // Asks SDL again after a change in /dev/input, at the steps of FollowUps.
    QTimer followUp;
    std::size_t followUpStep = 0;
};
