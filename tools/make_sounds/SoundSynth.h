// The game's own short sounds, synthesised from oscillators and noise so that
// every run makes the same samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {

struct SynthSound {
    std::string name;          // file name without folder or extension
    uint32_t sampleRate = 44100;
    uint32_t channels = 1;
    std::vector<int16_t> samples;  // interleaved
    int64_t loopStart = -1;    // written as a "LOOPSAMPLES=" comment when >= 0
    bool preload = true;       // listed in the sound list
    std::string folder = "sound";  // below the bundle
};

std::vector<SynthSound> MakeGameSounds();

}  // namespace Varnok
