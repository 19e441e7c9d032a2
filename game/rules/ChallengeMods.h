// The mods that change how a challenge round plays: a library of every mod
// of the game, the mods of the running round, and what the world, the wave
// manager and the blade ask of them (slice limits, colliders, windows,
// orbits, carriers and named behaviours). Main thread only.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/model/CollisionVolume.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

namespace Varnok {

class ChallengeConditionList;
class Component;
class Random;
class WorldObject;

enum class ChallengeModType : int32_t {
    Simple = 0,
    SliceLimit = 1,
    Collision = 2,
    Windows = 3,
    CircleVelocity = 4,
    Balloons = 5,
    Fan = 6,
    Ropes = 7,
    Other = 8,  // also "every type" for FirstOfType and NextOfType
};
// Other for null and for any name not listed.
ChallengeModType ModTypeFromName(const char* name);

// Where the mods' sounds go; the game's plays through the sound player, tests
// record.
class ChallengeSounds {
public:
    virtual ~ChallengeSounds() = default;
    virtual void Play(const char* name) = 0;
};
ChallengeSounds& GameChallengeSounds();

// "megabomb-bounce" / "megafruit-bounce" for a mega object; otherwise one
// step of random and "bomb-bounce", or "bounce-1".."bounce-3" for a fruit.
void PlayBounceSound(ChallengeSounds& sounds, Random& random, bool isBomb, bool isMega);
// The same through the game's sounds and the game-wide generator.
void PlayBounceSound(bool isBomb, bool isMega);

class ChallengeMod {
public:
    static constexpr int kNameBytes = 64;  // names are cut to 63 characters
    static constexpr int kStateCount = 3;

    explicit ChallengeMod(ChallengeModType modType = ChallengeModType::Simple) : type(modType) {}
    virtual ~ChallengeMod() = default;
    ChallengeMod(const ChallengeMod&) = delete;
    ChallengeMod& operator=(const ChallengeMod&) = delete;

    // A new round: no element, state values -1.
    virtual void Start();
    virtual void Parse(const TiXmlElement& element);
    virtual void OnFirstWave() {}
    virtual void OnWaveTimeUp() {}
    virtual void OnFruitSliced(WorldObject* fruit) { (void)fruit; }
    virtual void OnObjectEntered(WorldObject* object) { (void)object; }
    virtual void OnRoundStart() {}

    int32_t stateInts[kStateCount] = {-1, -1, -1};
    float stateFloats[kStateCount] = {-1.0f, -1.0f, -1.0f};
    std::string name;
    uint32_t nameHash = 0;
    ChallengeModType type;
    Component* element = nullptr;  // the mod's HUD element; not owned, may be null
};

class SliceLimitMod final : public ChallengeMod {
public:
    SliceLimitMod() : ChallengeMod(ChallengeModType::SliceLimit) {}
    void Start() override;
    void Parse(const TiXmlElement& element) override;

    int32_t total = 0;
    int32_t used = 0;
};

enum class ColliderKind : int32_t { Line = 0, Sphere = 1, Halfpipe = 2 };
enum class DirectionEffect : int32_t { All = 0, Left = 1, Right = 2 };

struct ModCollider {
    ColliderKind kind = ColliderKind::Line;
    CollisionSegment segment;  // a line's
    CollisionSphere sphere;    // a sphere's or halfpipe's circle
    float friction = 0.0f;
    float maxSpeed = 0.0f;
    int32_t killOnTouch = 0;
    DirectionEffect directionEffect = DirectionEffect::All;
};

class CollisionMod final : public ChallengeMod {
public:
    static constexpr float kHalfpipeSpeed = 7.3f;

    CollisionMod() : ChallengeMod(ChallengeModType::Collision) {}
    // Keeps its colliders' state across rounds: nothing to reset.
    void Start() override {}
    void Parse(const TiXmlElement& element) override;

    std::vector<ModCollider> colliders;
};

// Hatches in the HUD element that open where objects enter play.
class WindowsMod final : public ChallengeMod {
public:
    static constexpr int kMaxWindows = 32;

    WindowsMod() : ChallengeMod(ChallengeModType::Windows) {}
    void OnWaveTimeUp() override { CloseHatch(); }
    void OnObjectEntered(WorldObject* object) override;
    void OnRoundStart() override { Reset(); }

    // Opens every window whose bounds hold the point (UI coordinates);
    // answers how many opened.
    int OpenHatchAt(const Vector3& uiPoint);
    void CloseHatch();
    void Reset();

    // Shared by every WINDOWS mod: "hatch-open" plays once per update.
    static void ClearOpenSoundFlag() { s_openSoundPlayed = false; }
    void SetSounds(ChallengeSounds* sounds) { m_sounds = sounds; }

    uint8_t open[kMaxWindows] = {};

private:
    ChallengeSounds& Sounds() const;

    ChallengeSounds* m_sounds = nullptr;  // null: the game's
    static bool s_openSoundPlayed;
};

class CircleVelocityMod final : public ChallengeMod {
public:
    CircleVelocityMod() : ChallengeMod(ChallengeModType::CircleVelocity) {}
    void Parse(const TiXmlElement& element) override;

