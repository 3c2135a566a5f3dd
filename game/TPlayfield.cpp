#include "game/TPlayfield.h"

namespace {

// Decoded once: every field (and every copy of one) shares the picture's pixels.
const QImage &GameOverPicture()
{
    static const QImage picture(QStringLiteral(":/pictures/gameover.png"));
    return picture;
}

} // namespace

TPlayfield::TPlayfield()
    : Label1(field, FieldColour::Yellow, false)
    , Label2(field, FieldColour::Black, true)
    , gameover(field, GameOverPicture(), false)
{
    gameover.setTop(48);
}

TPlayfield::TPlayfield(const TPlayfield &other)
    : TPlayfield()
{
    *this = other;
}

TPlayfield &TPlayfield::operator=(const TPlayfield &other)
{
    if (this == &other)
        return *this;
    Label1.CopyLook(other.Label1);
    Label2.CopyLook(other.Label2);
    gameover.CopyLook(other.gameover);
    field.CopyPixels(other.field);
    return *this;
}

void TPlayfield::clearfield()
{
    field.FillRect(QRect(0, 0, 800, 600), FieldColour::Black);
}

void TPlayfield::ShowBonus(int left, int top, const QString &text, const TLabelMask &mask)
{
    Label1.setLeft(left);
    Label1.setTop(top);
    Label1.Show();
    Label1.setCaption(text, mask);
}

void TPlayfield::EraseBonus(int left, int top)
{
    Label2.setCaption(Label1.Caption(), Label1.Mask());
    Label2.setLeft(left);
    Label2.setTop(top);
    Label1.Hide();
}
