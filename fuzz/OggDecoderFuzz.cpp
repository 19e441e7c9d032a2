// Feeds arbitrary bytes to the Ogg Vorbis decoder wrapper as a file in
// memory: the decoder through its data source, then the sample the game
// makes of a file (loop comment, rate conversion, streaming window). The
// mutator mends each page's checksum after mutating, or almost every mutation
// would end at the page reader.
#include "engine/audio/AudioDecoder.h"
#include "engine/audio/OggVorbisSample.h"
#include "engine/audio/PcmConverter.h"
#include "engine/audio/StreamingSample.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Bounds the work of one input: a few seconds of sound are enough to reach
// every decoder path, and a damaged header may announce hours.
constexpr uint32_t kMaxFrames = 1u << 16;

void Exercise(Varnok::AudioDecoder& decoder) {
    decoder.GetSampleRate();
    decoder.GetChannelCount();
    decoder.GetTotalMilliseconds();
    const int64_t total = decoder.GetTotalFrames();
    for (int i = -1; i <= decoder.GetCommentCount(); ++i) {
        decoder.GetComment(i);
    }
    char buffer[4096];
    long decoded = 0;
    for (int i = 0; i < 64 && decoded < static_cast<long>(kMaxFrames) * 4; ++i) {
        const long got = decoder.Decode(buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        decoded += got > 0 ? got : 0;
    }
    if (total > 0) {
        decoder.SeekFrame(total / 2);
        decoder.TellFrame();
        decoder.Decode(buffer, sizeof buffer);
        decoder.SeekFramePage(total / 3);
        decoder.SeekMilliseconds(1);
        decoder.TellMilliseconds();
    }
}

// Ogg's page checksum: CRC-32 with the polynomial 0x04C11DB7, most
// significant bit first, starting from 0, without a final inversion.
uint32_t OggCrc(const uint8_t* bytes, size_t size) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit) {
                r = (r & 0x80000000u) != 0 ? (r << 1) ^ 0x04C11DB7u : r << 1;
            }
            t[i] = r;
        }
        return t;
    }();
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc = (crc << 8) ^ table[((crc >> 24) ^ bytes[i]) & 0xFF];
    }
    return crc;
}

// Gives every whole page in the bytes its right checksum, so that mutated
// pages reach the decoder instead of being dropped by the page reader.
void FixPageChecksums(uint8_t* data, size_t size) {
    constexpr size_t kHeaderBytes = 27;
    constexpr size_t kChecksumOffset = 22;
    size_t at = 0;
    while (at + kHeaderBytes <= size) {
        if (std::memcmp(data + at, "OggS", 4) != 0) {
            ++at;
            continue;
        }
        const size_t segments = data[at + 26];
        if (at + kHeaderBytes + segments > size) {
            break;
        }
        size_t pageBytes = kHeaderBytes + segments;
        for (size_t i = 0; i < segments; ++i) {
            pageBytes += data[at + kHeaderBytes + i];
        }
        if (at + pageBytes > size) {
            ++at;  // cut short: perhaps a page starts inside it
            continue;
        }
        std::memset(data + at + kChecksumOffset, 0, 4);
        const uint32_t crc = OggCrc(data + at, pageBytes);
        for (int i = 0; i < 4; ++i) {
            data[at + kChecksumOffset + i] = static_cast<uint8_t>(crc >> (8 * i));
        }
        at += pageBytes;
    }
}

}  // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    (void)seed;  // LLVMFuzzerMutate draws from the fuzzer's own generator
    size = LLVMFuzzerMutate(data, size, maxSize);
    FixPageChecksums(data, size);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        auto* source = new Varnok::MemoryDataSource(data, size);
        std::unique_ptr<Varnok::AudioDecoder> decoder = Varnok::CreateAudioDecoder(source, true);
        if (decoder) {
            Exercise(*decoder);
        }
    }

    Varnok::SmartPtr<Varnok::OggVorbisSample> file(new Varnok::OggVorbisSample);
    if (!file->OpenBytes(std::vector<uint8_t>(data, data + size), "fuzz input")) {
        return 0;
    }
    const uint32_t frames = std::min(file->GetLength(), kMaxFrames);
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * file->GetChannelCount());
    file->Read(pcm.data(), 0, frames);

    // Both conversions the game may ask for, read the way voices read them.
    for (bool mono : {false, true}) {
        Varnok::SmartPtr<Varnok::AudioSampleSource> converter(
            new Varnok::PcmConverter(file, 44100, mono));
        Varnok::StreamingSample stream(converter);
        const uint32_t length = std::min(stream.GetLength(), kMaxFrames);
        for (uint32_t from = 0; from < length; from += 1500) {
            stream.GetFrames(from, from + 1764);
        }
        stream.GetFrames(length / 3, length / 3 + 2000);
    }
    return 0;
}
