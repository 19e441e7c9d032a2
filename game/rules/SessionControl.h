// Moving a game between its phases: the mode object, a new round and the
// start of play, pausing and resuming, the two kinds of bomb explosion, the
// end of a game with the results, quitting and the retry transition. Free
// functions over the game record. Main thread only.
#pragma once

#include "engine/core/Clock.h"
#include "engine/core/MathUtil.h"

#include <cstdint>

namespace Varnok {

class Component;

// What session control reaches beyond the rules: the screens it opens, the
// advertising service, the music and the local clock. The game installs its
// host at start-up; tests install their own. The defaults do nothing (the
// clock reads the real local time).
class SessionHost {
public:
    virtual ~SessionHost() = default;
    virtual void OpenResultsScreen() {}
    virtual void OpenPauseScreen() {}
    virtual void HideMainMenu() {}
    // False when no advertising service is there to ask.
    virtual bool PreloadFullscreenAd(const char* space) {
        (void)space;
        return false;
    }
    virtual void SetMusicTrack(const char* name) { (void)name; }
    virtual DateTime LocalTime();
    // The flow's state: input blocked after a menu change (0.5 s).
    virtual bool IsInputBlocked() { return false; }
    // Tells every screen item that a save follows.
    virtual void NotifyBeforeSave() {}
};

// Null puts the default host back. The host must outlive its installation.
void SetSessionHost(SessionHost* host);
SessionHost& GetSessionHost();

// The local hours (2, 3 and 4) whose finished games count into
// "games_at_grave_yard_time".
bool IsGraveyardHour(int hour);

void CreateGameMode();
void StartNewRound();
void BeginPlay();
// restore 1 rebuilds the mode from the saved snapshot (not here yet: it
// behaves as 0).
void PauseGame(int restore);
// The HUD's pause button: handled answers whether the press was taken.
void OnPauseButtonEvent(Component* button, bool& handled);
void OpenPauseScreen();
void ResumeGameFromPause();
void OnBombExplosion(const Vector3& position);
void OnMenuBombExplosion(const Vector3& position);
// reason -1 for a game that really ended (day and hour statistics).
void EndGameAndShowResults(int32_t reason = -1);
void QuitToMainMenu(int playIdle);
void StartRetryTransition();

// The flow's share of a session that these functions write.
struct SessionState {
    Vector3 explosionPoint;
    bool menuBombSliced = false;
    bool resumeRequested = false;
    int resultsOpened = 0;  // results screens opened this run
    int pauseOpened = 0;    // pause screens opened this run
};
SessionState& GetSessionState();

// Writes the save file from a copy of the statistics store: the record's
// values, the sound switches and, with includeGame 1 while a round is in
// progress, the running game. False (logged) when the file could not be
// written; the previous save is then kept.
bool SaveGame(int includeGame);
// The application's suspend and the flow's exit: tells the screens a save
// follows and saves with the game, unless a save is under way or there are
// no screens.
void SaveOnSuspend();
// True while SaveGame runs.
bool IsSaveInProgress();

}  // namespace Varnok
