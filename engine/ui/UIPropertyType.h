// The eight value types of UI properties, in the order used everywhere a type
// is stored, iterated or written to a file, and the rotation value type.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"

#include <cstdint>

namespace Varnok {

// Three angles in degrees; laid out as a Vector3 but a type of its own.
struct Rotation {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

enum UIPropertyType : int32_t {
    UIPT_bool = 1,
    UIPT_string = 2,
    UIPT_vector3 = 3,
    UIPT_vector2 = 4,
    UIPT_float = 5,
    UIPT_rotation = 6,
    UIPT_int = 7,
    UIPT_colour = 8,
    UIPT_Invalid = 255,
};

constexpr int kUIPropertyTypeCount = 8;

// "bool" .. "colour" for 1..8, "Invalid" for anything else.
const AsciiString& GetUIPropertyTypeName(int32_t type);
// The type whose name or enumerator name ("int" or "UIPT_int") equals the
// text exactly; 255 otherwise.
UIPropertyType ParseUIPropertyType(const AsciiString& name);
// Steps a loop over the eight tables: 1..7 become 2..8, anything else 255.
void NextUIPropertyType(UIPropertyType& type);

}  // namespace Varnok
