// Slicing by eight bytes, and on processors with carry-less multiplication
// folding sixteen bytes at a time: the device id is short, but the same
// routine is measured against liblzma on large buffers.
#include "providers/Provider_Kontagent/KontagentKeys.h"

#include "engine/core/Sha256.h"

#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define VARNOK_CRC64_CLMUL 1
#endif

namespace Varnok {
namespace {

constexpr uint64_t kReflectedPolynomial = 0xC96C5795D7870F42ull;
constexpr uint64_t kPolynomial = 0x42F0E1EBA9EA3693ull;  // the same, bit order as written, without x^64
constexpr uint64_t kTopBit = 0x8000000000000000ull;

struct Crc64Tables {
    // Table 0 is the classic byte table; table k advances a byte that sits
    // k bytes further back, so eight bytes fold in one step.
    std::array<std::array<uint64_t, 256>, 8> bytes;
    // Folding constants, reflected: x^(8d+63) mod P and x^(8d-1) mod P move
    // the two halves of a 128-bit block d bytes further on (the extra x^-1
    // makes up for the carry-less product being one bit short).
    uint64_t fold16High, fold16Low, fold64High, fold64Low;
    bool clmul;
};

uint64_t Reflect64(uint64_t value) {
    uint64_t out = 0;
    for (int bit = 0; bit < 64; ++bit) {
        out = (out << 1) | ((value >> bit) & 1);
    }
    return out;
}

// x^n mod P, reflected.
uint64_t ReflectedPowerOfX(int n) {
    uint64_t remainder = 1;
    for (int i = 0; i < n; ++i) {
        const bool carry = (remainder & kTopBit) != 0;
        remainder <<= 1;
        if (carry) {
            remainder ^= kPolynomial;
        }
    }
    return Reflect64(remainder);
}

const Crc64Tables& Tables() {
    static const Crc64Tables s_tables = [] {
        Crc64Tables tables{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint64_t crc = i;
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 1) != 0 ? (crc >> 1) ^ kReflectedPolynomial : crc >> 1;
            }
            tables.bytes[0][i] = crc;
        }
        for (size_t k = 1; k < tables.bytes.size(); ++k) {
            for (uint32_t i = 0; i < 256; ++i) {
                const uint64_t previous = tables.bytes[k - 1][i];
                tables.bytes[k][i] = (previous >> 8) ^ tables.bytes[0][previous & 0xFF];
            }
        }
        tables.fold16High = ReflectedPowerOfX(8 * 16 + 63);
        tables.fold16Low = ReflectedPowerOfX(8 * 16 - 1);
        tables.fold64High = ReflectedPowerOfX(8 * 64 + 63);
        tables.fold64Low = ReflectedPowerOfX(8 * 64 - 1);
#if VARNOK_CRC64_CLMUL
        tables.clmul = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
#endif
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

// The reflected register after the bytes, without the final inversion.
uint64_t UpdateByTable(const Crc64Tables& tables, uint64_t crc, const uint8_t* bytes, size_t length) {
    const auto& t = tables.bytes;
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
    return crc;
}

#if VARNOK_CRC64_CLMUL
constexpr size_t kClmulMinimum = 64;

__attribute__((target("pclmul,sse2"))) __m128i Fold(__m128i block, __m128i constants) {
    return _mm_xor_si128(_mm_clmulepi64_si128(block, constants, 0x00),
                         _mm_clmulepi64_si128(block, constants, 0x11));
}

__attribute__((target("pclmul,sse2"))) __m128i Load(const uint8_t* bytes) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

// Requires: length >= kClmulMinimum. Four blocks are folded 64 bytes on at
// a time, then into one; what is left of the sum is an ordinary message
// whose CRC from a zero register is the CRC of everything folded.
__attribute__((target("pclmul,sse2"))) uint64_t UpdateByClmul(const Crc64Tables& tables, uint64_t crc,
                                                             const uint8_t* bytes, size_t length) {
    const __m128i by64 = _mm_set_epi64x(static_cast<long long>(tables.fold64Low),
                                        static_cast<long long>(tables.fold64High));
    const __m128i by16 = _mm_set_epi64x(static_cast<long long>(tables.fold16Low),
                                        static_cast<long long>(tables.fold16High));
    __m128i x0 = _mm_xor_si128(Load(bytes), _mm_set_epi64x(0, static_cast<long long>(crc)));
    __m128i x1 = Load(bytes + 16);
    __m128i x2 = Load(bytes + 32);
    __m128i x3 = Load(bytes + 48);
    bytes += 64;
    length -= 64;
    while (length >= 64) {
        x0 = _mm_xor_si128(Fold(x0, by64), Load(bytes));
        x1 = _mm_xor_si128(Fold(x1, by64), Load(bytes + 16));
        x2 = _mm_xor_si128(Fold(x2, by64), Load(bytes + 32));
        x3 = _mm_xor_si128(Fold(x3, by64), Load(bytes + 48));
        bytes += 64;
        length -= 64;
    }
    __m128i x = _mm_xor_si128(Fold(x0, by16), x1);
    x = _mm_xor_si128(Fold(x, by16), x2);
    x = _mm_xor_si128(Fold(x, by16), x3);
    while (length >= 16) {
        x = _mm_xor_si128(Fold(x, by16), Load(bytes));
        bytes += 16;
        length -= 16;
    }
    uint8_t rest[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rest), x);
    return UpdateByTable(tables, UpdateByTable(tables, 0, rest, sizeof(rest)), bytes, length);
}
#endif

}  // namespace

uint64_t Crc64Xz(const void* data, size_t length) {
    const Crc64Tables& tables = Tables();
    const auto* bytes = static_cast<const uint8_t*>(data);
#if VARNOK_CRC64_CLMUL
    if (tables.clmul && length >= kClmulMinimum) {
        return ~UpdateByClmul(tables, ~0ull, bytes, length);
    }
#endif
    return ~UpdateByTable(tables, ~0ull, bytes, length);
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
