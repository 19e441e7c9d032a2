// The pop-up pool.
#include "game/screens/GameHud.h"

#include "game/screens/HudPopup.h"
#include "game/screens/ScreenList.h"

#include <memory>
#include <vector>

namespace Varnok {
namespace {

struct HudPool {
    std::vector<std::unique_ptr<HudPopup>> popups;
    int cursor = 0;
    int risingThisFrame = 0;
};

HudPool& Pool() {
    static HudPool s_pool;
    return s_pool;
}

}  // namespace

void GameHud::Create(int count, ScreenList& screens) {
    Destroy();
    HudPool& pool = Pool();
    for (int i = 0; i < count; ++i) {
        auto popup = std::make_unique<HudPopup>();
        popup->m_persistent = true;
        screens.Add(popup.get());
        pool.popups.push_back(std::move(popup));
    }
    pool.cursor = 0;
}

void GameHud::Destroy() {
    Pool().popups.clear();
    Pool().cursor = 0;
}

HudPopup* GameHud::NextFreePopup() {
    HudPool& pool = Pool();
    const int count = static_cast<int>(pool.popups.size());
    if (count == 0) {
        return nullptr;
    }
    for (int tries = 0; tries < count && pool.popups[static_cast<size_t>(pool.cursor)]->m_visible; ++tries) {
        pool.cursor = (pool.cursor + 1) % count;
    }
    return pool.popups[static_cast<size_t>(pool.cursor)].get();
}

void GameHud::ExpireActivePopups() {
    for (auto& popup : Pool().popups) {
        if (popup->m_visible && popup->m_timeLeft > kExpireSeconds) {
            popup->m_timeLeft = kExpireSeconds;
        }
    }
}

void GameHud::BeginFrame() {
    Pool().risingThisFrame = 0;
}

int GameHud::GetCount() {
    return static_cast<int>(Pool().popups.size());
}

HudPopup* GameHud::GetPopup(int index) {
    return Pool().popups[static_cast<size_t>(index)].get();
}

int GameHud::GetCursor() {
    return Pool().cursor;
}

}  // namespace Varnok
