#include "game/TGameMirror.h"

void TGameMirror::Apply(const TGameEvent &event)
{
    using Kind = TGameEvent::Kind;
    time = event.time;
    switch (event.kind) {
    case Kind::RoundStart: mode = event.mode; break;
    case Kind::Step:
        playfield.field.SetPixel(event.x, event.y, event.player == TPlayer::Red ? FieldColour::Red : FieldColour::Blue);
        [[fallthrough]];
    case Kind::Cycle:
    case Kind::Crash:
        Of(event.player) = {event.x, event.y, event.dir, event.interval, event.score, event.lives, event.jets};
        break;
    case Kind::Heading: Of(event.player).dir = event.dir; break;
    case Kind::Speed: Of(event.player).interval = event.interval; break;
    case Kind::Jump:
        Of(event.player).x = event.x;
        Of(event.player).y = event.y;
        Of(event.player).jets = event.jets;
        break;
    case Kind::BonusShown:
        bonuskind = event.bonus;
        playfield.ShowBonus(event.x, event.y, event.text);
        break;
    case Kind::BonusErased:
        playfield.EraseBonus(event.x, event.y);
        if (event.collected) {
            Of(event.player).score = event.score;
            Of(event.player).jets = event.jets;
        }
        break;
    case Kind::Score: Of(event.player).score = event.score; break;
    case Kind::Lives: Of(event.player).lives = event.lives; break;
    case Kind::Panel: {
        TPanelDisplay &display = displays.at(static_cast<std::size_t>(event.display));
        display.setValue(event.value);
        display.setVisible(event.visible);
        break;
    }
    case Kind::FieldCleared: playfield.clearfield(); break;
    case Kind::GameOverShown: playfield.gameover.setVisible(event.visible); break;
    case Kind::RoundEnd:
        ++roundEnds;
        if (playfield.field.Checksum() != event.checksum)
            ++checksumMismatches;
        break;
    case Kind::GameEnd: mode = event.mode; break;
    case Kind::State: state = event.state; break;
    }
}
