// Text forms and defaults of the UI value types: how values are read from
// and written to screen files, definitions, scripted commands and dumps.
// Numbers are read and written in the C locale whatever the process locale.
#pragma once

#include "engine/ui/UILerp.h"
#include "engine/ui/UIPropertyType.h"

namespace Varnok {

template <typename T>
struct UIValue;

template <>
struct UIValue<bool> {
    static UIPropertyType TypeId() { return UIPT_bool; }
    static const bool& Default();
    // True only for "True" in any letter case.
    static bool FromString(const char* text);
    static AsciiString ToString(bool value);
};

template <>
struct UIValue<AsciiString> {
    static UIPropertyType TypeId() { return UIPT_string; }
    static const AsciiString& Default();
    static AsciiString FromString(const char* text);
    static AsciiString ToString(const AsciiString& value);
};

template <>
struct UIValue<Vector3> {
    static UIPropertyType TypeId() { return UIPT_vector3; }
    static const Vector3& Default();
    // "x,y,z"; components the text does not give stay 0.
    static Vector3 FromString(const char* text);
    static AsciiString ToString(const Vector3& value);
};

template <>
struct UIValue<Vector2> {
    static UIPropertyType TypeId() { return UIPT_vector2; }
    static const Vector2& Default();
    static Vector2 FromString(const char* text);
    static AsciiString ToString(const Vector2& value);
};

template <>
struct UIValue<float> {
    static UIPropertyType TypeId() { return UIPT_float; }
    static const float& Default();
    static float FromString(const char* text);
    // Five decimals with trailing zeros and a bare point trimmed: 2, 0.25, -0.
    static AsciiString ToString(float value);
};

template <>
struct UIValue<Rotation> {
    static UIPropertyType TypeId() { return UIPT_rotation; }
    static const Rotation& Default();
    static Rotation FromString(const char* text);
    static AsciiString ToString(const Rotation& value);
};

template <>
struct UIValue<int> {
    static UIPropertyType TypeId() { return UIPT_int; }
    static const int& Default();
    static int FromString(const char* text);
    static AsciiString ToString(int value);
};

template <>
struct UIValue<Colour> {
    static UIPropertyType TypeId() { return UIPT_colour; }
    // Opaque white.
    static const Colour& Default();
    // "r,g,b,a" as decimal integers, each kept to its low 8 bits; channels
    // the text does not give keep the default's.
    static Colour FromString(const char* text);
    static AsciiString ToString(const Colour& value);
};

// Reading only.
template <>
struct UIValue<unsigned> {
    static unsigned FromString(const char* text);
};

template <>
struct UIValue<UILerpType> {
    static const UILerpType& Default();
    static UILerpType FromString(const char* text);
    static AsciiString ToString(UILerpType value);
};

// The screen component's enumerations, stored in int properties.
enum UIScreenScaleMode : int32_t {
    UIScreenScale_Invalid = -1,
    UIScreenScale_None = 0,
    UIScreenScale_KeepAspect = 1,
    UIScreenScale_ScaleX = 2,
    UIScreenScale_ScaleY = 3,
    UIScreenScale_Scale = 4,
};

enum UIScreenTransition : int32_t {
    UIScreenTransition_Invalid = -1,
    UIScreenTransition_None = 0,
    UIScreenTransition_Zoom = 1,
    UIScreenTransition_SweepLeft = 2,
};

// Names compared without regard to letter case; -1 when none matches.
int32_t ParseUIScreenScaleMode(const AsciiString& name);
int32_t ParseUIScreenTransition(const AsciiString& name);
// "Invalid" for values without a name.
const AsciiString& GetUIScreenScaleModeName(int32_t mode);
const AsciiString& GetUIScreenTransitionName(int32_t transition);

}  // namespace Varnok
