#pragma once

#include "game/PlayerAction.h"
#include "input/PadControl.h"
#include "input/TPadMapping.h"

#include <QObject>

#include <cstdint>
#include <memory>

class TGamepadHub;

// The game controllers as one window hears them: a press becomes the player's actions by the
// mapping in the settings file ("Gamepad"), and Start a pause request. The window carries them
// out exactly as it does its keys. Like the keys, the controllers give nothing while a modal
// window is open in front of the game.
class TGamepads : public QObject
{
    Q_OBJECT

public:
    // Reads the mapping from the settings file.
    explicit TGamepads(QObject *parent = nullptr);
    ~TGamepads() override;

    // Reads the mapping again (when the settings dialog has closed).
    void ReadMapping() noexcept;
    const TPadMapping &Mapping() const { return mapping; }
    TGamepadHub &Hub() { return *hub; }

signals:
    void action(std::uint8_t player, TPlayerAction action);
    void pause();

private:
    void Pressed(std::uint8_t player, TPadControl control);

    std::shared_ptr<TGamepadHub> hub;
    TPadMapping mapping;
};
