#include "game/TPlayfield.h"

TPlayfield::TPlayfield()
    : Label1(field, FieldColour::Yellow, false)
    , Label2(field, FieldColour::Black, true)
    , gameover(field, QImage(QStringLiteral(":/pictures/gameover.png")), false)
{
    gameover.setTop(48);
}

void TPlayfield::clearfield()
{
    field.FillRect(QRect(0, 0, 800, 600), FieldColour::Black);
}

void TPlayfield::ShowBonus(int left, int top, const QString &text)
{
    Label1.setLeft(left);
    Label1.setTop(top);
    Label1.Show();
    Label1.setCaption(text);
}

void TPlayfield::EraseBonus(int left, int top)
{
    Label2.setCaption(Label1.Caption());
    Label2.setLeft(left);
    Label2.setTop(top);
    Label1.Hide();
}
