// Encodes 16-bit PCM to Ogg Vorbis bytes with libvorbisenc, for the tools that
// make the game's sounds and the audio tests' fixtures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {

struct OggEncodeDef {
    uint32_t sampleRate = 44100;
    uint32_t channels = 1;
    float quality = 0.4f;               // libvorbisenc's VBR quality, -0.1 .. 1
    std::vector<std::string> comments;  // "KEY=value", e.g. "LOOPSAMPLES=500"
    uint32_t serial = 0x56524E4B;       // a fixed stream serial keeps output repeatable
};

// `samples` holds interleaved frames. False (and nothing written) when the
// encoder refuses the format.
bool EncodeOggVorbis(const std::vector<int16_t>& samples, const OggEncodeDef& def,
                     std::vector<uint8_t>* outBytes);

// Writes bytes to a file, creating missing parent directories.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace Varnok
