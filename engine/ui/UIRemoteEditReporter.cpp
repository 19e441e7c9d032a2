#include "engine/ui/UIRemoteEditReporter.h"

#include "engine/core/BinaryStream.h"
#include "engine/core/ChunkRecord.h"

#include <ctime>

namespace Varnok {

namespace {

UIRemoteEditField TextField(const AsciiString& text) {
    UIRemoteEditField field;
    field.text = text;
    return field;
}

UIRemoteEditField NumberField(int32_t number) {
    UIRemoteEditField field;
    field.isText = false;
    field.number = number;
    return field;
}

UIRemoteEditMessage MakeMessage(int32_t type, std::vector<UIRemoteEditField> fields) {
    UIRemoteEditMessage message;
    message.time = static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr)));
    message.type = type;
    message.fields = std::move(fields);
    return message;
}

}  // namespace

UIRemoteEditMessage UIRemoteEditMessage::PropertyChanged(const AsciiString& path, const AsciiString& property,
                                                         const AsciiString& skuName, const AsciiString& value) {
    return MakeMessage(UIRemoteEditMessage_PropertyChanged,
                       {TextField(path), TextField(property), TextField(skuName), TextField(value)});
}

UIRemoteEditMessage UIRemoteEditMessage::AnimationStarted(const AsciiString& path, const AsciiString& animation,
                                                          int32_t timeMs) {
    return MakeMessage(UIRemoteEditMessage_AnimationStarted,
                       {TextField(path), TextField(animation), NumberField(timeMs)});
}

UIRemoteEditMessage UIRemoteEditMessage::AnimationStopped(const AsciiString& path, const AsciiString& animation) {
    return MakeMessage(UIRemoteEditMessage_AnimationStopped, {TextField(path), TextField(animation)});
}

UIRemoteEditMessage UIRemoteEditMessage::AnimationTime(const AsciiString& path, const AsciiString& animation,
                                                       int32_t timeMs) {
    return MakeMessage(UIRemoteEditMessage_AnimationTime,
                       {TextField(path), TextField(animation), NumberField(timeMs)});
}

void UIRemoteEditReporter::SendMessage(const UIRemoteEditMessage& message, BinaryStreamWriter& writer) {
    ChunkPacket packet;
    packet.messageKind = static_cast<uint32_t>(message.time);
    packet.messageWord = static_cast<uint32_t>(message.type);
    packet.body.records.reserve(message.fields.size());
    for (const UIRemoteEditField& field : message.fields) {
        if (!field.isText) {
            packet.body.records.emplace_back(field.number);
            continue;
        }
        ChunkRecord record;
        const int length = field.text.Length();
        // The terminating zero goes along, except for empty text.
        record.SetData(kChunkValueText, length == 0 ? 0u : static_cast<uint32_t>(length) + 1u,
                       length == 0 ? nullptr : field.text.c_str());
        packet.body.records.push_back(std::move(record));
    }
    ChunkWriter::WriteRecordList(packet, writer);
}

void UIRemoteEditReporter::Send(UIRemoteEditMessage message) {
    BinaryStreamWriter writer(kInitialBufferSize, kByteOrderMark);
    SendMessage(message, writer);
    ChunkListener::Get().Send(m_channelName.GetHash(), writer.Data(), writer.Size());
}

void UIRemoteEditReporter::SendPropertyChanged(const AsciiString& path, const AsciiString& property,
                                               const AsciiString& skuName, const AsciiString& value) {
    Send(UIRemoteEditMessage::PropertyChanged(path, property, skuName, value));
}

void UIRemoteEditReporter::SendAnimationStarted(const AsciiString& path, const AsciiString& animation,
                                                int32_t timeMs) {
    Send(UIRemoteEditMessage::AnimationStarted(path, animation, timeMs));
}

void UIRemoteEditReporter::SendAnimationStopped(const AsciiString& path, const AsciiString& animation) {
    Send(UIRemoteEditMessage::AnimationStopped(path, animation));
}

void UIRemoteEditReporter::SendAnimationTime(const AsciiString& path, const AsciiString& animation,
                                             int32_t timeMs) {
    Send(UIRemoteEditMessage::AnimationTime(path, animation, timeMs));
}

}  // namespace Varnok
