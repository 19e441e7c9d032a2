// VorbisDecoder: vorbisfile over an AudioDataSource through callbacks.
#include "engine/audio/internal/VorbisDecoder.h"

#include <cstdint>

namespace Varnok {

namespace {

size_t ReadCallback(void* dest, size_t size, size_t count, void* source) {
    return static_cast<AudioDataSource*>(source)->Read(dest, size, count);
}

// -1 tells vorbisfile both "cannot seek" and "seek failed": it treats every
// other value as success, so a failed seek must not answer anything else.
int SeekCallback(void* source, ogg_int64_t offset, int origin) {
    AudioDataSource* data = static_cast<AudioDataSource*>(source);
    if (!data->CanSeek()) {
        return -1;
    }
    return data->Seek(offset, origin) ? 0 : -1;
}

int CloseCallback(void* /*source*/) {
    return 0;
}

long TellCallback(void* source) {
    return static_cast<long>(static_cast<AudioDataSource*>(source)->Tell());
}

constexpr ov_callbacks kCallbacks = {&ReadCallback, &SeekCallback, &CloseCallback, &TellCallback};

}  // namespace

std::unique_ptr<AudioDecoder> VorbisDecoder::Create(AudioDataSource* source, bool ownsSource) {
    if (source == nullptr) {
        return nullptr;
    }
    std::unique_ptr<VorbisDecoder> decoder(new VorbisDecoder(source, ownsSource));
    if (ov_test_callbacks(source, &decoder->m_file, nullptr, 0, kCallbacks) != 0) {
        decoder->m_ownsSource = false;  // a refusing factory leaves the source to the caller
        return nullptr;
    }
    decoder->m_fileOpen = true;
    if (ov_test_open(&decoder->m_file) != 0) {
        decoder->m_ownsSource = false;
        return nullptr;
    }
    return decoder;
}

VorbisDecoder::VorbisDecoder(AudioDataSource* source, bool ownsSource)
    : m_source(source), m_ownsSource(ownsSource) {}

VorbisDecoder::~VorbisDecoder() {
    if (m_fileOpen) {
        ov_clear(&m_file);
    }
    if (m_ownsSource) {
        delete m_source;
    }
}

int64_t VorbisDecoder::GetTotalFrames() {
    return ov_pcm_total(&m_file, -1);
}

// The library's own time functions divide by the rate of a link chosen from
// the stream's page data, which a damaged file can make zero or point outside
// the links (a division by zero inside the library). Times are therefore
// computed here from frames and the current stream's rate.
namespace {

constexpr int64_t kMaxInt64 = INT64_MAX;

int64_t FramesToMilliseconds(int64_t frames, uint32_t rate) {
    return frames >= 0 && rate > 0 && frames <= kMaxInt64 / 1000 ? frames * 1000 / rate : -1;
}

int64_t MillisecondsToFrames(int64_t ms, uint32_t rate) {
    return ms >= 0 && rate > 0 && ms <= kMaxInt64 / rate ? ms * rate / 1000 : -1;
}

}  // namespace

int64_t VorbisDecoder::GetTotalMilliseconds() {
    return FramesToMilliseconds(GetTotalFrames(), GetSampleRate());
}

bool VorbisDecoder::SeekFrame(int64_t frame) {
    return ov_pcm_seek(&m_file, frame) == 0;
}

bool VorbisDecoder::SeekFramePage(int64_t frame) {
    return ov_pcm_seek_page(&m_file, frame) == 0;
}

bool VorbisDecoder::SeekMilliseconds(int64_t ms) {
    const int64_t frame = MillisecondsToFrames(ms, GetSampleRate());
    return frame >= 0 && SeekFrame(frame);
}

bool VorbisDecoder::SeekMillisecondsPage(int64_t ms) {
    const int64_t frame = MillisecondsToFrames(ms, GetSampleRate());
    return frame >= 0 && SeekFramePage(frame);
}

int64_t VorbisDecoder::TellFrame() {
    return ov_pcm_tell(&m_file);
}

int64_t VorbisDecoder::TellMilliseconds() {
    return FramesToMilliseconds(TellFrame(), GetSampleRate());
}

uint32_t VorbisDecoder::GetSampleRate() {
    const vorbis_info* info = ov_info(&m_file, -1);
    return info != nullptr && info->rate > 0 ? static_cast<uint32_t>(info->rate) : 0;
}

uint32_t VorbisDecoder::GetChannelCount() {
    const vorbis_info* info = ov_info(&m_file, -1);
    return info != nullptr && info->channels > 0 ? static_cast<uint32_t>(info->channels) : 0;
}

int VorbisDecoder::GetCommentCount() {
    const vorbis_comment* comment = ov_comment(&m_file, -1);
    return comment != nullptr ? comment->comments : 0;
}

const char* VorbisDecoder::GetComment(int index) {
    const vorbis_comment* comment = ov_comment(&m_file, -1);
    if (comment == nullptr || index < 0 || index >= comment->comments) {
        return nullptr;
    }
    return comment->user_comments[index];
}

long VorbisDecoder::Decode(void* buffer, int bytes) {
    int bitstream = 0;
    return ov_read(&m_file, static_cast<char*>(buffer), bytes, &bitstream);
}

}  // namespace Varnok
