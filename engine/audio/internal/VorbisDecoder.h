// The Ogg Vorbis decoder: the integer Vorbis library's vorbisfile interface
// reading through a data source.
#pragma once

#include "engine/audio/AudioDecoder.h"

#include <tremor/ivorbisfile.h>

#include <memory>

namespace Varnok {

class VorbisDecoder : public AudioDecoder {
public:
    // Null unless the source holds the headers of an Ogg Vorbis stream. Owns
    // the source only when it comes back and ownsSource is set.
    static std::unique_ptr<AudioDecoder> Create(AudioDataSource* source, bool ownsSource);

    ~VorbisDecoder() override;
    VorbisDecoder(const VorbisDecoder&) = delete;
    VorbisDecoder& operator=(const VorbisDecoder&) = delete;

    int64_t GetTotalFrames() override;
    int64_t GetTotalMilliseconds() override;
    bool SeekFrame(int64_t frame) override;
    bool SeekFramePage(int64_t frame) override;
    bool SeekMilliseconds(int64_t ms) override;
    bool SeekMillisecondsPage(int64_t ms) override;
    int64_t TellFrame() override;
    int64_t TellMilliseconds() override;
    uint32_t GetSampleRate() override;
    uint32_t GetChannelCount() override;
    int GetCommentCount() override;
    const char* GetComment(int index) override;
    long Decode(void* buffer, int bytes) override;

private:
    VorbisDecoder(AudioDataSource* source, bool ownsSource);

    OggVorbis_File m_file{};
    bool m_fileOpen = false;  // m_file needs ov_clear
    AudioDataSource* m_source;
    bool m_ownsSource;
};

}  // namespace Varnok
