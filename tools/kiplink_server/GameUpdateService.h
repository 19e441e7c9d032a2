// The "game" "update" call: the client sends (device id, build id) and gets
// the update level as a number (0 none, 1 optional, 2 mandatory, as the
// engine's version service reads it).
#pragma once

#include "tools/kiplink_server/KiplinkServer.h"

#include <json/json.h>

#include <mutex>

namespace Varnok {
namespace Tools {

class GameUpdateService {
public:
    // Registers the handler; the service must outlive the server's use of it.
    void Install(KiplinkServer& server);

    // Any value: tests set a non-number to see the client refuse it.
    void SetResult(Json::Value result);

private:
    std::mutex m_mutex;
    Json::Value m_result = 0;
};

}  // namespace Tools
}  // namespace Varnok