    Vector3 vector1;  // x, y: the orbit centre
};

class BalloonsMod final : public ChallengeMod {
public:
    BalloonsMod() : ChallengeMod(ChallengeModType::Balloons) {}
    void Parse(const TiXmlElement& element) override;

    float radius = 0.0f;
    float lift = 0.0f;
    float maxSpeed = 0.0f;
};

class FanMod final : public ChallengeMod {
public:
    FanMod() : ChallengeMod(ChallengeModType::Fan) {}
};

class RopesMod final : public ChallengeMod {
public:
    RopesMod() : ChallengeMod(ChallengeModType::Ropes) {}
    void Parse(const TiXmlElement& element) override;

    // ropeLength + r x ropeLengthRange - ropeLengthRange / 2 (one draw).
    float PickRopeLength(Random& random) const;
    float PickRopeLength() const;
    // Two draws: a distance and an angle (degrees) about the anchor; z is
    // twice the anchor's.
    Vector3 PickStartOffset(const Vector3& anchor, Random& random) const;
    Vector3 PickStartOffset(const Vector3& anchor) const;

    float startOffset = 10.0f;
    float startOffsetRange = 0.0f;
    float startOffsetAngle = 0.0f;  // degrees
    float startOffsetAngleRange = 0.0f;
    float deployTime = 2.0f;  // seconds
    float ropeLength = 200.0f;
    float ropeLengthRange = 0.0f;
};

// A zeroed mod of the type; type Other gives a plain mod of that type.
std::unique_ptr<ChallengeMod> CreateChallengeMod(ChallengeModType type);

// The names of the simple mods the world tests, hashed once.
struct ModNames {
    uint32_t megaBomb, keepyUppy, floatingFruit, bombGravityNormal, trampoline, fruitStack,
        fruitSuperStack, bombKeepOnScreen, bouncyWalls, snakeFruit, megaFruit, bombPushOff, fruitNoWalls,
        fruitOrder;
};
const ModNames& GetModNames();

class ChallengeModList {
public:
    // Iterator of FirstOfType / NextOfType: a library position.
    using Cursor = int;

    ChallengeModList();
    virtual ~ChallengeModList();
    ChallengeModList(const ChallengeModList&) = delete;
    ChallengeModList& operator=(const ChallengeModList&) = delete;

    // Appends a mod for every "mod" child of root; answers how many.
    int Parse(const TiXmlElement& root);
    virtual void ClearLibrary();
    virtual void ClearActive() { m_active.clear(); }
    // Once an update of a round in play.
    virtual void Update(float stepSeconds);

    // Replaces the active list with the library's mods of those names (the
    // first of each; unknown names are skipped), started, each taking the
    // child of root at its name as its element (none without root).
    void Activate(const std::vector<uint32_t>& names, Component* root);
    ChallengeMod* Find(uint32_t nameHash) const;
    bool Has(uint32_t nameHash) const;
    bool IsActiveName(const char* name) const;
    bool HasFlag(ChallengeModType type) const { return FindFlag(type) != nullptr; }
    ChallengeMod* FindFlag(ChallengeModType type) const;
    // The first active mod of that name; null when it is not active.
    ChallengeMod* FindActive(uint32_t nameHash) const;
    ChallengeMod* FirstOfType(ChallengeModType type, Cursor& cursor) const;
    ChallengeMod* NextOfType(ChallengeModType type, Cursor& cursor) const;

    void NotifyFirstWave();
    void NotifyWaveTimeUp();
    void NotifyFruitSliced(WorldObject* fruit);
    void NotifyObjectEntered(WorldObject* object);
    void NotifyRoundStart();

    // A new stroke starts: false when an active SLICE_LIMIT has used up its
    // strokes (only while the game is in play).
    bool TryUseSlice();
    // The collision response of the mod's colliders on a fruit or bomb;
    // scratch is working space the caller keeps. A kill-on-touch collider
    // fails the round through the conditions, when given.
    void ApplyToObject(const CollisionMod& mod, WorldObject& object, Vector3& scratch);

    // Where sounds go (null: the game's) and which generator draws (null: the
    // game-wide one); both must outlive the list.
    void SetSounds(ChallengeSounds* sounds);
    void SetRandom(Random* random) { m_random = random; }
    // The conditions a kill-on-touch collider fails; null: none.
    void SetConditions(ChallengeConditionList* conditions) { m_conditions = conditions; }

    const std::vector<ChallengeMod*>& GetActive() const { return m_active; }
    int LibrarySize() const { return static_cast<int>(m_library.size()); }

private:
    ChallengeSounds& Sounds() const;
    Random& Generator() const;
    void Bounce(WorldObject& object);
    void KillOnTouch(const ModCollider& collider);

    std::vector<std::unique_ptr<ChallengeMod>> m_library;
    std::vector<ChallengeMod*> m_active;  // into the library
    ChallengeSounds* m_sounds = nullptr;
    Random* m_random = nullptr;
    ChallengeConditionList* m_conditions = nullptr;
};

}  // namespace Varnok
