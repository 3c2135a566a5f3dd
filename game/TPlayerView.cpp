#include "game/TPlayerView.h"

#include "game/TPanelDisplay.h"
#include "game/TTickSource.h"

std::uint16_t TPlayerView::Interval() const
{
    return timer.Interval();
}

std::int32_t TPlayerView::Jets() const
{
    return jets.Value();
}

void TPlayerView::ShowLives() const
{
    livesDisplay.setValue(lives + livesCell);
}

TCycleSight TPlayerView::Sight(bool inPlay) const
{
    return {player, x, y, dir, Interval(), Jets(), inPlay};
}

TCycleState TPlayerView::State() const
{
    return {x, y, dir, Interval(), score, lives, Jets()};
}
