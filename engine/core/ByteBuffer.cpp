// Storage of ByteBuffer.
#include "engine/core/ByteBuffer.h"

#include <cstdlib>
#include <cstring>

namespace Varnok {

ByteBuffer::ByteBuffer(const ByteBuffer& other) {
    Append(other.m_begin, other.Size());
}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
    if (this != &other) {
        Clear();
        Append(other.m_begin, other.Size());
    }
    return *this;
}

ByteBuffer::~ByteBuffer() {
    free(m_begin);
}

void ByteBuffer::Grow(int n) {
    if (n <= 0) {
        return;
    }
    const int size = Size();
    const size_t capacity = static_cast<size_t>(Capacity()) + static_cast<size_t>(n);
    auto* block = static_cast<uint8_t*>(malloc(capacity));
    if (block == nullptr) {
        abort();
    }
    if (size > 0) {
        memcpy(block, m_begin, static_cast<size_t>(size));
    }
    free(m_begin);
    m_begin = block;
    m_end = block + size;
    m_capacity = block + capacity;
}

void ByteBuffer::Append(const void* bytes, int n) {
    if (n <= 0 || bytes == nullptr) {
        return;
    }
    const int room = static_cast<int>(m_capacity - m_end);
    if (room < n) {
        const int more = n - room;
        Grow(more > Capacity() ? more : Capacity());
    }
    memcpy(m_end, bytes, static_cast<size_t>(n));
    m_end += n;
}

}  // namespace Varnok
