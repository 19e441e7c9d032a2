// Powers that sliced fruit may carry: prototypes supplied by whoever defines
// them, active copies with their sub-effects and their visual side, and the
// per-step modifiers through which active powers act on the game (wave
// speed, countdown, points). The game itself ships no prototypes; with none,
// activating a power finds nothing. Main thread only.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"
#include "game/rules/GameHelpers.h"

#include <tinyxml.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class ParticleSystem;
class PowerRecord;
class Sound;
class SpriteScreenItem;

// The working part of a power; its kinds are the prototype supplier's.
class PowerSubEffect {
public:
    static constexpr int kWithholdsPointsType = 2;
    static constexpr int kBonusTimeType = 4;

    virtual ~PowerSubEffect() = default;
    // 1 when finished.
    virtual int Update(float stepSeconds) = 0;
    // time may be null: the synchronised duration, or the saved time left.
    virtual void Start(bool restored, const float* time) = 0;
    virtual void Stop() = 0;
    virtual int Type() const = 0;
    virtual std::unique_ptr<PowerSubEffect> Clone() const = 0;

    // The points hook of a withholding effect: the points go to its owner's
    // account and none reach the score.
    int WithholdPoints(int points);

    float duration = 0.0f;
    float remaining = 0.0f;
    uint8_t dormant = 0;
    PowerRecord* owner = nullptr;
    uint8_t withholdsPoints = 0;  // type 2
    int32_t withheldTotal = 0;    // type 2
    float bonusTime = 0.0f;       // type 4, seconds
};

// The coin price of a power.
struct PowerPurchase {
    int32_t tag = 0;
    int32_t cost = 0;
    char text[128] = {};
    char shortText[32] = {};
    TextureRef images[3];
    int32_t uses = 0;
};

struct PowerParticleEntry {
    uint32_t nameHash = 0;
    ParticleSystem* system = nullptr;
    Vector3 offset;
    Vector3 fraction;  // of the logical screen; z unused
};

struct PowerSpriteEntry {
    static constexpr int kBonusStar = 1;
    static constexpr int kBonusTimeLabel = 2;

    TextureRef image;
    SpriteScreenItem* item = nullptr;
    uint8_t added = 0;
    int32_t kind = 0;
    Vector3 offset;
    Vector3 fraction;
    uint32_t layerMask = 1;
    uint16_t pulseAngle = 0;
    float pulseRate = 0.0f;
    float pulseUp = 0.0f;
    float pulseDown = 0.0f;
    float visibility = 0.0f;
    float fade = 0.0f;
    Vector3 inOffset;
    Vector3 outOffset;
    float start = 1.0f;
    float end = 0.0f;
    Vector3 scale{1.0f, 1.0f, 1.0f};
    Colour colour{255, 255, 255, 255};
    int32_t flags = 0;  // bit 0 scale follows visibility, bit 1 alpha follows it
    uint8_t scaleToScreen = 0;
};

struct PowerTintEntry {
    float visibility = 0.0f;
    float fade = 0.0f;
    float start = 1.0f;
    float end = 0.0f;
    float sliceTint[3] = {1.0f, 1.0f, 1.0f};
    float colourFactor[3] = {1.0f, 1.0f, 1.0f};
};

struct PowerSoundEntry {
    char name[32] = {};
    float start = 1.0f;
    float end = 0.0f;  // below 0: a one-shot
    Sound* voice = nullptr;
};

// A power's particles, sprites, tints and sounds on the power's clock.
class PowerEffects {
public:
    PowerEffects() = default;
    ~PowerEffects();
    // Entries are copied as they stand (a template holds no items or voices).
    PowerEffects(const PowerEffects& other);
    PowerEffects& operator=(const PowerEffects&) = delete;

    void Create();
    // T the time left and S the whole time, seconds.
    void Update(float stepSeconds, float timeLeft, float totalTime);
    void Remove();
    void PreloadImages();

