#pragma once

#include "bench/Sparring.h"
#include "computer/TComputerLevel.h"

#include <optional>

struct ComputerBenchOptions
{
    // Rounds per pairing (and per colour against a sparring partner) and per level alone.
    int rounds = 200;
    // Only the sparring partners' table, for a quick look at where the levels stand.
    bool partnersOnly = false;
    // The partners' table for one level or one partner only.
    std::optional<TComputerLevel> level;
    std::optional<TSparringPartner> partner;
};

// The computer opponent's tournament: the levels against each other, each alone, and each against
// the sparring partners (Sparring.h), free and held at the start speed, as red and as blue; played
// in simulated game time, with what each decision cost in wall-clock time. Prints the tables.
int RunComputerBench(int &argc, char **argv, const ComputerBenchOptions &options);

// "easy", "normal" or "hard", in any case.
std::optional<TComputerLevel> ComputerLevelNamed(const char *name);
