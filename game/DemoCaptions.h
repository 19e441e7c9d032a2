// The stand-in game's captions: text styles the engine draws, laid out in a
// 480 x 320 workspace (origin top-left, y down) stretched over the viewport.
// The strings of the foreign captions come from the game's text bank.
#pragma once

#include "engine/text/TextBank.h"

#include <memory>
#include <vector>

namespace Varnok {

class TextLabel;

struct CaptionBox {
    float left, top, width, height;  // workspace units
};

// Every caption's box, in drawing order; what each draws stays inside it but
// for its outline and shadow (kCaptionEffectMargin). Kept clear of the middle
// of the screen and of its corners, where the stand-in game answers touches.
inline constexpr CaptionBox kCaptionBoxes[] = {
    {16, 12, 220, 34},     // outline and shadow
    {16, 54, 220, 46},     // gradient, bevel and inner glow
    {16, 108, 220, 28},    // markup in two named colours
    {250, 100, 214, 170},  // a Japanese paragraph
    {16, 184, 220, 26},    // a Korean line
    {16, 220, 220, 36},    // an Arabic line, shaped by its bank
};
inline constexpr float kCaptionEffectMargin = 6.0f;

class DemoCaptions {
public:
    static constexpr float kWorkspaceWidth = 480.0f;
    static constexpr float kWorkspaceHeight = 320.0f;

    DemoCaptions();
    ~DemoCaptions();
    DemoCaptions(const DemoCaptions&) = delete;
    DemoCaptions& operator=(const DemoCaptions&) = delete;

    // Starts the font manager when nobody has, opens the fonts and the text
    // banks and builds the labels. A missing font or bank leaves its captions
    // empty (with the log lines of the loaders). Requires: a current GL
    // context and the bundle mounted.
    void Load(int viewportHeight);
    // Requires: a current GL context.
    void Draw();
    // Frees the labels, and the font manager when Load started it.
    void Release();

private:
    std::vector<std::unique_ptr<TextLabel>> m_labels;
    TextBank m_japanese;
    TextBank m_korean;
    TextBank m_arabic;
    bool m_startedFonts = false;
};

}  // namespace Varnok
