// Flight, landing, fading and drawing of juice splatters.
#include "game/world/SplatterLayer.h"

#include "engine/core/HashName.h"
#include "engine/core/Random.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/TextureManager.h"
#include "game/rules/SoundPlayer.h"
#include "game/world/BladeColours.h"
#include "game/world/FruitCatalogue.h"

#include <algorithm>
#include <cmath>

namespace Varnok {
namespace {

constexpr float kLayerDepth = -5500.0f;
constexpr float kLandingSpeed = -50.0f;  // z velocity below which a splatter lands
constexpr float kFlashSeconds = 1.5f;
constexpr float kSoundCooldown = 0.5f;

struct AtlasCell {
    float u0, u1, v0, v1;
    float landingScale;
    float dripSpeed;
};

constexpr AtlasCell kCells[6] = {
    {0.0f, 0.5f, 0.0f, 0.25f, 4.0f, 2.5f},   {0.5f, 1.0f, 0.0f, 0.25f, 4.0f, 2.5f},
    {0.0f, 0.5f, 0.25f, 0.5f, 4.0f, 2.5f},   {0.5f, 1.0f, 0.25f, 0.5f, 4.0f, 2.9f},
    {0.0f, 1.0f, 0.5f, 0.75f, 7.25f, 0.0f},  {0.0f, 1.0f, 0.75f, 1.0f, 7.25f, 0.0f},
};

const char* const kSoundNames[3][2] = {
    {"Pulp-drip-1", "Pulp-drip-2"},
    {"Splatter-Small-1", "Splatter-Small-2"},
    {"Splatter-Medium-1", "Splatter-Medium-2"},
};

uint8_t MixChannel(uint8_t critical, uint8_t juice, float c) {
    const float value = critical + (1.0f - c) * (static_cast<float>(juice) - critical);
    return static_cast<uint8_t>(std::clamp(value, 0.0f, 255.0f));
}

void SetAxes(SplatterRecord& record, float halfWidthB) {
    const Angle a = AngleFromDegrees(record.angle);
    const Angle b = AngleFromDegrees(record.angle + 90.0f);
    record.axisA = Vector3{0.5f * CosLookup(a), 0.5f * SinLookup(a), 0.0f};
    record.axisB = Vector3{halfWidthB * CosLookup(b), halfWidthB * SinLookup(b), 0.0f};
}

}  // namespace

SplatterLayer& SplatterLayer::Get() {
    static SplatterLayer s_layer;
    return s_layer;
}

void SplatterLayer::SetServices(Random* random, SoundPlayer* sounds) {
    m_random = random;
    m_sounds = sounds;
}

float SplatterLayer::NextFloat() {
    return m_random != nullptr ? m_random->NextFloat() : GlobalRandom().NextFloat();
}

uint32_t SplatterLayer::Next() {
    return m_random != nullptr ? m_random->Next() : GlobalRandom().Next();
}

void SplatterLayer::LoadResources() {
    if (m_loaded) {
        return;
    }
    m_texture = TextureManager::Get().LoadTexture(kTextureName, 0);
    m_loaded = true;
}

void SplatterLayer::Create(int count) {
    Clear();
    if (count <= 0) {
        return;
    }
    m_records = std::make_unique<SplatterRecord[]>(static_cast<size_t>(count));
    m_vertices = std::make_unique<ImmediateVertex[]>(static_cast<size_t>(count) * 6);
    m_count = count;
    m_cursor = 0;
}

SplatterRecord* SplatterLayer::AddRandom() {
    if (m_count == 0) {
        return nullptr;
    }
    for (int turn = 0; turn < m_count; ++turn) {
        SplatterRecord& record = m_records[m_cursor];
        if (!record.active) {
            return &record;
        }
        m_cursor = (m_cursor + 1) % m_count;
    }
    return &m_records[m_cursor];
}

Colour SplatterLayer::JuiceColour(int32_t kind) const {
    // Opaque black is the item data's "no override"; all zero is what a
    // reset leaves, which would otherwise make every splatter invisible.
    const Colour& override = GetBladeLook().splatColour;
    if (override != kColourBlack && override.GetPacked() != 0) {
        return override;
    }
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    if (catalogue.Count() == 0 || kind < 0) {
        return kColourBlack;
    }
    // A kind past the fruit (a critical hit's) takes its fruit's entry.
    return catalogue.At(kind % catalogue.Count()).colour;
}

void SplatterLayer::Add(SplatterRecord& record, const Vector3& position, const Vector3& size, int fromSlash,
                        int quiet, int32_t kind) {
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    const int kinds = catalogue.Count();
    record.fromSlash = static_cast<uint8_t>(fromSlash != 0);
    record.quiet = static_cast<uint8_t>(quiet != 0);
    if (kind >= 0 && kind < kinds) {
        record.flash = 0.0f;
        record.colour = JuiceColour(kind);
    } else {
        record.flash = kFlashSeconds;
        record.colour = catalogue.Critical().colour;
    }
    record.flip = static_cast<uint8_t>(Next() >> 31);
    record.baseAlpha = record.colour.a;
    record.position = Vector3{position.x, position.y, 0.0f};
    const float length = std::sqrt(size.x * size.x + size.y * size.y + size.z * size.z);
    record.velocity = Vector3{6.0f * size.x, 9.0f * size.y, 6.0f * (-0.5f * length - 150.0f - 10.0f * NextFloat())};
    record.angle = static_cast<float>(Next() % 360);
    record.kind = kind;
    record.seeds = kinds > 0 && kind >= 0 && catalogue.At(kind % kinds).hasSplatSeeds ? 1 : 0;
    const float size2 = 10.0f + 10.0f * NextFloat();
    record.scaleX = size2;
    record.scaleY = -size2;
    record.Init();
    if ((Next() >> 30) == 0 || record.colour.a == 0) {
        record.active = 0;  // one in four never lands
    } else if (kinds > 0 && kind >= 0 && catalogue.At(kind % kinds).onlySprinkle && Next() % 3 == 0) {
        record.active = 0;
    }
    SetAxes(record, 0.5f);
}

void SplatterLayer::UpdateRecord(SplatterRecord& record, const SplatterFrame& frame) {
    const float step = frame.frameStep;
    record.position = Varnok::Add(record.position, Scale(record.velocity, step));
    record.position.x -= frame.backgroundDelta.x;
    record.position.y += frame.backgroundDelta.y;
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    const int kinds = catalogue.Count();
    const bool sprinkle = kinds > 0 && record.kind >= 0 && catalogue.At(record.kind % kinds).onlySprinkle;
    if (record.frame == SplatterRecord::kFrameFlying) {
        record.velocity.y -= 10.0f * step;
        if (record.velocity.z < kLandingSpeed) {
            if (NextFloat() < 0.75f) {
                record.frame = NextFloat() < 1.0f / 6.0f ? 0 : 1;
            } else {
                record.frame = NextFloat() < 0.5f ? 2 : 3;
            }
            if (record.fromSlash && NextFloat() < 0.5f) {
                record.frame = NextFloat() < 0.5f ? 4 : 5;
            }
            if (sprinkle) {
                record.frame = NextFloat() < 0.5f ? 2 : 3;
            }
            if (record.frame >= 4) {
                // Streaks follow the flight.
                const float flight = static_cast<float>(Atan2Lookup(record.velocity.y, record.velocity.x)) /
                                     kAngleUnitsPerDegree;
                record.angle = 45.0f * NextFloat() - 22.0f - flight;
                SetAxes(record, 0.25f);
            }
            record.position.z = kLandingSpeed;
            record.velocity = Vector3{};
            record.scaleX *= kCells[record.frame].landingScale;
            record.scaleY *= kCells[record.frame].landingScale;
            if (!record.quiet) {
                if (m_coconutKind == -2) {
                    m_coconutKind = catalogue.IndexOf("coconut", 0);
                }
                if (record.kind == m_coconutKind && m_coconutKind >= 0) {
                    PlaySound(0);
                } else {
                    PlaySound(std::fabs(record.scaleX) > 30.0f ? 2 : 1);
                }
            }
            record.life = 3.75f + 2.5f * NextFloat();
            record.fadeRate = 0.375f + 0.25f * NextFloat();
            if (NextFloat() < 0.1f && m_dripTimer < -0.5f) {
                m_dripTimer = 0.25f;
            }
        }
    } else if (record.life <= step) {
        const float drip = kCells[record.frame].dripSpeed * m_fadeFactor * step;
        record.velocity.y = std::max(-50.0f, record.velocity.y - drip);
        record.scaleY = std::max(-200.0f, record.scaleY - drip);
    }
    const Colour juice = JuiceColour(record.kind);
    float alpha = juice.a;
    if (record.flash > 0.0f) {
        record.flash = std::max(0.0f, record.flash - step);
        const float c = std::min(1.0f, 2.0f * record.flash);
        const Colour critical = catalogue.Critical().colour;
        record.colour = Colour(MixChannel(critical.r, juice.r, c), MixChannel(critical.g, juice.g, c),
                               MixChannel(critical.b, juice.b, c), record.colour.a);
        alpha = critical.a + (1.0f - c) * (static_cast<float>(juice.a) - critical.a);
        record.baseAlpha = alpha;
    }
    record.life -= m_fadeFactor * step * record.fadeRate;
    if (record.life <= 0.0f) {
        record.active = 0;
        return;
    }
    record.colour.a = static_cast<uint8_t>(std::clamp(std::min(record.baseAlpha, record.baseAlpha * record.life),
                                                      0.0f, 255.0f));
}

void SplatterLayer::Update(float stepSeconds, const SplatterFrame& frame) {
    for (float& cooldown : m_soundCooldowns) {
        if (cooldown > 0.0f) {
            cooldown -= stepSeconds;
        }
    }
    if (m_dripTimer > 0.0f) {
        m_dripTimer -= stepSeconds;
        if (m_dripTimer <= 0.0f) {
            Play(kSoundNames[0][Next() >> 31]);
        }
    } else if (m_dripTimer > -0.5f) {
        m_dripTimer = std::max(-0.5f, m_dripTimer - stepSeconds);
    }
    const float busy = static_cast<float>(frame.liveWorldObjects + m_activeCount) / 15.0f - 0.15f;
    m_fadeFactor = 1.25f + std::clamp(busy, 0.0f, 3.0f);
    if (!frame.fastDevice) {
        m_fadeFactor *= 1.5f;
    }
    int active = 0;
    for (int i = 0; i < m_count; ++i) {
        SplatterRecord& record = m_records[i];
        if (record.active) {
            UpdateRecord(record, frame);
            active += record.active;
        }
    }
    m_activeCount = active;
}

void SplatterLayer::PlaySound(int kind) {
    kind = std::clamp(kind, 0, 2);
    m_soundCooldowns[kind] -= 0.05f;
    if (m_soundCooldowns[kind] <= 0.0f) {
        m_soundCooldowns[kind] = kSoundCooldown;
        Play(kSoundNames[kind][Next() >> 31]);
    }
}

void SplatterLayer::Play(const char* name) {
    ++m_soundsPlayed;
    if (m_sounds != nullptr) {
        m_sounds->Play(name, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
}

void SplatterLayer::Render(const float colourFactors[3]) {
    m_drawnCount = 0;
    for (int i = 0; i < m_count; ++i) {
        const SplatterRecord& record = m_records[i];
        if (!record.active || record.frame < 0) {
            continue;
        }
        const AtlasCell& cell = kCells[record.frame];
        float u0 = cell.u0;
        float u1 = cell.u1;
        if (record.seeds) {
            u0 = u0 * 0.5f + 0.5f;
            u1 = u1 * 0.5f + 0.5f;
        }
        float v0 = cell.v0;
        float v1 = cell.v1;
        if (record.flip) {
            std::swap(v0, v1);
        }
        const float r = std::floor(record.colour.r * colourFactors[0]);
        const float g = std::floor(record.colour.g * colourFactors[1]);
        const float b = std::floor(record.colour.b * colourFactors[2]);
        const float a = record.colour.a;
        // Corners: (-A-B), (+A-B), (+A+B), (-A+B).
        const float signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        const float uv[4][2] = {{u0, v1}, {u1, v1}, {u1, v0}, {u0, v0}};
        ImmediateVertex corners[4];
        for (int c = 0; c < 4; ++c) {
            ImmediateVertex& vertex = corners[c];
            const float ox = signs[c][0] * record.axisA.x + signs[c][1] * record.axisB.x;
            const float oy = signs[c][0] * record.axisA.y + signs[c][1] * record.axisB.y;
            vertex.x = record.position.x + ox * record.scaleX;
            vertex.y = record.position.y + oy * record.scaleY;
            vertex.z = record.position.z;
            vertex.nz = 1.0f;
            vertex.r = r;
            vertex.g = g;
            vertex.b = b;
            vertex.a = a;
            vertex.u = uv[c][0];
            vertex.v = uv[c][1];
        }
        ImmediateVertex* out = &m_vertices[static_cast<size_t>(m_drawnCount) * 6];
        out[0] = corners[0];
        out[1] = corners[1];
        out[2] = corners[2];
        out[3] = corners[0];
        out[4] = corners[2];
        out[5] = corners[3];
        ++m_drawnCount;
    }
    if (m_texture.Get() == nullptr || m_drawnCount == 0) {
        return;
    }
    RenderTransforms& transforms = RenderTransforms::Get();
    Matrix4 world;
    world.m[14] = kLayerDepth;
    transforms.World().Set(world);
    transforms.Apply(false);  // the shader takes the matrices only here
    DrawTexturedTriangles(m_vertices.get(), m_drawnCount * 6, true, nullptr, m_texture);
    transforms.World().Set(Matrix4::Identity());
}

void SplatterLayer::StopAll() {
    for (int i = 0; i < m_count; ++i) {
        m_records[i].active = 0;
    }
}

void SplatterLayer::Clear() {
    m_records.reset();
    m_vertices.reset();
    m_count = 0;
    m_cursor = 0;
    m_activeCount = 0;
    m_drawnCount = 0;
}

void SplatterLayer::Release() {
    Clear();
    m_texture = SmartPtr<Texture>();
    m_loaded = false;
    m_coconutKind = -2;
}

}  // namespace Varnok
