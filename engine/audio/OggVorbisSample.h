// An Ogg Vorbis file held whole in memory and decoded on demand; the loop
// point comes from its "LOOPSAMPLES=" comment.
#pragma once

#include "engine/audio/AudioDecoder.h"
#include "engine/audio/AudioSampleSource.h"
#include "engine/core/AsciiString.h"

#include <memory>
#include <vector>

namespace Varnok {

class FileObject;

class OggVorbisSample : public AudioSampleSource {
public:
    OggVorbisSample();
    ~OggVorbisSample() override;

    // Loads the whole file through the mounted file systems. False (with a
    // log line) when it cannot be read or is not a usable Vorbis stream.
    [[nodiscard]] bool Open(const char* path);
    // The same over bytes already in memory; `what` names them in log lines.
    [[nodiscard]] bool OpenBytes(std::vector<uint8_t> bytes, const char* what);

    uint32_t GetSampleRate() const override { return m_sampleRate; }
    uint32_t GetChannelCount() const override { return m_channelCount; }
    uint32_t GetLoopStart() const override { return m_loopStart; }
    uint32_t GetLength() const override { return m_length; }
    uint32_t Read(int16_t* dest, uint32_t from, uint32_t to) override;

private:
    [[nodiscard]] bool OpenDecoder(const uint8_t* data, size_t size);
    void ReadLoopPoint();
    void Reset();

    AsciiString m_name;                  // for log lines
    std::unique_ptr<FileObject> m_file;  // the bytes when opened from a file
    std::vector<uint8_t> m_bytes;        // the bytes when opened from memory
    std::unique_ptr<AudioDecoder> m_decoder;
    uint32_t m_sampleRate = 0;
    uint32_t m_channelCount = 0;
    uint32_t m_length = 0;
    uint32_t m_loopStart = kNoLoop;
};

}  // namespace Varnok
