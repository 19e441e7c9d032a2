// Little-endian byte building for texture file fixtures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace Varnok {
namespace TextureTest {

class Bytes {
public:
    Bytes& U8(uint32_t v) {
        data.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Bytes& U16(uint32_t v) { return U8(v).U8(v >> 8); }
    Bytes& U32(uint32_t v) { return U16(v).U16(v >> 16); }
    Bytes& Raw(std::initializer_list<uint8_t> values) {
        data.insert(data.end(), values.begin(), values.end());
        return *this;
    }
    Bytes& Fill(size_t count, uint8_t value) {
        data.insert(data.end(), count, value);
        return *this;
    }
    // Overwrites a little-endian word already written.
    void Put32(size_t offset, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            data[offset + i] = static_cast<uint8_t>(v >> (8 * i));
        }
    }
    size_t Size() const { return data.size(); }

    std::vector<uint8_t> data;
};

}  // namespace TextureTest
}  // namespace Varnok
