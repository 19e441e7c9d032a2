// OpenSample: decoder, converter and the decoded or streamed wrapper.
#include "engine/audio/OpenSample.h"

#include "engine/audio/DecodedSample.h"
#include "engine/audio/OggVorbisSample.h"
#include "engine/audio/PcmConverter.h"
#include "engine/audio/StreamingSample.h"
#include "engine/core/Log.h"

#include <utility>

namespace Varnok {

namespace {

SmartPtr<AudioSampleSource> Wrap(SmartPtr<OggVorbisSample> file, const char* what,
                                 bool streaming, bool mono) {
    const uint64_t converted =
        PcmConverter::ConvertedLength(file->GetLength(), file->GetSampleRate(), kMixRate);
    if (converted >= AudioSampleSource::kNoLoop) {
        Log("OpenSample: \"%s\" is too long to play", what);
        return nullptr;
    }
    SmartPtr<AudioSampleSource> converter(new PcmConverter(file, kMixRate, mono));
    if (streaming) {
        return SmartPtr<AudioSampleSource>(new StreamingSample(converter));
    }
    return DecodedSample::Decode(*converter, what);
}

}  // namespace

SmartPtr<AudioSampleSource> OpenSample(const char* path, bool streaming, bool mono) {
    if (path == nullptr) {
        return nullptr;
    }
    SmartPtr<OggVorbisSample> file(new OggVorbisSample);
    if (!file->Open(path)) {
        return nullptr;
    }
    return Wrap(std::move(file), path, streaming, mono);
}

SmartPtr<AudioSampleSource> OpenSampleBytes(std::vector<uint8_t> bytes, const char* what,
                                            bool streaming, bool mono) {
    SmartPtr<OggVorbisSample> file(new OggVorbisSample);
    if (!file->OpenBytes(std::move(bytes), what)) {
        return nullptr;
    }
    return Wrap(std::move(file), what, streaming, mono);
}

}  // namespace Varnok
