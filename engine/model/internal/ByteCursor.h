// A bounded little-endian reader over bytes owned elsewhere. Reads past the
// end yield zeros and latch a failure flag, so a parser can read a whole
// record and check once.
#pragma once

#include "engine/core/AsciiString.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Varnok {

class ByteCursor {
public:
    ByteCursor() = default;
    ByteCursor(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t GetPosition() const { return m_position; }
    size_t GetSize() const { return m_size; }
    size_t Remaining() const { return m_size - m_position; }
    bool HasFailed() const { return m_failed; }
    void Fail() { m_failed = true; }
    void Rewind() {
        m_position = 0;
        m_failed = false;
    }

    // Copies n bytes; zero-fills and fails when fewer remain (nothing consumed).
    bool ReadBytes(void* destination, size_t n) {
        if (n > Remaining()) {
            if (n > 0 && destination != nullptr) {
                std::memset(destination, 0, n);
            }
            m_failed = true;
            return false;
        }
        if (n > 0) {
            std::memcpy(destination, m_data + m_position, n);
        }
        m_position += n;
        return true;
    }
    bool Skip(size_t n) {
        if (n > Remaining()) {
            m_failed = true;
            return false;
        }
        m_position += n;
        return true;
    }
    // Points at the next n bytes and consumes them; null (and failed) when
    // fewer remain.
    const uint8_t* Take(size_t n) {
        if (n > Remaining()) {
            m_failed = true;
            return nullptr;
        }
        const uint8_t* at = m_data + m_position;
        m_position += n;
        return at;
    }

    uint8_t ReadU8() {
        uint8_t value = 0;
        ReadBytes(&value, 1);
        return value;
    }
    uint16_t ReadU16() {
        uint8_t b[2];
        ReadBytes(b, 2);
        return static_cast<uint16_t>(b[0] | (b[1] << 8));
    }
    uint32_t ReadU32() {
        uint8_t b[4];
        ReadBytes(b, 4);
        return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
               (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    }
    int32_t ReadS32() { return static_cast<int32_t>(ReadU32()); }
    float ReadFloat() {
        const uint32_t bits = ReadU32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_position = 0;
    bool m_failed = false;
};

// Strings of the keyed formats: u32 length n, n characters, one zero byte.
// Lengths of kMaxKeyedString or more are refused (the cursor fails).
constexpr uint32_t kMaxKeyedString = 512;
bool ReadKeyedString(ByteCursor& cursor, AsciiString& outText);

}  // namespace Varnok
