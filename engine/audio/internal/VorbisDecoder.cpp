// VorbisDecoder: vorbisfile over an AudioDataSource through callbacks.
#include "engine/audio/internal/VorbisDecoder.h"

#include "engine/core/Log.h"

#include <ogg/ogg.h>

#include <cstdint>
#include <cstdio>

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

// Reads a packet's bits least significant first, as Vorbis packs them.
class BitReader {
public:
    BitReader(const uint8_t* bytes, long length) : m_bytes(bytes), m_bits(length * 8) {}

    // False once the packet is exhausted.
    bool Read(int count, uint32_t& out) {
        if (count < 0 || count > 32 || m_bits - m_at < count) {
            return false;
        }
        out = 0;
        for (int i = 0; i < count; ++i, ++m_at) {
            out |= static_cast<uint32_t>((m_bytes[m_at >> 3] >> (m_at & 7)) & 1) << i;
        }
        return true;
    }
    bool Skip(uint64_t count) {
        if (static_cast<uint64_t>(m_bits - m_at) < count) {
            return false;
        }
        m_at += static_cast<int64_t>(count);
        return true;
    }

private:
    const uint8_t* m_bytes;
    int64_t m_bits;
    int64_t m_at = 0;
};

int BitsFor(uint32_t value) {
    int bits = 0;
    for (; value != 0; value >>= 1) {
        ++bits;
    }
    return bits;
}

// The largest r with r to the power dim at most entries (dim >= 1).
uint64_t Lookup1Values(uint32_t entries, uint32_t dim) {
    uint64_t r = 0;
    for (;;) {
        uint64_t power = 1;
        for (uint32_t i = 0; i < dim && power <= entries; ++i) {
            power *= r + 1;
        }
        if (power > entries) {
            return r;
        }
        ++r;
    }
}

// The decoding library divides by the dimension of a residue's codebook
// without checking it, and a codebook whose code lengths do not make a whole
// prefix code is left with a dimension of 0 when the library fails to build
// its decoding table: either stops the process (a division by zero). The
// codebooks are walked here as the library unpacks them; false only for
// such a codebook. A header malformed in any other way is left for the
// library to refuse.
bool CodebooksAreSafe(const uint8_t* packet, long length) {
    BitReader in(packet, length);
    uint32_t word = 0;
    if (!in.Read(8, word) || word != 5 || !in.Skip(48) || !in.Read(8, word)) {
        return true;
    }
    const uint32_t count = word + 1;
    for (uint32_t book = 0; book < count; ++book) {
        uint32_t sync = 0;
        uint32_t dim = 0;
        uint32_t entries = 0;
        uint32_t ordered = 0;
        if (!in.Read(24, sync) || sync != 0x564342 || !in.Read(16, dim) ||
            !in.Read(24, entries) || !in.Read(1, ordered)) {
            return true;
        }
        if (dim == 0) {
            return false;
        }
        // The code lengths must make a whole prefix code: the codes' shares
        // of the code space, 2^(32 - length) each, add up to exactly 2^32.
        // (One used entry alone may leave the space part empty.)
        uint64_t space = 0;
        uint32_t used = 0;
        if (ordered == 0) {
            uint32_t sparse = 0;
            if (!in.Read(1, sparse)) {
                return true;
            }
            for (uint32_t i = 0; i < entries; ++i) {
                uint32_t present = 1;
                uint32_t length = 0;
                if ((sparse != 0 && !in.Read(1, present)) ||
                    (present != 0 && !in.Read(5, length))) {
                    return true;
                }
                if (present != 0) {
                    space += uint64_t{1} << (31 - length);  // the length is the field + 1
                    ++used;
                }
            }
        } else {
            uint32_t length = 0;
            if (!in.Read(5, length)) {
                return true;
            }
            ++length;
            for (uint32_t done = 0; done < entries; ++length) {
                uint32_t run = 0;
                if (!in.Read(BitsFor(entries - done), run) || run > entries - done ||
                    length > 32) {
                    return true;
                }
                done += run;
                used += run;
                space += static_cast<uint64_t>(run) << (32 - length);
            }
        }
        constexpr uint64_t kWholeSpace = uint64_t{1} << 32;
        if (space > kWholeSpace || (used > 1 && space != kWholeSpace)) {
            return false;
        }
        uint32_t mapType = 0;
        if (!in.Read(4, mapType) || mapType > 2) {
            return true;
        }
        if (mapType != 0) {
            uint32_t quantBits = 0;
            if (!in.Skip(64) || !in.Read(4, quantBits) || !in.Skip(1)) {
                return true;
            }
            const uint64_t values = mapType == 1 ? Lookup1Values(entries, dim)
                                                 : static_cast<uint64_t>(entries) * dim;
            if (!in.Skip(values * (quantBits + 1))) {
                return true;
            }
        }
    }
    return true;
}

// Finds the setup header (the third packet of the first logical stream) in
// the first pages and checks its codebooks; the source is put back where it
// was. A source that cannot seek is not checked.
bool SetupHeaderIsSafe(AudioDataSource& source) {
    constexpr long kChunkBytes = 4096;
    constexpr int64_t kMaxHeaderBytes = 1 << 20;  // headers are a few kilobytes
    if (!source.CanSeek()) {
        return true;
    }
    const int64_t start = source.Tell();
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    ogg_stream_state stream;
    bool streamStarted = false;
    int packets = 0;
    bool safe = true;
    bool found = false;
    for (int64_t read = 0; !found && read < kMaxHeaderBytes;) {
        ogg_page page;
        while (!found && ogg_sync_pageout(&sync, &page) == 1) {
            if (!streamStarted) {
                ogg_stream_init(&stream, ogg_page_serialno(&page));
                streamStarted = true;
            }
            if (ogg_stream_pagein(&stream, &page) != 0) {
                continue;  // another logical stream's page
            }
            ogg_packet packet;
            int result = 0;
            while (!found && (result = ogg_stream_packetout(&stream, &packet)) != 0) {
                if (result > 0 && ++packets == 3) {
                    safe = CodebooksAreSafe(packet.packet, packet.bytes);
                    found = true;
                }
            }
        }
        if (found) {
            break;
        }
        char* buffer = ogg_sync_buffer(&sync, kChunkBytes);
        const size_t got = buffer != nullptr ? source.Read(buffer, 1, kChunkBytes) : 0;
        if (got == 0) {
            break;
        }
        ogg_sync_wrote(&sync, static_cast<long>(got));
        read += static_cast<int64_t>(got);
    }
    if (streamStarted) {
        ogg_stream_clear(&stream);
    }
    ogg_sync_clear(&sync);
    source.Seek(start, SEEK_SET);  // failing, it leaves the library no headers to find
    return safe;
}

}  // namespace

std::unique_ptr<AudioDecoder> VorbisDecoder::Create(AudioDataSource* source, bool ownsSource) {
    if (source == nullptr) {
        return nullptr;
    }
    if (!SetupHeaderIsSafe(*source)) {
        Log("VorbisDecoder: a codebook of the setup header is malformed; not decoded");
        return nullptr;  // a refusing factory leaves the source to the caller
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
