#pragma once

#include <stdexcept>
#include <string>

// A failure that the player is told about: the message is shown as it stands (UTF-8) in the
// program's error box. Everything the game raises is a Failure; the single catch points are the
// application's event dispatch and the threaded timers' hand-off to the GUI thread.
class Failure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
