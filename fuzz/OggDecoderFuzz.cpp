// Feeds arbitrary bytes to the Ogg Vorbis decoder wrapper as a file in
// memory: the decoder through its data source, then the sample the game
// makes of a file (loop comment, rate conversion, streaming window).
#include "engine/audio/AudioDecoder.h"
#include "engine/audio/OggVorbisSample.h"
#include "engine/audio/PcmConverter.h"
#include "engine/audio/StreamingSample.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
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

}  // namespace

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
