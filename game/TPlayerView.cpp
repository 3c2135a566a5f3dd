#include "game/TPlayerView.h"

#include "components/TRCADigital.h"
#include "components/TThreadedTimer.h"

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
    return {number, x, y, dir, Interval(), Jets(), inPlay};
}
