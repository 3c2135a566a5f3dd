#pragma once

#include "game/TFieldSurface.h"

// The field with what is drawn into it besides the trails: the bonus label (yellow), its eraser
// (the same text in black, where the last bonus stood) and the game-over picture. The live game
// and anyone rebuilding it from its stream draw through the same calls, so both get the same
// pixels. A copy is a whole field of its own (a playback keeps copies to seek from).
class TPlayfield
{
public:
    TPlayfield();
    TPlayfield(const TPlayfield &other);
    // Takes the other's pixels and elements; this field's listener stays and is told of it all.
    TPlayfield &operator=(const TPlayfield &other);

    TFieldSurface field;
    TFieldLabel Label1;
    TFieldLabel Label2;
    TFieldPicture gameover;

    void clearfield();
    // The bonus label shows `text` with its top left at (left, top); showing it repaints its
    // rectangle, so a trail beneath it is gone. With a mask (a replay's) the label shows the mask's
    // pixels rather than drawing the text.
    void ShowBonus(int left, int top, const QString &text, const TLabelMask &mask = {});
    // The eraser takes the label's text (or mask) and covers it at (left, top); the label goes.
    void EraseBonus(int left, int top);
};
