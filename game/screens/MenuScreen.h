// The base of every screen that shows a UI layout: the layout's root and the
// queue of exit animations the screen waits for before it acts.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Delegate.h"
#include "game/screens/SpriteScreenItem.h"

#include <vector>

namespace Varnok {

class Component;

class MenuScreen : public SpriteScreenItem {
public:
    struct ExitEntry {
        Component* component = nullptr;  // null when the path found nothing
        AsciiString animation;
        bool markDoneWhenEnded = false;
        bool closeWhenEnded = false;
    };

    // Plays the animation on the layout path's component and all below it,
    // takes input from it and blocks menu input for the animation's length.
    // doneAtOnce makes the next update act without waiting for the end.
    void PlayExitAnimation(const char* layoutPath, const char* animation, bool doneAtOnce,
                           bool closeWhenEnded);
    // Each screen's update calls it first: ended exits disable and reset
    // their component, may finish the screen and mark the exit done.
    void UpdateExitAnimations();

    const std::vector<ExitEntry>& GetExitQueue() const { return m_exitQueue; }

    Delegate0<void> m_onExit;
    bool m_exitDone = false;
    Component* m_layout = nullptr;  // the UI manager's

protected:
    std::vector<ExitEntry> m_exitQueue;
};

}  // namespace Varnok