    std::vector<PowerParticleEntry> particles;
    std::vector<PowerSpriteEntry> sprites;
    std::vector<PowerTintEntry> tints;
    std::vector<PowerSoundEntry> sounds;
    PowerRecord* owner = nullptr;
    float ownTime = 0.0f;
    float ownTotal = 0.0f;

private:
    void StopVoices();
};

class PowerRecord {
public:
    static constexpr int kNameBytes = 64;

    PowerRecord() = default;
    virtual ~PowerRecord();
    PowerRecord(const PowerRecord&) = delete;
    PowerRecord& operator=(const PowerRecord&) = delete;

    // 1 when the record is finished.
    virtual int Update(float stepSeconds);

    void SetName(const char* text);  // cut to 63 characters
    void Start(bool withEffects, bool restored, const Vector3& position, const float* argument);
    void Stop(bool force);
    void Clear();
    void Render() const;
    float LongestDuration() const;
    std::unique_ptr<PowerRecord> Clone() const;
    void SetTotalTime(float seconds);
    void AddDeferedPoints(int points);
    void Preload();
    bool IsFree() const { return purchase == nullptr || purchase->cost == 0; }
    bool IsExclusive() const { return totalTime > 0.0f && stacks == 0 && IsFree(); }

    std::vector<std::unique_ptr<PowerSubEffect>> subEffects;
    uint32_t nameHash = 0;
    char name[kNameBytes] = {};
    uint8_t keyed = 0;
    uint8_t stacks = 0;
    std::unique_ptr<PowerPurchase> purchase;
    float time = 0.0f;
    float totalTime = 0.0f;
    float osa = 0.0f;
    SmartPtr<Texture> barImage;
    SmartPtr<Texture> icon;
    std::unique_ptr<PowerEffects> effects;
    int32_t deferedPoints = -1;
    float displayOffset = 0.0f;
};

class PowerManager {
public:
    static constexpr float kNoPower = 2.0f;
    static constexpr float kBarSpacing = 110.0f;

    static PowerManager& Instance();

    // The supplier's prototypes (keyed by their name hash).
    void AddDefinition(std::unique_ptr<PowerRecord> prototype);
    // Prototypes, active powers and effect sets all go.
    void Clear();
    // Every active power stops; prototypes stay.
    void ClearActive();

    // Null when no prototype has that name.
    PowerRecord* Activate(uint32_t nameHash, const Vector3& position, const float* restoreTime);
    PowerRecord* Find(uint32_t nameHash) const;
    void UpdateAll(float stepSeconds);
    void ResetModifiers();
    void RenderAll() const;
    // One "power" child per active power.
    void Save(TiXmlElement& parent) const;
    // The "power" children of a saved game's powers element; the file's mode
    // index (2 and above carry no game in progress) restores nothing.
    void Load(const TiXmlElement& element, int mode = 0);
    // Of the last exclusive power: its time left (less the lookahead) over
    // its whole time; 2.0 with none.
    float RemainingFraction(float lookahead) const;
    void Preload();
    void OnWavesReset(int /*flag*/) {}
    void RefreshPointsHook();
    int CountExclusive() const;

    const std::vector<std::unique_ptr<PowerRecord>>& Active() const { return m_active; }
    const std::map<uint32_t, std::unique_ptr<PowerRecord>>& Definitions() const { return m_definitions; }

    float speedFactor = 1.0f;
    float bonusSeconds = 0.0f;
    float countdownRate = 1.0f;
    float powerTimeScale = 1.0f;
    float stepTimeScale = 1.0f;

private:
    void Retire(std::unique_ptr<PowerRecord>& record);
    bool HookAlive() const;

    // The sub-effect the points hook calls; the hook moves on when it goes.
    const PowerSubEffect* m_hooked = nullptr;

    std::map<uint32_t, std::unique_ptr<PowerRecord>> m_definitions;
    std::vector<std::unique_ptr<PowerRecord>> m_active;
    std::map<uint32_t, PowerRecord*> m_byName;
    std::map<uint32_t, PowerEffects> m_effectTemplates;
    std::vector<std::unique_ptr<PowerEffects>> m_lingering;
};

}  // namespace Varnok
