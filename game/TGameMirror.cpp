#include "game/TGameMirror.h"

void TGameMirror::Apply(const TGameEvent &event)
{
    using Kind = TGameEvent::Kind;
    if (event.TellsCycle())
        cycles.at(Index(event.player)) = event.cycle;
    switch (event.kind) {
    case Kind::RoundStart:
        crashText.clear();
        mode = event.mode;
        break;
    case Kind::GameEnd: mode = event.mode; break;
    case Kind::Step:
        playfield.field.SetPixel(event.cycle.x, event.cycle.y,
                                 event.player == TPlayer::Red ? FieldColour::Red : FieldColour::Blue);
        break;
    case Kind::BonusShown:
        bonuskind = event.bonus;
        playfield.ShowBonus(event.x, event.y, event.text, event.mask);
        break;
    case Kind::BonusErased: playfield.EraseBonus(event.x, event.y); break;
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
    case Kind::State: state = event.state; break;
    case Kind::CrashShown: crashText = event.text; break;
    case Kind::Cycle:
    case Kind::Crash:
    case Kind::Heading:
    case Kind::Speed:
    case Kind::Jump:
    case Kind::Score:
    case Kind::Lives: break;
    }
}
