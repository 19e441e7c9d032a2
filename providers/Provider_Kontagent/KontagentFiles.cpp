#include "providers/Provider_Kontagent/KontagentFiles.h"

#include "engine/core/BinaryStream.h"
#include "engine/core/FileObject.h"
#include "engine/core/FileSystem.h"
#include "providers/Provider_Kontagent/KontagentReport.h"

#include <cstring>
#include <memory>

namespace Varnok {

void ParseKontagentQueue(const uint8_t* bytes, size_t length, std::deque<std::string>& outMessages,
                         std::string& outFault) {
    outFault.clear();
    if (length < 4) {
        if (length > 0) {
            outFault = "shorter than its 4-byte count";
        }
        return;
    }
    BinaryStreamReader reader(bytes, length, kSwappedByteOrder);
    uint32_t count = 0;
    (void)reader.ReadUInt32(count);
    size_t dropped = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t textLength = 0;
        if (!reader.ReadUInt32(textLength) || textLength > reader.GetRemaining()) {
            outFault = "message " + std::to_string(i + 1) + " of " + std::to_string(count) +
                       " runs past the end, " + std::to_string(i) + " read";
            break;
        }
        std::string text(textLength, '\0');
        (void)reader.ReadBytes(text.data(), textLength);
        if (text.empty()) {
            continue;
        }
        outMessages.push_back(std::move(text));
        if (outMessages.size() > kKontagentQueueLimit) {
            outMessages.pop_front();
            ++dropped;
        }
    }
    if (!outFault.empty()) {
        return;
    }
    if (reader.GetRemaining() > 0) {
        outFault = std::to_string(reader.GetRemaining()) + " bytes after the last message";
    } else if (dropped > 0) {
        outFault = "more than " + std::to_string(kKontagentQueueLimit) + " messages, the oldest " +
                   std::to_string(dropped) + " dropped";
    }
}

std::string SerialiseKontagentQueue(const std::deque<std::string>& messages) {
    BinaryStreamWriter writer(256, kSwappedByteOrder);
    writer.WriteUInt32(static_cast<uint32_t>(messages.size()));
    for (const std::string& text : messages) {
        writer.WriteStdString(text);
    }
    return std::string(reinterpret_cast<const char*>(writer.Data()), static_cast<size_t>(writer.Size()));
}

void ParseKontagentRecords(const char* text, size_t length, Json::Value& outRecords, std::string& outFault) {
    outRecords = Json::Value();
    outFault.clear();
    const void* nul = std::memchr(text, '\0', length);
    const char* end = nul != nullptr ? static_cast<const char*>(nul) : text + length;
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value parsed;
    std::string errors;
    if (!reader->parse(text, end, &parsed, &errors)) {
        const size_t lineEnd = errors.find('\n');
        outFault = "not JSON (" + errors.substr(0, lineEnd) + ")";
        return;
    }
    if (!parsed.isNull() && !parsed.isArray()) {
        outFault = "not an array of records";
        return;
    }
    outRecords = std::move(parsed);
}

std::string SerialiseKontagentRecords(const Json::Value& records) {
    std::string text = WriteCompactJson(records);
    text += '\0';
    return text;
}

bool ReadKontagentFile(const char* name, std::string& outBytes) {
    FileObject file(name, kOpenRead, 0);
    if (!file.Load()) {
        return false;
    }
    outBytes.assign(reinterpret_cast<const char*>(file.GetData()), static_cast<size_t>(file.GetLength()));
    return true;
}

bool WriteKontagentFile(const char* name, const std::string& bytes) {
    FileObject file(name, kOpenWrite, FileSystemKey("save"));
    if (!file.Open()) {
        return false;
    }
    const bool written = bytes.empty() || file.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    file.CloseStream();
    return written;
}

}  // namespace Varnok
