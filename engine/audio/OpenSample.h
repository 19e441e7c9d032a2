// Opening a sound file as a playable sample at the mixing rate.
#pragma once

#include "engine/audio/AudioSampleSource.h"
#include "engine/core/SmartPtr.h"

#include <cstdint>
#include <vector>

namespace Varnok {

// The one rate everything is mixed at.
constexpr uint32_t kMixRate = 44100;

// An Ogg Vorbis file from the mounted file systems converted to kMixRate,
// down-mixed to one channel when `mono`. Streaming gives a windowed sample
// that decodes as it plays; otherwise the whole sound is decoded now. Null
// (with a log line) when the file is missing or does not decode.
SmartPtr<AudioSampleSource> OpenSample(const char* path, bool streaming, bool mono);

// The same over the bytes of a file already in memory; `what` names them in
// log lines.
SmartPtr<AudioSampleSource> OpenSampleBytes(std::vector<uint8_t> bytes, const char* what,
                                            bool streaming, bool mono);

}  // namespace Varnok
