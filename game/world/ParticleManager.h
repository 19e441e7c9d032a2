// The game's particle engine: named particle systems read once from a
// particle file, started on request from a fixed pool, emitting particles
// from a fixed pool that are aged, moved and drawn as textured quads one
// draw call per template, with a short radial push ("blast"). Callers name
// systems by the name hash of the file's emitters. Main thread only.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/ImmediateVertex.h"
#include "engine/render/Texture.h"

#include <tinyxml.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

struct ParticleTemplate {
    enum Type : uint8_t { Point = 0, Vortex = 1, Direction = 2, Angular = 3 };

    float life = 0.0f;  // seconds
    uint16_t listHead = 0;  // live particles, newest first; 0 empty
    Vector3 frictionStart{1.0f, 1.0f, 1.0f};
    Vector3 frictionEnd{1.0f, 1.0f, 1.0f};
    Vector3 gravity;
    Vector3 gravityMax;
    uint8_t type = Point;
    uint8_t local = 0;  // particles live in their system's frame
    uint8_t sizes[6] = {};  // start min, max; middle min, max; end min, max
    int16_t cycleX[4] = {};  // start min, max, end min, max
    int16_t cycleY[4] = {};
    int16_t spin[4] = {};
    int32_t angleMin = 0;  // degrees
    int32_t angleMax = 0;
    float gridLockX = 0.0f;
    float gridLockY = 0.0f;
    // start min, max, end min, max, speed start min, max, speed end min,
    // max, offset min, max
    float rotateCycle[10] = {};
    // start max, start min, middle max, middle min, end max, end min
    Colour colours[6];
    SmartPtr<Texture> texture;
    float aspect = 1.0f;  // texture width / height
    int32_t layer = 0;
    uint32_t nameHash = 0;
};

struct ParticleSet {
    int templateIndex = 0;
    float startTime = 0.0f;
    float stopTime = 0.0f;  // 0: no end
    uint8_t initialCount = 0;
    float rate = 0.0f;  // particles per second
    Vector3 velocityMin;
    Vector3 velocityMax;
};

struct ParticleEmitter {
    std::string name;  // at most 63 characters
    uint32_t nameHash = 0;
    float life = 0.0f;  // seconds
    std::vector<ParticleSet> sets;
};

// A running system; callers write the public values after Spawn.
struct ParticleSystem {
    float time = 0.0f;
    uint16_t enabled = 1;
    Vector3 position;
    Vector3 velocity;  // added to the position every update, not scaled
    float rate = 1.0f;  // clock speed; 0 stops emission
    float lifeFraction = 1.0f;
    float scale = 1.0f;
    float stepFactor = 1.0f;
    float dirCos = 1.0f;
    float dirSin = 0.0f;
    float speedScale = 1.0f;
    uint8_t sideways = 0;
    const ParticleEmitter* emitter = nullptr;
    ParticleSystem* next = nullptr;
    ParticleSystem** ownerSlot = nullptr;  // cleared when the system retires
    uint8_t runsWhilePaused = 0;
    uint8_t noBlast = 0;
};

struct Particle {
    Vector3 position;
    Vector3 velocity;
    Vector3 gravity;
    Colour startColour;
    int16_t middleDelta[4] = {};  // b, g, r, a
    int16_t endDelta[4] = {};
    float remainingLife = 0.0f;
    float deathThreshold = 0.0f;
    uint16_t next = 0;
    Angle angle = 0;
    float spinStart = 0.0f;
    float spinEnd = 0.0f;
    Angle cycleXPhase = 0;
    float cycleXStart = 0.0f;
    float cycleXEnd = 0.0f;
    Angle cycleYPhase = 0;
    float cycleYStart = 0.0f;
    float cycleYEnd = 0.0f;
    float wobbleStart = 0.0f;  // degrees
    float wobbleEnd = 0.0f;
    float phaseOffset = 0.0f;  // turns
    float phaseSpeed = 0.0f;
    float phaseSpeedChange = 0.0f;
    uint16_t sizeStart = 0;
    int16_t sizeMiddleDelta = 0;
    int16_t sizeEndDelta = 0;
    float rotation[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    uint8_t sideways = 0;
    uint8_t noBlast = 0;
    const ParticleSystem* system = nullptr;
};

class ParticleManager {
public:
    static constexpr int kParticleCount = 1024;  // index 0 is never used
    static constexpr int kSystemCount = 120;
    static constexpr const char* kFastFile = "particles_fast.xml";
    static constexpr const char* kSlowFile = "particles_slow.xml";
    static constexpr const char* kFolder = "particles";

