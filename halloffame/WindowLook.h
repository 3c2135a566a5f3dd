#pragma once

#include <QFont>
#include <QSize>

class QWidget;

// Makes a window a tool window of fixed size (small caption, close box only, no resizing) with the
// given client area, centred on its screen.
void MakeCentredToolWindow(QWidget &window, QSize client);

// The windows' font, MS Sans Serif where it exists, at a height in pixels.
QFont SansFont(int pixelSize);
