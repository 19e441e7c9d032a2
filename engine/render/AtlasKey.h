// The 96-bit key under which a texture atlas finds an image: glyphs build it
// from character, size and effect bits; named atlas entries from a name hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Varnok {

struct AtlasKey {
    static constexpr uint32_t kBitCount = 96;
    static constexpr size_t kByteCount = 12;

    uint32_t usedBits = 0;  // how many of the 96 bits AppendBits has filled
    uint8_t bytes[kByteCount] = {};

    void Clear();
    // Appends min(bitCount, 96 - usedBits) bits of data, least significant
    // bit of each byte first, at the next free bit position.
    void AppendBits(const void* data, uint32_t bitCount);

    // The key whose first word is a name hash (little-endian) and whose other
    // eight bytes are zero: how named entries of a loaded atlas are found.
    static AtlasKey FromNameHash(uint32_t hash);

    // An all-zero key is never stored.
    bool IsValid() const;
    // The first 32-bit word, little-endian.
    uint32_t FirstWord() const;
};

// Only the 12 key bytes take part; the bit count does not.
inline bool operator==(const AtlasKey& a, const AtlasKey& b) {
    return std::memcmp(a.bytes, b.bytes, AtlasKey::kByteCount) == 0;
}
inline bool operator!=(const AtlasKey& a, const AtlasKey& b) {
    return !(a == b);
}

struct AtlasKeyHash {
    size_t operator()(const AtlasKey& key) const { return key.FirstWord(); }
};

}  // namespace Varnok
