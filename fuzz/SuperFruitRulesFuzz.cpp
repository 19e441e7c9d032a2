// Probability files from anywhere, then the rules asked through a few games:
// a picked kind is always a catalogue kind, and thresholds from the file may
// be anything without breaking the arithmetic. Run with -close_fd_mask=3:
// refusals log a line.
#include "engine/core/Random.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/SuperFruitRules.h"
#include "game/world/WaveManager.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) {
        return 0;
    }
    static bool once = [] {
        const char* fruit = "<fruitInfoFile><FruitInfo name='apple'/><FruitInfo name='lime'/>"
                            "<FruitInfo name='super_chest'/></fruitInfoFile>";
        Varnok::FruitCatalogue::Get().LoadFromText(fruit, std::strlen(fruit));
        return true;
    }();
    (void)once;
    Varnok::GameStats stats;
    Varnok::GameRecord& record = Varnok::GetGameRecord();
    record.stats = &stats;
    record.currentMode = nullptr;
    Varnok::GlobalRandom().Reseed(static_cast<uint64_t>(size));
    Varnok::WaveManager::Instance().numberOfWavesSpawned = 5;
    Varnok::SuperFruitRuleSet rules;
    rules.LoadText(reinterpret_cast<const char*>(data), size);
    const int kinds = Varnok::FruitCatalogue::Get().Count();
    for (int game = 0; game < 2; ++game) {
        record.modeIndex = game;
        rules.StartGame();
        for (int fruit = 0; fruit < 40; ++fruit) {
            record.score = fruit * 997 - 3000;
            record.gameTime = static_cast<float>(fruit) * 7.5f;
            int32_t kind = -1;
            Varnok::SuperFruitProbabilityRule* rule = rules.FindRule(kind);
            if (rule != nullptr && (kind < 0 || kind >= kinds)) {
                __builtin_trap();
            }
            if (rule != nullptr && fruit % 3 == 0) {
                rule->Cancel();
            }
        }
    }
    rules.Clear();
    record.stats = nullptr;
    record.score = 0;
    record.gameTime = 0.0f;
    record.modeIndex = 0;
    Varnok::WaveManager::Instance().numberOfWavesSpawned = 0;
    return 0;
}
