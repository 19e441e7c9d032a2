// The recipes of the game's sounds.
#include "tools/make_sounds/SoundSynth.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A small repeatable noise source.
class Noise {
public:
    double Next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(m_state >> 11) / static_cast<double>(1ULL << 53) * 2.0 - 1.0;
    }

private:
    uint64_t m_state = 0x2545F4914F6CDD1DULL;
};

int16_t ToSample(double value) {
    return static_cast<int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0));
}

// A whoosh: noise through a resonant band-pass whose centre sweeps up and down.
SynthSound Swipe() {
    SynthSound sound{"swipe", 22050, 1, {}, -1, true};
    const int frames = 22050 * 25 / 100;
    Noise noise;
    double low = 0.0;
    double band = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / frames;
        const double centre = 600.0 + 2400.0 * std::sin(kPi * t);
        const double f = 2.0 * std::sin(kPi * centre / sound.sampleRate);
        const double q = 0.35;
        const double high = noise.Next() - low - q * band;
        band += f * high;
        low += f * band;
        const double envelope = std::sin(kPi * t) * std::sin(kPi * t);
        sound.samples.push_back(ToSample(band * 0.5 * envelope));
    }
    return sound;
}

// A wet hit: a noise burst over a low thump, both decaying fast.
SynthSound Splat() {
    SynthSound sound{"splat", 44100, 1, {}, -1, true};
    const int frames = 44100 * 35 / 100;
    Noise noise;
    double smoothed = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sound.sampleRate;
        smoothed += 0.25 * (noise.Next() - smoothed);
        const double burst = smoothed * std::exp(-t * 18.0);
        const double thump = std::sin(2.0 * kPi * 90.0 * t) * std::exp(-t * 12.0);
        const double attack = std::min(1.0, t * 400.0);
        sound.samples.push_back(ToSample((0.7 * burst + 0.5 * thump) * attack));
    }
    return sound;
}

// A heavy landing: a sine falling from 120 Hz to 50 Hz.
SynthSound Thud() {
    SynthSound sound{"thud", 44100, 1, {}, -1, true};
    const int frames = 44100 * 30 / 100;
    double phase = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sound.sampleRate;
        const double frequency = 50.0 + 70.0 * std::exp(-t * 10.0);
        phase += 2.0 * kPi * frequency / sound.sampleRate;
        const double attack = std::min(1.0, t * 300.0);
        sound.samples.push_back(ToSample(0.8 * std::sin(phase) * std::exp(-t * 9.0) * attack));
    }
    return sound;
}

// A short bright click.
SynthSound Tick() {
    SynthSound sound{"tick", 44100, 1, {}, -1, true};
    const int frames = 44100 * 5 / 100;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sound.sampleRate;
        sound.samples.push_back(
            ToSample(0.6 * std::sin(2.0 * kPi * 2000.0 * t) * std::exp(-t * 120.0)));
    }
    return sound;
}

// A looping stereo hum: a swell, then a loop of whole periods of 105 Hz
// (420 frames each) that joins without a click.
SynthSound Hum() {
    SynthSound sound{"hum_lp", 44100, 2, {}, 4410, true};
    const int attack = 4410;
    const int loopFrames = 420 * 100;
    for (int i = 0; i < attack + loopFrames; ++i) {
        const double t = static_cast<double>(i) / sound.sampleRate;
        const double level = i < attack ? static_cast<double>(i) / attack : 1.0;
        const double w = 2.0 * kPi * 105.0 * t;
        const double left = 0.30 * std::sin(w) + 0.12 * std::sin(2 * w) + 0.05 * std::sin(3 * w);
        const double right = 0.30 * std::sin(w) + 0.08 * std::sin(2 * w) + 0.08 * std::sin(4 * w);
        sound.samples.push_back(ToSample(left * level));
        sound.samples.push_back(ToSample(right * level));
    }
    return sound;
}

