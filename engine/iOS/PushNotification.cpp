// Parsing of remote-notification payloads.
#include "engine/iOS/PushNotification.h"

#include "engine/core/Log.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

PushNotificationRecord s_launchNotification;
bool s_hasLaunchNotification = false;

std::vector<std::string> Split(const std::string& text, const char* separator) {
    std::vector<std::string> parts;
    const size_t length = strlen(separator);
    size_t start = 0;
    for (;;) {
        const size_t found = text.find(separator, start);
        if (found == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, found - start));
        start = found + length;
    }
}

// The platform's integer reading: spaces, a sign and digits; 0 without
// digits; clamped to int.
int ReadInteger(const std::string& text) {
    const long long value = strtoll(text.c_str(), nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

// How the platform describes a value in text.
std::string Describe(const Json::Value& value) {
    switch (value.type()) {
        case Json::stringValue:
            return value.asString();
        case Json::intValue:
            return std::to_string(value.asLargestInt());
        case Json::uintValue:
            return std::to_string(value.asLargestUInt());
        case Json::realValue: {
            char text[32];
            snprintf(text, sizeof(text), "%.17g", value.asDouble());
            return text;
        }
        case Json::booleanValue:
            return value.asBool() ? "1" : "0";
        case Json::nullValue:
            return "<null>";
        default: {
            Json::StreamWriterBuilder writer;
            writer["indentation"] = "";
            return Json::writeString(writer, value);
        }
    }
}

}  // namespace

void ParseNotificationOptions(const char* text, std::map<int, AsciiString>& outOptions) {
    if (text == nullptr) {
        return;
    }
    for (const std::string& entry : Split(text, "|,|")) {
        const std::vector<std::string> parts = Split(entry, "||");
        if (parts.size() < 2) {
            continue;
        }
        outOptions[ReadInteger(parts[0])] = AsciiString(parts[1].c_str(), static_cast<int>(parts[1].size()));
    }
}

void ParseNotificationPayload(const PlatformDictionary& payload, int applicationState,
                              PushNotificationRecord& outRecord) {
    outRecord.o.clear();
    outRecord.values.clear();
    outRecord.alert = "";
    outRecord.p = "";
    outRecord.s = "";
    outRecord.activeWhenParsed = true;
    outRecord.kind = PushNotificationRecord::kRemoteKind;
    if (applicationState == ApplicationInactive) {
        outRecord.activeWhenParsed = false;
    }

    const Json::Value& root = payload.value;
    if (!root.isObject()) {
        return;
    }
    const Json::Value& aps = root["aps"];
    if (aps.isObject() && aps["alert"].isString()) {
        outRecord.alert = aps["alert"].asString().c_str();
    }
    if (root["p"].isString()) {
        outRecord.p = root["p"].asString().c_str();
    }
    if (root.isMember("s")) {
        outRecord.s = Describe(root["s"]).c_str();
    }
    if (root["o"].isString()) {
        ParseNotificationOptions(root["o"].asString().c_str(), outRecord.o);
    }
}

void SetLaunchNotification(const PushNotificationRecord& record) {
    s_launchNotification = record;
    s_hasLaunchNotification = true;
}

const PushNotificationRecord* GetLaunchNotification() {
    return s_hasLaunchNotification ? &s_launchNotification : nullptr;
}

bool ReadPayloadJson(const char* text, const char* sourceName, PlatformDictionary& outPayload) {
    const std::string json = text != nullptr ? text : "";
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    if (!reader->parse(json.data(), json.data() + json.size(), &value, &errors)) {
        Log("%s: notification payload is not JSON: %s", sourceName, errors.c_str());
        return false;
    }
    if (!value.isObject()) {
        Log("%s: notification payload is not a JSON object", sourceName);
        return false;
    }
    outPayload.value = std::move(value);
    return true;
}

}  // namespace Varnok
