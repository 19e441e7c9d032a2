// The title menu over the "mainscreen" layout. Made once at the game's
// set-up, kept in the screen list for the whole run (persistent); it hides
// while a game runs and rebuilds its layout when the player comes back. The
// choices' handlers come with the menus; here are its state, the intro
// delay, Build, Hide and PlayIdle.
#pragma once

#include "game/screens/MenuScreen.h"

namespace Varnok {

class MainMenuScreen : public MenuScreen {
public:
    static constexpr const char* kLayoutName = "mainscreen";

    // Menu states.
    enum State : int {
        Intro = 0,
        Idle = 1,
        Stash = 4,
        Rebuild = 8,
        NewGame = 14,
        Extras = 15,
        Hidden = 18,
        QuitRequested = 22,
        Quitting = 23,
    };

    // Builds, then plays "start_idle" on the layout when there is one.
    MainMenuScreen();

    void Open() override { Reset(); }
    // Shows the layout (ShowScreenLayout with 1) and keeps its root.
    void Build();
    // Hidden state, moved off screen, the layout disabled and reset.
    void Hide();
    void PlayIdle();
    // Idle: the "news.new" badge shows exactly while the chosen news item is
    // unread, and the news button comes in once an item is chosen.
    void ShowNewsBadge();
    // The intro waits its delay, then the menu goes live; a rebuild request
    // builds the layout again.
    void Update(float stepSeconds) override;
    void Render(const float /*tint*/[3]) override {}

    int m_state = Intro;
    int m_previousState = Intro;
    float m_introTimer = 0.0f;  // seconds the intro still waits
};

}  // namespace Varnok
