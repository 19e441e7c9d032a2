// Juice on the background: a fixed ring of 256 splatters that fly at the
// screen, land as one of six shapes from an atlas tinted with the juice
// colour, make a splat sound and fade, faster the busier the field is.
// Drawn behind everything. Main thread only.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/ImmediateVertex.h"
#include "engine/render/Texture.h"

#include <cstdint>
#include <memory>

namespace Varnok {

class Random;
class SoundPlayer;

struct SplatterRecord {
    static constexpr int kFrameFlying = -1;

    void Init() {
        frame = kFrameFlying;
        active = 1;
    }

    float flash = 0.0f;  // seconds of critical-colour flash left
    Colour colour{0, 0, 0, 255};  // alpha is the drawn alpha
    float baseAlpha = 0.0f;
    float angle = 0.0f;  // degrees
    int32_t kind = 0;    // at or above the kind count: not a fruit
    uint8_t fromSlash = 0;
    uint8_t seeds = 0;
    Vector3 axisA;
    Vector3 axisB;
    uint8_t flip = 0;
    Vector3 position;  // z runs from the screen towards the background
    float scaleX = 0.0f;
    float scaleY = 0.0f;  // negative: the atlas is upside down
    Vector3 velocity;     // units per second
    float life = 0.0f;
    float fadeRate = 0.0f;  // life per second before the layer's fade factor
    int32_t frame = kFrameFlying;  // atlas cell 0..5 once landed
    uint8_t active = 0;
    uint8_t quiet = 0;  // the landing makes no sound
};

// What the layer reads of the rest of the game each update.
struct SplatterFrame {
    float frameStep = 0.0f;  // the game record's step
    Vector2 backgroundDelta;
    int liveWorldObjects = 0;
    bool fastDevice = true;
};

class SplatterLayer {
public:
    static constexpr int kDefaultCount = 256;
    static constexpr const char* kTextureName = "textures/effects/white_splash.tex";

    static SplatterLayer& Get();

    // Draws come from random (the game-wide generator); sounds go to the
    // player when one is given. Both must outlive the layer's use.
    void SetServices(Random* random, SoundPlayer* sounds);
    void LoadResources();
    void Create(int count);
    // The record at the ring cursor when it is free, else the next free one;
    // after a full turn the one at the cursor, busy or not. Null before
    // Create.
    SplatterRecord* AddRandom();
    void Add(SplatterRecord& record, const Vector3& position, const Vector3& size, int fromSlash, int quiet,
             int32_t kind);
    void Update(float stepSeconds, const SplatterFrame& frame);
    // Writes the landed splatters' quads and draws them in one list; the
    // three factors tint red, green and blue.
    void Render(const float colourFactors[3]);
    // 0 small drip, 1 small splat, 2 medium splat; others are clamped.
    void PlaySound(int kind);
    int GetActiveCount() const { return m_activeCount; }
    void StopAll();
    void Clear();
    void Release();

    int GetCount() const { return m_count; }
    SplatterRecord& GetRecord(int index) { return m_records[index]; }
    int GetCursor() const { return m_cursor; }
    int GetDrawnCount() const { return m_drawnCount; }
    float GetFadeFactor() const { return m_fadeFactor; }
    // Which sounds were asked of the player, for tests; counts every play.
    int GetSoundsPlayed() const { return m_soundsPlayed; }

private:
    float NextFloat();
    uint32_t Next();
    void Play(const char* name);
    void UpdateRecord(SplatterRecord& record, const SplatterFrame& frame);
    // The juice colour: the blade's override, else the kind's; the
    // critical colour for a kind that is no fruit.
    Colour JuiceColour(int32_t kind) const;

    std::unique_ptr<SplatterRecord[]> m_records;
    int m_count = 0;
    int m_cursor = 0;
    std::unique_ptr<ImmediateVertex[]> m_vertices;  // six per record
    int m_drawnCount = 0;
    SmartPtr<Texture> m_texture;
    bool m_loaded = false;
    float m_soundCooldowns[3] = {0.0f, 0.0f, 0.0f};
    float m_dripTimer = -0.5f;
    float m_fadeFactor = 1.25f;
    int m_activeCount = 0;
    int32_t m_coconutKind = -2;  // -2: not looked up yet
    Random* m_random = nullptr;
    SoundPlayer* m_sounds = nullptr;
    int m_soundsPlayed = 0;
};

}  // namespace Varnok
