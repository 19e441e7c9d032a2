// Particle files from anywhere: whatever loads runs every emitter for a
// second, drawing nothing, within the fixed pools. Run with
// -close_fd_mask=2: refused definitions log a line each.
#include "game/world/ParticleManager.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) {
        return 0;
    }
    static Varnok::ParticleManager particles;
    particles.SetDrawing(false);
    particles.LoadText("particles", reinterpret_cast<const char*>(data), size, false);
    for (const Varnok::ParticleEmitter& emitter : particles.Emitters()) {
        Varnok::ParticleSystem* system = particles.Spawn(emitter.nameHash, nullptr);
        if (system != nullptr) {
            system->sideways = static_cast<uint8_t>(size & 1);
        }
    }
    for (int frame = 0; frame < 60; ++frame) {
        particles.UpdateSystems(frame % 7 == 0 ? 0.04f : 1.0f / 60.0f, frame % 11 == 0);
        for (int layer = -1; layer <= 2; ++layer) {
            particles.Render(1.0f / 60.0f, false, layer);
        }
        if (particles.LiveParticleCount() > Varnok::ParticleManager::kParticleCount - 1 ||
            particles.RunningCount() > Varnok::ParticleManager::kSystemCount - 1) {
            __builtin_trap();
        }
    }
    particles.Clear();
    return 0;
}
