// Bonus tables from anywhere: every combo size records its bonus, and the
// best combo only grows. Run with -close_fd_mask=2.
#include "game/rules/BonusAwards.h"
#include "game/rules/GameStats.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) {
        return 0;
    }
    Varnok::BonusAwards awards;
    awards.LoadFromText(reinterpret_cast<const char*>(data), size);
    Varnok::GameStats stats;
    for (int n = 3; n < 14; ++n) {
        awards.RecordComboStats(n, stats);
        if (stats.Get("best_combo") != n) {
            __builtin_trap();
        }
    }
    return 0;
}
