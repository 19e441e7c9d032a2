// One static record per component class: its name (also the factory key and
// the definition file's name), its id and its base class's record. Kind
// tests walk the parent chain comparing ids.
#pragma once

#include "engine/core/AsciiString.h"

#include <cstdint>

namespace Varnok {

// Fixed ids of the engine's classes; every other class takes the next value
// of a counter that starts at kFirstFreeComponentClassId.
namespace ComponentClassId {
enum : int32_t {
    Component = 1,
    Visual = 2,
    Texture = 4,
    Text = 5,
    TextInput = 6,
    Window = 11,
    Button = 12,
    ButtonRadio = 13,
    ButtonToggle = 14,
    Screen = 15,
    Quad = 16,
    Model = 17,
    ExpandingItem = 20,
    GenericScrollingPane = 21,
    ScrollableSpace = 22,
    Swipie = 23,
    Credits = 24,
    Debugger = 25,
    Timer = 26,
    Sprite = 27,
};
}  // namespace ComponentClassId

constexpr int32_t kFirstFreeComponentClassId = 28;

struct ComponentClassInfo {
    // A class without a fixed id passes kNextFreeId and takes the counter's
    // next value.
    static constexpr int32_t kNextFreeId = -1;

    ComponentClassInfo(const char* className, int32_t classId, const ComponentClassInfo* base);

    // Whether this record or one of its ancestors has the other's id.
    bool IsKindOf(const ComponentClassInfo& other) const;

    AsciiString name;
    int32_t id = 0;
    const ComponentClassInfo* parent = nullptr;  // null for Component
};

}  // namespace Varnok
