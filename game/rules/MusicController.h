// The game's music: picks the current track by a short name ("Music-menu",
// "background"...), starts it on the next frame fading in, and fades it out
// while the music setting is off. Main thread only.
#pragma once

#include <cstdint>

namespace Varnok {

class SoundManager;

class MusicController {
public:
    // "Music/" and the name, cut to fit with its terminator.
    static constexpr int kPathBytes = 256;
    static constexpr int kMaxPathChars = 254;
    // A whole fade takes 1 / kFadePerSecond seconds.
    static constexpr float kFadePerSecond = 4.0f;
    // Of the music stage (which adds its own 0.8).
    static constexpr float kMusicVolume = 0.4f;

    // The game's controller, on the engine's sound manager.
    static MusicController& Instance();

    // The manager must outlive the controller.
    explicit MusicController(SoundManager& sounds);

    // The track starts (again, from its beginning) at the next update.
    // Answers the hash of its path; a null name clears it (0).
    uint32_t SetTrack(const char* name);
    // The next update starts the current track from its beginning.
    void Reset() { m_state = kStateSet; }
    uint32_t GetTrackHash() const { return m_pathHash; }
    const char* GetPath() const { return m_path; }
    // -1..1; its magnitude is the music level, negative while music plays.
    float GetFade() const { return m_fade; }

    // Once a frame; follows the game record's music switch.
    void Update(float stepSeconds);

private:
    static constexpr int kStateSet = 0;       // set, not started
    static constexpr int kStateStarted = -1;

    SoundManager& m_sounds;
    float m_fade = 0.0f;
    int m_state = kStateSet;
    char m_path[kPathBytes] = {};  // empty until the first track
    uint32_t m_pathHash = 0;
};

}  // namespace Varnok
