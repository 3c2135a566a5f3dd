#pragma once

#include "game/TGameEvent.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <vector>

// One round of a kept game: its events from a RoundStart up to (not including) the next one.
// Events told before the game's first RoundStart belong to round 0.
struct TReplayRound
{
    std::vector<TGameEvent> events;
};

// A game as kept: what happened, round by round, exactly as the game told it, with the pixels of
// its bonus labels. Playing it needs neither the rules nor the fonts of the day it was played.
class TReplay
{
public:
    TGameMode mode = TGameMode::TwoPlayers;
    // The local time the game began.
    QDateTime started;
    std::vector<TReplayRound> rounds;

    // The file's bytes (ReplayFormat.cpp), and back; Decode throws a Failure on anything that is
    // not a whole, undamaged replay of a format this program reads.
    QByteArray Encode() const;
    static TReplay Decode(QByteArrayView bytes);

    // A replay file: Read throws a Failure that names the file; Write replaces the file atomically
    // or throws "Kann nicht nach <path> schreiben" and leaves it as it was.
    static TReplay Read(const QString &path);
    void Write(const QString &path) const;

    // Plays every round through a mirror: the number of rounds whose field at the end differs from
    // the checksum the game told (0: all equal).
    int VerifyChecksums() const;

    // All events of all rounds.
    std::size_t EventCount() const
    {
        std::size_t count = 0;
        for (const TReplayRound &round : rounds)
            count += round.events.size();
        return count;
    }
};
