#pragma once

#include "input/PadControl.h"
#include "input/TPadMapping.h"
#include "platform/TProfileFile.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class QLabel;
class QLineEdit;
class TGamepadHub;

// The settings dialog's page "Gamepads": the controllers connected, with the player each drives,
// and each player's five buttons. A button is changed by giving its box the focus and pressing
// the new button on that player's controller. The page reads the "Gamepad" section when it is
// made; the dialog's OK has it written.
class TGamepadsPage : public QWidget
{
    Q_OBJECT

public:
    explicit TGamepadsPage(QWidget *parent = nullptr);
    ~TGamepadsPage() override;

    // The "Gamepad" section with all ten buttons, if any was changed here; nothing otherwise.
    void AddChanges(TProfileFile::Sections &sections) const;
    // The changes are in the settings file now.
    void Saved();

private:
    void ShowControllers();
    void ShowButtons();
    void Pressed(std::uint8_t player, TPadControl control);

    std::shared_ptr<TGamepadHub> hub;
    TPadMapping stored;
    TPadMapping mapping;
    QLabel *controllerList = nullptr;
    // In the order of GamepadSection::Entries, each named after its key.
    std::array<QLineEdit *, 10> boxes{};
};
