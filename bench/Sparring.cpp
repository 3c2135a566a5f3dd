#include "bench/Sparring.h"

#include <algorithm>
#include <cctype>
#include <string>

std::string_view Name(TSparringPartner partner)
{
    switch (partner) {
    case TSparringPartner::Rusher: return "Rusher";
    case TSparringPartner::Territory: return "Territory";
    case TSparringPartner::Hugger: return "Hugger";
    }
    return "?";
}

std::optional<TSparringPartner> SparringPartnerNamed(std::string_view name)
{
    const auto lower = [](std::string_view text) {
        std::string result(text);
        std::transform(result.begin(), result.end(), result.begin(),
                       [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        return result;
    };
    for (TSparringPartner partner : SparringPartners)
        if (lower(Name(partner)) == lower(name))
            return partner;
    return std::nullopt;
}

std::unique_ptr<TPilot> MakeSparringPartner(TSparringPartner partner, std::uint32_t seed)
{
    switch (partner) {
    case TSparringPartner::Rusher: return MakeRusher(seed);
    case TSparringPartner::Territory: return MakeTerritoryPlayer(seed);
    case TSparringPartner::Hugger: return MakeWallHugger(seed);
    }
    return nullptr;
}
