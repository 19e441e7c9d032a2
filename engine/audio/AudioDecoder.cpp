// The memory data source and the list of decoder factories.
#include "engine/audio/AudioDecoder.h"

#include "engine/audio/internal/VorbisDecoder.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace Varnok {

bool MemoryDataSource::Seek(int64_t offset, int origin) {
    int64_t base = 0;
    switch (origin) {
        case kDataSeekStart:
            base = 0;
            break;
        case kDataSeekCurrent:
            base = static_cast<int64_t>(m_position);
            break;
        case kDataSeekEnd:
            base = static_cast<int64_t>(m_size);
            break;
        default:
            return false;
    }
    // Offsets come from the decoder library and may be anything: check the
    // range before adding so that no overflow happens.
    const int64_t size = static_cast<int64_t>(m_size);
    if (offset < -base || offset > size - base) {
        return false;
    }
    m_position = static_cast<size_t>(base + offset);
    return true;
}

size_t MemoryDataSource::Read(void* dest, size_t elementSize, size_t count) {
    if (elementSize == 0 || count == 0) {
        return 0;
    }
    const size_t whole = (m_size - m_position) / elementSize;
    const size_t n = count < whole ? count : whole;
    if (n > 0) {
        std::memcpy(dest, m_data + m_position, n * elementSize);
        m_position += n * elementSize;
    }
    return n;
}

namespace {

struct FactoryList {
    std::mutex mutex;
    std::vector<AudioDecoderFactory> factories{&VorbisDecoder::Create};
};

FactoryList& Factories() {
    static FactoryList list;
    return list;
}

}  // namespace

std::unique_ptr<AudioDecoder> CreateAudioDecoder(AudioDataSource* source, bool ownsSource) {
    if (source == nullptr) {
        return nullptr;
    }
    std::vector<AudioDecoderFactory> factories;
    {
        FactoryList& list = Factories();
        std::lock_guard<std::mutex> lock(list.mutex);
        factories = list.factories;
    }
    for (AudioDecoderFactory factory : factories) {
        std::unique_ptr<AudioDecoder> decoder = factory(source, ownsSource);
        if (decoder) {
            return decoder;
        }
    }
    if (ownsSource) {
        delete source;
    }
    return nullptr;
}

void AddAudioDecoderFactory(AudioDecoderFactory factory) {
    if (factory == nullptr) {
        return;
    }
    FactoryList& list = Factories();
    std::lock_guard<std::mutex> lock(list.mutex);
    list.factories.push_back(factory);
}

}  // namespace Varnok
