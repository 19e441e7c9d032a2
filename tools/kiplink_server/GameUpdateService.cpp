#include "tools/kiplink_server/GameUpdateService.h"

#include <utility>

namespace Varnok {
namespace Tools {

void GameUpdateService::Install(KiplinkServer& server) {
    server.SetHandler("game", "update", [this](const ServiceCall& call) {
        if (!call.params.isArray() || call.params.size() < 2 || !call.params[0].isString() ||
            !call.params[1].isString()) {
            return ServiceReply::Error("bad parameters");
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        return ServiceReply::Result(m_result);
    });
}

void GameUpdateService::SetResult(Json::Value result) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_result = std::move(result);
}

}  // namespace Tools
}  // namespace Varnok
