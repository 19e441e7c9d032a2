// Reading the particle file, running systems, emitting, stepping and drawing
// particles for ParticleManager.
#include "game/world/ParticleManager.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/core/XmlDocument.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/TextureImage.h"
#include "engine/render/TextureManager.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/world/WaveList.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Varnok {

namespace {

constexpr float kFramesPerSecond = 60.0f;
constexpr float kColourScale = 8.226f;  // 0..31 file values to bytes
constexpr float kHalfStepAbove = 0.025f;  // seconds: longer steps move in two halves
constexpr size_t kNameMax = 63;

uint32_t HashOf(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

float R() {
    return GlobalRandom().NextFloat();
}

bool ReadVector3d(const char* text, Vector3& out) {
    int v[3] = {0, 0, 0};
    if (text == nullptr || std::sscanf(text, "%d %d %d", &v[0], &v[1], &v[2]) != 3) {
        return false;
    }
    out = Vector3{static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
    return true;
}

bool ReadVector3f(const char* text, Vector3& out) {
    float v[3] = {0.0f, 0.0f, 0.0f};
    if (text == nullptr || std::sscanf(text, "%f %f %f", &v[0], &v[1], &v[2]) != 3) {
        return false;
    }
    out = Vector3{v[0], v[1], v[2]};
    return true;
}

// "r g b a" with each 0..31, scaled to bytes.
bool ReadColour(const char* text, Colour& out) {
    int v[4] = {0, 0, 0, 0};
    if (text == nullptr || std::sscanf(text, "%d %d %d %d", &v[0], &v[1], &v[2], &v[3]) != 4) {
        return false;
    }
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i) {
        const float scaled = static_cast<float>(v[i]) * kColourScale;
        bytes[i] = static_cast<uint8_t>(std::clamp(scaled, 0.0f, 255.0f));
    }
    out = Colour(bytes[0], bytes[1], bytes[2], bytes[3]);
    return true;
}

Colour MidColour(const Colour& a, const Colour& b) {
    return Colour(static_cast<uint8_t>((a.r + b.r) / 2), static_cast<uint8_t>((a.g + b.g) / 2),
                  static_cast<uint8_t>((a.b + b.b) / 2), static_cast<uint8_t>((a.a + b.a) / 2));
}

bool ReadDouble(const TiXmlElement& element, const char* name, float& value) {
    double parsed = 0.0;
    if (element.QueryDoubleAttribute(name, &parsed) != TIXML_SUCCESS) {
        return false;
    }
    value = static_cast<float>(parsed);
    return true;
}

int16_t ToShort(const char* text) {
    return static_cast<int16_t>(std::clamp(std::atoi(text), -32768, 32767));
}

uint8_t ToByte(const char* text) {
    return static_cast<uint8_t>(std::clamp(std::atoi(text), 0, 255));
}

// "cycleX", "cycleY", "spin": start pair required, end pair copies it unless
// both are given.
void ReadRange4(const TiXmlElement* element, int16_t out[4]) {
    std::fill(out, out + 4, static_cast<int16_t>(0));
    if (element == nullptr) {
        return;
    }
    const char* startMin = element->Attribute("startMin");
    const char* startMax = element->Attribute("startMax");
    if (startMin == nullptr || startMax == nullptr) {
        return;
    }
    out[0] = out[2] = ToShort(startMin);
    out[1] = out[3] = ToShort(startMax);
    const char* endMin = element->Attribute("endMin");
    const char* endMax = element->Attribute("endMax");
    if (endMin != nullptr && endMax != nullptr) {
        out[2] = ToShort(endMin);
        out[3] = ToShort(endMax);
    }
}

float SignOf(float value) {
    return value > 0.0f ? 1.0f : (value < 0.0f ? -1.0f : 0.0f);
}

void SetRotation(Particle& particle, Angle angle) {
    if (angle == 0) {
        particle.rotation[0] = 1.0f;
        particle.rotation[1] = 0.0f;
        particle.rotation[2] = 0.0f;
        particle.rotation[3] = 1.0f;
        return;
    }
    const float c = CosLookup(angle);
    const float s = SinLookup(angle);
    particle.rotation[0] = c;
    particle.rotation[1] = -s;
    particle.rotation[2] = s;
    particle.rotation[3] = c;
}

}  // namespace

ParticleManager& ParticleManager::Instance() {
    static ParticleManager manager;
    return manager;
}

ParticleManager::ParticleManager() = default;

ParticleManager::~ParticleManager() = default;

void ParticleManager::MakePools() {
    if (m_particles != nullptr) {
        return;
    }
    m_particles = std::make_unique<Particle[]>(kParticleCount);
    m_systems = std::make_unique<ParticleSystem[]>(kSystemCount);
    m_vertices = std::make_unique<ImmediateVertex[]>(static_cast<size_t>(kParticleCount) * 6);
    m_freeSystems.reserve(kSystemCount);
    Clear();
}

void ParticleManager::LoadFile(const char* folder, const char* fileName) {
    MakePools();
    if (m_attempted) {
        return;
    }
    m_attempted = true;
    char path[256];
    std::snprintf(path, sizeof(path), "%s/%s", folder, fileName);
    TiXmlDocument document;
    (void)LoadXmlDocument(document, path);  // ReadDocument reports a refusal
    ReadDocument(document, folder, path, true);
}

void ParticleManager::LoadText(const char* folder, const char* text, size_t length, bool loadTextures) {
    MakePools();
    Clear();
    m_templates.clear();
    m_emitters.clear();
    m_attempted = true;
    TiXmlDocument document("particle text");
    (void)ParseXmlDocument(document, text, length);
    ReadDocument(document, folder, "particle text", loadTextures);
}

void ParticleManager::ReadDocument(const TiXmlDocument& document, const char* folder, const char* source,
                                   bool loadTextures) {
    m_loaded = false;
    if (document.Error() && document.ErrorId() != TiXmlBase::TIXML_ERROR_OPENING_FILE) {
        return;  // the XML layer has said why; the game runs without systems
    }
    const TiXmlElement* root = document.RootElement();
    const TiXmlElement* body = root != nullptr && std::strcmp(root->Value(), "particle_file") == 0
                                   ? root->FirstChildElement("body")
                                   : nullptr;
    if (document.Error() || body == nullptr) {
        Log("ParticleManager: %s not read (%s), no particle systems", source,
            document.Error() ? document.ErrorDesc() : "no particle_file body");
        return;
    }
    // Definitions grow as the file needs: no fixed work area to overflow.
    for (const TiXmlElement* e = body->FirstChildElement("particleTemplate"); e != nullptr;
         e = e->NextSiblingElement("particleTemplate")) {
        ParticleTemplate t;
        if (ReadTemplate(*e, folder, loadTextures, t)) {
            m_templates.push_back(std::move(t));
        }
    }
    for (const TiXmlElement* e = body->FirstChildElement("emitter"); e != nullptr;
         e = e->NextSiblingElement("emitter")) {
        ParticleEmitter emitter;
        if (ReadEmitter(*e, emitter)) {
            m_emitters.push_back(std::move(emitter));
        }
    }
    m_loaded = true;
}

bool ParticleManager::ReadTemplate(const TiXmlElement& element, const char* folder, bool loadTextures,
                                   ParticleTemplate& out) {
    const char* name = element.Attribute("name");
    const char* label = name != nullptr ? name : "(unnamed)";
    out.nameHash = name != nullptr ? HashOf(name) : 0;
    int layer = 0;
    if (element.QueryIntAttribute("useDepth", &layer) == TIXML_SUCCESS) {
        out.layer = layer;
    }
    const TiXmlElement* life = element.FirstChildElement("life");
    const TiXmlElement* texture = element.FirstChildElement("texture");
    const TiXmlElement* gravity = element.FirstChildElement("gravity");
    const TiXmlElement* colour = element.FirstChildElement("color");
    const TiXmlElement* size = element.FirstChildElement("size");
    const char* missing = nullptr;
    if (life == nullptr || life->GetText() == nullptr) {
        missing = "life";
    } else if (texture == nullptr || texture->Attribute("name") == nullptr) {
        missing = "texture";
    } else if (element.FirstChildElement("SourceBlend") == nullptr ||
               element.FirstChildElement("DestinationBlend") == nullptr) {
        missing = "blend";
    } else if (gravity == nullptr || !ReadVector3d(gravity->GetText(), out.gravity)) {
        missing = "gravity";
    } else if (colour == nullptr || !ReadColour(colour->Attribute("startMin"), out.colours[1]) ||
               !ReadColour(colour->Attribute("startMax"), out.colours[0])) {
        missing = "color";
    } else if (size == nullptr || size->Attribute("startMin") == nullptr || size->Attribute("startMax") == nullptr ||
               size->Attribute("endMin") == nullptr || size->Attribute("endMax") == nullptr) {
        missing = "size";
    }
    if (missing != nullptr) {
        Log("ParticleManager: template %s lacks its %s, refused", label, missing);
        return false;
    }
    out.life = static_cast<float>(std::atof(life->GetText())) / kFramesPerSecond;
    if (loadTextures) {
        char path[256];
        std::snprintf(path, sizeof(path), "%s/%s.tex", folder, texture->Attribute("name"));
        out.texture = TextureManager::Get().GetTexture(path);
        if (out.texture.Get() != nullptr) {
            const TextureDescription& d = out.texture->GetDescription();
            out.aspect = d.apparentHeight > 0 ? static_cast<float>(d.apparentWidth) / static_cast<float>(d.apparentHeight) : 1.0f;
        }
    }
    if (const TiXmlElement* type = element.FirstChildElement("type")) {
        const char* text = type->GetText() != nullptr ? type->GetText() : "";
        static const char* const kTypes[] = {"Point", "Vortex", "Direction", "Angular"};
        for (uint8_t i = 0; i < 4; ++i) {
            if (std::strcmp(text, kTypes[i]) == 0) {
                out.type = i;
            }
        }
    }
    if (const TiXmlElement* system = element.FirstChildElement("system")) {
        out.local = system->GetText() != nullptr && std::strcmp(system->GetText(), "Local") == 0 ? 1 : 0;
    }
    out.gravityMax = out.gravity;
    if (const TiXmlElement* most = element.FirstChildElement("gravity_max")) {
        (void)ReadVector3d(most->GetText(), out.gravityMax);
    }
    // Colours: end copies start unless both are given; middle halves them
    // unless both are given.
    out.colours[4] = out.colours[0];
    out.colours[5] = out.colours[1];
    Colour endMin;
    Colour endMax;
    if (ReadColour(colour->Attribute("endMin"), endMin) && ReadColour(colour->Attribute("endMax"), endMax)) {
        out.colours[4] = endMax;
        out.colours[5] = endMin;
    }
    Colour midMin;
    Colour midMax;
    if (ReadColour(colour->Attribute("midMax"), midMax) && ReadColour(colour->Attribute("midMin"), midMin)) {
        out.colours[2] = midMax;
        out.colours[3] = midMin;
    } else {
        out.colours[2] = MidColour(out.colours[0], out.colours[4]);
        out.colours[3] = MidColour(out.colours[1], out.colours[5]);
    }
    if (const TiXmlElement* friction = element.FirstChildElement("friction")) {
        Vector3 start;
        Vector3 end;
        if (ReadVector3f(friction->Attribute("start"), start) && ReadVector3f(friction->Attribute("end"), end)) {
            out.frictionStart = start;
            out.frictionEnd = end;
        }
    }
    out.sizes[0] = ToByte(size->Attribute("startMin"));
    out.sizes[1] = ToByte(size->Attribute("startMax"));
    out.sizes[4] = ToByte(size->Attribute("endMin"));
    out.sizes[5] = ToByte(size->Attribute("endMax"));
    if (size->Attribute("midMax") != nullptr && size->Attribute("midMin") != nullptr) {
        out.sizes[2] = ToByte(size->Attribute("midMin"));
        out.sizes[3] = ToByte(size->Attribute("midMax"));
    } else {
        out.sizes[3] = static_cast<uint8_t>((out.sizes[1] + out.sizes[5]) / 2);
        out.sizes[2] = static_cast<uint8_t>((out.sizes[0] + out.sizes[4]) / 2);
    }
    ReadRange4(element.FirstChildElement("cycleX"), out.cycleX);
    ReadRange4(element.FirstChildElement("cycleY"), out.cycleY);
    ReadRange4(element.FirstChildElement("spin"), out.spin);
    std::fill(std::begin(out.rotateCycle), std::end(out.rotateCycle), 0.0f);
    out.rotateCycle[9] = 1.0f;
    if (const TiXmlElement* cycle = element.FirstChildElement("rotateCycle")) {
        float* rc = out.rotateCycle;
        float value = 0.0f;
        if (ReadDouble(*cycle, "start", value)) {
            rc[0] = rc[1] = value;
        }
        ReadDouble(*cycle, "startMin", rc[0]);
        ReadDouble(*cycle, "startMax", rc[1]);
        rc[2] = rc[0];
        rc[3] = rc[1];
        if (ReadDouble(*cycle, "end", value)) {
            rc[2] = rc[3] = value;
        }
        ReadDouble(*cycle, "endMin", rc[2]);
        ReadDouble(*cycle, "endMax", rc[3]);
        if (ReadDouble(*cycle, "speedStart", value)) {
            rc[4] = rc[5] = value;
        }
        ReadDouble(*cycle, "speedStartMin", rc[4]);
        ReadDouble(*cycle, "speedStartMax", rc[5]);
        rc[6] = rc[4];
        rc[7] = rc[5];
        if (ReadDouble(*cycle, "speedEnd", value)) {
            rc[6] = rc[7] = value;
        }
        ReadDouble(*cycle, "speedEndMin", rc[6]);
        ReadDouble(*cycle, "speedEndMax", rc[7]);
        if (ReadDouble(*cycle, "offset", value)) {
            rc[8] = rc[9] = value;
        }
        ReadDouble(*cycle, "offsetMin", rc[8]);
        ReadDouble(*cycle, "offsetMax", rc[9]);
    }
    if (const TiXmlElement* angle = element.FirstChildElement("angle")) {
        const char* lo = angle->Attribute("min");
        const char* hi = angle->Attribute("max");
        if (lo != nullptr && hi != nullptr) {
            out.angleMin = std::atoi(lo);
            out.angleMax = std::atoi(hi);
        }
    }
    if (const TiXmlElement* grid = element.FirstChildElement("gridLock")) {
        ReadDouble(*grid, "x", out.gridLockX);
        ReadDouble(*grid, "y", out.gridLockY);
    }
    return true;
}

bool ParticleManager::ReadEmitter(const TiXmlElement& element, ParticleEmitter& out) {
    const char* name = element.Attribute("name");
    const TiXmlElement* life = element.FirstChildElement("life");
    if (name == nullptr || life == nullptr || life->GetText() == nullptr) {
        Log("ParticleManager: emitter %s lacks its name or life, refused", name != nullptr ? name : "(unnamed)");
        return false;
    }
    out.name.assign(name, std::min(std::strlen(name), kNameMax));
    out.nameHash = HashOf(name);
    out.life = static_cast<float>(std::atof(life->GetText())) / kFramesPerSecond;
    for (const TiXmlElement* e = element.FirstChildElement("particleSet"); e != nullptr;
         e = e->NextSiblingElement("particleSet")) {
        const TiXmlElement* time = e->FirstChildElement("time");
        const TiXmlElement* number = e->FirstChildElement("particleNumber");
        const TiXmlElement* velocity = e->FirstChildElement("velocity");
        ParticleSet set;
        if (time == nullptr || !ReadDouble(*time, "start", set.startTime) || !ReadDouble(*time, "stop", set.stopTime) ||
            number == nullptr || number->Attribute("init") == nullptr || !ReadDouble(*number, "perSec", set.rate) ||
            velocity == nullptr || !ReadVector3d(velocity->Attribute("min"), set.velocityMin) ||
            !ReadVector3d(velocity->Attribute("max"), set.velocityMax)) {
            Log("ParticleManager: a particle set of emitter %s lacks its time, number or velocity, refused", name);
            continue;
        }
        if (m_templates.empty()) {
            Log("ParticleManager: emitter %s has no template to emit, set refused", name);
            continue;
        }
        set.initialCount = static_cast<uint8_t>(std::atoi(number->Attribute("init")));
        // A set naming no template uses the first.
        set.templateIndex = 0;
        const char* templateName = e->Attribute("name");
        const uint32_t hash = templateName != nullptr ? HashOf(templateName) : 0;
        for (size_t i = 0; i < m_templates.size(); ++i) {
            if (m_templates[i].nameHash == hash) {
                set.templateIndex = static_cast<int>(i);
                break;
            }
        }
        out.sets.push_back(set);
    }
    return true;
}

bool ParticleManager::HasSystem(uint32_t nameHash) const {
    for (const ParticleEmitter& emitter : m_emitters) {
        if (emitter.nameHash == nameHash) {
            return true;
        }
    }
    return false;
}

ParticleSystem* ParticleManager::Spawn(const char* name, ParticleSystem** ownerSlot) {
    return Spawn(HashOf(name), ownerSlot);
}

ParticleSystem* ParticleManager::Spawn(uint32_t nameHash, ParticleSystem** ownerSlot) {
    if (m_freeSystems.size() < 2) {
        return nullptr;
    }
    const ParticleEmitter* emitter = nullptr;
    for (const ParticleEmitter& candidate : m_emitters) {
        if (candidate.nameHash == nameHash) {
            emitter = &candidate;
            break;
        }
    }
    if (emitter == nullptr) {
        if (ownerSlot != nullptr) {
            *ownerSlot = nullptr;
        }
        return nullptr;
    }
    ParticleSystem* system = m_freeSystems.back();
    m_freeSystems.pop_back();
    *system = ParticleSystem{};
    system->emitter = emitter;
    system->ownerSlot = ownerSlot;
    system->next = m_running;
    m_running = system;
    return system;
}

void ParticleManager::Retire(ParticleSystem* system, ParticleSystem* previous) {
    if (previous != nullptr) {
        previous->next = system->next;
    } else {
        m_running = system->next;
    }
    system->next = nullptr;
    if (system->ownerSlot != nullptr) {
        *system->ownerSlot = nullptr;
        system->ownerSlot = nullptr;
    }
    system->emitter = nullptr;
    if (m_freeSystems.size() < static_cast<size_t>(kSystemCount)) {
        m_freeSystems.push_back(system);
    }
}

void ParticleManager::ReleaseEmitter(ParticleSystem* system) {
    ParticleSystem* previous = nullptr;
    for (ParticleSystem* s = m_running; s != nullptr; previous = s, s = s->next) {
        if (s == system) {
            Retire(s, previous);
            return;
        }
    }
}

bool ParticleManager::EndsByItself(const ParticleEmitter& emitter) const {
    for (const ParticleSet& set : emitter.sets) {
        if (set.stopTime <= 0.0f && set.rate > 0.0f) {
            return false;
        }
    }
    return true;
}

void ParticleManager::UpdateSystems(float stepSeconds, bool paused) {
    ParticleSystem* previous = nullptr;
    ParticleSystem* system = m_running;
    while (system != nullptr) {
        ParticleSystem* next = system->next;
        if (system->enabled != 0 && system->rate != 0.0f && (!paused || system->runsWhilePaused)) {
            UpdateSystem(*system, stepSeconds);
        }
        const ParticleEmitter& emitter = *system->emitter;
        const bool expired = system->time >= emitter.life &&
                             (emitter.life > 0.0f || emitter.sets.empty() || EndsByItself(emitter));
        if (expired) {
            Retire(system, previous);
        } else {
            previous = system;
        }
        system = next;
    }
}

void ParticleManager::UpdateSystem(ParticleSystem& system, float stepSeconds) {
    const float d = stepSeconds * system.stepFactor;
    const float t0 = system.time;
    const float t1 = t0 + system.rate * d;
    for (const ParticleSet& set : system.emitter->sets) {
        const float t = system.time;
        if (t >= set.startTime && (set.stopTime == 0.0f || t <= set.stopTime)) {
            // At most a pool's worth a step, whatever the rate says.
            const int before = TruncateClamped((t - set.startTime) * set.rate, -kParticleCount, INT32_MAX / 2);
            const int after = TruncateClamped((t + d * system.rate - set.startTime) * set.rate, -kParticleCount, INT32_MAX / 2);
            for (int i = std::min(after - before, kParticleCount); i >= 1; --i) {
                EmitParticle(system, set);
            }
        }
        if (t0 <= set.startTime && set.startTime < t1) {
            for (int i = 0; i < set.initialCount; ++i) {
                EmitParticle(system, set);
            }
        }
    }
    system.time = t1;
    const Vector2& delta = GetGameRecord().backgroundDelta;
    system.position = Add(system.position, system.velocity);
    system.position.x -= delta.x;
    system.position.y += delta.y;
}

void ParticleManager::EmitParticle(ParticleSystem& system, const ParticleSet& set) {
    if (m_firstFree == 0 || set.templateIndex < 0 || set.templateIndex >= static_cast<int>(m_templates.size())) {
        return;
    }
    ParticleTemplate& t = m_templates[static_cast<size_t>(set.templateIndex)];
    const uint16_t index = m_firstFree;
    Particle& p = m_particles[index];
    m_firstFree = p.next;
    ++drawnCount;
    p = Particle{};
    p.next = t.listHead;
    t.listHead = index;
    p.remainingLife = t.life;
    p.deathThreshold = t.life - system.lifeFraction * t.life;
    p.position = t.local ? Vector3{} : system.position;
    p.system = &system;
    const float g = R();
    p.gravity = Vector3{t.gravity.x + g * (t.gravityMax.x - t.gravity.x), t.gravity.y + g * (t.gravityMax.y - t.gravity.y),
                        t.gravity.z + g * (t.gravityMax.z - t.gravity.z)};
    const float vx = set.velocityMin.x + R() * (set.velocityMax.x - set.velocityMin.x);
    const float vy = set.velocityMin.y + R() * (set.velocityMax.y - set.velocityMin.y);
    const float vz = set.velocityMin.z + R() * (set.velocityMax.z - set.velocityMin.z);
    const float c = system.dirCos;
    const float s = system.dirSin;
    const float k = system.speedScale;
    float X = k * (vx * c + vy * s);
    float Y = k * (vy * c - vx * s);
    float Z = k * vz;
    if (system.sideways) {
        const float q = SignOf(system.position.x);
        const float pSign = SignOf(p.position.x);
        p.gravity = Vector3{-pSign * p.gravity.y * k, p.gravity.x * k, p.gravity.z * k};
        const float nx = -q * Y * k;
        const float ny = X * k;
        X = nx;
        Y = ny;
        Z = Z * k;
    }
    p.velocity = Vector3{0.5f * X, 0.5f * Y, 0.5f * Z};
    const double degrees = static_cast<double>(t.angleMin) + R() * (static_cast<double>(t.angleMax) - t.angleMin);
    int32_t angle = TruncateClamped(std::fmod(degrees * kAngleUnitsPerDegree, 65536.0), -65536, 65536);
    if (system.sideways) {
        angle += p.position.x > 0.0f ? 49152 : 16384;
    }
    p.angle = static_cast<Angle>(angle);
    p.sideways = system.sideways;
    p.noBlast = system.noBlast;
    if (t.type == ParticleTemplate::Vortex) {
        p.position = Subtract(p.position, Scale(p.velocity, t.life));
    }
    // Sizes draw from rand(), which the run's seed fixes.
    int sizes[3];
    for (int i = 0; i < 3; ++i) {
        const int lo = t.sizes[2 * i];
        const int hi = t.sizes[2 * i + 1];
        sizes[i] = lo + (((hi - lo) * (std::rand() & 4095)) >> 12);
    }
    p.sizeStart = static_cast<uint16_t>(static_cast<float>(sizes[0]) * system.scale);
    p.sizeMiddleDelta = static_cast<int16_t>(system.scale * static_cast<float>(sizes[1] - sizes[0]));
    p.sizeEndDelta = static_cast<int16_t>(system.scale * static_cast<float>(sizes[2] - sizes[1]));
    // Colours channel by channel in memory order (b, g, r, a).
    const uint8_t* startMax = &t.colours[0].b;
    const uint8_t* startMin = &t.colours[1].b;
    const uint8_t* midMax = &t.colours[2].b;
    const uint8_t* midMin = &t.colours[3].b;
    const uint8_t* endMax = &t.colours[4].b;
    const uint8_t* endMin = &t.colours[5].b;
    uint8_t* start = &p.startColour.b;
    for (int ch = 0; ch < 4; ++ch) {
        const int a = static_cast<int>(startMax[ch] + R() * (startMin[ch] - startMax[ch]));
        const int m = static_cast<int>(midMax[ch] + R() * (midMin[ch] - midMax[ch]));
        const int e = static_cast<int>(endMax[ch] + R() * (endMin[ch] - endMax[ch]));
        start[ch] = static_cast<uint8_t>(a);
        p.middleDelta[ch] = static_cast<int16_t>(m - a);
        p.endDelta[ch] = static_cast<int16_t>(e - m);
    }
    if (t.type == ParticleTemplate::Direction) {
        p.angle = static_cast<Angle>(p.angle + Atan2Lookup(p.velocity.x, p.velocity.y));
    }
    const float spinR = R();
    p.spinStart = (t.spin[0] + spinR * (t.spin[1] - t.spin[0])) * 0.01f;
    p.spinEnd = (t.spin[2] + spinR * (t.spin[3] - t.spin[2])) * 0.01f;
    const float cx = R();
    p.cycleXStart = t.cycleX[0] + cx * (t.cycleX[1] - t.cycleX[0]);
    p.cycleXEnd = t.cycleX[2] + cx * (t.cycleX[3] - t.cycleX[2]);
    p.cycleXPhase = p.cycleXStart == 0.0f && p.cycleXEnd == 0.0f ? 0 : static_cast<Angle>(GlobalRandom().Next() & 0xFFFF);
    const float cy = R();
    p.cycleYStart = t.cycleY[0] + cy * (t.cycleY[1] - t.cycleY[0]);
    p.cycleYEnd = t.cycleY[2] + cy * (t.cycleY[3] - t.cycleY[2]);
    p.cycleYPhase = p.cycleYStart == 0.0f && p.cycleYEnd == 0.0f ? 0 : static_cast<Angle>(GlobalRandom().Next() & 0xFFFF);
    const float* rc = t.rotateCycle;
    const float speedR = R();
    const float speedStart = rc[4] + speedR * (rc[5] - rc[4]);
    const float speedEnd = rc[6] + speedR * (rc[7] - rc[6]);
    p.phaseSpeed = speedStart;
    p.phaseSpeedChange = t.life > 0.0f ? (speedEnd - speedStart) / t.life : 0.0f;
    const float ampR = R();
    p.wobbleStart = rc[0] + ampR * (rc[1] - rc[0]);
    p.wobbleEnd = rc[2] + ampR * (rc[3] - rc[2]);
    p.phaseOffset = rc[8] + R() * (rc[9] - rc[8]);
    SetRotation(p, p.angle);
}

void ParticleManager::StepParticle(Particle& p, const ParticleTemplate& t, float stepSeconds, float lifeFraction) {
    const float e = stepSeconds * p.system->stepFactor;
    p.remainingLife -= e;
    const Vector3 f{t.frictionStart.x + lifeFraction * (t.frictionEnd.x - t.frictionStart.x),
                    t.frictionStart.y + lifeFraction * (t.frictionEnd.y - t.frictionStart.y),
                    t.frictionStart.z + lifeFraction * (t.frictionEnd.z - t.frictionStart.z)};
    float h = e;
    auto move = [&](bool push) {
        p.velocity = Vector3{(p.velocity.x + p.gravity.x * h) * f.x, (p.velocity.y + p.gravity.y * h) * f.y,
                             (p.velocity.z + p.gravity.z * h) * f.z};
        if (push && blastRadius > 0.0f && !t.local && !p.noBlast) {
            Vector3 away = Subtract(p.position, blastCentre);
            const float distance = away.Normalise();
            if (distance > 0.0f && distance < blastRadius) {
                p.velocity = Add(p.velocity, Scale(away, blastFactor * h * (blastRadius - distance) * 10.0f));
            }
        }
        p.position = Add(p.position, Scale(p.velocity, h));
    };
    if (e > kHalfStepAbove) {
        h = e / 2.0f;
        move(false);
    }
    move(true);
    if (!t.local) {
        const Vector2& delta = GetGameRecord().backgroundDelta;
        p.position.x -= delta.x;
        p.position.y += delta.y;
    }
}

void ParticleManager::Render(float stepSeconds, bool paused, int layer) {
    if (m_particles == nullptr) {
        return;
    }
    drawnCount = 0;
    const bool draw = m_drawing && ImmediatePrimitiveRenderer::Get().IsCreated();
    if (draw) {
        RenderTransforms& transforms = RenderTransforms::Get();
        transforms.World().Set(Matrix4::Identity());
    }
    size_t written = 0;
    for (ParticleTemplate& t : m_templates) {
        if (t.layer != layer || t.listHead == 0) {
            continue;
        }
        const size_t first = written;
        uint16_t previous = 0;
        uint16_t index = t.listHead;
        while (index != 0) {
            Particle& p = m_particles[index];
            const uint16_t next = p.next;
            if (p.remainingLife <= p.deathThreshold) {
                if (previous == 0) {
                    t.listHead = next;
                } else {
                    m_particles[previous].next = next;
                }
                p.next = m_firstFree;
                m_firstFree = index;
                index = next;
                continue;
            }
            const float L = t.life;
            const float u = p.remainingLife;
            const float F = L > 0.0f ? (L - u) / L : 1.0f;
            float size = 0.0f;
            float channels[4];
            const uint8_t* start = &p.startColour.b;
            if (F < 0.5f) {
                const float G = 2.0f * F;
                size = p.sizeStart + G * p.sizeMiddleDelta;
                for (int ch = 0; ch < 4; ++ch) {
                    channels[ch] = std::trunc(start[ch] + G * p.middleDelta[ch]);
                }
            } else {
                const float G = 2.0f * (F - 0.5f);
                size = p.sizeStart + p.sizeMiddleDelta + G * p.sizeEndDelta;
                for (int ch = 0; ch < 4; ++ch) {
                    channels[ch] = std::trunc(start[ch] + p.middleDelta[ch] + G * p.endDelta[ch]);
                }
            }
            float hh = size;
            float hw = size * t.aspect;
            const bool moving = !paused || p.system->runsWhilePaused;
            if (moving) {
                const float age = L - u;
                const float phase = p.phaseOffset + age * (p.phaseSpeed + 0.5f * p.phaseSpeedChange * age);
                int32_t wobble = 0;
                if (phase != 0.0f) {
                    const Angle phaseAngle = static_cast<Angle>(TruncateClamped(std::fmod(static_cast<double>(phase), 1.0) * 65536.0, -65536, 65536));
                    wobble = TruncateClamped(std::fmod(static_cast<double>(SinLookup(phaseAngle)) * (p.wobbleStart + F * (p.wobbleEnd - p.wobbleStart)) * kAngleUnitsPerDegree, 65536.0), -65536, 65536);
                }
                const float spin = p.spinStart + F * (p.spinEnd - p.spinStart);
                if (spin != 0.0f || wobble != 0) {
                    p.angle = static_cast<Angle>(p.angle + TruncateClamped(std::fmod(static_cast<double>(spin) * 360.0 * stepSeconds * kAngleUnitsPerDegree, 65536.0), -65536, 65536));
                    if (p.angle == 0) {
                        SetRotation(p, 0);
                    } else {
                        SetRotation(p, static_cast<Angle>(p.angle + wobble));
                    }
                }
                const float speedX = p.cycleXStart + F * (p.cycleXEnd - p.cycleXStart);
                if (speedX != 0.0f) {
                    p.cycleXPhase = static_cast<Angle>(p.cycleXPhase + TruncateClamped(std::fmod(static_cast<double>(stepSeconds) * speedX * 182.0 * 360.0, 65536.0), -65536, 65536));
                }
                const float speedY = p.cycleYStart + F * (p.cycleYEnd - p.cycleYStart);
                if (speedY != 0.0f) {
                    p.cycleYPhase = static_cast<Angle>(p.cycleYPhase + TruncateClamped(std::fmod(static_cast<double>(stepSeconds) * speedY * 182.0 * 360.0, 65536.0), -65536, 65536));
                }
            }
            if (p.cycleXPhase != 0) {
                hw *= CosLookup(p.cycleXPhase);
            }
            if (p.cycleYPhase != 0) {
                hh *= CosLookup(p.cycleYPhase);
            }
            Vector3 at = p.position;
            if (t.local) {
                at = Add(at, p.system->position);
            }
            if (t.gridLockX > 0.0f) {
                const float w = LogicalScreenWidth();
                at.x = t.gridLockX * std::trunc((at.x + w) / t.gridLockX + 0.5f) - w;
            }
            if (t.gridLockY > 0.0f) {
                const float h = LogicalScreenHeight();
                at.y = t.gridLockY * std::trunc((at.y + h) / t.gridLockY + 0.5f) - h;
            }
            if (written < static_cast<size_t>(kParticleCount)) {
                const float ax = p.rotation[0] * hw;
                const float ay = p.rotation[1] * hw;
                const float bx = p.rotation[2] * hh;
                const float by = p.rotation[3] * hh;
                const float corners[4][4] = {{ax + bx, ay + by, 1.0f, 0.0f},
                                             {-ax + bx, -ay + by, 0.0f, 0.0f},
                                             {ax - bx, ay - by, 1.0f, 1.0f},
                                             {-ax - bx, -ay - by, 0.0f, 1.0f}};
                static const int kOrder[6] = {0, 1, 2, 2, 1, 3};
                ImmediateVertex* out = &m_vertices[written * 6];
                for (int i = 0; i < 6; ++i) {
                    const float* c = corners[kOrder[i]];
                    ImmediateVertex& v = out[i];
                    v.x = at.x + c[0];
                    v.y = at.y + c[1];
                    v.z = at.z;
                    v.nz = 1.0f;
                    // channels are b, g, r, a
                    v.r = std::clamp(channels[2], 0.0f, 255.0f);
                    v.g = std::clamp(channels[1], 0.0f, 255.0f);
                    v.b = std::clamp(channels[0], 0.0f, 255.0f);
                    v.a = std::clamp(channels[3], 0.0f, 255.0f);
                    v.u = c[2];
                    v.v = c[3];
                }
                ++written;
            }
            if (moving) {
                StepParticle(p, t, stepSeconds, F);
            }
            previous = index;
            index = next;
        }
        const int quads = static_cast<int>(written - first);
        if (quads > 0 && draw && t.texture.Get() != nullptr) {
            DrawTexturedTriangles(&m_vertices[first * 6], quads * 6, true, nullptr, t.texture);
        }
        drawnCount += quads;
    }
}

void ParticleManager::Clear() {
    while (m_running != nullptr) {
        Retire(m_running, nullptr);
    }
    if (m_particles == nullptr) {
        return;
    }
    m_freeSystems.clear();
    for (int i = kSystemCount - 1; i >= 0; --i) {
        m_freeSystems.push_back(&m_systems[i]);
    }
    for (int i = 1; i < kParticleCount; ++i) {
        m_particles[i] = Particle{};
        m_particles[i].next = static_cast<uint16_t>(i + 1 < kParticleCount ? i + 1 : 0);
    }
    m_firstFree = 1;
    for (ParticleTemplate& t : m_templates) {
        t.listHead = 0;
    }
}

void ParticleManager::Destroy() {
    Clear();
    m_templates.clear();
    m_emitters.clear();
    m_particles.reset();
    m_systems.reset();
    m_vertices.reset();
    m_freeSystems.clear();
    m_loaded = false;
    m_attempted = false;
}

int ParticleManager::RunningCount() const {
    int count = 0;
    for (const ParticleSystem* s = m_running; s != nullptr; s = s->next) {
        ++count;
    }
    return count;
}

int ParticleManager::LiveParticleCount() const {
    int count = 0;
    for (const ParticleTemplate& t : m_templates) {
        for (uint16_t i = t.listHead; i != 0; i = m_particles[i].next) {
            ++count;
        }
    }
    return count;
}

std::vector<const Particle*> ParticleManager::ParticlesOf(int templateIndex) const {
    std::vector<const Particle*> out;
    if (templateIndex < 0 || templateIndex >= static_cast<int>(m_templates.size()) || m_particles == nullptr) {
        return out;
    }
    for (uint16_t i = m_templates[static_cast<size_t>(templateIndex)].listHead; i != 0; i = m_particles[i].next) {
        out.push_back(&m_particles[i]);
    }
    return out;
}

}  // namespace Varnok
