// The title menu's states.
#include "game/screens/MainMenuScreen.h"

#include "engine/ui/Component.h"
#include "engine/ui/UIManager.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/screens/GameUi.h"
#include "game/screens/NewsScreen.h"

namespace Varnok {

MainMenuScreen::MainMenuScreen() {
    m_scale = Vector3{480.0f, 138.0f, 1.0f};
    m_offset = Vector3{0.0f, (LogicalScreenHeight() - 138.0f) / 2.0f, 0.0f};
    Build();
    PlayIdle();
}

void MainMenuScreen::Build() {
    GameRecord& game = GetGameRecord();
    if (game.loadedScreens == nullptr) {
        game.loadedScreens = std::make_unique<LoadedScreenMap>();
    }
    m_layout = ShowScreenLayout(*game.loadedScreens, kLayoutName, 1);
}

void MainMenuScreen::Hide() {
    m_state = Hidden;
    m_offset = Vector3{-1000.0f, 1000.0f, -1000.0f};
    if (m_layout != nullptr) {
        m_layout->GetEnabledProperty()->Set(false);
        m_layout->Reset();
        m_layout->GetEnabledProperty()->Set(false);
        m_layout = nullptr;
    }
}

void MainMenuScreen::PlayIdle() {
    if (m_layout != nullptr) {
        m_layout->PlayAnimation(AsciiString("start_idle"), true);
    }
}

void MainMenuScreen::ShowNewsBadge() {
    if (m_layout != nullptr) {
        if (Component* badge = m_layout->FindChild(AsciiString("news.new"))) {
            const bool unread = NewsScreen::HasUnreadNews();
            if (badge->IsEnabled() != unread) {
                badge->GetEnabledProperty()->Set(unread);
            }
        }
    }
    if (NewsScreen::GetState().chosenItem == nullptr) {
        return;
    }
    // The news button comes in once, the first time an item is there to show.
    Component* news = UIManager::Get().FindComponent(AsciiString("mainscreen.news"));
    if (news != nullptr && !news->IsEnabled()) {
        news->GetEnabledProperty()->Set(true);
        news->PlayAnimation(AsciiString("animate_in"), true);
    }
}

void MainMenuScreen::Update(float stepSeconds) {
    UpdateExitAnimations();
    switch (m_state) {
        case Intro:
            m_introTimer -= stepSeconds;
            if (!(m_introTimer > 0.0f)) {
                m_introTimer = 0.0f;
                m_state = Idle;
            }
            break;
        case Idle:
            ShowNewsBadge();
            break;
        case Rebuild:
            m_offset = Vector3{0.0f, (LogicalScreenHeight() - 138.0f) / 2.0f, 0.0f};
            Build();
            m_state = Intro;
            break;
        default:
            break;
    }
}

}  // namespace Varnok
