// Challenge type lists from anywhere: every type is found by its name, and the random
// icon draw answers an offered type's icon (or none) without looping.
#include "engine/core/Random.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/ChallengeData.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) {
        return 0;
    }
    TiXmlDocument document;
    if (!Varnok::ParseXmlDocument(document, reinterpret_cast<const char*>(data), size) ||
        document.RootElement() == nullptr) {
        return 0;
    }
    Varnok::ChallengeConditionList conditions;
    Varnok::ChallengeModList mods;
    Varnok::ChallengeData challenges(conditions, mods);
    challenges.ParseTypes(*document.RootElement());
    Varnok::Random random;
    for (int draw = 0; draw < 8; ++draw) {
        const int32_t icon = challenges.PickRandomChallengeIndex(random);
        bool offered = icon == Varnok::ChallengeData::kNoChallengeIcon || challenges.types.empty();
        for (const Varnok::ChallengeType& type : challenges.types) {
            offered = offered || (type.showInRandom && type.iconIndex == icon);
        }
        if (!offered) {
            __builtin_trap();
        }
    }
    for (const Varnok::ChallengeType& type : challenges.types) {
        // A present but empty name is a name.
        if (type.name.size() >= 64 || challenges.FindChallengeType(type.nameHash) == nullptr) {
            __builtin_trap();
        }
    }
    return 0;
}
