// Classic mode settings from anywhere: the speed is a number and the bean
// schedule stays a wave count. Run with -close_fd_mask=2.
#include "game/rules/ClassicMode.h"
#include "game/rules/GameRecord.h"
#include "game/world/WaveManager.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 14)) {
        return 0;
    }
    Varnok::ClassicMode::LoadConfigText(reinterpret_cast<const char*>(data), size);
    const Varnok::ClassicSettings& settings = Varnok::ClassicMode::Settings();
    if (!settings.loaded && settings.dtStart != 1.0f) {
        __builtin_trap();  // an unread file leaves the world moving
    }
    Varnok::ClassicMode mode;
    mode.state = Varnok::ClassicMode::Playing;
    Varnok::GetGameRecord().gameTime = 30.0f;
    (void)mode.GetGameSpeed();
    Varnok::WaveManager& waves = Varnok::WaveManager::Instance();
    for (int n = 1; n < 8; ++n) {
        waves.numberOfWavesSinceReset = n;
        mode.OnNewWave();  // no world: the bean itself is not made
    }
    return 0;
}
