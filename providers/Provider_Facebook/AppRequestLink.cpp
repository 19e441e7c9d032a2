// App-request links and request objects. A link looks like
//   fb<app>://authorize?...&target_url=<escaped address>&...
// where the escaped address ends in "?request_ids=111,222&ref=notif".
#include "providers/Provider_Facebook/AppRequestLink.h"

#include "engine/core/Log.h"
#include "providers/Provider_Facebook/SocialText.h"

#include <json/json.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace Varnok {
namespace {

using Pairs = std::map<std::string, std::string>;

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) {
            return parts;
        }
        start = at + 1;
    }
}

// Name and value of a "name=value" piece (a further "=" ends the value);
// false for a piece without "=".
bool SplitPiece(const std::string& piece, std::string& outName, std::string& outValue) {
    const size_t equals = piece.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    const size_t end = piece.find('=', equals + 1);
    outName = piece.substr(0, equals);
    outValue = DecodePercentEscapes(
        piece.substr(equals + 1, end == std::string::npos ? std::string::npos : end - equals - 1));
    return true;
}

bool IsAllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
}

// A text member as it is; numbers and booleans as their text. False for
// anything else.
bool ValueAsText(const Json::Value& value, std::string& outText) {
    if (value.isString()) {
        outText = value.asString();
    } else if (value.isBool()) {
        outText = value.asBool() ? "true" : "false";
    } else if (value.isInt64()) {
        outText = std::to_string(value.asInt64());
    } else if (value.isUInt64()) {
        outText = std::to_string(value.asUInt64());
    } else if (value.isDouble()) {
        Json::StreamWriterBuilder writer;
        outText = Json::writeString(writer, value);
    } else {
        return false;
    }
    return true;
}

bool ParseJsonObject(const std::string& text, Json::Value& outValue) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    return reader->parse(text.data(), text.data() + text.size(), &outValue, &errors) &&
           outValue.isObject();
}

}  // namespace

bool IsAppRequestLink(const char* url) {
    return url != nullptr && std::strstr(url, "authorize?") != nullptr &&
           std::strstr(url, "notif") != nullptr;
}

std::string DecodePercentEscapes(const std::string& text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        decoded.push_back(text[i]);
    }
    return decoded;
}

bool ParseAppRequestIds(const std::string& url, std::vector<std::string>& outIds) {
    Pairs link;
    for (const std::string& piece : Split(url, '&')) {
        std::string name;
        std::string value;
        if (SplitPiece(piece, name, value)) {
            link[name] = value;
        }
    }
    const auto target = link.find("target_url");
    if (target == link.end()) {
        return false;
    }
    Pairs address;
    for (const std::string& piece : Split(target->second, '&')) {
        std::string name;
        std::string value;
        if (!SplitPiece(piece, name, value)) {
            continue;
        }
        // The first piece is the address itself up to "?request_ids".
        address[ContainsIgnoringCase(piece, "request_ids") ? std::string("request_ids") : name] = value;
    }
    const auto requestIds = address.find("request_ids");
    if (requestIds == address.end()) {
        Log("DeepLinkService_Facebook: the link's target has no request_ids");
        return false;
    }
    std::vector<std::string> ids;
    for (const std::string& id : Split(requestIds->second, ',')) {
        if (IsAllDigits(id)) {
            ids.push_back(id);
        } else {
            Log("DeepLinkService_Facebook: \"%s\" is not a request id, skipped", id.c_str());
        }
    }
    if (ids.empty()) {
        return false;
    }
    outIds = std::move(ids);
    return true;
}

bool ReadAppRequestResult(const std::string& body, const std::vector<std::string>& optionNames,
                          AppRequestResult& outResult) {
    Json::Value result;
    if (!ParseJsonObject(body, result)) {
        Log("DeepLinkService_Facebook: the request's answer is not a JSON object");
        return false;
    }
    AppRequestResult read;
    std::string wrongFields;
    const auto note = [&wrongFields](const char* field) {
        wrongFields += wrongFields.empty() ? field : std::string(", ") + field;
    };
    const Json::Value& from = result["from"];
    if (from.isObject() && from["id"].isString() && from["name"].isString()) {
        read.options.options["sentFromFacebookId"] = from["id"].asString();
        read.options.options["sentFromFacebookName"] = from["name"].asString();
    } else {
        note("from");
    }
    const Json::Value& created = result["created_time"];
    if (created.isString()) {
        read.options.options["createdTime"] = created.asString();
    } else {
        note("created_time");
    }
    const Json::Value& data = result["data"];
    Json::Value dataObject;
    if (data.isString() && ParseJsonObject(data.asString(), dataObject)) {
        for (const std::string& name : dataObject.getMemberNames()) {
            std::string text;
            if (std::find(optionNames.begin(), optionNames.end(), name) != optionNames.end() &&
                ValueAsText(dataObject[name], text)) {
                read.options.options[name] = text;
            }
        }
    } else if (!data.isNull()) {
        note("data");
    }
    const Json::Value& to = result["to"];
    if (to.isObject() && to["id"].isString() && IsAllDigits(to["id"].asString())) {
        read.recipientId = to["id"].asString();
    } else if (!to.isNull()) {
        note("to");
    }
    if (!wrongFields.empty()) {
        Log("DeepLinkService_Facebook: the request's answer has no usable %s", wrongFields.c_str());
    }
    outResult = std::move(read);
    return true;
}

std::vector<std::string> AppRequestDeletionPaths(const std::vector<std::string>& requestIds,
                                                 const std::string& recipientId) {
    std::vector<std::string> paths;
    paths.reserve(requestIds.size());
    for (const std::string& id : requestIds) {
        paths.push_back(recipientId.empty() ? id : id + "_" + recipientId);
    }
    return paths;
}

}  // namespace Varnok
