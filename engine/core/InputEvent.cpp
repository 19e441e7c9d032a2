// Building, naming and dumping input events; the table of named inputs.
#include "engine/core/InputEvent.h"

#include "engine/core/FillPlaceholders.h"
#include "engine/core/HashName.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace Varnok {

namespace {

struct NamedInput {
    uint32_t nameHash;
    uint32_t code;
};

uint32_t HashText(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

// 63 entries: the numbered groups spelled out, then the single names.
std::vector<NamedInput> BuildNamedInputs() {
    struct Group {
        const char* format;
        int count;
        uint32_t firstCode;
    };
    const Group groups[] = {
        {"MouseButton%d", 8, InputCode::kMouseButton1},
        {"Touch%d", 16, InputCode::kTouch1},
        {"TouchAxisX%d", 16, InputCode::kTouchAxisX1},
        {"TouchAxisY%d", 16, InputCode::kTouchAxisY1},
    };
    const NamedInput singles[] = {
        {HashText("MouseAxisX"), InputCode::kMouseAxisX},
        {HashText("MouseAxisY"), InputCode::kMouseAxisY},
        {HashText("MouseAxisZ"), InputCode::kMouseAxisZ},
        {HashText("AccelAxisX"), InputCode::kAccelAxisX},
        {HashText("AccelAxisY"), InputCode::kAccelAxisY},
        {HashText("AccelAxisZ"), InputCode::kAccelAxisZ},
        {HashText("Pointer"), InputCode::kPointer},
    };
    std::vector<NamedInput> table;
    for (const Group& group : groups) {
        for (int i = 0; i < group.count; ++i) {
            char name[32];
            std::snprintf(name, sizeof(name), group.format, i + 1);
            table.push_back({HashText(name), group.firstCode + static_cast<uint32_t>(i)});
        }
    }
    table.insert(table.end(), std::begin(singles), std::end(singles));
    return table;
}

const char* const kBitNames[] = {
    ", PRESSED", ", DOWN", ", RELEASED", ", UP", ", MOVED",
    ", BUTTON", ", AXIS", ", AXIS2D", ", KINECT", ", POINTER",
};
const uint32_t kBitValues[] = {
    InputEvent::kPressed, InputEvent::kDown, InputEvent::kReleased, InputEvent::kUp,
    InputEvent::kMoved, InputEvent::kButton, InputEvent::kAxis, InputEvent::kAxis2D,
    InputEvent::kKinect, InputEvent::kPointer,
};

}  // namespace

InputEvent InputEvent::MakeButton(uint32_t code, uint32_t state, float value, uint32_t timeStamp,
                                  uint32_t aux) {
    InputEvent event;
    event.eventType = state | kButton;
    event.button = {aux, code, value};
    event.timeStamp = timeStamp;
    return event;
}

InputEvent InputEvent::MakeAxis(uint32_t code, uint32_t state, float value, float delta,
                                uint32_t timeStamp, uint16_t aux) {
    InputEvent event;
    event.eventType = state | kAxis;
    event.axis = {aux, static_cast<uint16_t>(code & 0xFF), value, delta};
    event.timeStamp = timeStamp;
    return event;
}

InputEvent InputEvent::MakePointer(const TouchPoint* touch, uint32_t touchId, uint32_t state,
                                   uint32_t timeStamp) {
    InputEvent event;
    event.eventType = state | kPointer;
    event.pointer = {touch, touchId};
    event.timeStamp = timeStamp;
    return event;
}

uint32_t InputEvent::GetInputCode() const {
    switch (eventType & ~kStateMask) {
        case kPointer:
            return InputCode::kPointer;
        case kButton:
            return button.code;
        case kAxis:
        case kKinect:
            return axis.code;
        default:
            return InputCode::kNone;
    }
}

AsciiString InputEvent::ToString() const {
    AsciiString type("{ value=");
    type.AppendUInt(eventType);
    for (size_t i = 0; i < sizeof(kBitValues) / sizeof(kBitValues[0]); ++i) {
        if ((eventType & kBitValues[i]) != 0) {
            type.Append(kBitNames[i]);
        }
    }
    type.Append(" }");
    AsciiString stamp;
    stamp.AppendUInt(timeStamp);
    const char* const texts[] = {type.c_str(), stamp.c_str()};
    return FillPlaceholders("InputEvent\n{\n  eventType = {0};\n  timeStamp = {1};\n}", texts, 2);
}

uint32_t FindInputCode(uint32_t nameHash) {
    static const std::vector<NamedInput> table = BuildNamedInputs();
    for (const NamedInput& entry : table) {
        if (entry.nameHash == nameHash) {
            return entry.code;
        }
    }
    return InputCode::kNone;
}

uint32_t FindInputStateKeyword(uint32_t wordHash) {
    static const NamedInput keywords[] = {
        {HashText("pressed"), InputEvent::kPressed},   {HashText("down"), InputEvent::kDown},
        {HashText("released"), InputEvent::kReleased}, {HashText("up"), InputEvent::kUp},
        {HashText("move"), InputEvent::kMoved},
    };
    for (const NamedInput& keyword : keywords) {
        if (keyword.nameHash == wordHash) {
            return keyword.code;
        }
    }
    return 0;
}

}  // namespace Varnok