// Four seconds of music (eight beats at 120 per minute) that loops from the
// start: an arpeggio over a bass line, every note ending inside its beat.
SynthSound MusicLoop() {
    SynthSound sound{"music_lp", 44100, 2, {}, -1, false};
    const int beatFrames = 44100 / 2;
    const double bass[8] = {110.0, 110.0, 87.31, 87.31, 130.81, 130.81, 98.0, 98.0};
    const double chords[4][3] = {
        {220.0, 261.63, 329.63}, {174.61, 220.0, 261.63}, {261.63, 329.63, 392.0},
        {196.0, 246.94, 293.66}};
    for (int beat = 0; beat < 8; ++beat) {
        for (int i = 0; i < beatFrames; ++i) {
            const double t = static_cast<double>(i) / sound.sampleRate;
            const double beatEnvelope = std::exp(-t * 4.0) * std::min(1.0, t * 200.0) *
                                        std::min(1.0, (beatFrames - i) / 200.0);
            const double low = 0.35 * std::sin(2.0 * kPi * bass[beat] * t) * beatEnvelope;
            // Three arpeggio notes a beat, each with its own short envelope.
            const int third = beatFrames / 3;
            const int note = std::min(i / third, 2);
            const double noteTime = static_cast<double>(i - note * third) / sound.sampleRate;
            const double noteEnvelope = std::exp(-noteTime * 10.0) *
                                        std::min(1.0, noteTime * 300.0) *
                                        std::min(1.0, (third - (i - note * third)) / 100.0 + 0.0);
            const double arp =
                0.25 * std::sin(2.0 * kPi * chords[beat / 2][note] * 2.0 * t) * noteEnvelope;
            sound.samples.push_back(ToSample(low + 0.8 * arp));
            sound.samples.push_back(ToSample(0.8 * low + arp));
        }
    }
    return sound;
}

// A short wet hit of a given pitch and length: the fruit impacts and the
// pulp drips differ only in these.
SynthSound WetHit(const std::string& name, double thumpHz, double decayPerSecond, double seconds,
                  uint64_t noiseSkip) {
    SynthSound sound{name, 44100, 1, {}, -1, true};
    const int frames = static_cast<int>(44100 * seconds);
    Noise noise;
    for (uint64_t i = 0; i < noiseSkip; ++i) {
        noise.Next();  // a different grain per sound
    }
    double smoothed = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sound.sampleRate;
        smoothed += 0.3 * (noise.Next() - smoothed);
        const double envelope = std::exp(-t * decayPerSecond) * std::min(1.0, (frames - i) / 200.0);
        const double body = std::sin(2.0 * kPi * thumpHz * t * (1.0 - 0.4 * t / seconds));
        sound.samples.push_back(ToSample((0.5 * smoothed + 0.5 * body) * envelope));
    }
    return sound;
}

// One impact per sample fruit kind, higher for small fruit.
void AddFruitSounds(std::vector<SynthSound>& sounds) {
    const struct {
        const char* kind;
        double hz;
    } kinds[] = {{"Apple", 180.0},      {"Banana", 150.0},    {"Strawberry", 260.0}, {"Kiwifruit", 240.0},
                 {"Lime", 230.0},       {"Watermelon", 90.0}, {"Pineapple", 110.0},  {"Bean", 320.0}};
    uint64_t skip = 1;
    for (const auto& kind : kinds) {
        sounds.push_back(WetHit(std::string("Impact-") + kind.kind, kind.hz, 22.0, 0.18, skip++));
    }
    sounds.push_back(WetHit("Pulp-drip-1", 520.0, 30.0, 0.12, skip++));
    sounds.push_back(WetHit("Pulp-drip-2", 610.0, 34.0, 0.11, skip++));
}

// A small hash of a name, so that every named sound of a recipe differs a
// little in pitch and grain and the same name always sounds the same.
uint32_t NameSeed(const std::string& name) {
    uint32_t hash = 2166136261u;
    for (char c : name) {
        hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    }
    return hash;
}

