// Compressed audio behind a small decoder interface: where the bytes come
// from (a data source) and the decoders that the factory list can make.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Varnok {

// Seek origins of a data source.
constexpr int kDataSeekStart = 0;
constexpr int kDataSeekCurrent = 1;
constexpr int kDataSeekEnd = 2;

// A byte stream a decoder reads from.
class AudioDataSource {
public:
    virtual ~AudioDataSource() = default;

    virtual bool CanSeek() const = 0;
    // Fails, leaving the position alone, for an unknown origin or a target
    // outside the data.
    virtual bool Seek(int64_t offset, int origin) = 0;
    virtual int64_t Tell() const = 0;
    virtual int64_t Remaining() const = 0;
    // Reads whole elements only: at most `count`, as many as remain.
    virtual size_t Read(void* dest, size_t elementSize, size_t count) = 0;
    virtual void Close() {}
};

// Bytes in memory that someone else owns and keeps alive.
class MemoryDataSource : public AudioDataSource {
public:
    MemoryDataSource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool CanSeek() const override { return true; }
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() const override { return static_cast<int64_t>(m_position); }
    int64_t Remaining() const override { return static_cast<int64_t>(m_size - m_position); }
    size_t Read(void* dest, size_t elementSize, size_t count) override;

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

// One decoding stream. Frames are interleaved 16-bit samples.
class AudioDecoder {
public:
    virtual ~AudioDecoder() = default;

    virtual int64_t GetTotalFrames() = 0;  // negative when unknown
    virtual int64_t GetTotalMilliseconds() = 0;
    virtual bool SeekFrame(int64_t frame) = 0;
    virtual bool SeekFramePage(int64_t frame) = 0;
    virtual bool SeekMilliseconds(int64_t ms) = 0;
    virtual bool SeekMillisecondsPage(int64_t ms) = 0;
    virtual int64_t TellFrame() = 0;
    virtual int64_t TellMilliseconds() = 0;
    virtual uint32_t GetSampleRate() = 0;
    virtual uint32_t GetChannelCount() = 0;
    virtual int GetCommentCount() = 0;
    // Null for an index out of range.
    virtual const char* GetComment(int index) = 0;
    // Decodes into `buffer`: bytes written, 0 at the end, negative for a
    // damaged stretch of the stream (decoding may go on after it).
    virtual long Decode(void* buffer, int bytes) = 0;
};

// Makes a decoder for the source, or null when the source is refused. A
// decoder made over a source it owns deletes it; a refusing factory must not.
using AudioDecoderFactory = std::unique_ptr<AudioDecoder> (*)(AudioDataSource* source,
                                                              bool ownsSource);

// Asks every factory in turn; the first decoder returned wins. With none,
// a source the caller handed over (ownsSource) is deleted. The Ogg Vorbis
// factory is always first in the list.
std::unique_ptr<AudioDecoder> CreateAudioDecoder(AudioDataSource* source, bool ownsSource);

// Appends a factory to the list.
void AddAudioDecoderFactory(AudioDecoderFactory factory);

}  // namespace Varnok
