#include "game/TPanelDisplay.h"

void TPanelDisplay::setValue(std::int32_t number)
{
    if (number == value)
        return;
    value = number;
    if (onChanged)
        onChanged(*this);
}

void TPanelDisplay::setVisible(bool on)
{
    if (on == visible)
        return;
    visible = on;
    if (onChanged)
        onChanged(*this);
}
