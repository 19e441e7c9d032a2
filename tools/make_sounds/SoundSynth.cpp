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

}  // namespace

std::vector<SynthSound> MakeGameSounds() {
    std::vector<SynthSound> sounds = {Swipe(), Splat(), Thud(), Tick(), Hum(), MusicLoop()};
    AddFruitSounds(sounds);
    return sounds;
}

}  // namespace Varnok