double Spread(uint32_t seed, double low, double high) {
    return low + (high - low) * static_cast<double>(seed % 1000u) / 999.0;
}

// A whoosh of a given length whose band sweeps around a centre.
SynthSound Whoosh(const std::string& name, uint32_t seed) {
    SynthSound sound{name, 22050, 1, {}, -1, false};
    const double seconds = Spread(seed, 0.15, 0.3);
    const int frames = static_cast<int>(sound.sampleRate * seconds);
    const double base = Spread(seed >> 10, 400.0, 900.0);
    Noise noise;
    for (uint32_t i = 0; i < seed % 97u; ++i) {
        noise.Next();
    }
    double low = 0.0;
    double band = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / frames;
        const double centre = base + 2000.0 * std::sin(kPi * t);
        const double f = 2.0 * std::sin(kPi * centre / sound.sampleRate);
        const double high = noise.Next() - low - 0.35 * band;
        band += f * high;
        low += f * band;
        sound.samples.push_back(ToSample(band * 0.5 * std::sin(kPi * t) * std::sin(kPi * t)));
    }
    return sound;
}

// A boom: low falling sine under a noise burst; bigger names last longer.
SynthSound Boom(const std::string& name, uint32_t seed, double seconds) {
    SynthSound sound{name, 22050, 1, {}, -1, false};
    const int frames = static_cast<int>(sound.sampleRate * seconds);
    const double top = Spread(seed, 90.0, 160.0);
    Noise noise;
    double smoothed = 0.0;
    double phase = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sound.sampleRate;
        smoothed += 0.2 * (noise.Next() - smoothed);
        phase += 2.0 * kPi * (40.0 + top * std::exp(-t * 8.0)) / sound.sampleRate;
        const double envelope = std::exp(-t * 4.0 / seconds) * std::min(1.0, t * 500.0) *
                                std::min(1.0, (frames - i) / 300.0);
        sound.samples.push_back(ToSample((0.6 * std::sin(phase) + 0.6 * smoothed) * envelope));
    }
    return sound;
}

// A chime: two bell-like notes a fifth or an octave apart.
SynthSound Chime(const std::string& name, uint32_t seed) {
    SynthSound sound{name, 22050, 1, {}, -1, false};
    const double seconds = Spread(seed, 0.2, 0.45);
    const int frames = static_cast<int>(sound.sampleRate * seconds);
    const double first = Spread(seed, 440.0, 990.0);
    const double second = first * ((seed & 1u) != 0 ? 1.5 : 2.0);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sound.sampleRate;
        const double frequency = t < seconds * 0.4 ? first : second;
        const double noteTime = t < seconds * 0.4 ? t : t - seconds * 0.4;
        const double envelope = std::exp(-noteTime * 9.0) * std::min(1.0, noteTime * 800.0) *
                                std::min(1.0, (frames - i) / 200.0);
        const double bell = std::sin(2.0 * kPi * frequency * t) + 0.3 * std::sin(2.0 * kPi * frequency * 2.76 * t);
        sound.samples.push_back(ToSample(0.4 * bell * envelope));
    }
    return sound;
}

