// Stroke recording, the ribbon, hit tests, combos, swipe sounds, splatters
// and afterglows of the blade.
#include "game/world/Slash.h"

#include "engine/core/Random.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/TextureManager.h"
#include "game/rules/Achievements.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/Items.h"
#include "game/rules/SoundPlayer.h"
#include "game/world/BladeColours.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/GameCamera.h"
#include "game/world/ParticleManager.h"
#include "game/world/SplatterLayer.h"
#include "game/world/WaveManager.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Varnok {
namespace {

constexpr float kActiveSpacingSq = 25.0f;   // 5 units between points of a stroke
constexpr float kNewStrokeSpacingSq = 2500.0f;
constexpr float kSubdivision = 64.0f;
constexpr float kHalfWidth = 9.0f;
constexpr float kFlipSeconds = 0.033f;
constexpr float kSwipeGap = 0.05f;
constexpr float kAfterglowDelay = 0.05f;
constexpr float kTrailDepth = 1.0f;
constexpr float kAfterglowDepth = -5400.0f;
constexpr Colour kWhite{255, 255, 255, 255};
constexpr Colour kRed{255, 0, 0, 255};

bool IsZero(const Vector3& v) {
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

float DistanceSqXY(const Vector3& a, const Vector3& b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return dx * dx + dy * dy;
}

void SetColour(ImmediateVertex& vertex, const Colour& colour) {
    vertex.r = colour.r;
    vertex.g = colour.g;
    vertex.b = colour.b;
    vertex.a = colour.a;
}

Colour Blend(const Colour& towards, const Colour& from, float amount) {
    // towards + (1 - amount) x (from - towards), fully opaque.
    auto mix = [amount](uint8_t t, uint8_t f) {
        return static_cast<uint8_t>(std::clamp(t + (1.0f - amount) * (static_cast<float>(f) - t), 0.0f, 255.0f));
    };
    return Colour(mix(towards.r, from.r), mix(towards.g, from.g), mix(towards.b, from.b), 255);
}

Colour CriticalColour() {
    return FruitCatalogue::Get().Critical().colour;
}

}  // namespace

ListenerList<Slash*> Slash::SlashEnded;
bool Slash::worldStarted = false;
bool Slash::hitsBlocked = false;
bool Slash::resourcesLoaded = false;
uint32_t Slash::interactionFlags = 0;
float Slash::loopValue = 0.0f;
Random* Slash::s_random = nullptr;
int Slash::s_swipeSounds = 0;
int Slash::s_lastComboCount = 0;
int Slash::s_combosScored = 0;
int Slash::s_bestComboCount = 0;
int32_t Slash::s_bestComboKinds[kComboMaxFruit] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int32_t Slash::s_bestComboValue = -1;
SmartPtr<Texture> Slash::s_bladeTexture;
SmartPtr<Texture> Slash::s_glowTexture;
BladeAfterglow Slash::s_afterglows[kAfterglows];
int Slash::s_afterglowIndex = 0;

void BladeAfterglow::Capture(const ImmediateVertex* strip0, const ImmediateVertex* strip1, int vertexCount) {
    if (!strips[0] || !strips[1]) {
        return;
    }
    count = std::clamp(vertexCount, 0, kVertices - 1);
    const ImmediateVertex* sources[2] = {strip0, strip1};
    for (int s = 0; s < 2; ++s) {
        for (int i = 0; i <= count; ++i) {
            ImmediateVertex vertex = sources[s][i];
            vertex.r = vertex.g = vertex.b = 255.0f;
            vertex.a = 0.0f;
            strips[s][i] = vertex;
        }
    }
    life = 1.0f;
}

Slash::Slash() {
    std::fill(std::begin(comboKinds), std::end(comboKinds), -1);
    for (Vector3& point : history) {
        point = Vector3{kNoPoint, kNoPoint, kNoPoint};
    }
}

Random& Slash::GameRandom() {
    return s_random != nullptr ? *s_random : GlobalRandom();
}

void Slash::ResetClassState() {
    worldStarted = false;
    hitsBlocked = false;
    interactionFlags = 0;
    loopValue = 0.0f;
    s_swipeSounds = 0;
    s_lastComboCount = 0;
    s_combosScored = 0;
    s_bestComboCount = 0;
    std::fill(std::begin(s_bestComboKinds), std::end(s_bestComboKinds), -1);
    s_bestComboValue = -1;
    for (BladeAfterglow& glow : s_afterglows) {
        glow.life = 0.0f;
    }
    s_afterglowIndex = 0;
}

void Slash::AllocateAfterglows() {
    for (BladeAfterglow& glow : s_afterglows) {
        for (auto& strip : glow.strips) {
            if (!strip) {
                strip = std::make_unique<ImmediateVertex[]>(BladeAfterglow::kVertices);
            }
        }
    }
}

void Slash::LoadResources() {
    if (resourcesLoaded) {
        return;
    }
    // Both live under the bundle's "textures/" folder.
    LoadLocalizedTexture(s_bladeTexture, "effects/blade.tex");
    LoadLocalizedTexture(s_glowTexture, "effects/rave_blade_glow.tex");
    if (s_bladeTexture.Get() == nullptr) {
        fprintf(stderr, "Slash: effects/blade.tex did not load; the ribbon is not drawn\n");
    }
    AllocateAfterglows();
    resourcesLoaded = true;
}

void Slash::UnloadResources() {
    s_bladeTexture = SmartPtr<Texture>();
    s_glowTexture = SmartPtr<Texture>();
    for (BladeAfterglow& glow : s_afterglows) {
        glow.strips[0].reset();
        glow.strips[1].reset();
        glow.life = 0.0f;
    }
    resourcesLoaded = false;
}

void Slash::Spawn() {
    WorldObject::Spawn();
    collision = std::make_unique<CollisionSegment>();
    flags |= 0x02u;
    hitRadiusSq = -1.0f;
    capacity = kCapacity;
    for (auto& strip : strips) {
        if (!strip) {
            strip = std::make_unique<ImmediateVertex[]>(kStripVertices);
        }
    }
    ClearStrips();
    splatterCount = -1;
    expiryScale = 0.0f;
    flash = 0.0f;
    trailColour = kWhite;
    bladeColour = kWhite;
    comboCount = 0;
    comboClass = 0;
    comboTimer = kComboClosed;
    averageDirection = Vector3{};
    std::fill(std::begin(directionRing), std::end(directionRing), Vector3{});
    ringIndex = 0;
    ringCount = 0;
    hitBomb = 0;
    afterglowPending = 0;
    afterglowTimer = 0.0f;
    strokeAngle = 0;
    angle = 0;
    std::fill(std::begin(comboKinds), std::end(comboKinds), -1);
    swipeTimer = 0.0f;
    lastHitObject = nullptr;
    strokeFlags = 0;
    hitsBlocked = false;
}

void Slash::Deactivate() {
    strips[0].reset();
    strips[1].reset();
    vertexCount = 0;
    ReleaseEmitter();
    WorldObject::Deactivate();
}

void Slash::ClearStrips() {
    direction = Vector3{};
    vertexCount = 0;
    for (Vector3& point : history) {
        point = Vector3{kNoPoint, kNoPoint, kNoPoint};
    }
    for (auto& strip : strips) {
        if (!strip) {
            continue;
        }
        for (int i = 0; i < kStripVertices; ++i) {
            ImmediateVertex& vertex = strip[i];
            vertex = ImmediateVertex{};
            vertex.nz = 1.0f;
            SetColour(vertex, kWhite);
        }
    }
}

void Slash::ClearCombo() {
    comboCount = 0;
    comboClass = 0;
    lastHitObject = nullptr;
    std::fill(std::begin(comboKinds), std::end(comboKinds), -1);
}

void Slash::Reset() {
    flipTimer = 0.0f;
    ClearStrips();
    hitBomb = 0;
    ringIndex = 0;
    ringCount = 0;
    std::fill(std::begin(directionRing), std::end(directionRing), Vector3{});
    std::fill(std::begin(comboKinds), std::end(comboKinds), -1);
    hitsBlocked = false;
}

void Slash::RefreshBladeEffects() {
    ReleaseEmitter();
    if (IsStrokeActive()) {
        vertexCount = 0;
        if (GetBladeLook().mode == kBladeColourPerSlash) {
            BladeColourCycle::Update(&bladeColour, 1.0f);
        }
        if (GetBladeLook().particles != 0) {
            emitter = ParticleManager::Instance().Spawn(GetBladeLook().particles, &emitter);
        }
    }
}

void Slash::ReleaseEmitter() {
    if (emitter != nullptr) {
        ParticleManager::Instance().ReleaseEmitter(emitter);
        emitter = nullptr;
    }
}

void Slash::StartParticlesAt(uint32_t nameHash, const Vector3& point) const {
    if (nameHash == 0) {
        return;
    }
    if (ParticleSystem* system = ParticleManager::Instance().Spawn(nameHash, nullptr)) {
        system->position = ToWorld(point, 0);
    }
}

int Slash::OnPointerX(float value) {
    if (GetGameRecord().bombExplosionTime > 0.0f) {
        return 0;
    }
    position.x = (value - 0.5f) * LogicalScreenWidth();
    return 1;
}

int Slash::OnPointerY(float value) {
    if (GetGameRecord().bombExplosionTime > 0.0f) {
        return 0;
    }
    position.y = -(value - 0.5f) * LogicalScreenHeight();
    return 1;
}

int Slash::StartStroke() {
    if (!IsStrokeActive() && hitBomb == 0) {
        Reset();
        if (GetBladeLook().mode == kBladeColourPerSlash) {
            BladeColourCycle::Update(&bladeColour, 1.0f);
        }
        // A running challenge's slice limit decides here once challenges land.
    }
    AddStrokePoint();
    return 1;
}

Vector3 Slash::ToWorld(const Vector3& point, int withShake) const {
    Vector3 world = point;
    const GameCamera* camera = GetGameRecord().camera;
    if (camera != nullptr) {
        camera->WorldToCamera(world, 1, withShake);
    }
    return world;
}

void Slash::AddStrokePoint() {
    GameRecord& record = GetGameRecord();
    if (record.currentMode != nullptr && record.paused) {
        return;
    }
    // The blade's stroke particles run while it has some; boost stars take
    // this emitter once boosted waves exist.
    const BladeLook& look = GetBladeLook();
    if (look.particles != 0) {
        if (emitter == nullptr) {
            emitter = ParticleManager::Instance().Spawn(look.particles, &emitter);
        }
    } else {
        ReleaseEmitter();
    }
    if (record.bombExplosionTime > 0.0f || !worldStarted) {
        return;
    }
    const Vector3 blade{position.x, position.y, 0.0f};
    if (emitter != nullptr) {
        const float speed = record.paused ? 1.0f : WaveManager::Instance().GetGameSpeed();
        emitter->stepFactor = speed > 0.0f ? 1.0f / speed : 1.0f;
        emitter->position = ToWorld(blade, 0);
    }
    const bool active = IsStrokeActive();
    const bool hadPoint = history[0].x != kNoPoint;
    const float threshold = active ? kActiveSpacingSq : kNewStrokeSpacingSq;
    if (DistanceSqXY(blade, history[0]) < threshold && hadPoint && vertexCount >= 1) {
        strokeFlags |= 0x01;
        return;
    }
    const Vector3 previous = history[0];
    if (!hadPoint) {
        for (Vector3& point : history) {
            point = blade;
        }
        strokeScored = 0;
        // The "slashes" statistic counts here once the statistics store lands.
    }
    previousPointIndex = vertexCount - 2;
    Vector3 dir = Subtract(blade, previous);
    const float length = hadPoint ? dir.Normalise() : 0.0f;
    const float t0 = LastPointWidth();
    Vector3 last = history[0];
    if (length > kSubdivision && hadPoint) {
        for (float s = kSubdivision; s < length; s += kSubdivision) {
            last = Varnok::Add(history[0], Scale(dir, s));
            AddTrailPoint(last, dir, t0 + (1.0f - t0) * s / length);
        }
    }
    if (emitter != nullptr && look.particleMode == 2) {
        const Angle turn = static_cast<Angle>(-Atan2Lookup(dir.y, dir.x));
        emitter->dirCos = CosLookup(turn);
        emitter->dirSin = -SinLookup(turn);
    }
    AddTrailPoint(blade, Subtract(blade, last), 1.0f);
    history[2] = history[1];
    history[1] = history[0];
    history[0] = blade;
    newestPointIndex = vertexCount - 2;
    strokeFlags |= 0x01;
}

float Slash::LastPointWidth() const {
    if (vertexCount <= 0) {
        return 0.0f;
    }
    const ImmediateVertex& a = strips[0][vertexCount - 1];
    const ImmediateVertex& b = strips[1][vertexCount - 1];
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float squared = dx * dx + dy * dy;
    if (squared <= 0.01f) {
        return 0.0f;
    }
    const float start = GetBladeLook().startThickness;
    if (start <= 0.0f) {
        return 1.0f;
    }
    return std::min(1.0f, 0.5f * std::sqrt(squared) / (kHalfWidth * start));
}

void Slash::AddTrailPoint(const Vector3& point, Vector3 d, float t) {
    if (IsZero(d) && IsZero(direction)) {
        return;
    }
    if (IsZero(d)) {
        d = direction;
        directionRing[ringIndex] = Vector3{};
    } else if (ringCount == 0) {
        directionRing[ringIndex] = Vector3{};
    } else {
        Vector3 unit = d;
        unit.Normalise();
        directionRing[ringIndex] = unit;
    }
    direction = d;
    strokeAngle = Atan2Lookup(-d.x, d.y);
    angle = strokeAngle;
    if (ringCount >= 2) {
        Vector3 sum;
        int index = ringIndex;
        for (int i = 0; i < ringCount - 1; ++i) {
            index = (index + kRing - 1) % kRing;
            sum = Varnok::Add(sum, directionRing[index]);
        }
        averageDirection = Scale(sum, 1.0f / static_cast<float>(ringCount - 1));
        const Vector3 turn = Subtract(averageDirection, directionRing[ringIndex]);
        if (Dot(turn, turn) > 1.69f) {
            comboTimer = kComboClosing;  // a sharp turn ends the combo in this frame
        }
    }
    ringIndex = (ringIndex + 1) % kRing;
    ringCount = std::min(ringCount + 1, kRing);
    if (vertexCount >= capacity - 2) {
        for (auto& strip : strips) {
            for (int i = 0; i + 2 < vertexCount; ++i) {
                strip[i].x = strip[i + 2].x;
                strip[i].y = strip[i + 2].y;
            }
        }
        previousPointIndex -= 2;
        vertexCount = capacity - 4;
    }
    expiryScale = 1.0f;
    const BladeLook& look = GetBladeLook();
    const float width = kHalfWidth * t * look.startThickness;
    d.Normalise();
    Vector3 offset{width * CosLookup(strokeAngle), width * SinLookup(strokeAngle), 0.0f};
    const bool swap = look.flipForUpsideDown != 0 && offset.y > 0.0f;
    for (int s = 0; s < 2; ++s) {
        ImmediateVertex* strip = strips[s].get();
        const Vector3 o = s == 0 ? Scale(offset, -1.0f) : offset;
        ImmediateVertex& centre = strip[vertexCount];
        centre = ImmediateVertex{};
        centre.x = point.x;
        centre.y = point.y;
        centre.nz = 1.0f;
        centre.u = 0.5f;
        centre.v = 0.5f;
        SetColour(centre, trailColour);
        ImmediateVertex& edge = strip[vertexCount + 1];
        edge = centre;
        edge.x = point.x + o.x;
        edge.y = point.y + o.y;
        float v = s == 0 ? 0.0f : 1.0f;
        if (swap) {
            v = 1.0f - v;
        }
        edge.v = v;
        if (s == 0) {
            offset = Scale(offset, std::fabs(d.x));  // the second half narrows for steep strokes
        }
    }
    vertexCount += 2;
}

void Slash::BuildTrail(float step) {
    GameRecord& record = GetGameRecord();
    if (step == 0.0f && record.bombExplosionTime > 0.0f) {
        if (hitBomb != 0) {
            for (auto& strip : strips) {
                for (int i = 0; i < kStripVertices; ++i) {
                    SetColour(strip[i], kRed);
                }
            }
        }
        hitRadiusSq = -1.0f;
        return;
    }
    angle = strokeAngle;
    const bool active = IsStrokeActive();
    if (vertexCount >= 4 && active && previousPointIndex >= 0 && newestPointIndex >= 0) {
        const Vector3 a = ToWorld(history[1], 0);
        const Vector3 b = ToWorld(history[0], 0);
        auto& segment = static_cast<CollisionSegment&>(*collision);
        segment.a = Scale(Varnok::Add(a, b), 0.5f);
        segment.b = b;
        hitRadiusSq = DistanceSqXY(segment.a, segment.b);
    } else {
        hitRadiusSq = -1.0f;
        previousPointIndex = -1;
        newestPointIndex = -1;
    }
    BladeLook& look = GetBladeLook();
    if (vertexCount < 4) {
        direction = Vector3{};
    }
    if (look.mode == kBladeColourNone) {
        look.position = 0.0f;
    }
    if ((active && vertexCount < 3) || (!active && vertexCount == 0)) {
        return;
    }
    ImmediateVertex* s0 = strips[0].get();
    ImmediateVertex* s1 = strips[1].get();
    // Age every point; survivors are packed from index 0 and their new
    // half-widths parked in strip 1's edge x until the offsets are rebuilt.
    const float shrink =
        look.length > 0.0f ? 45.0f * step * (look.startThickness - look.endThickness) / look.length : 0.0f;
    const float endWidth = kHalfWidth * look.endThickness;
    int kept = 0;
    for (int k = 0; k + 1 < vertexCount; k += 2) {
        const float h = std::sqrt(DistanceSqXY({s0[k].x, s0[k].y, 0.0f}, {s0[k + 1].x, s0[k + 1].y, 0.0f}));
        const float aged = h - shrink;
        const bool expired = (look.startThickness > look.endThickness && aged <= endWidth * expiryScale) ||
                             (look.startThickness < look.endThickness && aged >= endWidth);
        if (expired) {
            continue;
        }
        s0[kept] = s0[k];
        s1[kept] = s1[k];
        s1[kept + 1].x = aged;
        kept += 2;
    }
    const int expired = vertexCount - kept;
    vertexCount = kept;
    if (previousPointIndex >= 0) {
        previousPointIndex = std::max(-1, previousPointIndex - expired);
    }
    if (newestPointIndex >= 0) {
        newestPointIndex = std::max(-1, newestPointIndex - expired);
    }
    // Trail length for the texture, then the offsets and colours.
    float total = 0.0f;
    for (int k = 0; k + 2 < vertexCount; k += 2) {
        total += std::sqrt(DistanceSqXY({s0[k].x, s0[k].y, 0.0f}, {s0[k + 2].x, s0[k + 2].y, 0.0f}));
    }
    const float ratio = look.uvLength > 0.0f ? total / look.uvLength : 1.0f;
    const float gradientStep = vertexCount > 0 ? -2.0f / static_cast<float>(vertexCount) : 0.0f;
    const Colour critical = CriticalColour();
    float running = 0.0f;
    for (int k = 0; k + 1 < vertexCount; k += 2) {
        const float aged = s1[k + 1].x;
        const Vector3 c{s0[k].x, s0[k].y, 0.0f};
        const bool inner = vertexCount >= 3 && k + 2 < vertexCount;
        Vector3 o;
        float segment = 0.0f;
        if (inner) {
            Vector3 n{s0[k + 2].x - c.x, s0[k + 2].y - c.y, 0.0f};
            segment = n.Normalise();
            o = Vector3{aged * n.y, -aged * n.x, 0.0f};
        } else {
            o = Vector3{aged * CosLookup(strokeAngle), aged * SinLookup(strokeAngle), 0.0f};
        }
        float v0 = 0.0f;
        float v1 = 1.0f;
        if (look.flipForUpsideDown != 0) {
            const int8_t sign = o.y > 0.0f ? 1 : (o.y < 0.0f ? -1 : 0);
            if (inner) {
                if (sign != flipSign && flipTimer <= 0.0f) {
                    flipTimer = step;
                }
                if (flipTimer > 0.0f) {
                    o = Scale(o, -(flipTimer / kFlipSeconds) * static_cast<float>(sign));
                }
            }
            if (o.y > 0.0f) {
                v0 = 1.0f;
                v1 = 0.0f;
            }
            if (inner) {
                if (flipTimer > 0.0f) {
                    flipTimer += step;
                    if (flipTimer >= kFlipSeconds) {
                        flipTimer = 0.0f;
                    }
                }
                flipSign = sign;
            }
        }
        s1[k + 1] = s1[k];
        s0[k + 1] = s0[k];
        s1[k + 1].x = c.x + o.x;
        s1[k + 1].y = c.y + o.y;
        s0[k + 1].x = c.x - o.x;
        s0[k + 1].y = c.y - o.y;
        s0[k + 1].v = v0;
        s1[k + 1].v = v1;
        if (look.mode == kBladeColourNone) {
            BladeColourCycle::Update(&bladeColour, gradientStep);
            trailColour = flash > 0.0f ? Blend(critical, bladeColour, flash) : bladeColour;
        }
        const float along = total > 0.0f ? running / total : 0.0f;
        const float u = std::clamp(0.98f - ratio * (1.0f - 0.98f * along), 0.0f, 1.0f);
        for (ImmediateVertex* vertex : {&s0[k], &s0[k + 1], &s1[k], &s1[k + 1]}) {
            SetColour(*vertex, trailColour);
            vertex->u = u;
        }
        running += segment;
    }
    if (vertexCount >= 3) {
        const ImmediateVertex& c = s0[vertexCount - 2];
        const ImmediateVertex& e = s0[vertexCount - 1];
        const float reach = 2.5f * look.pointScale;
        for (ImmediateVertex* strip : {s0, s1}) {
            ImmediateVertex& tip = strip[vertexCount];
            tip = strip[vertexCount - 1];
            tip.x = c.x + reach * -(c.y - e.y);
            tip.y = c.y + reach * (c.x - e.x);
            tip.u = 1.0f;
            SetColour(tip, trailColour);
        }
    }
}

bool Slash::HitTestObject(WorldObject& object) {
    const GameRecord& record = GetGameRecord();
    if (collision == nullptr || hitRadiusSq <= 0.0f || object.collision == nullptr || record.paused ||
        record.roundStartPending) {
        return false;
    }
    auto& segment = static_cast<CollisionSegment&>(*collision);
    Vector3 contact;
    const bool touches = segment.Intersect(*object.collision, &contact);
    if (object.collision->GetType() != CollisionType::Sphere || !touches) {
        return touches;
    }
    const auto& sphere = static_cast<const CollisionSphere&>(*object.collision);
    const float radiusSq = sphere.radius * sphere.radius;
    if (DistanceSqXY(segment.a, sphere.centre) <= radiusSq) {
        return true;
    }
    Vector3 p;
    const float contactSq = contact.x * contact.x + contact.y * contact.y;
    if (radiusSq > contactSq) {
        Vector3 side{contact.y, -contact.x, 0.0f};
        side.Normalise();
        p = Scale(side, sphere.radius - std::sqrt(radiusSq - contactSq));
    }
    const Vector3 nearest = Varnok::Add(sphere.centre, contact);
    return DistanceSqXY(segment.a, Varnok::Add(nearest, p)) <= hitRadiusSq ||
           DistanceSqXY(segment.a, Subtract(nearest, p)) <= hitRadiusSq;
}

void Slash::TestFruit() {
    WorldObjectManager& manager = WorldObjectManager::Instance();
    const int kinds = FruitCatalogue::Get().Count();
    WorldObjectManager::Cursor cursor = nullptr;
    for (WorldObject* object = manager.First(static_cast<uint32_t>(WorldObjectType::Fruit), cursor);
         object != nullptr && !hitsBlocked; object = manager.Next(static_cast<uint32_t>(WorldObjectType::Fruit), cursor)) {
        auto& fruit = static_cast<Fruit&>(*object);
        if (fruit.hitCooldown > 0.0f || fruit.sliced || fruit.hitTimer > -1.0f || fruit.launchWait > 0.0f ||
            !fruit.IsActive() || !fruit.sliceable) {
            continue;
        }
        if (!HitTestObject(fruit)) {
            continue;
        }
        hitDirection = direction;
        if (GetBladeLook().slashFlash != 0) {
            afterglowPending = 1;
        }
        // Bouncing fruit and the super pomegranate keep their juice once
        // they land; every other cut gives two splatters.
        splatterCount += 2;
        splatterTimer = 0.0f;
        splatterInterval = 0.0f;
        hitKind = fruit.kind;
        hitPosition = fruit.position;
        if (fruit.isMenuFruit || fruit.playerSlot == 2 || lastHitObject == &fruit) {
            if (comboTimer < kComboClosed) {
                comboTimer = kComboClosing;
            }
        } else {
            lastHitObject = &fruit;
            comboTimer = 0.0f;
            comboKinds[comboCount] = fruit.kind;
            comboClass = fruit.playerSlot != 0 ? 1 : 0;
            // "slashes" and "slashesScoring" count here once the
            // statistics store lands.
            strokeScored = 1;
            ++comboCount;
            if (comboCount >= 10) {
                comboTimer = kComboClosing;
            }
            // The mode's slice-scored hook runs here once modes land.
        }
        fruit.OnHit(this, 0, 0, direction);
        if (fruit.critical) {
            hitKind += kinds;
        }
        if (fruit.isMenuFruit) {
            hitsBlocked = true;
        } else {
            StartParticlesAt(GetBladeLook().contactParticles, position);
        }
    }
    // Bombs and balloons are tested here once they land.
}

void Slash::CloseCombo() {
    GameRecord& record = GetGameRecord();
    comboTimer = kComboClosed;
    SlashEnded.Invoke(this);
    if (comboCount >= 2 && comboKinds[0] >= 0) {
        record.criticalCountdown = std::max(record.criticalCountdown - comboCount, 2);
    }
    if (comboCount >= 2) {
        AchievementManager::Instance().CheckCombo(comboCount, comboKinds, kComboMaxFruit);
    }
    if (comboCount >= 3) {
        // Points go straight to the record until the dispatcher's AddPoints
        // lands; the combo statistics and awards join with their stores.
        if (!record.notInPlay) {
            record.score += comboCount;
        }
        s_lastComboCount = comboCount;
        ++s_combosScored;
    }
    if (comboCount > 0) {
        if (comboCount > s_bestComboCount) {
            s_bestComboCount = comboCount;
            std::copy(std::begin(comboKinds), std::end(comboKinds), s_bestComboKinds);
            s_bestComboValue = AnalyseComboFruit(comboKinds, comboCount);
        } else if (comboCount == s_bestComboCount) {
            if (s_bestComboValue == -1) {
                s_bestComboValue = AnalyseComboFruit(s_bestComboKinds, s_bestComboCount);
            }
            const int32_t value = AnalyseComboFruit(comboKinds, comboCount);
            if (value > s_bestComboValue) {
                std::copy(std::begin(comboKinds), std::end(comboKinds), s_bestComboKinds);
                s_bestComboValue = value;
            }
        }
    }
    ClearCombo();
}

void Slash::EvaluateCombo(float step) {
    if (comboTimer < kComboClosed) {
        comboTimer += step;
        if (comboTimer >= kComboClosing) {
            CloseCombo();
        }
    } else {
        ClearCombo();
    }
}

void Slash::PlaySwipeSound() {
    if (ItemManager::Instance().PlaySwipeSound(1.0f)) {
        ++s_swipeSounds;
        return;  // the equipped blade's own swipe
    }
    Random& random = GameRandom();
    const uint32_t pick = static_cast<uint32_t>((static_cast<uint64_t>(random.Next()) * 6u) >> 32) + 1u;
    random.Next();
    char name[24];
    snprintf(name, sizeof(name), "Sword-swipe-%u", pick);
    ++s_swipeSounds;
    SoundPlayer* sounds = GetGameRecord().soundPlayer;
    if (sounds != nullptr) {
        // The screen list's effect scale joins the volume once it lands.
        sounds->PlayAlways(name, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
}

void Slash::UpdateSwipeSound() {
    const float speed = std::sqrt(Dot(direction, direction));
    if ((swipeTimer > 0.0f && swipeTimer < kSwipeGap) || speed < 20.0f) {
        swipeTimer -= GetGameRecord().frameStep;
    } else if (swipeTimer <= 0.0f && speed > 35.0f) {
        PlaySwipeSound();
        swipeTimer = kSwipeGap;
    }
}

void Slash::EmitSplatters(float step) {
    if (splatterTimer > -1.0f) {
        splatterTimer -= step;
    }
    SplatterLayer& layer = SplatterLayer::Get();
    Random& random = GameRandom();
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    while (splatterCount >= 0 && splatterTimer <= 0.0f) {
        const float speedSq = Dot(direction, direction);
        if (speedSq > 1.0f && speedSq < 10000.0f) {
            hitDirection = direction;
        }
        --splatterCount;
        const float r = random.NextFloat();
        float interval = 0.03f;
        if (r * 0.05f + splatterInterval + 0.01f < 0.03f) {
            interval = splatterInterval + random.NextFloat() * 0.05f + 0.01f;
        }
        splatterTimer += interval;
        splatterInterval = interval;
        SplatterRecord* record = layer.AddRandom();
        if (record == nullptr) {
            continue;
        }
        const bool quiet = hitKind >= 0 && hitKind < catalogue.Count() && catalogue.At(hitKind).score == 0;
        const Vector3 at = ToWorld(Vector3{position.x, position.y, 0.0f}, 1);
        const float r1 = random.NextFloat();
        const float r2 = random.NextFloat();
        const Vector3 size{hitDirection.x * (0.75f + 0.75f * r1), hitDirection.y * (0.75f + 0.75f * r2), 0.0f};
        layer.Add(*record, at, size, 1, quiet ? 1 : 0, hitKind);
    }
}

void Slash::UpdateColours(float step) {
    if (!IsStrokeActive()) {
        ReleaseEmitter();
    }
    // The flash rises only towards a boost, which no wave gives yet.
    flash = std::max(0.0f, flash - 2.0f * step);
    const BladeLook& look = GetBladeLook();
    if (look.mode == kBladeColourNone || look.mode == kBladeColourLerp) {
        bladeColour = look.currentColour;
    }
    trailColour = flash > 0.0f ? Blend(CriticalColour(), bladeColour, flash) : bladeColour;
}

void Slash::Update(float stepSeconds) {
    GameRecord& record = GetGameRecord();
    const float step = stepSeconds == 0.0f ? 0.0f : record.frameStep;
    if (!strips[0] || !strips[1]) {
        return;
    }
    BuildTrail(step);
    if (IsStrokeActive()) {
        const float activity = std::sqrt(Dot(direction, direction)) / 15.0f;
        loopValue = std::max(loopValue, activity > 1.0f ? 1.0f : 0.5f + 0.5f * activity);
    }
    if (afterglowPending != 0) {
        afterglowTimer += stepSeconds;
        if (afterglowTimer > kAfterglowDelay) {
            s_afterglowIndex = (s_afterglowIndex + 1) % kAfterglows;
            s_afterglows[s_afterglowIndex].Capture(strips[0].get(), strips[1].get(), vertexCount);
            afterglowPending = 0;
        }
    } else {
        afterglowTimer = 0.0f;
    }
    // A running mode's slicing veto joins this test once modes land.
    if (vertexCount >= 4 && record.bombExplosionTime <= 0.0f && (interactionFlags & kSuspendHits) == 0) {
        if (!hitsBlocked) {
            TestFruit();
        }
    } else if (vertexCount < 4) {
        expiryScale = 0.0f;
    }
    EvaluateCombo(stepSeconds);
    UpdateSwipeSound();
    EmitSplatters(stepSeconds);
    UpdateColours(stepSeconds);
}

void Slash::PostUpdate(float /*stepSeconds*/) {
    worldStarted = true;
}

void Slash::RenderTrail() {
    if (strokeFlags != 0) {
        const bool ended = (strokeFlags & 0x01) == 0;
        strokeFlags = static_cast<uint8_t>((strokeFlags << 1) & 0x02);
        if (ended && GetBladeLook().slashFlash != 0) {
            s_afterglowIndex = (s_afterglowIndex + 1) % kAfterglows;
        }
        if (ended) {
            StartParticlesAt(GetBladeLook().releaseParticles, position);
        }
    }
    if (vertexCount < 4 || !strips[0] || !strips[1]) {
        return;
    }
    const BladeLook& look = GetBladeLook();
    const SmartPtr<Texture>& texture = look.texture.Get() != nullptr ? look.texture : s_bladeTexture;
    if (texture.Get() == nullptr) {
        return;
    }
    RenderTransforms& transforms = RenderTransforms::Get();
    Matrix4 world;
    world.m[14] = kTrailDepth;
    transforms.World().Set(world);
    transforms.Apply(false);  // the shader takes the matrices only here
    Renderer& renderer = Renderer::Get();
    const int cull = renderer.GetCullMode();
    renderer.SetCullMode(kCullOff);
    for (const auto& strip : strips) {
        DrawTexturedTriangleStrip(strip.get(), vertexCount + 1, true, nullptr, texture);
    }
    renderer.SetCullMode(cull);
    transforms.World().Set(Matrix4::Identity());
}

void Slash::UpdateAfterglows(float stepSeconds) {
    for (BladeAfterglow& glow : s_afterglows) {
        if (glow.life <= 0.0f || !glow.strips[0]) {
            continue;
        }
        glow.life -= 0.5f * stepSeconds;
        const float count = static_cast<float>(std::max(glow.count, 1));
        for (auto& strip : glow.strips) {
            for (int i = 0; i <= glow.count; ++i) {
                ImmediateVertex& vertex = strip[i];
                vertex.r = vertex.g = vertex.b = 255.0f;
                vertex.a = std::clamp(glow.life * (static_cast<float>(i / 2) / count) * 200.0f, 0.0f, 255.0f);
            }
        }
    }
    if (GetBladeLook().mode == kBladeColourLerp) {
        BladeColourCycle::Update(nullptr, stepSeconds);
    }
    // The item manager's blade loop takes the frame's activity here once
    // items land.
    loopValue = 0.0f;
}

void Slash::RenderAfterglows() {
    if (s_glowTexture.Get() == nullptr) {
        return;
    }
    RenderTransforms& transforms = RenderTransforms::Get();
    Matrix4 world;
    world.m[14] = kAfterglowDepth;
    transforms.World().Set(world);
    transforms.Apply(false);  // the shader takes the matrices only here
    for (const BladeAfterglow& glow : s_afterglows) {
        if (glow.life <= 0.0f || !glow.strips[0]) {
            continue;
        }
        for (const auto& strip : glow.strips) {
            DrawTexturedTriangleStrip(strip.get(), glow.count + 1, true, nullptr, s_glowTexture);
        }
    }
    transforms.World().Set(Matrix4::Identity());
}

void UpdateBladeAfterglows(float stepSeconds) {
    Slash::UpdateAfterglows(stepSeconds);
}

void RenderBladeAfterglows() {
    Slash::RenderAfterglows();
}

}  // namespace Varnok
