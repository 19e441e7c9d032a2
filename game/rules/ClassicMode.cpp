// The classic mode's settings, lives, magic bean, pop-ups and game over.
#include "game/rules/ClassicMode.h"

#include "engine/core/AsciiString.h"
#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/core/XmlDocument.h"
#include "engine/ui/Component.h"
#include "engine/ui/UIManager.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/SessionControl.h"
#include "game/rules/SoundPlayer.h"
#include "game/rules/VoiceOverManager.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/ParticleManager.h"
#include "game/world/Slash.h"
#include "game/world/WaveList.h"
#include "game/world/WaveManager.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

constexpr float kBeanEasing = 0.2f;
constexpr float kFlightStep = 1.0f / 60.0f;
constexpr float kHeartParticleDepth = 50.0f;

uint32_t HashOf(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

float EaseBean(float t, float /*parameter*/) {
    return EaseInOutCosine(t);
}

void PlaySound(const char* name) {
    if (SoundPlayer* sounds = GetGameRecord().soundPlayer) {
        sounds->Play(name, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
}

void SetEnabled(Component* c, bool enabled) {
    if (c != nullptr) {
        c->GetEnabledProperty()->Set(enabled);
    }
}

void Play(Component* c, const char* animation) {
    if (c != nullptr) {
        c->PlayAnimation(AsciiString(animation), true);
    }
}

bool IsPlaying(Component* c, const char* animation) {
    return c != nullptr && c->IsAnimationPlaying(AsciiString(animation), true);
}

float Number(Component* c, const char* name) {
    if (c == nullptr) {
        return 0.0f;
    }
    UIProperty<float>* p = c->FindProperty<float>(AsciiString(name));
    return p != nullptr ? p->Get() : 0.0f;
}

bool IsBean(const Fruit& fruit) {
    static const uint32_t kBean = HashOf("bean");
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    return fruit.kind < catalogue.Count() && catalogue.NameHash(fruit.kind) == kBean;
}

template <typename Visit>
void ForEachFruit(Visit visit) {
    WorldObjectManager& world = WorldObjectManager::Instance();
    if (!world.IsInitialised()) {
        return;
    }
    WorldObjectManager::Cursor cursor = nullptr;
    for (WorldObject* o = world.First(static_cast<uint32_t>(WorldObjectType::Fruit), cursor); o != nullptr;
         o = world.Next(static_cast<uint32_t>(WorldObjectType::Fruit), cursor)) {
        visit(*static_cast<Fruit*>(o));
    }
}

float ReadNumber(const TiXmlElement* element, const char* name, float value) {
    double parsed = 0.0;
    if (element != nullptr && element->QueryDoubleAttribute(name, &parsed) == TIXML_SUCCESS) {
        return static_cast<float>(parsed);
    }
    return value;
}

}  // namespace

BeanFlight::BeanFlight(const Vector3& from, const Vector3& to, float time, bool shown)
    : start(from), end(to), current(from), t(time), visible(shown) {
    tween.easing = &EaseBean;
    tween.parameter = kBeanEasing;
    tween.startTime = 0.0f;
    tween.endTime = kSeconds;
    tween.startValue = 0.0f;
    tween.endValue = 1.0f;
}

BeanFlight::~BeanFlight() {
    if (particles != nullptr) {
        ParticleManager::Instance().ReleaseEmitter(particles);
    }
}

void BeanFlight::Step() {
    if (t < kSeconds) {
        t += kFlightStep;
        const float k = tween.Evaluate(t);
        current = Add(start, Scale(Subtract(end, start), k));
    }
    if (t >= kSeconds - 1e-6f) {
        t = std::max(t, kSeconds);
        if (particles != nullptr) {
            ParticleManager::Instance().ReleaseEmitter(particles);
        }
        return;
    }
    if (particles == nullptr && visible) {
        particles = ParticleManager::Instance().Spawn("beanLife", &particles);
    }
    if (particles != nullptr) {
        particles->position = current;
    }
}

ClassicHudPopups::ClassicHudPopups(Component* root) {
    if (root == nullptr) {
        return;
    }
    combo = root->FindChild(AsciiString("@combo"));
    beanExtraLife = root->FindChild(AsciiString("@beanExtraLife"));
    beanPlus25 = root->FindChild(AsciiString("@beanPlus25"));
    critical = root->FindChild(AsciiString("@critical"));
    for (Component* c : {combo, beanPlus25, beanExtraLife, critical}) {
        if (c != nullptr) {
            list.push_back(c);
        }
    }
    for (int i = 0; i < 3; ++i) {
        char name[24];
        std::snprintf(name, sizeof(name), "@cross%i", i + 1);
        crosses[i] = root->FindChild(AsciiString(name));
    }
}

ClassicSettings& ClassicMode::Settings() {
    static ClassicSettings settings;
    return settings;
}

void ClassicMode::LoadConfig() {
    if (Settings().loaded) {
        return;
    }
    TiXmlDocument document;
    (void)LoadXmlDocument(document, kSettingsFile);
    LoadConfigFromDocument(document, kSettingsFile);
}

void ClassicMode::LoadConfigText(const char* text, size_t length) {
    TiXmlDocument document("mode info text");
    (void)ParseXmlDocument(document, text, length);
    LoadConfigFromDocument(document, "mode info text");
}

void ClassicMode::LoadConfigFromDocument(const TiXmlDocument& document, const char* source) {
    ClassicSettings& s = Settings();
    s = ClassicSettings{};
    const TiXmlElement* root = document.RootElement();
    const TiXmlElement* mode = nullptr;
    if (root != nullptr) {
        mode = std::strcmp(root->Value(), "originalMode") == 0 ? root : root->FirstChildElement("originalMode");
    }
    if (document.Error() || mode == nullptr) {
        if (!document.Error() || document.ErrorId() == TiXmlBase::TIXML_ERROR_OPENING_FILE) {
            Log("ClassicMode: %s not read (%s), game speed 1", source,
                document.Error() ? document.ErrorDesc() : "no originalMode element");
        }
        // Speed 0 would freeze the world for the whole game.
        s.dtStart = 1.0f;
        return;
    }
    const TiXmlElement* bean = mode->FirstChildElement("magicBean");
    const TiXmlElement* timing = mode->FirstChildElement("timing");
    s.baseInterval = ReadNumber(bean, "baseInterval", s.baseInterval);
    s.intervalGrowth = ReadNumber(bean, "intervalGrowth", s.intervalGrowth);
    s.intervalVariation = ReadNumber(bean, "intervalVariation", s.intervalVariation);
    s.initalSpawn = ReadNumber(bean, "initalSpawn", s.initalSpawn);
    s.beanScore = TruncateClamped(ReadNumber(bean, "beanScore", static_cast<float>(s.beanScore)), -1000000, 1000000);
    s.dtStart = ReadNumber(timing, "dtStart", s.dtStart);
    s.dtIncrease = ReadNumber(timing, "dtIncrease", s.dtIncrease);
    s.loaded = true;
}

ClassicMode::~ClassicMode() {
    if (hud != nullptr) {
        hud->GetEnabledProperty()->Set(false);
        hud->RestoreLoadedValues();
        hud->GetEnabledProperty()->Set(false);
        hud = nullptr;
    }
    if (beanLoopSound != nullptr) {
        if (SoundPlayer* sounds = GetGameRecord().soundPlayer) {
            sounds->Stop(beanLoopSound, "bean-lp");
        }
        beanLoopSound = nullptr;
    }
}

void ClassicMode::Start() {
    nextBeanWave = 0;
    beansSpawned = 0;
    misses = 0;
    beanLoopSound = nullptr;
    state = Intro;
    beatenShown = false;
    survive90Reported = false;
}

int ClassicMode::WavesStarted() {
    return WaveManager::Instance().numberOfWavesSinceReset;
}

Component* ClassicMode::Marker(int number) const {
    if (hud == nullptr) {
        return nullptr;
    }
    char name[32];
    std::snprintf(name, sizeof(name), "misscounters.cross%d", number);
    return hud->FindChild(AsciiString(name));
}

Component* ClassicMode::ShowHud() {
    if (hud == nullptr) {
        hud = UIManager::Get().LoadScreenEnabled(AsciiString(kHudScreen));
    }
    popups = std::make_unique<ClassicHudPopups>(hud != nullptr ? hud->FindChild(AsciiString("@popups")) : nullptr);
    GetSessionHost().SetMusicTrack("background");
    state = Intro;
    ResetHud();
    ShowStart();
    return hud;
}

void ClassicMode::ResetHud() {
    lastComboSound = 0;
    const Vector3 corner{LogicalScreenWidth() / 2.0f, LogicalScreenHeight() / 2.0f, 0.0f};
    for (int i = 1; i <= kLives; ++i) {
        heartTargets[i - 1] = corner;
        if (Component* marker = Marker(i)) {
            SetEnabled(marker, true);
            Play(marker, "in");
            marker->OnAnimationFinishedEvent.GetListeners().Clear();
        }
    }
    if (hud != nullptr) {
        if (Component* best = hud->FindChild(AsciiString("score.bestScoreText"))) {
            char text[16];
            std::snprintf(text, sizeof(text), "%d", GetBestScoreForMode());
            best->SetText(AsciiString(text));
            best->StopAllAnimations(true);
            Play(best, "unbeaten");
        }
    }
}

void ClassicMode::ShowStart() {
    state = Intro;
    Component* container = hud != nullptr ? hud->FindChild(AsciiString("gameStartContainer")) : nullptr;
    if (container != nullptr) {
        modeTime = 0.0f;
        SetEnabled(container, true);
        Play(container, "intro");
    } else {
        BeginPlay();
    }
}

void ClassicMode::BeginPlay() {
    state = Playing;
    if (hud == nullptr) {
        return;
    }
    SetEnabled(hud->FindChild(AsciiString("gameStartContainer")), false);
    const Vector2& ui = UIManager::Get().GetScreenSize();
    const float toLogical = ui.y > 0.0f ? LogicalScreenHeight() / ui.y : 1.0f;
    for (int i = 1; i <= kLives; ++i) {
        Component* marker = Marker(i);
        if (marker == nullptr) {
            continue;
        }
        const UITransform world = marker->GetWorldTransform();
        (void)world;
        const UIProperty<Vector3>* position = marker->FindProperty<Vector3>(AsciiString("position"));
        const Vector3 p = position != nullptr ? position->Get() : Vector3{};
        const float w = Number(marker, "width");
        const float h = Number(marker, "height");
        const Vector3 scaled{(p.x + 0.2f * w) * toLogical, (p.y + 0.2f * h) * toLogical, p.z * toLogical};
        heartTargets[i - 1] = Vector3{scaled.x - LogicalScreenWidth() / 2.0f, LogicalScreenHeight() / 2.0f - scaled.y, scaled.z};
    }
}

float ClassicMode::GetGameSpeed() {
    if (state != Playing) {
        return 1.0f;
    }
    const ClassicSettings& s = Settings();
    const float t = GetGameRecord().gameTime;
    return s.dtStart + s.dtIncrease * t * t;
}

uint32_t ClassicMode::DrawBeanInterval() {
    const float variation = Settings().intervalVariation;
    // A variation below 1 converts to a bound of 0, which would draw over
    // the whole 32 bits and hold the bean back for good: it gives 0.
    if (variation < 1.0f) {
        return 0;
    }
    return GlobalRandom().NextBelow(static_cast<uint32_t>(TruncateClamped(variation, 1, INT32_MAX)));
}

void ClassicMode::OnNewWave() {
    const ClassicSettings& s = Settings();
    const int n = WavesStarted();
    if (n < 2) {
        nextBeanWave = static_cast<uint32_t>(TruncateClamped(static_cast<double>(s.initalSpawn) + DrawBeanInterval(), 0, INT32_MAX));
    }
    if (static_cast<uint32_t>(n) < nextBeanWave) {
        return;
    }
    WaveManager& waves = WaveManager::Instance();
    (void)waves.SpawnWorldObject(1, FruitCatalogue::Get().IndexOf("bean", 0), nullptr);
    ++beansSpawned;
    const uint32_t r = DrawBeanInterval();
    const double next = static_cast<double>(n) + s.baseInterval + static_cast<double>(beansSpawned) * s.intervalGrowth + r;
    nextBeanWave = static_cast<uint32_t>(TruncateClamped(next, 0, INT32_MAX));
}

void ClassicMode::UpdateBeanLoop() {
    bool beanInPlay = false;
    ForEachFruit([&](Fruit& fruit) {
        beanInPlay = beanInPlay || (!fruit.IsDead() && IsBean(fruit) && !(fruit.launchWait > 0.0f) && !fruit.sliced);
    });
    SoundPlayer* sounds = GetGameRecord().soundPlayer;
    if (sounds == nullptr) {
        return;
    }
    if (beanInPlay) {
        if (beanLoopSound != nullptr && sounds->IsPlaying("bean-lp")) {
            return;
        }
        if (beanLoopSound != nullptr) {
            sounds->Stop(beanLoopSound, "bean-lp");
        }
        beanLoopSound = sounds->Play("bean-lp", 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    } else if (beanLoopSound != nullptr) {
        sounds->Stop(beanLoopSound, "bean-lp");
        beanLoopSound = nullptr;
    }
}

void ClassicMode::OnFruitSliced(Fruit* fruit) {
    if (fruit == nullptr || !IsBean(*fruit)) {
        return;
    }
    GameRecord& record = GetGameRecord();
    if (beanLoopSound != nullptr && record.soundPlayer != nullptr) {
        record.soundPlayer->Stop(beanLoopSound, "bean-lp");
    }
    beanLoopSound = nullptr;
    PlaySound("bean-collect");
    if (record.voiceOver != nullptr) {
        record.voiceOver->PlayLife(0.5f, 1.0f, SoundCompletion(&VoiceOverNoCompletion));
    }
    if (record.stats != nullptr && record.stats->Get("bean") == 1) {
        record.stats->Add("bean_game_consecutive_total", 1, 1, 1);
    }
    beanFlight.reset();
    const int k = std::min(misses, 2);
    if (GainExtraLife()) {
        beanFlight = std::make_unique<BeanFlight>(fruit->position, heartTargets[k], 0.0f, true);
        ShowPopupAt(popups != nullptr ? popups->beanExtraLife : nullptr, fruit->position, -1);
        return;
    }
    const int32_t score = Settings().beanScore;
    if (record.stats != nullptr) {
        record.stats->Add("magic_bean_points", score, 0, 0);
    }
    AddPoints(score, 0, 1);
    ShowPopupAt(popups != nullptr ? popups->beanPlus25 : nullptr, fruit->position, -1);
}

bool ClassicMode::GainExtraLife() {
    if (misses == 0) {
        return false;
    }
    --misses;
    PlaySound("extra-life");
    if (Component* marker = Marker(misses + 1)) {
        SetEnabled(marker, true);
        marker->OnAnimationFinishedEvent.GetListeners().Clear();
        Play(marker, "in");
    }
    return true;
}

void ClassicMode::OnMarkerAnimationFinished(Component* marker, const AsciiString& /*name*/, bool& handled) {
    if (marker != nullptr) {
        const UIProperty<Vector3>* position = marker->FindProperty<Vector3>(AsciiString("position"));
        const Vector3 p = UIPointToLogical(position != nullptr ? position->Get() : Vector3{});
        if (ParticleSystem* system = ParticleManager::Instance().Spawn("heartLostSml", nullptr)) {
            system->position = Vector3{p.x, p.y, kHeartParticleDepth};
        }
        SetEnabled(marker, false);
    }
    handled = true;
}

void ClassicMode::OnFruitMissed(Fruit* fruit) {
    GameRecord& record = GetGameRecord();
    if (record.notInPlay) {
        return;
    }
    ++misses;
    record.fruitMissed = true;
    if (hud == nullptr || state != Playing) {
        return;
    }
    PlaySound("gank");
    if (Component* marker = Marker(misses)) {
        auto& listeners = marker->OnAnimationFinishedEvent.GetListeners();
        listeners.Clear();
        marker->OnAnimationFinishedEvent.AddListener(
            Component::AnimationFinishedEvent::Listener(this, &ClassicMode::OnMarkerAnimationFinished));
        Play(marker, "out");
    }
    if (popups == nullptr || fruit == nullptr) {
        return;
    }
    for (Component* cross : popups->crosses) {
        if (cross == nullptr || (cross->IsActive() && cross->IsEnabled())) {
            continue;
        }
        SetEnabled(cross, true);
        const float w = Number(cross, "width");
        const float h = Number(cross, "height");
        const float halfW = LogicalScreenWidth() / 2.0f;
        const float halfH = LogicalScreenHeight() / 2.0f;
        const float x = std::clamp(fruit->position.x, w / 2.0f - halfW, halfW - w / 2.0f);
        const float y = std::clamp(fruit->position.y, h / 2.0f - halfH, halfH - h / 2.0f);
        cross->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})->Set(Vector3{x, -y, fruit->position.z});
        Play(cross, "animate_trigger");
        return;
    }
}

void ClassicMode::ShowCombo(int c, const Vector3& popupPosition) {
    if (c < 3 || popups == nullptr || popups->combo == nullptr) {
        return;
    }
    SetLabelTopValue(popups->combo, c);
    char text[16];
    std::snprintf(text, sizeof(text), "%d", c);
    if (Component* value = popups->combo->FindChild(AsciiString("comboValue"))) {
        value->SetText(AsciiString(text));
    }
    ShowPopupAt(popups->combo, popupPosition, std::min(c - 3, 2));
    GameRecord& record = GetGameRecord();
    if (record.voiceOver != nullptr) {
        record.voiceOver->PlayCombo(0.4f, 1.0f, SoundCompletion(&VoiceOverNoCompletion));
    }
    if (record.soundPlayer != nullptr) {
        if (lastComboSound != 0) {
            (void)record.soundPlayer->PauseByHash(lastComboSound);
        }
        char name[16];
        std::snprintf(name, sizeof(name), "combo-%d", std::min(std::max(c - 2, 1), 5));
        record.soundPlayer->Play(name, 0.25f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
        lastComboSound = HashOf(name);
    }
}

void ClassicMode::OnSliceScored(Slash* slash) {
    if (slash != nullptr) {
        ShowCombo(slash->comboCount, slash->position);
    }
}

void ClassicMode::OnCriticalHit(Fruit* fruit) {
    if (fruit != nullptr) {
        ShowPopupAt(popups != nullptr ? popups->critical : nullptr, fruit->position, -1);
    }
}

void ClassicMode::UpdateHud(float stepSeconds) {
    if (popups != nullptr) {
        KeepObjectsOnScreen(popups->list, stepSeconds);
    }
}

void ClassicMode::Update(float stepSeconds) {
    if (hud == nullptr) {
        return;
    }
    InGameMode::Update(stepSeconds);
    modeTime += stepSeconds;
    if (beanFlight != nullptr) {
        beanFlight->Step();
        if (beanFlight->t >= BeanFlight::kSeconds) {
            beanFlight.reset();
        }
    }
    UpdateBeanLoop();
    GameRecord& record = GetGameRecord();
    switch (state) {
        case Intro: {
            Component* container = hud->FindChild(AsciiString("gameStartContainer"));
            if (container != nullptr && !IsPlaying(container, "intro")) {
                BeginPlay();
            }
            break;
        }
        case Playing: {
            Component* best = hud->FindChild(AsciiString("score.bestScoreText"));
            const int32_t score = GetScore();
            if (best != nullptr && score > GetBestScoreForMode()) {
                char text[16];
                std::snprintf(text, sizeof(text), "%d", score);
                best->SetText(AsciiString(text));
                if (!beatenShown) {
                    beatenShown = true;
                    Play(best, "beaten");
                }
            }
            if (!survive90Reported && record.gameTime > kSurviveSeconds) {
                survive90Reported = true;
                if (record.stats != nullptr) {
                    record.stats->Add("survive_90secs", 1, 0, 1);
                }
            }
            if (misses >= kLives) {
                EndGame();
            }
            break;
        }
        case GameOver: {
            Component* container = hud->FindChild(AsciiString("gameOverContainer"));
            if (container == nullptr || !IsPlaying(container, "game_over")) {
                Play(container, "game_over_real");
                record.backgroundTarget = record.backgroundPos;
                record.backgroundPrevPos = record.backgroundPos;
                state = FinalGameOver;
            }
            break;
        }
        case FinalGameOver: {
            Component* container = hud->FindChild(AsciiString("gameOverContainer"));
            if (container == nullptr || !IsPlaying(container, "game_over_real")) {
                SetEnabled(hud, false);
                state = Finished;
                EndGameAndShowResults(-1);
            }
            break;
        }
        default:
            break;
    }
}

void ClassicMode::EndGame() {
    beanFlight.reset();
    GameRecord& record = GetGameRecord();
    if (record.stats != nullptr && record.stats->Get("bean") == 0) {
        record.stats->Set("bean_game_consecutive_total", 0, 1, 1);
    }
    ForEachFruit([](Fruit& fruit) {
        if (!fruit.IsDead() && IsBean(fruit)) {
            if (ParticleSystem* system = ParticleManager::Instance().Spawn("kiwifruit", nullptr)) {
                system->position = fruit.position;
            }
            fruit.OnDropped(0);
        }
    });
    WaveManager::RemoveActiveFruitsAndBombs();
    StartGameOver();
}

void ClassicMode::StartGameOver() {
    Play(hud, "animate_out");
    Component* container = hud != nullptr ? hud->FindChild(AsciiString("gameOverContainer")) : nullptr;
    if (container == nullptr) {
        state = Finished;
        EndGameAndShowResults(-1);
        return;
    }
    SetEnabled(container, true);
    Play(container, "game_over");
    state = GameOver;
    Bomb::MakeAllUnhittable();
}

void ClassicMode::CaptureSaveState(GameStats& stats) const {
    stats.modeState = state;
    stats.modeTime = modeTime;
    stats.misses = misses;
    stats.classicBeanCount = static_cast<int32_t>(beansSpawned);
    stats.classicRequiredWaves = static_cast<int32_t>(nextBeanWave);
    stats.classicCurrentWave = WavesStarted();
    if (beanFlight != nullptr && beanFlight->t < BeanFlight::kSeconds) {
        stats.beanStartPos = beanFlight->start;
        stats.beanEndPos = beanFlight->end;
        stats.beanTime = beanFlight->t;
        stats.beanVisible = beanFlight->visible ? 1 : 0;
    } else {
        stats.beanTime = -1.0f;
    }
}

}  // namespace Varnok
