// Index range checks and narrowing of MemoryIndexData.
#include "engine/model/MemoryModelData.h"

namespace Varnok {

namespace {

uint32_t IndexAt(const uint8_t* bytes, uint32_t i, uint32_t size) {
    const uint8_t* at = bytes + static_cast<size_t>(i) * size;
    uint32_t value = at[0] | (at[1] << 8);
    if (size == 4) {
        value |= (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
    }
    return value;
}

}  // namespace

int64_t MemoryIndexData::GetMaxIndex() const {
    int64_t largest = -1;
    if (m_indexSize != 2 && m_indexSize != 4) {
        return largest;
    }
    for (uint32_t i = 0; i < m_indexCount; ++i) {
        const int64_t value = IndexAt(m_bytes.data(), i, m_indexSize);
        if (value > largest) {
            largest = value;
        }
    }
    return largest;
}

SmartPtr<MemoryIndexData> MemoryIndexData::Narrowed() const {
    if (m_indexSize != 4 || GetMaxIndex() > 0xFFFF) {
        return nullptr;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(m_indexCount) * 2);
    for (uint32_t i = 0; i < m_indexCount; ++i) {
        const uint32_t value = IndexAt(m_bytes.data(), i, 4);
        bytes[2 * i] = static_cast<uint8_t>(value & 0xFF);
        bytes[2 * i + 1] = static_cast<uint8_t>(value >> 8);
    }
    return SmartPtr<MemoryIndexData>(new MemoryIndexData(std::move(bytes), m_indexCount, 2, m_kind));
}

SmartPtr<GLIndexBuffer> MakeIndexBuffer(const SmartPtr<MemoryIndexData>& indices) {
    if (!indices) {
        return nullptr;
    }
    if (indices->GetIndexCount() == 0) {
        return SmartPtr<GLIndexBuffer>(new GLEmptyIndexBuffer(indices->GetPrimitiveKind()));
    }
    return SmartPtr<GLIndexBuffer>(new GLDataBuffer(SmartPtr<IndexDataSource>(indices.Get())));
}

}  // namespace Varnok
