#pragma once

#include "game/PlayerAction.h"
#include "input/PadControl.h"
#include "input/TPadMapping.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

class TGamepadHub;

// The game controllers as one window hears them: a press becomes the player's actions by the
// mapping in the settings file ("Gamepad"), and Start a pause request. The window carries them
// out exactly as it does its keys. Like the keys, the controllers give nothing while a modal
// window is open in front of the game.
//
// The mapping is read once a controller is there (at once if one is), not before: a game played
// without controllers never reads the section, however large the settings file has grown.
class TGamepads : public QObject
{
    Q_OBJECT

public:
    // `readMapping` reads the buttons from the settings file.
    explicit TGamepads(std::function<TPadMapping()> readMapping, QObject *parent = nullptr);
    ~TGamepads() override;

    // Has the mapping read again (when the settings dialog has closed): at once while a
    // controller is connected, else when the next one comes.
    void ReadMapping() noexcept;

signals:
    void action(std::uint8_t player, TPlayerAction action);
    void pause();

private:
    void Pressed(std::uint8_t player, TPadControl control);
    // Reads the mapping if it is not read yet and a controller is there.
    void ReadIfNeeded() noexcept;

    std::function<TPadMapping()> read;
    std::shared_ptr<TGamepadHub> hub;
    TPadMapping mapping;
    bool stale = true;
};