    static ParticleManager& Instance();

    ParticleManager();
    ~ParticleManager();
    ParticleManager(const ParticleManager&) = delete;
    ParticleManager& operator=(const ParticleManager&) = delete;

    // Reads "<folder>/<file>" once: a missing or malformed file is logged
    // once and leaves no systems, and is not read again.
    void LoadFile(const char* folder, const char* fileName);
    // Replaces the definitions with those of the text; for tests and the
    // fuzz target. Textures load only when loadTextures is set.
    void LoadText(const char* folder, const char* text, size_t length, bool loadTextures);
    bool IsLoaded() const { return m_loaded; }

    bool HasSystem(uint32_t nameHash) const;
    // Null when fewer than two systems are free (the slot is left alone) or
    // when no emitter has the hash (the slot is nulled).
    ParticleSystem* Spawn(uint32_t nameHash, ParticleSystem** ownerSlot);
    // Spawn by name.
    ParticleSystem* Spawn(const char* name, ParticleSystem** ownerSlot);
    void ReleaseEmitter(ParticleSystem* system);
    void UpdateSystems(float stepSeconds, bool paused);
    // Ages, moves and draws the particles of one layer.
    void Render(float stepSeconds, bool paused, int layer);
    void Clear();
    void Destroy();
    bool EndsByItself(const ParticleEmitter& emitter) const;

    // The push the super-fruit events set.
    float blastRadius = 0.0f;
    float blastFactor = 1.0f;
    Vector3 blastCentre;
    int drawnCount = 0;

    int RunningCount() const;
    int LiveParticleCount() const;
    const std::vector<ParticleTemplate>& Templates() const { return m_templates; }
    const std::vector<ParticleEmitter>& Emitters() const { return m_emitters; }
    // For tests: the particles of a template, newest first.
    std::vector<const Particle*> ParticlesOf(int templateIndex) const;
    // Turns drawing off, for runs without a GL context (motion still runs).
    void SetDrawing(bool draw) { m_drawing = draw; }

private:
    void MakePools();
    void ReadDocument(const TiXmlDocument& document, const char* folder, const char* source,
                      bool loadTextures);
    bool ReadTemplate(const TiXmlElement& element, const char* folder, bool loadTextures,
                      ParticleTemplate& out);
    bool ReadEmitter(const TiXmlElement& element, ParticleEmitter& out);
    void UpdateSystem(ParticleSystem& system, float stepSeconds);
    void EmitParticle(ParticleSystem& system, const ParticleSet& set);
    void Retire(ParticleSystem* system, ParticleSystem* previous);
    void StepParticle(Particle& particle, const ParticleTemplate& t, float stepSeconds, float h);

    std::vector<ParticleTemplate> m_templates;
    std::vector<ParticleEmitter> m_emitters;
    std::unique_ptr<Particle[]> m_particles;
    uint16_t m_firstFree = 1;
    std::unique_ptr<ParticleSystem[]> m_systems;
    std::vector<ParticleSystem*> m_freeSystems;
    ParticleSystem* m_running = nullptr;
    std::unique_ptr<ImmediateVertex[]> m_vertices;  // one pass: every particle once
    bool m_loaded = false;
    bool m_attempted = false;
    bool m_drawing = true;
};

}  // namespace Varnok
