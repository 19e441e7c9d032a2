// The 39 interpolation curves of the UI: a curve maps the elapsed fraction of
// an interval to the fraction of the value change applied. Every animated
// property and every screen transition goes through EvaluateUILerp.
#pragma once

#include "engine/core/AsciiString.h"

#include <cstdint>

namespace Varnok {

enum UILerpType : int32_t {
    UILerp_Invalid = -1,
    UILerp_Linear = 0,
    UILerp_Sin,
    UILerp_SCurve,
    UILerp_Snap,
    UILerp_EaseOutEaseIn,
    UILerp_EaseOutHardIn,
    UILerp_EaseOutLinearIn,
    UILerp_HardOutEaseIn,
    UILerp_LinearOutEaseIn,
    UILerp_EaseInSine,
    UILerp_EaseInCubic,
    UILerp_EaseInQuint,
    UILerp_EaseInCirc,
    UILerp_EaseInBack,
    UILerp_EaseInQuad,
    UILerp_EaseInQuart,
    UILerp_EaseInExpo,
    UILerp_EaseInElastic,
    UILerp_EaseInBounce,
    UILerp_EaseOutSine,
    UILerp_EaseOutCubic,
    UILerp_EaseOutQuint,
    UILerp_EaseOutCirc,
    UILerp_EaseOutBack,
    UILerp_EaseOutQuad,
    UILerp_EaseOutQuart,
    UILerp_EaseOutExpo,
    UILerp_EaseOutElastic,
    UILerp_EaseOutBounce,
    UILerp_EaseInOutSine,
    UILerp_EaseInOutCubic,
    UILerp_EaseInOutQuint,
    UILerp_EaseInOutCirc,
    UILerp_EaseInOutBack,
    UILerp_EaseInOutQuad,
    UILerp_EaseInOutQuart,
    UILerp_EaseInOutExpo,
    UILerp_EaseInOutElastic,
    UILerp_EaseInOutBounce,
};

constexpr int32_t kUILerpTypeCount = 39;

// Any type outside 0..38 (Invalid included) evaluates as Linear: t itself.
float EvaluateUILerp(int32_t type, float t);

// "Invalid" for a value without a name.
const AsciiString& GetUILerpTypeName(int32_t type);
// Exact, letter case included; -1 for an unknown name.
int32_t ParseUILerpType(const AsciiString& name);

// A curve stored as a table of bytes in 1/255 steps, interpolated linearly;
// every t >= 1 gives the last entry.
class UILookupCurve {
public:
    UILookupCurve() = default;
    virtual ~UILookupCurve();
    UILookupCurve(const UILookupCurve&) = delete;
    UILookupCurve& operator=(const UILookupCurve&) = delete;

    virtual float Evaluate(float t) const;

protected:
    // Copies count entries into a table the curve owns.
    void SetTable(const uint8_t* entries, uint16_t count);

private:
    uint8_t* m_table = nullptr;  // owned
    uint16_t m_count = 0;
};

class UILookupCurveEaseOutEaseIn final : public UILookupCurve {
public:
    UILookupCurveEaseOutEaseIn();
};
class UILookupCurveEaseOutHardIn final : public UILookupCurve {
public:
    UILookupCurveEaseOutHardIn();
};
class UILookupCurveEaseOutLinearIn final : public UILookupCurve {
public:
    UILookupCurveEaseOutLinearIn();
};
class UILookupCurveHardOutEaseIn final : public UILookupCurve {
public:
    UILookupCurveHardOutEaseIn();
};
class UILookupCurveLinearOutEaseIn final : public UILookupCurve {
public:
    UILookupCurveLinearOutEaseIn();
};

}  // namespace Varnok
