// The "pause" layout over a paused game. Opening it slides the mode's HUD
// out and holds the game's sounds; the choices (continue, retry, quit and
// the audio toggles) join with the menus. The list never closes it on its
// own. Main thread only.
#pragma once

#include "game/screens/MenuScreen.h"

namespace Varnok {

class PauseScreen : public MenuScreen {
public:
    static constexpr const char* kLayoutName = "pause";
    static constexpr int kShown = 3;

    // Shows "pause" (or the given root, for tests) and plays its "animate_in".
    explicit PauseScreen(Component* layout = nullptr);

    void Open() override;
    int RequestClose() override { return 0; }
    void Update(float stepSeconds) override;
    void Render(const float /*tint*/[3]) override {}
    void RenderBack(const float /*tint*/[3]) override {}

    int m_state = kShown;
};

}  // namespace Varnok
