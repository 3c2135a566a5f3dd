#pragma once

#include "game/PlayerAction.h"
#include "input/PadControl.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// Which controller button gives each of a player's five actions. Buttons go by SDL's
// game-controller numbering, so "a" is the south button of any controller SDL knows (A on an
// Xbox pad, Cross on a PlayStation one). Start is kept for pausing and is never an action's
// button. The left stick always turns, whatever the buttons are.
class TPadMapping
{
public:
    // The buttons a controller comes with: the D-pad turns, the right shoulder speeds up, the
    // left one slows down and the south button jumps.
    TPadMapping();

    // Player 1 or 2 (any number but 1 is player 2).
    TPadControl Button(std::uint8_t player, TPlayerAction action) const;
    void SetButton(std::uint8_t player, TPlayerAction action, TPadControl button);

    // The actions one control gives the player, in the order of TPlayerAction: every action
    // whose button it is, and a turn for either way of the stick.
    std::vector<TPlayerAction> ActionsOf(std::uint8_t player, TPadControl control) const;

    bool operator==(const TPadMapping &other) const = default;

    // Whether a control can be an action's button: any of SDL's buttons but Start.
    static bool Assignable(TPadControl control);
    // SDL's name of a button ("a", "dpleft", "leftshoulder", ...), as the settings file keeps it.
    static QString NameOf(TPadControl button);
    // The button of a name, in any case; false for an unknown name or one that is not assignable.
    static bool FromName(const QString &name, TPadControl &button);
    // The button as the settings dialog shows it ("A", "D-pad left", "L shoulder", ...).
    static QString LabelOf(TPadControl button);

private:
    static constexpr std::size_t ActionCount = 5;
    std::array<std::array<TPadControl, ActionCount>, 2> buttons{};
};
