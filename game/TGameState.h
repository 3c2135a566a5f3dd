#pragma once

#include <QString>

#include <cstdint>
#include <random>

// The state that the game's handlers share. Every number starts at 0, every flag false and every
// binding empty, except newctrls: the bindings are read at the first round.
struct TGameState
{
    // Heads; unsigned and wrapping, so one step left of column 0 is column 65535 (outside).
    std::uint16_t redx = 0, redy = 0;
    std::uint16_t bluex = 0, bluey = 0;
    // Headings 1..8: 1 up, then counter-clockwise in 45-degree steps (3 left, 5 down, 7 right).
    std::uint8_t reddir = 0, bluedir = 0;
    std::uint8_t redlives = 0, bluelives = 0;
    std::int32_t redscore = 0, bluescore = 0;
    std::uint16_t bonusx = 0, bonusy = 0;
    std::uint8_t bonuskind = 0;
    bool twoplayer = false;
    // A two-player game in which the computer steers the blue cycle.
    bool againstcomputer = false;
    // A two-player game in which a player on another computer steers the blue cycle.
    bool networked = false;
    bool newctrls = true;

    // Key bindings: at most one character each; empty matches no key.
    QString leftkeya, rightkeya, fasta, slowa, jumpa;
    QString leftkeyb, rightkeyb, fastb, slowb, jumpb;

    // The runtime's random generator, seeded when the game is made.
    std::mt19937 generator;
    // A uniform integer in 0..n-1.
    int random(int n);
};

// Scores are signed 32-bit and wrap like two's complement values instead of overflowing.
std::int32_t WrappingAdd(std::int32_t score, std::int32_t points);
