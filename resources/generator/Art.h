#pragma once

#include <QByteArray>
#include <QImage>

// Every picture, cursor and sound of the game, each made by one function. The functions are pure:
// the same call gives the same pixels and samples on every run.
namespace art {

// The two player colours of the side panel: orange for player 1, cyan for player 2.
enum class Accent { Orange, Cyan };

QImage digitStrip(Accent accent); // 100 x 11, ten 10 x 11 digits in solid strokes
QImage dialStrip(Accent accent);  // 200 x 20, ten 20 x 20 speed dials
QImage cycleStrip();              // 600 x 9, ten 60 x 9 cells of three cycles

// 92 x 552; the second plate carries the given name ("PLAYER 2", or "COMPUTER" against the computer)
QImage sidePanel(const QString &secondName);
// 92 x 208: the panel's lower part from ReplayPanelTop down while a replay is watched, a plate with
// wells for the round, the time and the speed, a groove for the position and a window for messages
inline constexpr int ReplayPanelTop = 344;
QImage replayPanel();
QImage gameOverPicture(); // 603 x 452
// 603 x 72, transparent around the title: who won, shown over the lower part of the game-over picture
QImage winnerBanner(const QString &title);
// 603 x 120, transparent around the text: the keys that start a game, shown before the first one
QImage startHint();
QImage programIcon(int size);

QImage hallOfFamePicture();   // 800 x 600
QImage newHighscorePicture(); // 320 x 240
QImage crashPicture();        // 320 x 240
QImage aboutPicture();        // 300 x 200

QImage openHandCursor();   // 32 x 32, black, white and transparent
QImage closedHandCursor(); // 32 x 32

QByteArray explosionSound(); // complete WAV files
QByteArray applauseSound();

} // namespace art
