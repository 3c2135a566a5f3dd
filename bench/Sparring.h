#pragma once

// Sparring partners for the computer opponent: pilots written from outside it, each of another
// kind, that the tournament sets against every level. Each plays by the keys alone, like a player,
// and draws its few random choices from its own seed.

#include "game/TPilot.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

enum class TSparringPartner : std::uint8_t {
    // Flat out at 1 ms; heads across in front of the other cycle and draws a square around it.
    Rusher,
    // At 31 ms; takes the move that leaves it the most field it reaches before the other cycle.
    Territory,
    // At 71 ms; keeps to walls and fills its space tightly, to outlast the other cycle.
    Hugger,
};

inline constexpr std::array<TSparringPartner, 3> SparringPartners{TSparringPartner::Rusher, TSparringPartner::Territory,
                                                                  TSparringPartner::Hugger};

std::string_view Name(TSparringPartner partner);
// The partner of a name as Name() gives it, in any case.
std::optional<TSparringPartner> SparringPartnerNamed(std::string_view name);

std::unique_ptr<TPilot> MakeSparringPartner(TSparringPartner partner, std::uint32_t seed);
std::unique_ptr<TPilot> MakeRusher(std::uint32_t seed);
std::unique_ptr<TPilot> MakeTerritoryPlayer(std::uint32_t seed);
std::unique_ptr<TPilot> MakeWallHugger(std::uint32_t seed);
