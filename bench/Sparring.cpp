#include "bench/Sparring.h"

#include "platform/FailureReport.h"

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

namespace {

// The game asks a pilot from its tick handler: a partner's failure is reported there and the
// cycle rides on without keys, as the failure must not travel back into the game.
class Guarded final : public TPilot
{
public:
    explicit Guarded(std::unique_ptr<TPilot> partner)
        : pilot(std::move(partner))
    {
    }
    void NewRound() override
    {
        RunReporting([this] { pilot->NewRound(); });
    }
    TPilotActions Decide(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other) override
    {
        TPilotActions actions;
        RunReporting([&] { actions = pilot->Decide(field, own, other); });
        return actions;
    }

private:
    std::unique_ptr<TPilot> pilot;
};

std::unique_ptr<TPilot> Make(TSparringPartner partner, std::uint32_t seed)
{
    switch (partner) {
    case TSparringPartner::Rusher: return MakeRusher(seed);
    case TSparringPartner::Territory: return MakeTerritoryPlayer(seed);
    case TSparringPartner::Hugger: return MakeWallHugger(seed);
    }
    return nullptr;
}

} // namespace

std::unique_ptr<TPilot> MakeSparringPartner(TSparringPartner partner, std::uint32_t seed)
{
    std::unique_ptr<TPilot> pilot = Make(partner, seed);
    return pilot ? std::make_unique<Guarded>(std::move(pilot)) : nullptr;
}
