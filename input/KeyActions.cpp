#include "input/KeyActions.h"

#include <array>
#include <cstddef>

std::vector<TPlayerAction> KeyActions(const QStringList &bindings, QChar key)
{
    // The bindings' places in the settings order, in the order the game tests them: both jumps,
    // player 1's speed and turns, player 2's turns and speed.
    struct Place
    {
        qsizetype binding;
        TPlayerAction action;
    };
    static constexpr std::array<Place, 10> Tested{{
        {8, TPlayerAction::Jump},
        {9, TPlayerAction::Jump},
        {4, TPlayerAction::Faster},
        {6, TPlayerAction::Slower},
        {0, TPlayerAction::TurnLeft},
        {1, TPlayerAction::TurnRight},
        {2, TPlayerAction::TurnLeft},
        {3, TPlayerAction::TurnRight},
        {5, TPlayerAction::Faster},
        {7, TPlayerAction::Slower},
    }};
    std::vector<TPlayerAction> actions;
    for (const Place &place : Tested) {
        if (place.binding >= bindings.size())
            continue;
        const QString &binding = bindings.at(place.binding);
        if (binding.size() == 1 && binding.front() == key)
            actions.push_back(place.action);
    }
    return actions;
}
