// Achievement lists from anywhere: every check runs over what was read, and
// whatever unlocks leaves its pending set for the unlock queue. Run with
// -close_fd_mask=2.
#include "engine/core/HashName.h"
#include "game/rules/Achievements.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    if (size > (1u << 16)) {
        return 0;
    }
    GameStats stats;
    GameRecord& game = GetGameRecord();
    game.stats = &stats;
    AchievementManager& manager = AchievementManager::Instance();
    manager.LoadFromText(reinterpret_cast<const char*>(data), size);
    for (uint32_t hash : manager.Order()) {
        if (manager.Find(hash) == nullptr) {
            __builtin_trap();
        }
    }
    const int32_t kinds[4] = {0, -1, 7, 1000};
    for (int mode = 0; mode < 3; ++mode) {
        game.modeIndex = mode;
        manager.CheckTotal(1 << 20);
        manager.CheckScore(1 << 20);
        manager.CheckScoreUnsullied(1 << 20);
        manager.CheckConsecutive(5, HashName("apple", 5));
        manager.CheckCombo(12, kinds, 4);
        manager.CheckSpecificOrder(HashName("apple", 5));
        manager.CheckSpecificOrder(HashName("pear", 4));
        manager.CheckQuickshot(0.0f);
        stats.RecheckAchievements();
    }
    // Unlocked records leave their pending sets; every waiting one is known.
    for (int type = 0; type < kAchievementTypeCount; ++type) {
        for (const auto& entry : manager.Pending(type)) {
            if (manager.Find(entry.second->idHash) != entry.second) {
                __builtin_trap();
            }
        }
    }
    manager.Clear();
    game.stats = nullptr;
    game.modeIndex = 0;
    return 0;
}
