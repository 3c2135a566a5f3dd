#pragma once

#include "game/PlayerAction.h"

#include <QChar>
#include <QStringList>

#include <vector>

// The actions a typed character gives by the ten key bindings (in the order of the settings file's
// "Controls" section), whichever player's they are, in the order the game tests them. On a
// computer that steers one cycle of a network game, both players' keys steer that cycle.
std::vector<TPlayerAction> KeyActions(const QStringList &bindings, QChar key);
