#include "input/TPadMapping.h"

#include <SDL.h>

namespace {

std::size_t PlayerIndex(std::uint8_t player)
{
    return player == 1 ? 0 : 1;
}

std::size_t ActionIndex(TPlayerAction action)
{
    return static_cast<std::size_t>(action);
}

constexpr std::array<TPlayerAction, 5> AllActions{TPlayerAction::TurnLeft, TPlayerAction::TurnRight,
                                                  TPlayerAction::Faster, TPlayerAction::Slower, TPlayerAction::Jump};

} // namespace

TPadMapping::TPadMapping()
{
    // In the order of TPlayerAction.
    const std::array<TPadControl, ActionCount> defaults{
        SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
        SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_A};
    buttons = {defaults, defaults};
}

TPadControl TPadMapping::Button(std::uint8_t player, TPlayerAction action) const
{
    return buttons.at(PlayerIndex(player)).at(ActionIndex(action));
}

void TPadMapping::SetButton(std::uint8_t player, TPlayerAction action, TPadControl button)
{
    if (Assignable(button))
        buttons.at(PlayerIndex(player)).at(ActionIndex(action)) = button;
}

std::vector<TPlayerAction> TPadMapping::ActionsOf(std::uint8_t player, TPadControl control) const
{
    std::vector<TPlayerAction> actions;
    if (control == PadControl::StickLeft)
        actions.push_back(TPlayerAction::TurnLeft);
    else if (control == PadControl::StickRight)
        actions.push_back(TPlayerAction::TurnRight);
    else
        for (TPlayerAction action : AllActions)
            if (Button(player, action) == control)
                actions.push_back(action);
    return actions;
}

bool TPadMapping::Assignable(TPadControl control)
{
    return control < SDL_CONTROLLER_BUTTON_MAX && control != SDL_CONTROLLER_BUTTON_START;
}

QString TPadMapping::NameOf(TPadControl button)
{
    const char *name = SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(button));
    return name ? QString::fromLatin1(name) : QString();
}

bool TPadMapping::FromName(const QString &name, TPadControl &button)
{
    // SDL compares without regard to case; anything that is not plain ASCII is no name of its.
    if (name.isEmpty() || name.size() > 32)
        return false;
    for (QChar c : name)
        if (c.unicode() < 0x21 || c.unicode() > 0x7E)
            return false;
    const SDL_GameControllerButton found = SDL_GameControllerGetButtonFromString(name.toLatin1().constData());
    if (found == SDL_CONTROLLER_BUTTON_INVALID || !Assignable(static_cast<TPadControl>(found)))
        return false;
    button = static_cast<TPadControl>(found);
    return true;
}

QString TPadMapping::LabelOf(TPadControl button)
{
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return QStringLiteral("A");
    case SDL_CONTROLLER_BUTTON_B: return QStringLiteral("B");
    case SDL_CONTROLLER_BUTTON_X: return QStringLiteral("X");
    case SDL_CONTROLLER_BUTTON_Y: return QStringLiteral("Y");
    case SDL_CONTROLLER_BUTTON_BACK: return QStringLiteral("Back");
    case SDL_CONTROLLER_BUTTON_GUIDE: return QStringLiteral("Guide");
    case SDL_CONTROLLER_BUTTON_START: return QStringLiteral("Start");
    case SDL_CONTROLLER_BUTTON_LEFTSTICK: return QStringLiteral("L stick");
    case SDL_CONTROLLER_BUTTON_RIGHTSTICK: return QStringLiteral("R stick");
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return QStringLiteral("L shoulder");
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return QStringLiteral("R shoulder");
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return QStringLiteral("D-pad up");
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return QStringLiteral("D-pad down");
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return QStringLiteral("D-pad left");
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return QStringLiteral("D-pad right");
    case SDL_CONTROLLER_BUTTON_MISC1: return QStringLiteral("Misc");
    case SDL_CONTROLLER_BUTTON_TOUCHPAD: return QStringLiteral("Touchpad");
    default: break;
    }
    if (button >= SDL_CONTROLLER_BUTTON_PADDLE1 && button <= SDL_CONTROLLER_BUTTON_PADDLE4)
        return QStringLiteral("Paddle %1").arg(button - SDL_CONTROLLER_BUTTON_PADDLE1 + 1);
    return NameOf(button);
}
