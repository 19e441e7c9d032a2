// Condition libraries from anywhere, then a round with every condition
// active under changing scores, statistics, runs and time: the outcome at
// the end is always passed or failed.
#include "engine/core/HashName.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/ChallengeConditions.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

class Source final : public Varnok::ConditionSource {
public:
    int32_t GetScore() const override { return score; }
    int32_t GetStat(uint32_t nameHash) const override { return static_cast<int32_t>(nameHash % 7) + score; }
    bool IsFruitInPlay() const override { return (score & 1) != 0; }
    int32_t score = 0;
};

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
    Source source;
    Varnok::ChallengeConditionList conditions(source);
    conditions.Parse(*document.RootElement());
    // Every name the file gives, and one it does not.
    std::vector<uint32_t> names{Varnok::HashName("none", 4)};
    for (const TiXmlElement* e = document.RootElement()->FirstChildElement("condition"); e != nullptr;
         e = e->NextSiblingElement("condition")) {
        const char* name = e->Attribute("name");
        if (name != nullptr) {
            names.push_back(Varnok::HashName(name, static_cast<int>(std::strlen(name))));
        }
    }
    for (int round = 0; round < 2; ++round) {
        conditions.ClearActive();
        conditions.Activate(names, 42u);
        for (int step = 0; step < 20; ++step) {
            source.score = step * (round + 1);
            conditions.NotifyScoreChanged();
            conditions.NotifyStatChanged();
            conditions.NotifyConsecutive(step % 6, static_cast<uint32_t>(step));
            conditions.Update(0.75f);
            (void)conditions.GetRemaining();
            (void)conditions.GetProgress();
            (void)conditions.TargetsChallengeFruit();
        }
        conditions.EvaluateEnd();
        const int32_t status = conditions.GetStatus();
        if (status != Varnok::kRoundPassed && status != Varnok::kRoundFailed) {
            __builtin_trap();
        }
    }
    conditions.ClearLibrary();
    return 0;
}
