// PauseScreen: shown over the paused game.
#include "game/screens/PauseScreen.h"

#include "engine/core/AsciiString.h"
#include "engine/ui/Component.h"
#include "game/rules/GameRecord.h"
#include "game/rules/InGameMode.h"
#include "game/rules/SoundPlayer.h"
#include "game/screens/GameUi.h"

#include <memory>

namespace Varnok {

PauseScreen::PauseScreen(Component* layout) {
    if (layout == nullptr) {
        GameRecord& game = GetGameRecord();
        if (game.loadedScreens == nullptr) {
            game.loadedScreens = std::make_unique<LoadedScreenMap>();
        }
        layout = ShowScreenLayout(*game.loadedScreens, kLayoutName, 1);
    }
    m_layout = layout;
    if (m_layout != nullptr) {
        m_layout->PlayAnimation(AsciiString("animate_in"), true);
    }
    m_state = kShown;
}

void PauseScreen::Open() {
    GameRecord& game = GetGameRecord();
    if (game.currentMode != nullptr && game.currentMode->hud != nullptr) {
        game.currentMode->hud->PlayAnimation(AsciiString("animate_out_pause"), true);
    }
    if (game.soundPlayer != nullptr) {
        game.soundPlayer->PauseAll();
    }
    Reset();
}

void PauseScreen::Update(float /*stepSeconds*/) {
    UpdateExitAnimations();
}

}  // namespace Varnok
