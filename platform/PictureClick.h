#pragma once

#include <functional>

class QWidget;

// Makes a picture of a window clickable: `clicked` runs when the left button goes down on the
// picture and comes up on it again. A press elsewhere, a release outside the picture and the other
// buttons are no click. The picture takes both halves of the click, so the window behind it sees
// neither. A failure raised by `clicked` is reported where it happens and goes no further.
void OnPictureClick(QWidget &picture, std::function<void()> clicked);
