// The endless mode: waves speed up with the round's time, every missed fruit
// costs one of three lives, three misses or a bomb end the game through the
// game-over animations and the results, and a magic bean comes every few
// waves to give a life back or bonus points. Main thread only.
#pragma once

#include "engine/core/MathUtil.h"
#include "game/rules/GameHelpers.h"
#include "game/rules/InGameMode.h"

#include <tinyxml.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class Component;
class Fruit;
class GameStats;
class Sound;
struct ParticleSystem;

// "xml/originalModeInfo.xml", read once a run.
struct ClassicSettings {
    bool loaded = false;
    float baseInterval = 0.0f;
    float intervalGrowth = 0.0f;
    float intervalVariation = 0.0f;
    float initalSpawn = 0.0f;
    int32_t beanScore = 0;
    float dtStart = 0.0f;
    float dtIncrease = 0.0f;
};

// A bean carrying a life back to a marker in 30 frames.
struct BeanFlight {
    static constexpr float kSeconds = 0.5f;

    Vector3 start;
    Vector3 end;
    Vector3 current;
    float t = 0.0f;
    ParticleSystem* particles = nullptr;
    Tween tween;
    bool visible = false;

    BeanFlight(const Vector3& from, const Vector3& to, float time, bool shown);
    ~BeanFlight();
    BeanFlight(const BeanFlight&) = delete;
    BeanFlight& operator=(const BeanFlight&) = delete;
    // One fixed step of 1/60 s, whatever the frame time.
    void Step();
};

// The HUD's pop-ups that KeepObjectsOnScreen lays out, and the three cross
// pop-ups, which stay apart.
struct ClassicHudPopups {
    std::vector<Component*> list;
    Component* combo = nullptr;
    Component* beanExtraLife = nullptr;
    Component* beanPlus25 = nullptr;
    Component* critical = nullptr;
    Component* crosses[3] = {nullptr, nullptr, nullptr};

    explicit ClassicHudPopups(Component* popupsRoot);
};

class ClassicMode : public InGameMode {
public:
    static constexpr const char* kSettingsFile = "xml/originalModeInfo.xml";
    static constexpr const char* kHudScreen = "inGameClassic";
    static constexpr int kLives = 3;
    static constexpr float kSurviveSeconds = 90.0f;

    enum State : int { Intro = 0, Playing = 1, GameOver = 2, FinalGameOver = 3, Finished = 4 };

    ClassicMode() = default;
    ~ClassicMode() override;

    static ClassicSettings& Settings();
    // Once a run; a missing file is logged once and leaves dtStart 1 (the
    // world keeps moving) and every other value 0.
    static void LoadConfig();
    static void LoadConfigText(const char* text, size_t length);
    static void LoadConfigFromDocument(const TiXmlDocument& document, const char* source);

    int GetModeType() const override { return kClassic; }
    void Start() override;
    void Update(float stepSeconds) override;
    void UpdateHud(float stepSeconds) override;
    // Shows "inGameClassic" unless a HUD was given already (SetHud).
    Component* ShowHud() override;
    bool AreWavesSuspended() override { return state != Playing; }
    // dtStart + dtIncrease x T^2 with T the round time, while playing.
    float GetGameSpeed() override;
    void OnNewWave() override;
    void OnFruitSliced(Fruit* fruit) override;
    void OnSliceScored(Slash* slash) override;
    void OnCriticalHit(Fruit* fruit) override;
    int GetSaveState() override { return misses; }

    void SetHud(Component* root) { hud = root; }
    void ResetHud();
    void ShowStart();
    void BeginPlay();
    void OnFruitMissed(Fruit* fruit);
    bool GainExtraLife();
    void EndGame();
    void StartGameOver();
    void UpdateBeanLoop();
    void CaptureSaveState(GameStats& stats) const;
    // A slice of c fruit: the combo pop-up, voice line and sound.
    void ShowCombo(int fruitCount, const Vector3& popupPosition);
    // The wave manager's count of waves started: what the bean schedule reads.
    static int WavesStarted();

    uint32_t beansSpawned = 0;
    bool beatenShown = false;
    int misses = 0;
    Vector3 heartTargets[kLives];
    std::unique_ptr<BeanFlight> beanFlight;
    Sound* beanLoopSound = nullptr;
    int state = Intro;
    float modeTime = 0.0f;
    uint32_t lastComboSound = 0;
    uint32_t nextBeanWave = 0;
    std::unique_ptr<ClassicHudPopups> popups;
    bool survive90Reported = false;

private:
    uint32_t DrawBeanInterval();
    void OnMarkerAnimationFinished(Component* marker, const AsciiString& name, bool& handled);
    Component* Marker(int number) const;
};

}  // namespace Varnok
