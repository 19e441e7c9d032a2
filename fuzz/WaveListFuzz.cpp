// Wave lists from anywhere, then a few games over them: every "until" is
// completed, spawn counts stay within the pool, and the manager's choices
// and throws stay in range. Run with -close_fd_mask=3: refusals log a line
// and limits print their game counts.
#include "engine/core/Random.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/InGameMode.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/WaveManager.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

class Playing : public Varnok::InGameMode {
public:
    int GetModeType() const override { return kClassic; }
    void Start() override {}
    Varnok::Component* ShowHud() override { return nullptr; }
    bool AreWavesSuspended() override { return false; }
    void OnFruitSliced(Varnok::Fruit*) override {}
    int GetSaveState() override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) {
        return 0;
    }
    static bool once = [] {
        const char* fruit = "<fruitInfoFile><FruitInfo name='apple'/><FruitInfo name='lime'/></fruitInfoFile>";
        Varnok::FruitCatalogue::Get().LoadFromText(fruit, std::strlen(fruit));
        return true;
    }();
    (void)once;
    Varnok::WaveManager& waves = Varnok::WaveManager::Instance();
    waves.Unload();
    waves.LoadWaveListText(reinterpret_cast<const char*>(data), size, 0);
    for (const auto& wave : waves.GetList(0)) {
        if (wave->until == -1) {  // every until is completed
            __builtin_trap();
        }
        for (const Varnok::WaveSpawnRequest& spawn : wave->spawns) {
            if (spawn.typeCount != static_cast<int32_t>(spawn.types.size())) {
                __builtin_trap();
            }
        }
    }
    Playing mode;
    Varnok::GameStats stats;
    Varnok::GameRecord& record = Varnok::GetGameRecord();
    record.currentMode = &mode;
    record.stats = &stats;
    record.modeIndex = 0;
    record.frameStep = 1.0f / 60.0f;
    Varnok::GlobalRandom().Reseed(static_cast<uint64_t>(size));
    for (int game = 0; game < 2; ++game) {
        waves.Reset(1);
        for (int frame = 0; frame < 90; ++frame) {
            waves.Update(0.05f);
            const Varnok::WaveInfo* current = waves.GetCurrentWave();
            if (current != nullptr) {
                for (const Varnok::WaveSpawnRequest& spawn : current->spawns) {
                    if (spawn.count < 0 || spawn.count > Varnok::kMaxSpawnCount || spawn.remaining > spawn.count) {
                        __builtin_trap();
                    }
                }
            }
        }
    }
    record.currentMode = nullptr;
    record.stats = nullptr;
    waves.Unload();
    return 0;
}
