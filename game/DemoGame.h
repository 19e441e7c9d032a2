// A small stand-in game until the real one lands: clears to a colour that
// changes while a finger is down, draws a square under the finger and shows
// captions in the engine's text styles.
#pragma once

#include "engine/core/Colour.h"
#include "engine/iOS/VarnokGame.h"
#include "game/DemoVectorImage.h"

#include <memory>

namespace Varnok {

class DemoCaptions;

class DemoGame : public VarnokGame {
public:
    static constexpr Colour kIdleColour{20, 40, 90, 255};
    static constexpr Colour kTouchColour{150, 30, 40, 255};
    static constexpr Colour kSquareColour{255, 220, 0, 255};
    static constexpr float kScreenUnitsHigh = 320.0f;  // the logical screen's height
    static constexpr float kSquareUnits = 40.0f;

    DemoGame() = default;
    ~DemoGame() override;

    // The factory the program registers.
    static std::unique_ptr<VarnokGame> Create();

    // Mounts the bundle ("base") and the documents ("save").
    void SetPaths(const char* bundleDir, const char* documentsDir, const char* cachesDir) override;
    void InitialiseStage1(void* reserved1, void* reserved2) override;
    void Initialise(void* reserved1, void* reserved2) override;
    void Update(float stepSeconds) override;
    void Render(float elapsedSeconds) override;
    void Shutdown() override;

private:
    void DrawSquare() const;

    std::unique_ptr<DemoCaptions> m_captions;  // text the engine draws
    bool m_initialised = false;
    bool m_touchDown = false;
    float m_touchX = 0.5f;  // normalised, origin top-left
    float m_touchY = 0.5f;
    std::unique_ptr<DemoVectorImage> m_vectorImage = std::make_unique<DemoVectorImage>();
};

}  // namespace Varnok
