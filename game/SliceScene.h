// A scene of the play field alone: a fan of one fruit of each kind of the
// fruit list is thrown up, and the fingers' blades cut them into tumbling
// halves that leave juice on the background. No mode runs, so every cut
// counts. The seed of the run (--seed) fixes every draw.
#pragma once

#include "engine/core/Random.h"
#include "engine/iOS/VarnokGame.h"

#include <memory>

namespace Varnok {

class GameCamera;
class TouchFollower;

class SliceScene : public VarnokGame {
public:
    static constexpr float kFanWaitSeconds = 0.25f;  // before the fan is thrown
    static constexpr float kFanHalfWidth = 180.0f;   // logical units either side of the middle
    static constexpr float kFanApexY = 20.0f;        // where every fruit turns
    static constexpr float kFanStartY = -190.0f;     // just below the screen

    SliceScene();
    ~SliceScene() override;

    static std::unique_ptr<VarnokGame> Create();

    void SetPaths(const char* bundleDir, const char* documentsDir, const char* cachesDir) override;
    void InitialiseStage1(void* reserved1, void* reserved2) override;
    void Initialise(void* reserved1, void* reserved2) override;
    void Update(float stepSeconds) override;
    void Render(float elapsedSeconds) override;
    void Shutdown() override;

    // Throws one fruit of every kind from below the screen so that all turn
    // at kFanApexY, spread across the middle of the screen.
    void ThrowFan();

private:
    TouchFollower* SlashForSlot(int slot);

    Random m_game;   // the game-wide draws
    Random m_waves;  // the wave manager's
    std::unique_ptr<GameCamera> m_camera;
    bool m_initialised = false;
};

}  // namespace Varnok
