// An owned, growable byte vector.
#pragma once

#include <cstdint>

namespace Varnok {

class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer& other);
    ByteBuffer& operator=(const ByteBuffer& other);
    ~ByteBuffer();

    // Adds n bytes of capacity, moving the used part into a new block; an
    // empty buffer just allocates n bytes. n <= 0 does nothing.
    void Grow(int n);
    // Appends n bytes, growing to at least twice the old capacity when full.
    void Append(const void* bytes, int n);
    void Clear() { m_end = m_begin; }

    uint8_t* Data() { return m_begin; }
    const uint8_t* Data() const { return m_begin; }
    int Size() const { return static_cast<int>(m_end - m_begin); }
    int Capacity() const { return static_cast<int>(m_capacity - m_begin); }

private:
    uint8_t* m_begin = nullptr;
    uint8_t* m_end = nullptr;       // end of the used part
    uint8_t* m_capacity = nullptr;  // end of the block
};

}  // namespace Varnok
