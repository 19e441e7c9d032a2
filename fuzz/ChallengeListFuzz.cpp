// Challenge lists from anywhere, then every act of a game drawn and a few
// rounds restored: rounds stay within their bound, every round holds a
// challenge of its tier (or the special one), and the stored chances stay
// within their limits. Run with -close_fd_mask=3: refusals log a line.
#include "engine/core/Random.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/ChallengeData.h"
#include "game/rules/GameStats.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>

namespace {

bool BelongsTo(const Varnok::ChallengeDefinition* challenge, const Varnok::ChallengeTier& tier,
               const Varnok::SpecialChallenges& special) {
    const auto within = [challenge](const Varnok::ChallengeGroup& group) {
        return !group.challenges.empty() && challenge >= group.challenges.data() &&
               challenge < group.challenges.data() + group.challenges.size();
    };
    for (const Varnok::ChallengeGroup& group : tier.groups) {
        if (within(group)) {
            return true;
        }
    }
    return special.group != nullptr && within(*special.group);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) {
        return 0;
    }
    TiXmlDocument document;
    if (!Varnok::ParseXmlDocument(document, reinterpret_cast<const char*>(data), size) ||
        document.RootElement() == nullptr) {
        return 0;
    }
    Varnok::GlobalRandom().Reseed(static_cast<uint64_t>(size));
    Varnok::GameStats stats;
    Varnok::ChallengeConditionList conditions;
    Varnok::ChallengeModList mods;
    Varnok::ChallengeData challenges(conditions, mods);
    challenges.ParseChallengeList(*document.RootElement(), &stats);
    for (int game = 0; game < 2; ++game) {
        challenges.special.givenThisGame = 0;
        for (Varnok::ChallengeTier& tier : challenges.tiers) {
            tier.StartAct(&challenges.special, &stats, game);
            const Varnok::ChallengeRun& run = tier.run;
            if (run.roundCount < 0 || run.roundCount > Varnok::ChallengeRun::kMaxRounds ||
                static_cast<int32_t>(run.rounds.size()) != run.roundCount) {
                __builtin_trap();
            }
            for (const Varnok::ChallengeRound& round : run.rounds) {
                if (!tier.groups.empty() && round.challenge == nullptr) {
                    __builtin_trap();
                }
                if (round.challenge != nullptr && !BelongsTo(round.challenge, tier, challenges.special)) {
                    __builtin_trap();
                }
            }
            for (int i = -1; i <= run.roundCount; ++i) {
                const Varnok::ChallengeRound* round = run.GetRound(i);
                if (round != nullptr) {
                    tier.RestoreRound(round->challenge != nullptr ? round->challenge->name.c_str() : "", i, 1, &stats);
                }
            }
            if (tier.run.roundsPlayed > tier.run.roundCount || tier.run.roundsPassed > tier.run.roundsPlayed) {
                __builtin_trap();
            }
        }
    }
    for (const auto& entry : stats.challengeRecords) {
        if (entry.second.chance < 0 || entry.second.death < 0 || entry.second.death > 4) {
            __builtin_trap();
        }
    }
    return 0;
}
