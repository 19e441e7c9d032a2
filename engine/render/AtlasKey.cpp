// Bit packing of atlas keys.
#include "engine/render/AtlasKey.h"

namespace Varnok {

void AtlasKey::Clear() {
    usedBits = 0;
    std::memset(bytes, 0, sizeof(bytes));
}

void AtlasKey::AppendBits(const void* data, uint32_t bitCount) {
    const auto* source = static_cast<const uint8_t*>(data);
    const uint32_t room = usedBits < kBitCount ? kBitCount - usedBits : 0;
    const uint32_t count = bitCount < room ? bitCount : room;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t bit = (source[i / 8] >> (i % 8)) & 1u;
        const uint32_t target = usedBits + i;
        const uint8_t mask = static_cast<uint8_t>(1u << (target % 8));
        if (bit != 0) {
            bytes[target / 8] |= mask;
        } else {
            bytes[target / 8] &= static_cast<uint8_t>(~mask);
        }
    }
    usedBits += count;
}

AtlasKey AtlasKey::FromNameHash(uint32_t hash) {
    AtlasKey key;
    for (int i = 0; i < 4; ++i) {
        key.bytes[i] = static_cast<uint8_t>(hash >> (8 * i));
    }
    key.usedBits = 32;
    return key;
}

bool AtlasKey::IsValid() const {
    for (uint8_t byte : bytes) {
        if (byte != 0) {
            return true;
        }
    }
    return false;
}

uint32_t AtlasKey::FirstWord() const {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace Varnok
