#pragma once

struct NetworkBenchOptions
{
    // Rounds of the soak, computer against computer over the network through the lag proxy.
    int rounds = 200;
};

// The network game's bench, in real time over loopback (ENet, the program's own timers): a soak of
// host/guest pairs playing computer against computer through the lag proxy, each round's field
// checked on both sides, some rounds cut in the middle by a disconnect; the delay from a guest's
// action to the host carrying it out; the bytes a second of the stream to the player at the start
// and the top speed; the host's processor time while it waits for an opponent. Prints the rows;
// returns 1 if any field disagreed, a round hung or a side was left waiting. Below 20 rounds every
// row is shortened (the smoke test).
int RunNetworkBench(int &argc, char **argv, const NetworkBenchOptions &options);
