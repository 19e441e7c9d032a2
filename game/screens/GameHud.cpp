// The pop-up pool.
#include "game/screens/GameHud.h"

#include "game/rules/GameFunctions.h"
#include "game/screens/HudPopup.h"
#include "game/screens/ScreenList.h"

#include <memory>
#include <vector>

namespace Varnok {
namespace {

constexpr float kFactorBase = 0.5f;

// Only the pop-up pictures and the critical-hit picture are ever drawn.
const char* const kPictureNames[GameHud::kPictureCount] = {
    "hud/hudfruitdropped.tex", "effects/hud_bean.tex", "effects/hud_bean_bonus.tex", "effects/critical.tex",
    "effects/ultra_rare_plus_50.tex"};

struct HudPool {
    std::vector<std::unique_ptr<HudPopup>> popups;
    int cursor = 0;
    int risingThisFrame = 0;
    float frameFactor = 1.0f;
    const ScreenList* list = nullptr;
    SmartPtr<Texture> pictures[GameHud::kPictureCount];
};

HudPool& Pool() {
    static HudPool s_pool;
    return s_pool;
}

}  // namespace

void GameHud::Create(int count, ScreenList& screens) {
    Destroy();
    HudPool& pool = Pool();
    for (int i = 0; i < kPictureCount; ++i) {
        LoadLocalizedTexture(pool.pictures[i], kPictureNames[i]);
    }
    pool.list = &screens;
    for (int i = 0; i < count; ++i) {
        auto popup = std::make_unique<HudPopup>();
        popup->m_persistent = true;
        screens.Add(popup.get());
        pool.popups.push_back(std::move(popup));
    }
    pool.cursor = 0;
}

void GameHud::Destroy() {
    HudPool& pool = Pool();
    pool.popups.clear();
    pool.cursor = 0;
    pool.risingThisFrame = 0;
    pool.frameFactor = 1.0f;
    pool.list = nullptr;
    for (SmartPtr<Texture>& picture : pool.pictures) {
        picture = SmartPtr<Texture>();
    }
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
    HudPool& pool = Pool();
    pool.frameFactor = static_cast<float>(pool.risingThisFrame) + kFactorBase;
    pool.risingThisFrame = 0;
}

void GameHud::NoteRising() {
    ++Pool().risingThisFrame;
}

float GameHud::FrameFactor() {
    return Pool().frameFactor;
}

const ScreenList* GameHud::GetList() {
    return Pool().list;
}

const SmartPtr<Texture>& GameHud::GetPicture(Picture picture) {
    return Pool().pictures[picture];
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