// A spoken-sounding line: a buzzing voice through two vowel formants that
// glide, with a rising and falling pitch.
SynthSound Voice(const std::string& name, uint32_t seed) {
    SynthSound sound{name, 22050, 1, {}, -1, false};
    const double seconds = Spread(seed, 0.6, 1.1);
    const int frames = static_cast<int>(sound.sampleRate * seconds);
    const double pitch = Spread(seed >> 8, 95.0, 150.0);
    double phase = 0.0;
    double low1 = 0.0, band1 = 0.0, low2 = 0.0, band2 = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / frames;
        phase += pitch * (1.0 + 0.25 * std::sin(kPi * t)) / sound.sampleRate;
        const double buzz = 2.0 * (phase - std::floor(phase)) - 1.0;
        const double f1 = 2.0 * std::sin(kPi * (500.0 + 300.0 * std::sin(3.0 * kPi * t)) / sound.sampleRate);
        const double f2 = 2.0 * std::sin(kPi * (1200.0 + 600.0 * std::cos(2.0 * kPi * t)) / sound.sampleRate);
        const double high1 = buzz - low1 - 0.2 * band1;
        band1 += f1 * high1;
        low1 += f1 * band1;
        const double high2 = buzz - low2 - 0.25 * band2;
        band2 += f2 * high2;
        low2 += f2 * band2;
        const double envelope = std::min(1.0, t * 30.0) * std::min(1.0, (1.0 - t) * 20.0);
        sound.samples.push_back(ToSample((0.25 * band1 + 0.15 * band2) * envelope));
    }
    return sound;
}

// A loop: a short swell, then whole periods of a hum (or a crackle for the
// fuse) that join without a click; the loop point is the swell's end.
SynthSound Loop(const std::string& name, uint32_t seed, bool crackle) {
    SynthSound sound{name, 22050, 1, {}, 2205, false};
    const int attack = 2205;
    const int period = 2 * static_cast<int>(Spread(seed, 70.0, 140.0));  // frames of one period
    const int loopFrames = period * (22050 / period);
    Noise noise;
    for (int i = 0; i < attack + loopFrames; ++i) {
        const double level = i < attack ? static_cast<double>(i) / attack : 1.0;
        const int inLoop = i < attack ? i : (i - attack) % period;
        const double w = 2.0 * kPi * inLoop / period;
        double value = 0.3 * std::sin(w) + 0.1 * std::sin(2.0 * w);
        if (crackle) {
            value = 0.15 * std::sin(w) + 0.35 * noise.Next() * (0.5 + 0.5 * std::sin(7.0 * w));
        }
        sound.samples.push_back(ToSample(value * level));
    }
    return sound;
}

// Music: a bar of pickup, then bars that loop back to the end of the pickup
// (its "LOOPSAMPLES=" point). Each track has its own key and tempo.
SynthSound Music(const std::string& name, double rootHz, int beatsPerMinute) {
    SynthSound sound{name, 44100, 2, {}, -1, false};
    sound.folder = "Music";
    const int beatFrames = 44100 * 60 / beatsPerMinute;
    const int introBeats = 2;
    const int loopBeats = 8;
    sound.loopStart = static_cast<int64_t>(introBeats) * beatFrames;
    const double steps[4] = {1.0, 0.8909, 1.1892, 0.7492};  // i, vi-ish, iii-ish, v-ish
    for (int beat = 0; beat < introBeats + loopBeats; ++beat) {
        const bool intro = beat < introBeats;
        const double bass = rootHz * steps[intro ? 0 : ((beat - introBeats) / 2) % 4];
        for (int i = 0; i < beatFrames; ++i) {
            const double t = static_cast<double>(i) / sound.sampleRate;
            const double envelope = std::exp(-t * 4.0) * std::min(1.0, t * 200.0) *
                                    std::min(1.0, (beatFrames - i) / 200.0);
            const double low = (intro ? 0.2 : 0.35) * std::sin(2.0 * kPi * bass * t) * envelope;
            const int quarter = beatFrames / 4;
            const int note = std::min(i / quarter, 3);
            const double noteTime = static_cast<double>(i - note * quarter) / sound.sampleRate;
            const double noteEnvelope = std::exp(-noteTime * 12.0) * std::min(1.0, noteTime * 300.0) *
                                        std::min(1.0, (quarter - (i - note * quarter)) / 100.0);
            const double ratios[4] = {2.0, 2.5198, 2.9966, 4.0};
            const double arp = 0.22 * std::sin(2.0 * kPi * bass * ratios[note] * t) * noteEnvelope;
            sound.samples.push_back(ToSample(low + 0.8 * arp));
            sound.samples.push_back(ToSample(0.8 * low + arp));
        }
    }
    return sound;
}

