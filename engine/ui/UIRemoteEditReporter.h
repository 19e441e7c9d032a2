// Reports of what happens in the UI for a connected remote UI editor: a
// property that changed, an animation that started or stopped, and an
// animation's time. Each report is one packet handed to the live-edit
// transport, built, sent and freed in one call.
#pragma once

#include "engine/core/AsciiString.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class BinaryStreamWriter;

enum UIRemoteEditMessageType : int32_t {
    UIRemoteEditMessage_PropertyChanged = 6,
    UIRemoteEditMessage_AnimationStarted = 18,
    UIRemoteEditMessage_AnimationStopped = 19,
    UIRemoteEditMessage_AnimationTime = 21,
};

struct UIRemoteEditField {
    bool isText = true;
    AsciiString text;
    int32_t number = 0;
};

struct UIRemoteEditMessage {
    int32_t time = 0;  // seconds since 1970, low 32 bits
    int32_t type = 0;
    std::vector<UIRemoteEditField> fields;

    static UIRemoteEditMessage PropertyChanged(const AsciiString& path, const AsciiString& property,
                                               const AsciiString& skuName, const AsciiString& value);
    static UIRemoteEditMessage AnimationStarted(const AsciiString& path, const AsciiString& animation,
                                                int32_t timeMs);
    static UIRemoteEditMessage AnimationStopped(const AsciiString& path, const AsciiString& animation);
    static UIRemoteEditMessage AnimationTime(const AsciiString& path, const AsciiString& animation,
                                             int32_t timeMs);
};

class UIRemoteEditReporter {
public:
    static constexpr uint32_t kByteOrderMark = 0x01020304u;  // every header word big-endian
    static constexpr int kInitialBufferSize = 4096;

    explicit UIRemoteEditReporter(const AsciiString& channelName) : m_channelName(channelName) {}

    void SendPropertyChanged(const AsciiString& path, const AsciiString& property,
                             const AsciiString& skuName, const AsciiString& value);
    void SendAnimationStarted(const AsciiString& path, const AsciiString& animation, int32_t timeMs);
    void SendAnimationStopped(const AsciiString& path, const AsciiString& animation);
    void SendAnimationTime(const AsciiString& path, const AsciiString& animation, int32_t timeMs);

    // The packet header, the body header and one record per field. Text
    // carries its terminating zero; empty text carries no data at all.
    static void SendMessage(const UIRemoteEditMessage& message, BinaryStreamWriter& writer);

    const AsciiString& GetChannelName() const { return m_channelName; }

private:
    void Send(UIRemoteEditMessage message);

    AsciiString m_channelName;
};

}  // namespace Varnok
