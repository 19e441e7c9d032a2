// A small stand-in game until the real one lands. It runs the UI's sample
// screens: a backdrop, a menu whose "play" quad moves on to a panel. A
// bundle without those screens (the source data folder) gets the earlier
// picture instead: a clear colour that changes while a finger is down, a
// square under the finger, captions in the engine's text styles and a
// turning vector badge.
#pragma once

#include "engine/core/Colour.h"
#include "engine/iOS/VarnokGame.h"
#include "game/DemoVectorImage.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class DemoCaptions;

class DemoGame : public VarnokGame {
public:
    static constexpr Colour kIdleColour{20, 40, 90, 255};
    static constexpr Colour kTouchColour{150, 30, 40, 255};
    static constexpr Colour kSquareColour{255, 220, 0, 255};
    static constexpr float kScreenUnitsHigh = 320.0f;  // the logical screen's height
    static constexpr float kSquareUnits = 40.0f;
    static constexpr const char* kUiProjectPath = "xml/TamberloFelis_skuLayout.xml";
    static constexpr const char* kUiSku = "~iPhone";

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

    // Whether the UI's screens loaded; false shows the earlier picture.
    bool ShowsScreens() const { return m_showsScreens; }

private:
    // The project, then the backdrop and the menu shown and the panel
    // loaded for the menu to move on to. False, with the loaders' log lines,
    // when the project or a screen is missing.
    bool LoadScreens();
    void LoadStandInPicture(int viewportHeight);
    void DrawSquare() const;

    std::unique_ptr<DemoCaptions> m_captions;  // text the engine draws
    bool m_initialised = false;
    bool m_showsScreens = false;
    bool m_startedFonts = false;
    std::vector<int32_t> m_uiLayers;  // the project's layer numbers, drawn in this order
    bool m_touchDown = false;
    float m_touchX = 0.5f;  // normalised, origin top-left
    float m_touchY = 0.5f;
    std::unique_ptr<DemoVectorImage> m_vectorImage = std::make_unique<DemoVectorImage>();
};

}  // namespace Varnok
