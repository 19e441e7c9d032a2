// Mod types, the mod library and the collision, window and slice-limit rules.
#include "game/rules/ChallengeMods.h"

#include "engine/core/AsciiString.h"
#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/ui/Component.h"
#include "game/rules/ChallengeConditions.h"
#include "game/rules/GameHelpers.h"
#include "game/rules/GameRecord.h"
#include "game/rules/SoundPlayer.h"
#include "game/rules/XmlAttributes.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"

#include <tinyxml.h>

#include <cmath>
#include <cstring>

namespace Varnok {
namespace {

uint32_t HashText(const char* text) {
    return text != nullptr ? HashName(text, static_cast<int>(std::strlen(text))) : 0u;
}

bool IsText(const char* value, const char* expected) {
    return value != nullptr && std::strcmp(value, expected) == 0;
}

float Length(const Vector3& v) {
    return std::sqrt(Dot(v, v));
}

// The angle-table index of a float angle in degrees (wrapping).
Angle TableAngle(float degrees) {
    const double units = static_cast<double>(degrees) * kAngleUnitsPerDegree;
    if (!(std::fabs(units) < 2.0e9)) {  // NaN and huge values: no turn
        return 0;
    }
    return static_cast<Angle>(static_cast<uint32_t>(static_cast<int32_t>(units)) & 0xFFFFu);
}

class GameSounds final : public ChallengeSounds {
public:
    void Play(const char* name) override {
        SoundPlayer* player = GetGameRecord().soundPlayer;
        if (player != nullptr) {
            player->Play(name, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
        }
    }
};

bool ObjectIsMega(const WorldObject& object) {
    if (object.typeId == static_cast<uint8_t>(WorldObjectType::Bomb)) {
        return static_cast<const Bomb&>(object).mega;
    }
    if (object.typeId == static_cast<uint8_t>(WorldObjectType::Fruit)) {
        return static_cast<const Fruit&>(object).mega;
    }
    return false;
}

}  // namespace

bool WindowsMod::s_openSoundPlayed = false;

ChallengeModType ModTypeFromName(const char* name) {
    static const char* const kNames[] = {"SIMPLE", "SLICE_LIMIT",     "COLLISION", "WINDOWS",
                                         "CIRCLE_VELOCITY", "BALLOONS", "FAN", "ROPES"};
    for (int index = 0; index < static_cast<int>(sizeof(kNames) / sizeof(kNames[0])); ++index) {
        if (IsText(name, kNames[index])) {
            return static_cast<ChallengeModType>(index);
        }
    }
    return ChallengeModType::Other;
}

ChallengeSounds& GameChallengeSounds() {
    static GameSounds s_sounds;
    return s_sounds;
}

void PlayBounceSound(ChallengeSounds& sounds, Random& random, bool isBomb, bool isMega) {
    if (isMega) {
        sounds.Play(isBomb ? "megabomb-bounce" : "megafruit-bounce");
        return;
    }
    static const char* const kFruitBounces[] = {"bounce-1", "bounce-2", "bounce-3"};
    const uint32_t pick = random.NextBelow(3);
    sounds.Play(isBomb ? "bomb-bounce" : kFruitBounces[pick]);
}

void PlayBounceSound(bool isBomb, bool isMega) {
    PlayBounceSound(GameChallengeSounds(), GlobalRandom(), isBomb, isMega);
}

const ModNames& GetModNames() {
    static const ModNames s_names{
        HashText("MegaBomb"),         HashText("KeepyUppy"),   HashText("FloatingFruit"),
        HashText("BombGravityNormal"), HashText("trampoline"), HashText("FruitStack"),
        HashText("FruitSuperStack"),  HashText("BombKeepOnScreen"), HashText("BouncyWalls"),
        HashText("SnakeFruit"),       HashText("MegaFruit"),   HashText("BombPushOff"),
        HashText("FruitNoWalls"),     HashText("FruitOrder")};
    return s_names;
}

void ChallengeMod::Start() {
    element = nullptr;
    for (int i = 0; i < kStateCount; ++i) {
        stateInts[i] = -1;
        stateFloats[i] = -1.0f;
    }
}

void ChallengeMod::Parse(const TiXmlElement& source) {
    const char* text = source.Attribute("name");
    name.assign(text != nullptr ? text : "");
    if (name.size() >= static_cast<size_t>(kNameBytes)) {
        name.resize(kNameBytes - 1);
    }
    nameHash = HashText(name.c_str());
}

void SliceLimitMod::Start() {
    ChallengeMod::Start();
    used = 0;
}

void SliceLimitMod::Parse(const TiXmlElement& source) {
    ChallengeMod::Parse(source);
    ReadInt(source, "total", total);
}

void CollisionMod::Parse(const TiXmlElement& source) {
    ChallengeMod::Parse(source);
    for (const TiXmlElement* shape = source.FirstChildElement("collision"); shape != nullptr;
         shape = shape->NextSiblingElement("collision")) {
        const char* shapeName = shape->Attribute("shape");
        if (shapeName == nullptr) {
            break;  // the list of colliders ends here
        }
        ModCollider collider;
        if (IsText(shapeName, "line")) {
            collider.kind = ColliderKind::Line;
            ReadFloat(*shape, "centerX", collider.segment.a.x);
            ReadFloat(*shape, "centerY", collider.segment.a.y);
            ReadFloat(*shape, "directionX", collider.segment.b.x);
            ReadFloat(*shape, "directionY", collider.segment.b.y);
            const char* direction = shape->Attribute("directionEffect");
            collider.directionEffect = IsText(direction, "LEFT")    ? DirectionEffect::Left
                                       : IsText(direction, "RIGHT") ? DirectionEffect::Right
                                                                    : DirectionEffect::All;
        } else if (IsText(shapeName, "sphere") || IsText(shapeName, "halfpipe")) {
            collider.kind = IsText(shapeName, "sphere") ? ColliderKind::Sphere : ColliderKind::Halfpipe;
            collider.sphere.centre = Vector3{};
            ReadFloat(*shape, "centerX", collider.sphere.centre.x);
            ReadFloat(*shape, "centerY", collider.sphere.centre.y);
            collider.sphere.radius = 1.0f;
            ReadFloat(*shape, "radius", collider.sphere.radius);
        } else {
            // An unknown shape touches nothing: a sphere of no size.
            Log("ChallengeMods: mod \"%s\" has a collider of unknown shape \"%s\"", name.c_str(), shapeName);
            collider.kind = ColliderKind::Sphere;
            collider.sphere.radius = 0.0f;
        }
        ReadFloat(*shape, "friction", collider.friction);
        ReadFloat(*shape, "maxSpeed", collider.maxSpeed);
        ReadInt(*shape, "killOnTouch", collider.killOnTouch);
        colliders.push_back(collider);
    }
}

ChallengeSounds& WindowsMod::Sounds() const {
    return m_sounds != nullptr ? *m_sounds : GameChallengeSounds();
}

void WindowsMod::OnObjectEntered(WorldObject* object) {
    if (object != nullptr) {
        OpenHatchAt(LogicalToUIPoint(object->position));
    }
}

int WindowsMod::OpenHatchAt(const Vector3& uiPoint) {
    if (element == nullptr) {
        return 0;
    }
    int opened = 0;
    int index = 0;
    for (Component* window = element->GetFirstChild(); window != nullptr && index < kMaxWindows;
         window = window->GetNextSibling(), ++index) {
        if (window->ContainsPoint(Vector2{uiPoint.x, uiPoint.y})) {
            window->StopAllAnimations(true);
            window->PlayAnimation(AsciiString("open"), true);
            open[index] = 1;
            ++opened;
        }
    }
    if (opened > 0 && !s_openSoundPlayed) {
        s_openSoundPlayed = true;
        Sounds().Play("hatch-open");
    }
    return opened;
}

void WindowsMod::CloseHatch() {
    if (element == nullptr) {
        return;
    }
    int index = 0;
    for (Component* window = element->GetFirstChild(); window != nullptr && index < kMaxWindows;
         window = window->GetNextSibling(), ++index) {
        if (open[index] != 0) {
            window->StopAllAnimations(true);
            window->PlayAnimation(AsciiString("closed"), true);
        }
    }
    std::memset(open, 0, sizeof(open));
    Sounds().Play("hatch-close");
}

void WindowsMod::Reset() {
    if (element != nullptr) {
        element->StopAllAnimations(true);
        element->PlayAnimation(AsciiString("closed"), true);
    }
    std::memset(open, 0, sizeof(open));
}

void CircleVelocityMod::Parse(const TiXmlElement& source) {
    ChallengeMod::Parse(source);
    const TiXmlElement* vector = source.FirstChildElement("vector1");
    if (vector != nullptr) {
        ReadFloat(*vector, "valueX", vector1.x);
        ReadFloat(*vector, "valueY", vector1.y);
        ReadFloat(*vector, "valueZ", vector1.z);
    }
}

void BalloonsMod::Parse(const TiXmlElement& source) {
    ChallengeMod::Parse(source);
    const TiXmlElement* params = source.FirstChildElement("params");
    if (params != nullptr) {
        ReadFloat(*params, "radius", radius);
        ReadFloat(*params, "lift", lift);
        ReadFloat(*params, "maxSpeed", maxSpeed);
    }
}

void RopesMod::Parse(const TiXmlElement& source) {
    ChallengeMod::Parse(source);
    const TiXmlElement* params = source.FirstChildElement("params");
    if (params != nullptr) {
        ReadFloat(*params, "deployTime", deployTime);
        ReadFloat(*params, "ropeLength", ropeLength);
        ReadFloat(*params, "ropeLengthRange", ropeLengthRange);
        ReadFloat(*params, "startOffset", startOffset);
        ReadFloat(*params, "startOffsetRange", startOffsetRange);
        ReadFloat(*params, "startOffsetAngle", startOffsetAngle);
        ReadFloat(*params, "startOffsetAngleRange", startOffsetAngleRange);
    }
}

float RopesMod::PickRopeLength(Random& random) const {
    return ropeLength + random.NextFloat() * ropeLengthRange - ropeLengthRange / 2.0f;
}

float RopesMod::PickRopeLength() const {
    return PickRopeLength(GlobalRandom());
}

Vector3 RopesMod::PickStartOffset(const Vector3& anchor, Random& random) const {
    const float r1 = random.NextFloat();
    const float r2 = random.NextFloat();
    const float distance = startOffset + r1 * startOffsetRange - startOffsetRange / 2.0f;
    const float degrees = startOffsetAngle + r2 * startOffsetAngleRange - startOffsetAngleRange / 2.0f;
    // Angle 0 is straight up from the anchor: a quarter turn on from +x.
    const Angle a = TableAngle(degrees + 90.0f);
    return Vector3{anchor.x + distance * CosLookup(a), anchor.y + distance * SinLookup(a), 2.0f * anchor.z};
}

Vector3 RopesMod::PickStartOffset(const Vector3& anchor) const {
    return PickStartOffset(anchor, GlobalRandom());
}

std::unique_ptr<ChallengeMod> CreateChallengeMod(ChallengeModType type) {
    switch (type) {
        case ChallengeModType::SliceLimit:
            return std::make_unique<SliceLimitMod>();
        case ChallengeModType::Collision:
            return std::make_unique<CollisionMod>();
        case ChallengeModType::Windows:
            return std::make_unique<WindowsMod>();
        case ChallengeModType::CircleVelocity:
            return std::make_unique<CircleVelocityMod>();
        case ChallengeModType::Balloons:
            return std::make_unique<BalloonsMod>();
        case ChallengeModType::Fan:
            return std::make_unique<FanMod>();
        case ChallengeModType::Ropes:
            return std::make_unique<RopesMod>();
        case ChallengeModType::Simple:
        case ChallengeModType::Other:
            break;
    }
    return std::make_unique<ChallengeMod>(type);
}

ChallengeModList::ChallengeModList() = default;
ChallengeModList::~ChallengeModList() = default;

int ChallengeModList::Parse(const TiXmlElement& root) {
    int read = 0;
    for (const TiXmlElement* element = root.FirstChildElement("mod"); element != nullptr;
         element = element->NextSiblingElement("mod")) {
        std::unique_ptr<ChallengeMod> mod = CreateChallengeMod(ModTypeFromName(element->Attribute("type")));
        mod->Parse(*element);
        if (mod->type == ChallengeModType::Windows) {
            static_cast<WindowsMod&>(*mod).SetSounds(m_sounds);
        }
        m_library.push_back(std::move(mod));
        ++read;
    }
    return read;
}

void ChallengeModList::ClearLibrary() {
    m_active.clear();
    m_library.clear();
}

void ChallengeModList::Update(float stepSeconds) {
    (void)stepSeconds;
    WindowsMod::ClearOpenSoundFlag();
}

void ChallengeModList::Activate(const std::vector<uint32_t>& names, Component* root) {
    m_active.clear();
    for (uint32_t nameHash : names) {
        ChallengeMod* mod = Find(nameHash);
        if (mod == nullptr) {
            continue;
        }
        mod->Start();
        mod->element = root != nullptr ? root->FindChildByPath(mod->name.c_str()) : nullptr;
        m_active.push_back(mod);
    }
}

ChallengeMod* ChallengeModList::Find(uint32_t nameHash) const {
    for (const auto& mod : m_library) {
        if (mod->nameHash == nameHash) {
            return mod.get();
        }
    }
    return nullptr;
}

ChallengeMod* ChallengeModList::FindActive(uint32_t nameHash) const {
    for (ChallengeMod* mod : m_active) {
        if (mod->nameHash == nameHash) {
            return mod;
        }
    }
    return nullptr;
}

bool ChallengeModList::Has(uint32_t nameHash) const {
    return FindActive(nameHash) != nullptr;
}

bool ChallengeModList::IsActiveName(const char* text) const {
    return text != nullptr && Has(HashText(text));
}

ChallengeMod* ChallengeModList::FindFlag(ChallengeModType type) const {
    for (ChallengeMod* mod : m_active) {
        if (mod->type == type) {
            return mod;
        }
    }
    return nullptr;
}

ChallengeMod* ChallengeModList::FirstOfType(ChallengeModType type, Cursor& cursor) const {
    cursor = -1;
    return NextOfType(type, cursor);
}

ChallengeMod* ChallengeModList::NextOfType(ChallengeModType type, Cursor& cursor) const {
    const int count = static_cast<int>(m_library.size());
    for (int index = cursor + 1; index < count; ++index) {
        if (type == ChallengeModType::Other || m_library[index]->type == type) {
            cursor = index;
            return m_library[index].get();
        }
    }
    cursor = count;
    return nullptr;
}

void ChallengeModList::NotifyFirstWave() {
    for (ChallengeMod* mod : m_active) {
        mod->OnFirstWave();
    }
}

void ChallengeModList::NotifyWaveTimeUp() {
    for (ChallengeMod* mod : m_active) {
        mod->OnWaveTimeUp();
    }
}

void ChallengeModList::NotifyFruitSliced(WorldObject* fruit) {
    for (ChallengeMod* mod : m_active) {
        mod->OnFruitSliced(fruit);
    }
}

void ChallengeModList::NotifyObjectEntered(WorldObject* object) {
    for (ChallengeMod* mod : m_active) {
        mod->OnObjectEntered(object);
    }
}

void ChallengeModList::NotifyRoundStart() {
    for (ChallengeMod* mod : m_active) {
        mod->OnRoundStart();
    }
}

bool ChallengeModList::TryUseSlice() {
    if (GetGameRecord().requestedState != GameRecord::kGameState) {
        return true;
    }
    auto* limit = static_cast<SliceLimitMod*>(FindFlag(ChallengeModType::SliceLimit));
    if (limit == nullptr) {
        return true;
    }
    const bool spent = limit->used >= limit->total;
    ++limit->used;
    return !spent;
}

void ChallengeModList::SetSounds(ChallengeSounds* sounds) {
    m_sounds = sounds;
    for (const auto& mod : m_library) {
        if (mod->type == ChallengeModType::Windows) {
            static_cast<WindowsMod&>(*mod).SetSounds(sounds);
        }
    }
}

ChallengeSounds& ChallengeModList::Sounds() const {
    return m_sounds != nullptr ? *m_sounds : GameChallengeSounds();
}

Random& ChallengeModList::Generator() const {
    return m_random != nullptr ? *m_random : GlobalRandom();
}

void ChallengeModList::Bounce(WorldObject& object) {
    PlayBounceSound(Sounds(), Generator(), object.typeId == static_cast<uint8_t>(WorldObjectType::Bomb),
                    ObjectIsMega(object));
}

void ChallengeModList::KillOnTouch(const ModCollider& collider) {
    if (collider.killOnTouch != 0 && m_conditions != nullptr) {
        m_conditions->Fail();
    }
}

void ChallengeModList::ApplyToObject(const CollisionMod& mod, WorldObject& object, Vector3& scratch) {
    if (object.collision == nullptr || object.collision->GetType() != CollisionType::Sphere) {
        return;
    }
    auto& body = static_cast<CollisionSphere&>(*object.collision);
    const bool isBomb = object.typeId == static_cast<uint8_t>(WorldObjectType::Bomb);
    for (const ModCollider& source : mod.colliders) {
        ModCollider collider = source;  // Intersect marks hits on its volumes
        CollisionSphere probe(Vector3{body.centre.x, body.centre.y, 0.0f}, isBomb ? 2.0f * body.radius : body.radius);
        const float speed = Length(object.velocity);
        switch (collider.kind) {
            case ColliderKind::Sphere: {
                if (!collider.sphere.Intersect(probe, &scratch)) {
                    break;
                }
                Bounce(object);
                object.position = Add(object.position, scratch);
                Vector3 n = scratch;
                n.Normalise();
                Vector3 direction = object.velocity;
                direction.Normalise();
                object.velocity = Add(object.velocity, Scale(n, 2.0f * speed * std::fabs(Dot(direction, n))));
                const float after = Length(object.velocity);
                if (after > speed && after > 0.0f) {
                    object.velocity = Scale(object.velocity, speed / after);
                }
                object.velocity = Scale(object.velocity, collider.friction);
                KillOnTouch(collider);
                break;
            }
            case ColliderKind::Halfpipe: {
                const Vector3 centre = collider.sphere.centre;
                const float inner = collider.sphere.radius - probe.radius;
                object.position.x = std::min(std::max(object.position.x, centre.x - inner), centre.x + inner);
                if (!(object.position.y + probe.radius <= centre.y)) {
                    break;
                }
                scratch = Vector3{centre.x - object.position.x, centre.y - object.position.y, 0.0f};
                const float d = Length(scratch);
                // A bowl no wider than the object has no wall to push from
                // when the object sits at its centre.
                if (!(d > inner) || !(d > 0.0f)) {
                    break;
                }
                Vector3 n = Scale(scratch, 1.0f / d);
                object.position = Add(object.position, Scale(n, d - inner));
                Vector3 direction = object.velocity;
                direction.Normalise();
                object.velocity =
                    Add(object.velocity, Scale(n, 2.0f * 0.25f * speed * std::fabs(Dot(direction, n))));
                const float after = Length(object.velocity);
                if (after > 0.0f) {
                    object.velocity = Scale(object.velocity, CollisionMod::kHalfpipeSpeed / after);
                }
                KillOnTouch(collider);
                break;
            }
            case ColliderKind::Line: {
                if ((collider.directionEffect == DirectionEffect::Left && object.velocity.x > 0.0f) ||
                    (collider.directionEffect == DirectionEffect::Right && object.velocity.x < 0.0f)) {
                    break;
                }
                if (!collider.segment.Intersect(probe, &scratch)) {
                    break;
                }
                Bounce(object);
                object.position = Subtract(object.position, scratch);
                Vector3 n = Scale(scratch, -1.0f);
                n.Normalise();
                object.velocity = Scale(Add(Scale(object.velocity, 0.5f), Scale(n, collider.friction * speed)),
                                        collider.friction);
                const float after = Length(object.velocity);
                if (after > collider.maxSpeed) {
                    object.velocity = after > 0.0f ? Scale(object.velocity, collider.maxSpeed / after) : Vector3{};
                }
                KillOnTouch(collider);
                break;
            }
        }
        body.centre = Vector3{object.position.x, object.position.y, body.centre.z};
    }
}

}  // namespace Varnok
