// MemoryStream: reads and seeks over an owned block.
#include "engine/core/MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace Varnok {

MemoryStream::MemoryStream(FileSystem* owner, uint8_t* data, int32_t size)
    : FileStream(owner), m_data(data), m_size(data != nullptr && size > 0 ? size : 0) {}

MemoryStream::~MemoryStream() {
    Close();
}

void MemoryStream::Close() {
    FreeFileData(m_data);
    m_data = nullptr;
    m_size = 0;
    m_position = 0;
}

bool MemoryStream::Read(void* buffer, int32_t n) {
    if (n < 0) {
        return false;
    }
    const int32_t count = std::min(n, m_size - m_position);
    if (count > 0) {
        memcpy(buffer, m_data + m_position, static_cast<size_t>(count));
        m_position += count;
    }
    return count == n;
}

bool MemoryStream::Seek(int origin, int32_t offset) {
    int64_t target = m_position;
    if (origin == kSeekStart) {
        target = offset;
    } else if (origin == kSeekCurrent) {
        target = int64_t(m_position) + offset;
    } else if (origin == kSeekEnd) {
        target = int64_t(m_size) - offset;
    }
    if (target < 0) {
        return false;
    }
    if (target > m_size) {
        m_position = m_size;
        return false;
    }
    m_position = static_cast<int32_t>(target);
    return true;
}

}  // namespace Varnok
