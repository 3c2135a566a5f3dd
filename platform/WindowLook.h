#pragma once

#include <QFont>
#include <QSize>

class QWidget;

// Centres a window on its owner's screen (its own when it has no owner), not over its owner as a
// dialog would be. Its size must be the final one: before a layout has run, a window has Qt's
// default size, and centring that puts the window off centre.
void CentreOnScreen(QWidget &window);

// Makes a window a tool window of fixed size (small caption, close box only, no resizing) with the
// given client area, centred on its screen.
void MakeCentredToolWindow(QWidget &window, QSize client);

// The windows' font, MS Sans Serif where it exists, at a height in pixels.
QFont SansFont(int pixelSize);
