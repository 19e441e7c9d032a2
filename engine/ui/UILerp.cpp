// The curve functions, their table and their names. This file is built
// without fused multiply-add and fast-math, so that every step rounds as
// written and the curves repeat exactly on every machine.
#include "engine/ui/UILerp.h"

#include <cmath>
#include <cstring>

namespace Varnok {

namespace {

// Single-precision constants of the curves.
constexpr float kPiF = 3.1415927f;
constexpr float kHalfPiF = 1.5707964f;
constexpr float kTwoPiF = 6.2831855f;
constexpr float kEF = 2.7182817f;
constexpr float kBackS = 1.70158f;
constexpr float kBackS1 = 2.70158f;
constexpr float kBackInOutS = 2.5949094f;
constexpr float kBackInOutS1 = 3.5949094f;
constexpr float kByteScale = 0.003921569f;  // 1/255 in single precision
constexpr uint16_t kTableSize = 100;

// Transcendentals take a single-precision argument and work on in double
// until the caller rounds the result.
double Sin(float x) { return std::sin(static_cast<double>(x)); }
double Cos(float x) { return std::cos(static_cast<double>(x)); }
double Exp2(float x) { return std::exp2(static_cast<double>(x)); }
double Sqrt(float x) { return std::sqrt(static_cast<double>(x)); }
float Round(double x) { return static_cast<float>(x); }

// Hand-shaped curves: smooth and non-decreasing from 0 at entry 0 to 255.
const uint8_t kEaseOutEaseInTable[kTableSize] = {
      0,   1,   1,   2,   2,   3,   3,   4,   5,   5,   6,   7,   8,   9,  10,  11,  12,  14,  15,  17,
     18,  20,  21,  23,  25,  27,  29,  31,  33,  36,  38,  41,  43,  46,  50,  53,  56,  60,  64,  67,
     71,  75,  79,  83,  88,  94, 101, 109, 117, 126, 135, 143, 150, 156, 162, 167, 173, 178, 183, 187,
    191, 195, 198, 202, 205, 208, 211, 214, 217, 220, 222, 224, 227, 229, 231, 233, 235, 236, 238, 240,
    241, 242, 244, 245, 246, 247, 248, 249, 250, 250, 251, 252, 252, 253, 253, 253, 254, 254, 255, 255,
};
const uint8_t kEaseOutHardInTable[kTableSize] = {
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   1,   1,
      1,   1,   2,   2,   2,   3,   3,   4,   4,   5,   5,   5,   6,   7,   7,   8,   8,   9,  10,  10,
     11,  12,  13,  13,  14,  15,  16,  17,  18,  19,  20,  21,  22,  23,  25,  26,  27,  29,  30,  31,
     33,  35,  36,  38,  40,  42,  44,  46,  48,  51,  53,  55,  58,  61,  63,  66,  69,  73,  76,  79,
     83,  87,  91,  95, 100, 105, 110, 115, 121, 127, 133, 140, 148, 157, 166, 176, 189, 203, 223, 255,
};
const uint8_t kEaseOutLinearInTable[kTableSize] = {
      0,   0,   1,   1,   1,   1,   2,   2,   2,   3,   3,   3,   4,   5,   6,   6,   7,   8,   9,  10,
     11,  12,  13,  14,  15,  16,  18,  19,  20,  22,  23,  25,  26,  28,  30,  32,  34,  36,  38,  41,
     43,  45,  48,  51,  54,  56,  59,  62,  65,  68,  71,  75,  79,  83,  87,  91,  95,  99, 103, 106,
    109, 113, 117, 121, 125, 129, 133, 137, 141, 144, 147, 151, 155, 159, 163, 167, 171, 175, 179, 182,
    185, 189, 193, 197, 201, 205, 209, 213, 217, 220, 223, 227, 231, 235, 239, 243, 246, 249, 252, 255,
};
const uint8_t kHardOutEaseInTable[kTableSize] = {
      0,  34,  54,  69,  81,  92, 101, 109, 117, 124, 130, 136, 141, 146, 151, 156, 160, 165, 169, 172,
    176, 179, 183, 186, 189, 191, 194, 197, 199, 202, 204, 206, 209, 211, 213, 215, 217, 219, 221, 222,
    224, 226, 227, 229, 230, 231, 233, 234, 235, 236, 237, 238, 239, 240, 241, 241, 242, 243, 244, 244,
    245, 246, 246, 247, 247, 248, 248, 249, 249, 250, 250, 250, 251, 251, 252, 252, 253, 253, 253, 254,
    254, 254, 254, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
};
const uint8_t kLinearOutEaseInTable[kTableSize] = {
      0,   4,   8,  12,  16,  20,  23,  27,  31,  35,  39,  43,  47,  50,  54,  58,  62,  66,  69,  73,
     77,  81,  85,  89,  93,  96, 100, 104, 108, 112, 116, 120, 124, 127, 131, 135, 139, 143, 146, 150,
    154, 158, 162, 165, 169, 173, 177, 181, 184, 188, 192, 194, 197, 199, 202, 205, 207, 209, 212, 214,
    216, 218, 220, 222, 223, 225, 227, 229, 230, 232, 233, 234, 236, 237, 238, 240, 241, 242, 243, 244,
    245, 246, 246, 247, 248, 248, 249, 249, 250, 250, 251, 252, 252, 253, 253, 254, 254, 254, 255, 255,
};

float Linear(float t) { return t; }
float SinCurve(float t) {
    const float s = Round(Sin((t + 1.5f) * kPiF));
    return (s + 1.0f) * 0.5f;
}
float SCurve(float t) { return 1.0f / (std::pow(kEF, (1.0f - 2.0f * t) * 6.0f) + 1.0f); }
float Snap(float) { return 0.0f; }

float EaseOutEaseIn(float t) {
    static const UILookupCurveEaseOutEaseIn s_curve;
    return s_curve.Evaluate(t);
}
float EaseOutHardIn(float t) {
    static const UILookupCurveEaseOutHardIn s_curve;
    return s_curve.Evaluate(t);
}
float EaseOutLinearIn(float t) {
    static const UILookupCurveEaseOutLinearIn s_curve;
    return s_curve.Evaluate(t);
}
float HardOutEaseIn(float t) {
    static const UILookupCurveHardOutEaseIn s_curve;
    return s_curve.Evaluate(t);
}
float LinearOutEaseIn(float t) {
    static const UILookupCurveLinearOutEaseIn s_curve;
    return s_curve.Evaluate(t);
}

float EaseOutBounce(float t) {
    if (t < 0.36363637f) {
        return 7.5625f * t * t;
    }
    if (t < 0.72727275f) {
        const float v = t - 0.54545456f;
        return 7.5625f * v * v + 0.75f;
    }
    if (static_cast<double>(t) < 0.9090909090909091) {
        const float v = t - 0.8181818f;
        return 7.5625f * v * v + 0.9375f;
    }
    const float v = t - 0.95454544f;
    return 7.5625f * v * v + 0.984375f;
}

float EaseInSine(float t) { return Round(1.0 - Cos(t * kHalfPiF)); }
float EaseInCubic(float t) { return t * t * t; }
float EaseInQuint(float t) { return t * t * t * t * t; }
float EaseInCirc(float t) { return Round(1.0 - Sqrt(1.0f - t * t)); }
float EaseInBack(float t) { return t * t * (kBackS1 * t - kBackS); }
float EaseInQuad(float t) { return t * t; }
float EaseInQuart(float t) { return t * t * t * t; }
float EaseInExpo(float t) {
    if (t == 0.0f) {
        return 0.0f;
    }
    return Round(Exp2(10.0f * (t - 1.0f)));
}
float EaseInElastic(float t) {
    if (t == 0.0f) {
        return 0.0f;
    }
    if (t == 1.0f) {
        return 1.0f;
    }
    const float v = t - 1.0f;
    return Round(-Exp2(10.0f * v) * Sin((v - 0.075f) * kTwoPiF / 0.3f));
}
float EaseInBounce(float t) { return 1.0f - EaseOutBounce(1.0f - t); }

float EaseOutSine(float t) { return Round(Sin(t * kHalfPiF)); }
float EaseOutCubic(float t) {
    const float v = t - 1.0f;
    return v * v * v + 1.0f;
}
float EaseOutQuint(float t) {
    const float v = t - 1.0f;
    return v * v * v * v * v + 1.0f;
}
float EaseOutCirc(float t) {
    const float v = t - 1.0f;
    return Round(Sqrt(1.0f - v * v));
}
float EaseOutBack(float t) {
    const float v = t - 1.0f;
    return v * v * (kBackS1 * v + kBackS) + 1.0f;
}
float EaseOutQuad(float t) { return -t * (t - 2.0f); }
float EaseOutQuart(float t) {
    const float v = t - 1.0f;
    return 1.0f - v * v * v * v;
}
float EaseOutExpo(float t) {
    if (t == 1.0f) {
        return 1.0f;
    }
    return Round(1.0 - Exp2(-10.0f * t));
}
float EaseOutElastic(float t) {
    if (t == 0.0f) {
        return 0.0f;
    }
    if (t == 1.0f) {
        return 1.0f;
    }
    return Round(Exp2(-10.0f * t) * Sin((t - 0.075f) * kTwoPiF / 0.3f) + 1.0);
}

float EaseInOutSine(float t) { return Round(-0.5 * (Cos(kPiF * t) - 1.0)); }
float EaseInOutCubic(float t) {
    const float u = 2.0f * t;
    if (u < 1.0f) {
        return 0.5f * u * u * u;
    }
    const float v = u - 2.0f;
    return 0.5f * (v * v * v + 2.0f);
}
float EaseInOutQuint(float t) {
    const float u = 2.0f * t;
    if (u < 1.0f) {
        return 0.5f * u * u * u * u * u;
    }
    const float v = u - 2.0f;
    return 0.5f * (v * v * v * v * v + 2.0f);
}
float EaseInOutCirc(float t) {
    const float u = 2.0f * t;
    if (u < 1.0f) {
        return Round(-0.5 * (Sqrt(1.0f - u * u) - 1.0));
    }
    const float v = u - 2.0f;
    return Round(0.5 * (Sqrt(1.0f - v * v) + 1.0));
}
float EaseInOutBack(float t) {
    const float u = 2.0f * t;
    if (u < 1.0f) {
        return 0.5f * (u * u * (kBackInOutS1 * u - kBackInOutS));
    }
    const float v = u - 2.0f;
    return 0.5f * (v * v * (kBackInOutS1 * v + kBackInOutS) + 2.0f);
}
float EaseInOutQuad(float t) {
    const float u = 2.0f * t;
    if (u < 1.0f) {
        return 0.5f * u * u;
    }
    return -0.5f * ((u - 1.0f) * (u - 3.0f) - 1.0f);
}
float EaseInOutQuart(float t) {
    const float u = 2.0f * t;
    if (u < 1.0f) {
        return 0.5f * u * u * u * u;
    }
    const float v = u - 2.0f;
    return -0.5f * (v * v * v * v - 2.0f);
}
float EaseInOutExpo(float t) {
    if (t == 0.0f) {
        return 0.0f;
    }
    if (t == 1.0f) {
        return 1.0f;
    }
    const float u = 2.0f * t;
    if (u < 1.0f) {
        return Round(0.5 * Exp2(10.0f * (u - 1.0f)));
    }
    return Round(0.5 * (2.0 - Exp2(-10.0f * (u - 1.0f))));
}
float EaseInOutElastic(float t) {
    if (t == 0.0f) {
        return 0.0f;
    }
    const float u = 2.0f * t;
    if (u == 2.0f) {
        return 1.0f;
    }
    const float v = u - 1.0f;
    const double wave = Sin((v - 0.1125f) * kTwoPiF / 0.45f);
    if (u < 1.0f) {
        return Round(-0.5 * Exp2(10.0f * v) * wave);
    }
    return Round(0.5 * Exp2(-10.0f * v) * wave + 1.0);
}
float EaseInOutBounce(float t) {
    if (t < 0.5f) {
        return 0.5f * (1.0f - EaseOutBounce(1.0f - 2.0f * t));
    }
    return 0.5f * EaseOutBounce(2.0f * t - 1.0f) + 0.5f;
}

using CurveFunction = float (*)(float);

// In enumeration order.
const CurveFunction kCurves[kUILerpTypeCount] = {
    Linear,         SinCurve,       SCurve,          Snap,           EaseOutEaseIn,
    EaseOutHardIn,  EaseOutLinearIn, HardOutEaseIn,  LinearOutEaseIn, EaseInSine,
    EaseInCubic,    EaseInQuint,    EaseInCirc,      EaseInBack,     EaseInQuad,
    EaseInQuart,    EaseInExpo,     EaseInElastic,   EaseInBounce,   EaseOutSine,
    EaseOutCubic,   EaseOutQuint,   EaseOutCirc,     EaseOutBack,    EaseOutQuad,
    EaseOutQuart,   EaseOutExpo,    EaseOutElastic,  EaseOutBounce,  EaseInOutSine,
    EaseInOutCubic, EaseInOutQuint, EaseInOutCirc,   EaseInOutBack,  EaseInOutQuad,
    EaseInOutQuart, EaseInOutExpo,  EaseInOutElastic, EaseInOutBounce,
};

const char* const kNames[kUILerpTypeCount] = {
    "Linear",         "Sin",            "SCurve",          "Snap",
    "EaseOutEaseIn",  "EaseOutHardIn",  "EaseOutLinearIn", "HardOutEaseIn",
    "LinearOutEaseIn", "EaseInSine",    "EaseInCubic",     "EaseInQuint",
    "EaseInCirc",     "EaseInBack",     "EaseInQuad",      "EaseInQuart",
    "EaseInExpo",     "EaseInElastic",  "EaseInBounce",    "EaseOutSine",
    "EaseOutCubic",   "EaseOutQuint",   "EaseOutCirc",     "EaseOutBack",
    "EaseOutQuad",    "EaseOutQuart",   "EaseOutExpo",     "EaseOutElastic",
    "EaseOutBounce",  "EaseInOutSine",  "EaseInOutCubic",  "EaseInOutQuint",
    "EaseInOutCirc",  "EaseInOutBack",  "EaseInOutQuad",   "EaseInOutQuart",
    "EaseInOutExpo",  "EaseInOutElastic", "EaseInOutBounce",
};

struct LerpNames {
    AsciiString invalid{"Invalid"};
    AsciiString names[kUILerpTypeCount];
    LerpNames() {
        for (int i = 0; i < kUILerpTypeCount; ++i) {
            names[i] = kNames[i];
        }
    }
};

const LerpNames& Names() {
    static const LerpNames s_names;
    return s_names;
}

}  // namespace

float EvaluateUILerp(int32_t type, float t) {
    if (static_cast<uint32_t>(type) >= static_cast<uint32_t>(kUILerpTypeCount)) {
        return t;
    }
    return kCurves[type](t);
}

const AsciiString& GetUILerpTypeName(int32_t type) {
    const LerpNames& names = Names();
    if (static_cast<uint32_t>(type) >= static_cast<uint32_t>(kUILerpTypeCount)) {
        return names.invalid;
    }
    return names.names[type];
}

int32_t ParseUILerpType(const AsciiString& name) {
    for (int i = 0; i < kUILerpTypeCount; ++i) {
        if (Names().names[i].Equals(name)) {
            return i;
        }
    }
    return UILerp_Invalid;
}

UILookupCurve::~UILookupCurve() { delete[] m_table; }

void UILookupCurve::SetTable(const uint8_t* entries, uint16_t count) {
    delete[] m_table;
    m_table = new uint8_t[count];
    std::memcpy(m_table, entries, count);
    m_count = count;
}

float UILookupCurve::Evaluate(float t) const {
    if (m_count == 0) {
        return t;
    }
    const float x = t * static_cast<float>(m_count - 1);
    const uint32_t i = x > 0.0f ? (x < 4294967040.0f ? static_cast<uint32_t>(x) : 0xFFFFFF00u) : 0u;
    if (static_cast<uint64_t>(i) + 1 >= m_count) {
        return m_table[m_count - 1] * kByteScale;
    }
    const float a = m_table[i] * kByteScale;
    const float b = m_table[i + 1] * kByteScale;
    return a + (x - static_cast<float>(i)) * (b - a);
}

UILookupCurveEaseOutEaseIn::UILookupCurveEaseOutEaseIn() {
    SetTable(kEaseOutEaseInTable, kTableSize);
}
UILookupCurveEaseOutHardIn::UILookupCurveEaseOutHardIn() {
    SetTable(kEaseOutHardInTable, kTableSize);
}
UILookupCurveEaseOutLinearIn::UILookupCurveEaseOutLinearIn() {
    SetTable(kEaseOutLinearInTable, kTableSize);
}
UILookupCurveHardOutEaseIn::UILookupCurveHardOutEaseIn() {
    SetTable(kHardOutEaseInTable, kTableSize);
}
UILookupCurveLinearOutEaseIn::UILookupCurveLinearOutEaseIn() {
    SetTable(kLinearOutEaseInTable, kTableSize);
}

}  // namespace Varnok
