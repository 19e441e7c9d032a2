// The stand-in game's vector picture: an SVG badge that circles slowly below
// the middle of the screen and turns, drawn as a vector sprite through the
// UI's pixel view.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/text/vector/VectorImageSprite.h"

#include <cmath>

namespace Varnok {

struct DemoVectorPlacement {
    float x;  // centre, pixels from the left
    float y;  // centre, pixels from the top
    float rotation;  // radians; turns clockwise on screen
};

class DemoVectorImage {
public:
    static constexpr const char* kPicturePath = "svg/badge.svg";
    static constexpr float kSidePixels = 48.0f;
    static constexpr float kTurnsPerSecond = 0.08f;
    static constexpr float kCirclePeriodSeconds = 8.0f;

    // Where the badge is after `seconds` on a screen of the given size: a
    // circle of a tenth of the width (and 6% of the height) around a point
    // just below the middle.
    static DemoVectorPlacement PlacementAt(float seconds, float width, float height) {
        const float angle = seconds * (2.0f * kPi / kCirclePeriodSeconds);
        return DemoVectorPlacement{width * (0.5f + 0.1f * std::cos(angle)),
                                   height * (0.68f + 0.06f * std::sin(angle)),
                                   seconds * kTurnsPerSecond * 2.0f * kPi};
    }

    // Loads the picture on first use, then draws it at the time the game has
    // run; a picture that does not load is logged once and never drawn.
    void Draw(float elapsedSeconds);

private:
    bool Load();

    bool m_tried = false;
    float m_seconds = 0.0f;
    float m_viewWidth = 0.0f;
    float m_viewHeight = 0.0f;
    VectorViewData m_view;
    VectorImageSprite m_sprite;
};

}  // namespace Varnok
