// Fruit lists from anywhere: every kind kept has statistic names that end
// in their suffix (nothing cut short), and every look-up and pick stays in
// range. Run with -close_fd_mask=2: every refusal logs a line.
#include "engine/core/Random.h"
#include "game/world/ComboAnalysis.h"
#include "game/world/FruitCatalogue.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

bool EndsWith(const char* text, const char* suffix) {
    const size_t length = strlen(text);
    const size_t suffixLength = strlen(suffix);
    return length >= suffixLength && strcmp(text + length - suffixLength, suffix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 18)) {
        return 0;
    }
    Varnok::FruitCatalogue& catalogue = Varnok::FruitCatalogue::Get();
    catalogue.LoadFromText(reinterpret_cast<const char*>(data), size);
    const int count = catalogue.Count();
    for (int i = 0; i < count; ++i) {
        const Varnok::FruitInfo& info = catalogue.At(i);
        if (info.name[0] != '\0' && (!EndsWith(info.pointTotalStatName, "_point_total") ||
                                     !EndsWith(info.dropsStatName, "_drops") || info.impactSounds.empty())) {
            __builtin_trap();
        }
        if (catalogue.IndexOf(info.name, 0) > i) {
            __builtin_trap();
        }
    }
    Varnok::Random random;
    for (int pass = 0; pass < 4; ++pass) {
        const int kind = catalogue.PickAny(random, (pass & 1) != 0, pass >> 1);
        if (kind < -1 || kind >= count || (count == 0 && kind != -1)) {
            __builtin_trap();
        }
    }
    int32_t kinds[Varnok::kComboMaxFruit];
    for (int i = 0; i < Varnok::kComboMaxFruit; ++i) {
        kinds[i] = count > 0 ? i % count : 0;
    }
    Varnok::ResetComboKindTable();
    const int32_t id = Varnok::AnalyseComboFruit(kinds, count < Varnok::kComboMaxFruit ? count : Varnok::kComboMaxFruit);
    if (id < -1 || id > 24 || id == 19) {
        __builtin_trap();
    }
    return 0;
}
