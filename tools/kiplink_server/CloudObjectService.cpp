#include "tools/kiplink_server/CloudObjectService.h"

#include "tools/kiplink_server/ServerCloudOps.h"

#include <ctime>

namespace Varnok {
namespace Tools {

void CloudObjectService::Install(KiplinkServer& server) {
    for (const char* method : {"updateObjects", "getObjects"}) {
        server.SetHandler("cloudObject", method, [this](const ServiceCall& call) { return Handle(call); });
    }
}

ServiceReply CloudObjectService::Handle(const ServiceCall& call) {
    const Json::Value& params = call.params;
    const std::string token = params.isArray() && params.size() > 0 && params[0].isString() ? params[0].asString() : "";
    if (m_accounts.IdOfToken(token).empty()) {
        return ServiceReply::Error("invalid token");
    }
    const Json::Value& entries = params.isArray() && params.size() > 3 ? params[3] : Json::Value();
    if (!entries.isArray()) {
        return ServiceReply::Error("no objects");
    }
    const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
    Json::Value copies(Json::arrayValue);
    for (Json::ArrayIndex i = 0; i < entries.size(); ++i) {
        const Json::Value& entry = entries[i];
        if (!entry.isArray() || entry.size() < 3 || !entry[0].isString() || !entry[1].isString()) {
            continue;
        }
        const std::string ownerId = entry[0].asString();
        const std::string objectId = entry[1].asString();
        // A CRC asks for the copy; a list edits it first.
        const Json::Value list = entry[2].isArray() ? entry[2] : Json::Value();
        Json::Value copy;
        const bool known = m_accounts.EditGameData(ownerId, [&](Json::Value& gameData) {
            Json::Value& held = gameData["cloudObjectData"][ownerId][objectId];
            UpdateServerCloudCopy(held, ownerId, objectId, list, now);
            copy = held;
        });
        if (known) {
            copies.append(copy);
        }
    }
    return ServiceReply::Result(copies);
}

}  // namespace Tools
}  // namespace Varnok
