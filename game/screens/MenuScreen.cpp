// Exit animations of layout screens.
#include "game/screens/MenuScreen.h"

#include "engine/ui/Component.h"
#include "engine/ui/UIManager.h"
#include "game/rules/InputActions.h"

namespace Varnok {

void MenuScreen::PlayExitAnimation(const char* layoutPath, const char* animation, bool doneAtOnce,
                                   bool closeWhenEnded) {
    ExitEntry entry;
    entry.animation = AsciiString(animation);
    entry.markDoneWhenEnded = !doneAtOnce;
    entry.closeWhenEnded = closeWhenEnded;
    entry.component = UIManager::Get().FindComponent(AsciiString(layoutPath));
    float seconds = 0.0f;
    if (entry.component != nullptr) {
        seconds = entry.component->PlayAnimation(entry.animation, true);
        entry.component->GetInputEnabledProperty()->Set(false);
    }
    if (doneAtOnce) {
        m_exitDone = true;
    }
    m_exitQueue.push_back(entry);
    BlockMenuInput(seconds);
}

void MenuScreen::UpdateExitAnimations() {
    for (size_t i = 0; i < m_exitQueue.size();) {
        ExitEntry& entry = m_exitQueue[i];
        Component* component = entry.component;
        if (component != nullptr && component->IsAnimationPlaying(entry.animation, true)) {
            ++i;
            continue;
        }
        if (component != nullptr) {
            component->GetEnabledProperty()->Set(false);
            component->Reset();
            component->GetEnabledProperty()->Set(false);
        }
        if (m_layout == component) {
            m_layout = nullptr;
        }
        if (entry.closeWhenEnded) {
            m_finished = true;
        }
        m_exitDone = m_exitDone || entry.markDoneWhenEnded;
        m_exitQueue.erase(m_exitQueue.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

}  // namespace Varnok
