// The hero's spoken lines: one line at a time on a sound of its own, after
// an optional delay, each category's line drawn from a bag that keeps it out
// of the next three picks. Main thread only.
#pragma once

#include "game/rules/SoundPlayer.h"
#include "game/rules/WeightedBag.h"

#include <cstdint>

namespace Varnok {

class Sound;
class SoundManager;

// The empty completion callers pass: answers false.
bool VoiceOverNoCompletion(Sound* sound);

class VoiceOverManager {
public:
    enum Bag { kBagCombo, kBagBomb, kBagLife, kBagHighScore, kBagEquip, kBagSpare1, kBagSpare2,
               kBagCount };
    // A drawn entry sits out this many draws.
    static constexpr int32_t kBagCoolDown = 3;

    // The manager must outlive the voice-over.
    explicit VoiceOverManager(SoundManager& sounds);
    ~VoiceOverManager();
    VoiceOverManager(const VoiceOverManager&) = delete;
    VoiceOverManager& operator=(const VoiceOverManager&) = delete;

    // Starts a line after delaySeconds: null while another plays or waits
    // (unless force), or while the voice is off.
    Sound* Play(const char* name, float delaySeconds, float volume, bool force,
                const SoundCompletion& completion);
    // Never cuts another line. About half the draws are silent lines.
    Sound* PlayCombo(float delaySeconds, float volume, const SoundCompletion& completion);
    Sound* PlayComboDelegate(float delaySeconds, float volume, SoundCompletion completion);
    // These cut a running line.
    Sound* PlayBomb(float delaySeconds, float volume, const SoundCompletion& completion);
    Sound* PlayLife(float delaySeconds, float volume, const SoundCompletion& completion);
    Sound* PlayHighScore(float delaySeconds, float volume, const SoundCompletion& completion);
    Sound* PlayEquip(float delaySeconds, float volume, const SoundCompletion& completion);
    // The unlock pop-up asks; there are no such lines.
    bool PlayUnlockLineKind1() { return false; }
    bool PlayUnlockLineKind2() { return false; }

    // Stops a playing or waiting line at once.
    void Stop();
    // Once a frame: counts the delay down, starts the line, and goes idle
    // when it has ended and its completion lets it.
    void Update(float stepSeconds);

    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }
    bool IsIdle() const { return m_idle; }
    uint32_t GetLineHash() const { return m_lineHash; }
    float GetDelay() const { return m_delay; }
    const WeightedBag& GetBag(Bag bag) const { return m_bags[bag]; }
    Sound* GetSound() const { return m_sound; }

private:
    // Draws from the bag (and regrows it once); plays "<format><value + 1>"
    // when the value is below playedValues.
    Sound* PlayFromBag(Bag bag, const char* format, int playedValues, float delaySeconds,
                       float volume, bool force, const SoundCompletion& completion);

    SoundManager& m_sounds;
    bool m_resumePending = false;
    Sound* m_sound;  // from the sound manager; destroyed with the voice-over
    uint32_t m_lineHash = 0;
    bool m_idle = true;
    bool m_paused = false;
    bool m_enabled = true;
    float m_volume = 0.0f;
    float m_delay = 0.0f;  // seconds before the line starts
    SoundCompletion m_completion;
    WeightedBag m_bags[kBagCount];
};

}  // namespace Varnok