// Every name the game preloads, by recipe, in the game's order: "%s" names,
// and "%s%d" ranges from first to last.
void AddNamedGameSounds(std::vector<SynthSound>& sounds) {
    struct Range {
        const char* stem;
        int first;
        int last;  // 0: the stem is the whole name
    };
    const Range names[] = {
        {"achievement", 0, 0}, {"act-change", 0, 0}, {"bean-collect", 0, 0}, {"bean-lp", 0, 0},
        {"blade-bean-", 1, 5}, {"blade-fire-", 1, 7}, {"blade-fire-impact-", 1, 5},
        {"blade-guitar-hit-", 1, 4}, {"blade-paw-", 1, 3}, {"blade-paw-cut-", 1, 3},
        {"balloon-pop-", 1, 1}, {"bomb-bounce", 0, 0}, {"Bomb-explode", 0, 0}, {"Bomb-Fuse", 0, 0}, {"Bonus-drum-roll", 0, 0},
        {"Bonus-Explosion-1", 0, 0}, {"Bonus-Explosion-3", 0, 0}, {"Bonus-Explosion-5", 0, 0},
        {"bonus", 0, 0}, {"bounce-", 1, 3}, {"button-press", 0, 0}, {"challenge-cross", 0, 0},
        {"challenge-pass", 0, 0}, {"challenge-tick", 0, 0}, {"Clean-Slice-", 1, 3},
        {"coconut-bounce", 0, 0}, {"Combo", 0, 0}, {"count-", 1, 3}, {"count-complete", 0, 0},
        {"count-display", 0, 0}, {"Critical", 0, 0}, {"equip-new-sword", 0, 0},
        {"equip-new-wallpaper", 0, 0}, {"equip-unlock", 0, 0}, {"extra-life", 0, 0},
        {"final-score", 0, 0}, {"fruit-spawn", 0, 0}, {"Game-over", 0, 0}, {"Game-start", 0, 0},
        {"gank", 0, 0}, {"hatch-close", 0, 0}, {"hatch-open", 0, 0}, {"Impact-Apple", 0, 0},
        {"Impact-Banana", 0, 0}, {"Impact-Coconut-More-Attack", 0, 0}, {"Impact-Coconut", 0, 0},
        {"Impact-kiwifruit", 0, 0}, {"Impact-Orange", 0, 0}, {"Impact-Pineapple", 0, 0},
        {"Impact-Plum", 0, 0}, {"Impact-Strawberry", 0, 0}, {"Impact-Watermelon", 0, 0},
        {"life-lose", 0, 0}, {"megabomb-bounce", 0, 0}, {"megafruit-bounce", 0, 0},
        {"menu-bomb", 0, 0}, {"New-best-score", 0, 0}, {"Next-screen-button", 0, 0}, {"Pause", 0, 0},
        {"pome-burst", 0, 0}, {"pome-lp", 0, 0}, {"pome-rampdown", 0, 0}, {"pome-slice-", 1, 3},
        {"pome-zoomout", 0, 0}, {"popup-1", 0, 0}, {"reflex", 0, 0}, {"silencio", 0, 0},
        {"slot_spin_lp", 0, 0}, {"Splatter-Medium-1", 0, 0}, {"Splatter-Medium-2", 0, 0},
        {"Splatter-Small-1", 0, 0}, {"Splatter-Small-2", 0, 0}, {"tally", 0, 0},
        {"Throw-bomb", 0, 0}, {"Throw-fruit", 0, 0}, {"time-normal", 0, 0}, {"Time-tick", 0, 0},
        {"Time-tock", 0, 0}, {"time-up", 0, 0}, {"time-urgent", 0, 0}, {"togo-", 1, 5},
        {"ui-door-close", 0, 0}, {"ui-door-open", 0, 0}, {"ui-panel-rotate", 0, 0},
        {"ui-panel-stop", 0, 0}, {"ui-scroll", 0, 0}, {"ui-select", 0, 0}, {"Unpause", 0, 0},
        {"Upsell-whoosh", 0, 0}, {"VO_Bomb_", 1, 8}, {"VO_Combo_", 1, 14}, {"VO_Equip_", 1, 6},
        {"VO_HighScore_", 1, 3}, {"VO_Life_", 1, 3}, {"Sword-swipe-", 1, 7},
        {"Visceral-impact-", 1, 3}, {"Combo-", 1, 8},
    };
    auto has = [](const std::string& text, const char* part) { return text.find(part) != std::string::npos; };
    for (const Range& range : names) {
        const int last = range.last == 0 ? range.first : range.last;
        for (int n = range.first; n <= last; ++n) {
            const std::string name = range.last == 0 ? range.stem : range.stem + std::to_string(n);
            bool exists = false;
            for (const SynthSound& sound : sounds) {
                exists = exists || sound.name == name;
            }
            if (exists) {
                continue;  // the fruit impacts made above
            }
            const uint32_t seed = NameSeed(name);
            if (name == "silencio") {
                SynthSound quiet{name, 22050, 1, std::vector<int16_t>(2205, 0), -1, false};
                sounds.push_back(quiet);
            } else if (name == "Bomb-Fuse") {
                sounds.push_back(Loop(name, seed, true));
            } else if (has(name, "-lp") || has(name, "_lp")) {
                sounds.push_back(Loop(name, seed, false));
            } else if (has(name, "VO_")) {
                sounds.push_back(Voice(name, seed));
            } else if (has(name, "xplo") || has(name, "burst") || has(name, "menu-bomb") || has(name, "gank")) {
                sounds.push_back(Boom(name, seed, 0.9));
            } else if (has(name, "bounce") || has(name, "hatch") || has(name, "door") || has(name, "zoomout") ||
                       has(name, "rampdown") || has(name, "life-lose")) {
                sounds.push_back(Boom(name, seed, 0.3));
            } else if (has(name, "Impact") || has(name, "impact") || has(name, "Slice") || has(name, "slice") ||
                       has(name, "Splatter") || has(name, "cut") || has(name, "hit")) {
                sounds.push_back(WetHit(name, Spread(seed, 120.0, 320.0), 22.0, 0.18, seed % 50u));
            } else if (has(name, "swipe") || has(name, "Throw") || has(name, "whoosh") || has(name, "scroll") ||
                       has(name, "rotate") || has(name, "blade-") || has(name, "spawn")) {
                sounds.push_back(Whoosh(name, seed));
            } else {
                sounds.push_back(Chime(name, seed));
            }
            sounds.back().preload = false;  // the game preloads these itself, by name
        }
    }
}

}  // namespace

std::vector<SynthSound> MakeGameSounds() {
    std::vector<SynthSound> sounds = {Swipe(), Splat(), Thud(), Tick(), Hum(), MusicLoop()};
    AddFruitSounds(sounds);
    AddNamedGameSounds(sounds);
    sounds.push_back(Music("Music-menu", 110.0, 112));
    sounds.push_back(Music("background", 98.0, 128));
    // The challenge run: a track an act, and the boss act's intro, loop and
    // ending.
    sounds.push_back(Music("Music-act1", 123.47, 120));
    sounds.push_back(Music("Music-act2", 130.81, 126));
    sounds.push_back(Music("Music-act3", 146.83, 132));
    sounds.push_back(Music("Music-bonus", 164.81, 140));
    sounds.push_back(Music("Music-bonus-lp", 164.81, 140));
    sounds.push_back(Music("Music-bonus-end", 110.0, 100));
    return sounds;
}

}  // namespace Varnok
