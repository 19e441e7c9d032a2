// Builds little-endian test files byte by byte.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace Varnok {
namespace ModelTest {

class ByteWriter {
public:
    ByteWriter& U8(uint8_t value) {
        m_bytes.push_back(static_cast<char>(value));
        return *this;
    }
    ByteWriter& U16(uint16_t value) { return U8(value & 0xFF).U8(value >> 8); }
    ByteWriter& U32(uint32_t value) {
        return U16(static_cast<uint16_t>(value & 0xFFFF)).U16(static_cast<uint16_t>(value >> 16));
    }
    ByteWriter& F32(float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        return U32(bits);
    }
    ByteWriter& Raw(const std::string& bytes) {
        m_bytes += bytes;
        return *this;
    }
    // Keyed formats: u32 length, characters, a zero byte.
    ByteWriter& KeyedString(const std::string& text) {
        U32(static_cast<uint32_t>(text.size()));
        m_bytes += text;
        return U8(0);
    }
    // Node-tree format: u16 length, characters.
    ByteWriter& ShortString(const std::string& text) {
        U16(static_cast<uint16_t>(text.size()));
        m_bytes += text;
        return *this;
    }

    const std::string& Bytes() const { return m_bytes; }
    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(m_bytes.data()); }
    size_t Size() const { return m_bytes.size(); }

private:
    std::string m_bytes;
};

}  // namespace ModelTest
}  // namespace Varnok
