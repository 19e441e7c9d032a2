// One of something per UI property type, and a walk over the eight types in
// their fixed order (bool, string, vector3, vector2, float, rotation, int,
// colour).
#pragma once

#include "engine/ui/UIPropertyType.h"

#include <tuple>

namespace Varnok {

template <typename T>
struct UITypeTag {
    using Type = T;
};

// Calls f(UITypeTag<T>{}) for each property type in type order.
template <typename F>
void ForEachUIType(F&& f) {
    f(UITypeTag<bool>{});
    f(UITypeTag<AsciiString>{});
    f(UITypeTag<Vector3>{});
    f(UITypeTag<Vector2>{});
    f(UITypeTag<float>{});
    f(UITypeTag<Rotation>{});
    f(UITypeTag<int>{});
    f(UITypeTag<Colour>{});
}

// Calls f(UITypeTag<T>{}) for the type numbered type (1..8); false for any
// other number.
template <typename F>
bool WithUIType(int32_t type, F&& f) {
    switch (type) {
        case UIPT_bool: f(UITypeTag<bool>{}); return true;
        case UIPT_string: f(UITypeTag<AsciiString>{}); return true;
        case UIPT_vector3: f(UITypeTag<Vector3>{}); return true;
        case UIPT_vector2: f(UITypeTag<Vector2>{}); return true;
        case UIPT_float: f(UITypeTag<float>{}); return true;
        case UIPT_rotation: f(UITypeTag<Rotation>{}); return true;
        case UIPT_int: f(UITypeTag<int>{}); return true;
        case UIPT_colour: f(UITypeTag<Colour>{}); return true;
        default: return false;
    }
}

template <template <typename> class Of>
struct UIPerType {
    std::tuple<Of<bool>, Of<AsciiString>, Of<Vector3>, Of<Vector2>, Of<float>, Of<Rotation>,
               Of<int>, Of<Colour>>
        items;

    template <typename T>
    Of<T>& Get() { return std::get<Of<T>>(items); }
    template <typename T>
    const Of<T>& Get() const { return std::get<Of<T>>(items); }
};

}  // namespace Varnok
