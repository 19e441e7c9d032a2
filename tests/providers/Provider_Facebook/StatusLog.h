// Records the statuses a social service reports.
#pragma once

#include "engine/services/ISocialService.h"

#include <vector>

namespace SocialTest {

struct StatusLog {
    std::vector<int> statuses;
    void On(Varnok::SocialPostStatus status) { statuses.push_back(static_cast<int>(status)); }
    Varnok::ISocialService::PostDelegate Delegate() {
        return Varnok::ISocialService::PostDelegate(this, &StatusLog::On);
    }
};

}  // namespace SocialTest
