#pragma once

#include <cstdint>
#include <functional>

// What one display of the side panel shows: a value and whether it is shown at all. The game
// holds these (a jets display's value is the count of jump jets); the window's displays draw them.
class TPanelDisplay
{
public:
    std::int32_t Value() const { return value; }
    void setValue(std::int32_t number);
    bool Visible() const { return visible; }
    void setVisible(bool on);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }

    // Told of every change, after it.
    std::function<void(const TPanelDisplay &)> onChanged;

private:
    std::int32_t value = 0;
    bool visible = false;
};
