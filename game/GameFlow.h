// The one game state the dispatcher runs: its first enter builds the game's
// screens, pools and bindings; its update advances input, audio, the world,
// the camera, the screens, the services and the UI in a fixed order; its
// render draws the frame's passes; its exit tears it all down. Main thread
// only; the flow's state lives here, outside the game record.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"
#include "game/rules/GameStateDispatcher.h"

#include <string>
#include <vector>

namespace Varnok {

class MainMenuScreen;
class ScreenItem;
class Slash;
class TouchFollower;

class GameFlow final : public GameStateHandler {
public:
    static constexpr int kSlashes = 16;
    static constexpr int kPopupCount = 12;
    static constexpr float kCountdownStart = 90.9f;
    static constexpr size_t kWorldPoolBytes = 131072;
    static constexpr int kWorldListBytes = 8192;
    static constexpr int kPrecreated = 30;
    static constexpr int kSplatterRecords = 256;
    static constexpr float kFirstUiUpdate = 0.001f;
    static constexpr float kFlashSeconds = 0.5f;
    static constexpr const char* kFlashTexture = "textures/effects/flash.tex";
    // Loaded in this order after "Background" and "about".
    static const char* const kScreens[15];

    // The game's flow, installed as the dispatcher's handler by the game.
    static GameFlow& Get();

    // The first call sets the game up; every call turns the alpha test off.
    void Enter(int argument) override;
    void Update(float stepSeconds, bool active) override;
    void Render(float stepSeconds, bool active) override;
    void Exit() override;

    // A flash of the flash texture at a point, for half a second.
    void StartScreenFlash(const Vector3& position, const Colour& colour);
    // The explosion sequence has left less than a second.
    bool IsMenuInputReady() const;
    // Exactly one finger is down and the pointer was pressed.
    bool IsSingleTouchHeld() const;
    // The achievement manager's named unlock: an item unlock (kind 2) with a
    // name gets a pop-up of that name, added to the screen list at the next
    // update. Other kinds are shown by the unlock queue itself.
    void ShowNamedUnlockPopup(const char* name, int kind);

    // The names of the set-up steps of the last first enter, in order.
    const std::vector<std::string>& GetSetUpSteps() const { return m_setUpSteps; }
    bool IsSetUp() const { return m_setUp; }
    MainMenuScreen* GetMainMenu() const { return m_mainMenu; }
    Slash* GetSlash(int index) const { return m_slashes[index]; }
    const SmartPtr<Texture>& GetFlashTexture() const { return m_flashTexture; }

    bool m_resumeRequested = false;
    bool m_menuMusicStarted = false;
    bool m_menuBombSliced = false;
    ScreenItem* m_pendingPopup = nullptr;  // joins the screen list at the next update
    Vector3 m_explosionPoint;
    Vector3 m_flashPoint;
    Colour m_flashColour{255, 255, 255, 255};
    float m_fastForwardBoost = 1.0f;  // 1..5
    float m_particleStepDivisor = 1.0f;
    bool m_drawWorldObjects = true;  // off only to measure the frame without them

private:
    GameFlow();
    void SetUp();
    void Step(const char* name) { m_setUpSteps.emplace_back(name); }
    TouchFollower* SlashForSlot(int slot);
    void RenderScreenFlash();

    bool m_setUp = false;
    MainMenuScreen* m_mainMenu = nullptr;
    SmartPtr<Texture> m_flashTexture;
    Slash* m_slashes[kSlashes] = {};
    std::vector<std::string> m_setUpSteps;
};

}  // namespace Varnok
