// Messages the UI broadcasts to interested parties: their types and text
// names, the payload kinds, the filter a listener sets, and the listener.
// Delivery is synchronous, inside the sending call; nothing is queued.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/EventList.h"

#include <cstdint>

namespace Varnok {

class Component;
struct InputEvent;

// Several names are range markers that share a value with a real type.
enum UIMessageType : int32_t {
    UIMessageType_Invalid = -1,
    UIMessageType_None = 0,
    UIMessageType_FirstValid = 1,
    UIMessageType_RealtimeMin = 1,
    UIMessageType_Draw = 1,
    UIMessageType_DrawComponent = 2,
    UIMessageType_Update = 3,
    UIMessageType_UpdateComponent = 4,
    UIMessageType_RealtimeMax = 4,
    UIMessageType_InputMin = 5,
    UIMessageType_TouchDown = 5,
    UIMessageType_TouchUp = 6,
    UIMessageType_HandleInput = 7,
    UIMessageType_InputMax = 7,
    UIMessageType_AnimationMin = 8,
    UIMessageType_AnimationDispatchEvent = 8,
    UIMessageType_AnimationMax = 8,
    UIMessageType_Command = 9,
};

enum UIMessageCategory : uint32_t {
    UIMessageCategory_None = 0,
    UIMessageCategory_Realtime = 0x1,
    UIMessageCategory_Input = 0x2,
    UIMessageCategory_Animation = 0x4,
    UIMessageCategory_Command = 0x8,
    UIMessageCategory_Custom = 0x80000000u,
};

// Letter case matters; an unknown name gives UIMessageType_Invalid.
UIMessageType ParseUIMessageType(const AsciiString& name);
// The category bit of a type; 0 for UIMessageType_None.
uint32_t GetUIMessageCategory(int32_t type);

// The payload base. Payloads belong to their sender and live for the
// broadcast call only.
class UIMessageData {
public:
    using DescribeFunction = void (*)(AsciiString& out, const UIMessageData& data);

    explicit UIMessageData(DescribeFunction describe = nullptr) : m_describe(describe) {}
    virtual ~UIMessageData() = default;

    virtual AsciiString ToString() const;

private:
    DescribeFunction m_describe;
};

struct UIMessageDataDraw : UIMessageData {
    explicit UIMessageDataDraw(int32_t layer_);
    int32_t layer;  // 1337: every layer
};

struct UIMessageDataUpdate : UIMessageData {
    explicit UIMessageDataUpdate(float dt_);
    float dt;  // seconds
};

struct UIMessageDataHandleInput : UIMessageData {
    explicit UIMessageDataHandleInput(const InputEvent* event);
    const InputEvent* inputEvent;  // not owned
};

struct UIMessageDataText : UIMessageData {
    explicit UIMessageDataText(const AsciiString& text_) : text(text_) {}
    AsciiString ToString() const override { return text; }
    AsciiString text;
};

struct UIMessage {
    int32_t type = UIMessageType_None;
    uint32_t senderIdHash = 0;         // 0 when the manager sends
    Component* sender = nullptr;       // null when the manager sends
    const UIMessageData* data = nullptr;  // never owned
};

struct UIMessageFilter {
    using Predicate = int (*)(const UIMessage& message);

    uint32_t categoryMask = 0xFFFFFFFFu;  // read only when exactType is 0
    int32_t exactType = 0;
    Predicate predicate = nullptr;  // the message passes only on 1

    bool Accepts(const UIMessage& message) const;

    static const UIMessageFilter All;
    static const UIMessageFilter Realtime;
    static const UIMessageFilter Input;
    static const UIMessageFilter Animation;
    static const UIMessageFilter Custom;
};

// A handler sets result to 2 to abort the broadcast (it then reports
// failure), or stop to end it after this listener (reporting success).
using UIMessageHandler = Delegate3<void, const UIMessage&, int32_t&, bool&>;

class UIMessageListener {
public:
    UIMessageListener(const AsciiString& name, const UIMessageHandler& handler,
                      const UIMessageFilter& filter = UIMessageFilter());

    const AsciiString& GetName() const { return m_name; }
    const UIMessageFilter& GetFilter() const { return m_filter; }
    void SetFilter(const UIMessageFilter& filter) { m_filter = filter; }
    Event3<const UIMessage&, int32_t&, bool&>& Handlers() { return m_handlers; }

    // Applies the filter; when accepted, calls every handler with the
    // listener's own result and stop flag. Returns whether it was accepted.
    bool Offer(const UIMessage& message, int32_t& result, bool& stop);

private:
    AsciiString m_name;
    Event3<const UIMessage&, int32_t&, bool&> m_handlers;
    UIMessageFilter m_filter;
};

}  // namespace Varnok
