// Slicing by eight bytes: the device id is short, but the same routine is
// measured against liblzma on large buffers, and eight tables keep it close.
#include "providers/Provider_Kontagent/KontagentKeys.h"

#include "engine/core/Sha256.h"

#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace Varnok {
namespace {

constexpr uint64_t kReflectedPolynomial = 0xC96C5795D7870F42ull;
constexpr uint64_t kTopBit = 0x8000000000000000ull;

using Crc64Tables = std::array<std::array<uint64_t, 256>, 8>;

// Table 0 is the classic byte table; table k advances a byte that sits k
// bytes further back, so eight bytes fold in one step.
const Crc64Tables& Tables() {
    static const Crc64Tables s_tables = [] {
        Crc64Tables tables{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint64_t crc = i;
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 1) != 0 ? (crc >> 1) ^ kReflectedPolynomial : crc >> 1;
            }
            tables[0][i] = crc;
        }
        for (size_t k = 1; k < tables.size(); ++k) {
            for (uint32_t i = 0; i < 256; ++i) {
                const uint64_t previous = tables[k - 1][i];
                tables[k][i] = (previous >> 8) ^ tables[0][previous & 0xFF];
            }
        }
        return tables;
    }();
    return s_tables;
}

uint64_t LoadLittleEndian64(const uint8_t* bytes) {
    uint64_t value;
    std::memcpy(&value, bytes, sizeof(value));
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    value = __builtin_bswap64(value);
#endif
    return value;
}

}  // namespace

uint64_t Crc64Xz(const void* data, size_t length) {
    const Crc64Tables& t = Tables();
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint64_t crc = ~0ull;
    while (length >= 8) {
        crc ^= LoadLittleEndian64(bytes);
        crc = t[7][crc & 0xFF] ^ t[6][(crc >> 8) & 0xFF] ^ t[5][(crc >> 16) & 0xFF] ^
              t[4][(crc >> 24) & 0xFF] ^ t[3][(crc >> 32) & 0xFF] ^ t[2][(crc >> 40) & 0xFF] ^
              t[1][(crc >> 48) & 0xFF] ^ t[0][crc >> 56];
        bytes += 8;
        length -= 8;
    }
    while (length-- > 0) {
        crc = t[0][(crc ^ *bytes++) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

uint64_t KontagentDeviceKey(const std::string& deviceId) {
    if (deviceId.empty()) {
        return 0;
    }
    return Crc64Xz(deviceId.data(), deviceId.size()) & ~kTopBit;
}

uint64_t KontagentOnlineIdKey(const std::string& onlineId) {
    Sha256Context sha;
    sha.Create();
    sha.Update(onlineId.data(), onlineId.size());
    uint8_t digest[Sha256Context::kDigestSize] = {};
    (void)sha.Finish(digest);
    uint64_t key = 0;
    for (int i = 7; i >= 0; --i) {
        key = (key << 8) | digest[i];
    }
    return key >> 1;
}

std::string KontagentKeyText(uint64_t key) {
    char text[24];
    std::snprintf(text, sizeof(text), "%" PRIu64, key);
    return text;
}

}  // namespace Varnok
