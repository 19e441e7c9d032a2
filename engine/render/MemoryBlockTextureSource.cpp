// Pixels in memory as a texture source.
#include "engine/render/MemoryBlockTextureSource.h"

#include <cstring>
#include <utility>

namespace Varnok {

MemoryBlockTextureSource::MemoryBlockTextureSource(const TextureDescription& description,
                                                   const void* data, size_t byteCount, bool copy)
    : m_description(description) {
    TakeBlock(data, byteCount, copy);
}

void MemoryBlockTextureSource::SetData(const void* data, size_t byteCount, bool copy) {
    TakeBlock(data, byteCount, copy);
    NotifyRegionChanged(0, 0, kWholeRegionEnd, kWholeRegionEnd);
}

void MemoryBlockTextureSource::Reset(const TextureDescription& description, const void* data,
                                     size_t byteCount, bool copy) {
    m_description = description;
    TakeBlock(data, byteCount, copy);
    NotifyChanged();
}

AsciiString MemoryBlockTextureSource::Describe() const {
    return m_name.IsEmpty() ? AsciiString("<MemoryBlockTextureSource>") : m_name;
}

void MemoryBlockTextureSource::TakeBlock(const void* data, size_t byteCount, bool copy) {
    if (data == nullptr) {
        byteCount = 0;
    }
    if (copy && byteCount > 0 && m_ownedBlock && m_ownedSize == byteCount) {
        // New pixels of the same size go into the block already held, so a
        // picture refreshed again and again (a banner) allocates nothing. The
        // pixels may come from this very block.
        std::memmove(m_ownedBlock.get(), data, byteCount);
        m_data = m_ownedBlock.get();
        m_byteCount = byteCount;
        m_image.description = m_description;
        m_image.SetBlock(m_data, m_byteCount);
        return;
    }
    // The old block may be the one being copied from, so it goes last.
    std::unique_ptr<uint8_t[]> oldBlock = std::move(m_ownedBlock);
    if (copy && byteCount > 0) {
        m_ownedBlock.reset(new uint8_t[byteCount]);
        m_ownedSize = byteCount;
        std::memcpy(m_ownedBlock.get(), data, byteCount);
        m_data = m_ownedBlock.get();
    } else {
        m_data = static_cast<const uint8_t*>(data);
        if (m_data != nullptr && m_data == oldBlock.get()) {
            m_ownedBlock = std::move(oldBlock);  // still ours: keep it alive
        }
    }
    m_byteCount = byteCount;
    m_image.description = m_description;
    m_image.SetBlock(m_data, m_byteCount);
}

}  // namespace Varnok
