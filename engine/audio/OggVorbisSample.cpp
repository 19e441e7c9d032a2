// OggVorbisSample: opening, the loop comment and sequential decoding.
#include "engine/audio/OggVorbisSample.h"

#include "engine/core/FileObject.h"
#include "engine/core/Log.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace Varnok {

namespace {

constexpr char kLoopComment[] = "LOOPSAMPLES=";
constexpr int kLoopCommentLength = 12;

// Rates outside this range are damaged headers rather than sounds; refusing
// them keeps rate conversion ratios and converted lengths bounded.
constexpr uint32_t kMinSampleRate = 1000;
constexpr uint32_t kMaxSampleRate = 384000;
// The game's sounds have one or two channels; many more is a damaged header
// (or a file made to expand into a flood of samples).
constexpr uint32_t kMaxChannels = 8;

// A damaged stretch makes the decoder report an error for a while; give up
// when it keeps doing so.
constexpr int kMaxDecodeErrors = 32;

}  // namespace

OggVorbisSample::OggVorbisSample() = default;

OggVorbisSample::~OggVorbisSample() {
    Reset();  // the decoder reads the bytes, so it goes first
}

void OggVorbisSample::Reset() {
    m_decoder.reset();
    m_file.reset();
    m_bytes.clear();
    m_sampleRate = 0;
    m_channelCount = 0;
    m_length = 0;
    m_loopStart = kNoLoop;
}

bool OggVorbisSample::Open(const char* path) {
    Reset();
    m_name = path;
    m_file = std::make_unique<FileObject>(path, kOpenRead);
    if (!m_file->Load() || m_file->GetData() == nullptr || m_file->GetLength() <= 0) {
        Log("OggVorbisSample: cannot read \"%s\"", path);
        m_file.reset();
        return false;
    }
    if (!OpenDecoder(m_file->GetData(), static_cast<size_t>(m_file->GetLength()))) {
        Reset();
        return false;
    }
    return true;
}

bool OggVorbisSample::OpenBytes(std::vector<uint8_t> bytes, const char* what) {
    Reset();
    m_name = what;
    m_bytes = std::move(bytes);
    if (!OpenDecoder(m_bytes.data(), m_bytes.size())) {
        Reset();
        return false;
    }
    return true;
}

bool OggVorbisSample::OpenDecoder(const uint8_t* data, size_t size) {
    m_decoder = CreateAudioDecoder(new MemoryDataSource(data, size), true);
    if (!m_decoder) {
        Log("OggVorbisSample: \"%s\" is not an Ogg Vorbis stream", m_name.c_str());
        return false;
    }
    m_sampleRate = m_decoder->GetSampleRate();
    m_channelCount = m_decoder->GetChannelCount();
    if (m_sampleRate < kMinSampleRate || m_sampleRate > kMaxSampleRate || m_channelCount == 0 ||
        m_channelCount > kMaxChannels) {
        Log("OggVorbisSample: \"%s\" has an unusable format (%u Hz, %u channels)",
            m_name.c_str(), m_sampleRate, m_channelCount);
        return false;
    }
    const int64_t total = m_decoder->GetTotalFrames();
    if (total < 0 || total >= static_cast<int64_t>(kNoLoop)) {
        Log("OggVorbisSample: \"%s\" has no usable length (%lld frames)", m_name.c_str(),
            static_cast<long long>(total));
        return false;
    }
    m_length = static_cast<uint32_t>(total);
    ReadLoopPoint();
    return true;
}

void OggVorbisSample::ReadLoopPoint() {
    const int count = m_decoder->GetCommentCount();
    for (int i = 0; i < count; ++i) {
        const char* comment = m_decoder->GetComment(i);
        if (comment == nullptr || std::strncmp(comment, kLoopComment, kLoopCommentLength) != 0) {
            continue;
        }
        // Leading digits as atoi takes them; a value with none, one that
        // overflows or one past the end of the sound cannot be a loop point
        // and leaves the sound unlooped.
        const char* digits = comment + kLoopCommentLength;
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(digits, &end, 10);
        if (end == digits || errno == ERANGE || value < 0 || value >= m_length) {
            Log("OggVorbisSample: \"%s\": ignoring \"%.40s\" (the sound has %u frames)",
                m_name.c_str(), comment, m_length);
            return;
        }
        m_loopStart = static_cast<uint32_t>(value);
        return;
    }
}

uint32_t OggVorbisSample::Read(int16_t* dest, uint32_t from, uint32_t to) {
    if (!m_decoder) {
        return 0;
    }
    from = from < m_length ? from : m_length;
    to = to < m_length ? to : m_length;
    if (from >= to) {
        return 0;
    }
    if (m_decoder->TellFrame() != static_cast<int64_t>(from) && !m_decoder->SeekFrame(from)) {
        Log("OggVorbisSample: \"%s\": cannot seek to frame %u", m_name.c_str(), from);
        return 0;
    }
    const size_t frameBytes = static_cast<size_t>(m_channelCount) * 2;
    const size_t wanted = static_cast<size_t>(to - from) * frameBytes;
    char* bytes = reinterpret_cast<char*>(dest);
    size_t written = 0;
    int errors = 0;
    while (written < wanted) {
        const size_t missing = wanted - written;
        const int ask = missing < 0x40000000u ? static_cast<int>(missing) : 0x40000000;
        const long got = m_decoder->Decode(bytes + written, ask);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (++errors > kMaxDecodeErrors) {
                Log("OggVorbisSample: \"%s\": damaged stream, stopping at frame %zu",
                    m_name.c_str(), from + written / frameBytes);
                break;
            }
            continue;
        }
        written += static_cast<size_t>(got) <= missing ? static_cast<size_t>(got) : missing;
        written = (written + 1) & ~static_cast<size_t>(1);  // samples start on even bytes
    }
    if (written > wanted) {
        written = wanted;
    }
    return static_cast<uint32_t>(written / frameBytes);
}

}  // namespace Varnok
