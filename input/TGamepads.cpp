#include "input/TGamepads.h"

#include "input/TGamepadHub.h"

#include <QApplication>

#include <SDL.h>

TGamepads::TGamepads(std::function<TPadMapping()> readMapping, QObject *parent)
    : QObject(parent)
    , read(std::move(readMapping))
    , hub(TGamepadHub::Shared())
{
    ReadIfNeeded();
    connect(hub.get(), &TGamepadHub::pressed, this, &TGamepads::Pressed);
    connect(hub.get(), &TGamepadHub::controllersChanged, this, &TGamepads::ReadIfNeeded);
}

TGamepads::~TGamepads() = default;

void TGamepads::ReadMapping() noexcept
{
    stale = true;
    ReadIfNeeded();
}

void TGamepads::ReadIfNeeded() noexcept
{
    if (!stale || hub->Controllers().empty())
        return;
    stale = false;
    // Reading the settings file never fails (a file that cannot be read reads as missing), but a
    // caller in a destructor or a slot must not have to know that.
    try {
        mapping = read();
    } catch (...) {
        mapping = TPadMapping();
    }
}

void TGamepads::Pressed(std::uint8_t player, TPadControl control)
{
    if (QApplication::activeModalWidget())
        return;
    ReadIfNeeded();
    if (control == SDL_CONTROLLER_BUTTON_START) {
        emit pause();
        return;
    }
    for (TPlayerAction each : mapping.ActionsOf(player, control))
        emit action(player, each);
}
