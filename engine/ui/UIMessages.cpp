#include "engine/ui/UIMessages.h"

#include "engine/core/InputEvent.h"

#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

struct TypeName {
    const char* name;
    int32_t value;
};

// Range markers share values with real types; every name parses.
const TypeName kTypeNames[] = {
    {"Invalid", UIMessageType_Invalid},
    {"None", UIMessageType_None},
    {"FirstValid", UIMessageType_FirstValid},
    {"RealtimeMin", UIMessageType_RealtimeMin},
    {"Draw", UIMessageType_Draw},
    {"DrawComponent", UIMessageType_DrawComponent},
    {"Update", UIMessageType_Update},
    {"UpdateComponent", UIMessageType_UpdateComponent},
    {"RealtimeMax", UIMessageType_RealtimeMax},
    {"InputMin", UIMessageType_InputMin},
    {"TouchDown", UIMessageType_TouchDown},
    {"TouchUp", UIMessageType_TouchUp},
    {"HandleInput", UIMessageType_HandleInput},
    {"InputMax", UIMessageType_InputMax},
    {"AnimationMin", UIMessageType_AnimationMin},
    {"AnimationDispatchEvent", UIMessageType_AnimationDispatchEvent},
    {"AnimationMax", UIMessageType_AnimationMax},
    {"Command", UIMessageType_Command},
};

void DescribeDraw(AsciiString& out, const UIMessageData& data) {
    char line[64];
    std::snprintf(line, sizeof(line), "layer = %d;", static_cast<const UIMessageDataDraw&>(data).layer);
    out = "UIMessageDataDraw {";
    out.Append(line);
    out.Append(" }");
}

void DescribeUpdate(AsciiString& out, const UIMessageData& data) {
    char line[96];
    std::snprintf(line, sizeof(line), "dt = %f;",
                  static_cast<double>(static_cast<const UIMessageDataUpdate&>(data).dt));
    out = "UIMessageDataUpdate {";
    out.Append(line);
    out.Append(" }");
}

void DescribeHandleInput(AsciiString& out, const UIMessageData& data) {
    const InputEvent* event = static_cast<const UIMessageDataHandleInput&>(data).inputEvent;
    out = "UIMessageDataHandleInput\n{\n";
    out.Append("  inputEvent = \n");
    if (event != nullptr) {
        // Every line of the event's own text, indented by two spaces.
        const AsciiString text = event->ToString();
        bool lineStart = true;
        for (int i = 0; i < text.Length(); ++i) {
            if (lineStart) {
                out.Append("  ");
            }
            out.AppendChar(text[i]);
            lineStart = text[i] == '\n';
        }
    }
    out.Append(";\n");
    out.Append(" }");
}

}  // namespace

UIMessageType ParseUIMessageType(const AsciiString& name) {
    for (const TypeName& entry : kTypeNames) {
        const int length = static_cast<int>(std::strlen(entry.name));
        if (length == name.Length() && std::memcmp(entry.name, name.c_str(), static_cast<size_t>(length)) == 0) {
            return static_cast<UIMessageType>(entry.value);
        }
    }
    return UIMessageType_Invalid;
}

uint32_t GetUIMessageCategory(int32_t type) {
    if (type >= 1 && type <= 4) {
        return UIMessageCategory_Realtime;
    }
    if (type >= 5 && type <= 7) {
        return UIMessageCategory_Input;
    }
    if (type == 8) {
        return UIMessageCategory_Animation;
    }
    if (type == 9) {
        return UIMessageCategory_Command;
    }
    // Above 9 as an unsigned number: -1 and every negative value too.
    if (static_cast<uint32_t>(type) > 9u) {
        return UIMessageCategory_Custom;
    }
    return UIMessageCategory_None;
}

AsciiString UIMessageData::ToString() const {
    AsciiString out;
    if (m_describe != nullptr) {
        m_describe(out, *this);
        return out;
    }
    char text[64];
    std::snprintf(text, sizeof(text), "UIMessageData(%p)", static_cast<const void*>(this));
    out = text;
    return out;
}

UIMessageDataDraw::UIMessageDataDraw(int32_t layer_) : UIMessageData(&DescribeDraw), layer(layer_) {}

UIMessageDataUpdate::UIMessageDataUpdate(float dt_) : UIMessageData(&DescribeUpdate), dt(dt_) {}

UIMessageDataHandleInput::UIMessageDataHandleInput(const InputEvent* event)
    : UIMessageData(&DescribeHandleInput), inputEvent(event) {}

const UIMessageFilter UIMessageFilter::All{0xFFFFFFFFu, 0, nullptr};
const UIMessageFilter UIMessageFilter::Realtime{UIMessageCategory_Realtime, 0, nullptr};
const UIMessageFilter UIMessageFilter::Input{UIMessageCategory_Input, 0, nullptr};
const UIMessageFilter UIMessageFilter::Animation{UIMessageCategory_Animation, 0, nullptr};
const UIMessageFilter UIMessageFilter::Custom{UIMessageCategory_Custom, 0, nullptr};

bool UIMessageFilter::Accepts(const UIMessage& message) const {
    if (exactType != 0) {
        if (message.type != exactType) {
            return false;
        }
    } else if ((categoryMask & GetUIMessageCategory(message.type)) == 0) {
        return false;
    }
    return predicate == nullptr || predicate(message) == 1;
}

UIMessageListener::UIMessageListener(const AsciiString& name, const UIMessageHandler& handler,
                                     const UIMessageFilter& filter)
    : m_name(name), m_filter(filter) {
    m_handlers.Add(handler);
}

bool UIMessageListener::Offer(const UIMessage& message, int32_t& result, bool& stop) {
    if (!m_filter.Accepts(message)) {
        return false;
    }
    m_handlers.Invoke(message, result, stop);
    return true;
}

}  // namespace Varnok
