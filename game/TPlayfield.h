#pragma once

#include "game/TFieldSurface.h"

// The field with what is drawn into it besides the trails: the bonus label (yellow), its eraser
// (the same text in black, where the last bonus stood) and the game-over picture. The live game
// and anyone rebuilding it from its stream draw through the same calls, so both get the same
// pixels.
class TPlayfield
{
public:
    TPlayfield();

    TFieldSurface field;
    TFieldLabel Label1;
    TFieldLabel Label2;
    TFieldPicture gameover;

    void clearfield();
    // The bonus label shows `text` with its top left at (left, top); showing it repaints its
    // rectangle, so a trail beneath it is gone.
    void ShowBonus(int left, int top, const QString &text);
    // The eraser takes the label's text and covers it at (left, top); the label goes.
    void EraseBonus(int left, int top);
};
