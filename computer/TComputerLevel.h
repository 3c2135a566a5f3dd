#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

// How well the computer plays. All levels drive at the same speeds under the same rules; they
// differ only in judgement and in how quickly they react.
enum class TComputerLevel : std::uint8_t { Easy, Normal, Hard };

// The level as the settings file stores it: "easy", "normal" or "hard". Reading ignores case and
// blanks around the word; anything else, an empty value included, is Normal. This is the one
// reading of a level's text, for the game and the settings dialog alike, and it needs nothing
// of the game.
QString ComputerLevelText(TComputerLevel level);
TComputerLevel ComputerLevelFromText(QStringView text);
