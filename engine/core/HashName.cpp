// lookup2 with byte folding; shared by the name hash and the path hash.
#include "engine/core/HashName.h"

#include <cstring>

namespace Varnok {

namespace {

constexpr uint32_t kGoldenRatio = 0x9E3779B9u;
constexpr uint32_t kInitialValue = 2053u;
constexpr uint64_t kOnes = 0x0101010101010101u;
constexpr uint64_t kHighBits = 0x8080808080808080u;
constexpr uint64_t kLow7 = ~kHighBits;

__extension__ typedef unsigned __int128 Uint128;

inline void Mix(uint32_t& a, uint32_t& b, uint32_t& c) {
    a -= b; a -= c; a ^= c >> 13;
    b -= c; b -= a; b ^= a << 8;
    c -= a; c -= b; c ^= b >> 13;
    a -= b; a -= c; a ^= c >> 12;
    b -= c; b -= a; b ^= a << 16;
    c -= a; c -= b; c ^= b >> 5;
    a -= b; a -= c; a ^= c >> 3;
    b -= c; b -= a; b ^= a << 10;
    c -= a; c -= b; c ^= b >> 15;
}

// Bytes in memory order as a little-endian number, the order in which lookup2
// adds them (k0 + (k1 << 8) + ...), whatever the machine's own order.
inline uint64_t Load64(const char* p) {
    uint64_t w;
    memcpy(&w, p, sizeof(w));
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    w = __builtin_bswap64(w);
#endif
    return w;
}

inline uint64_t Load32(const char* p) {
    uint32_t w;
    memcpy(&w, p, sizeof(w));
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    w = __builtin_bswap32(w);
#endif
    return w;
}

// Every byte of w with A-Z folded to a-z and, for paths, '\\' taken as '/';
// eight bytes at once, with no carry from one byte into the next.
template <bool kPath>
inline uint64_t FoldBytes(uint64_t w) {
    if (kPath) {
        const uint64_t x = w ^ ('\\' * kOnes);  // zero bytes where w has '\\'
        const uint64_t isBackslash = ~(((x & kLow7) + kLow7) | x | kLow7);
        w -= (isBackslash >> 7) * ('\\' - '/');
    }
    const uint64_t low = w & kLow7;
    const uint64_t atLeastA = low + (0x80u - 'A') * kOnes;
    const uint64_t aboveZ = low + (0x80u - 'Z' - 1) * kOnes;
    const uint64_t isUpper = atLeastA & ~aboveZ & ~w & kHighBits;
    return w | (isUpper >> 2);  // 0x80 >> 2 is the 0x20 between cases
}

// Four folded bytes as lookup2 adds them, each a signed value: a byte
// b >= 0x80 adds b - 256. Flipping the top bit and taking 0x80 off every byte
// is that sign extension for all four at once.
inline uint32_t Signed(uint64_t fourBytes) {
    return (static_cast<uint32_t>(fourBytes) ^ 0x80808080u) - 0x80808080u;
}

// The last 0 to 11 bytes k[0 .. remaining - 1] as bytes 0-7 (outLow) and
// 8-10 (outHigh), zero-padded. Reads nothing past k + remaining, and nothing
// before k unless afterBlock (at least 12 bytes precede the end).
inline void LoadTail(const char* k, uint32_t remaining, bool afterBlock, uint64_t& outLow,
                     uint64_t& outHigh) {
    if (afterBlock) {
        // Twelve bytes end the text: load them and shift out the ones that
        // earlier blocks took. No branch on the tail's length.
        const char* last = k + remaining - 12;
        const Uint128 window = Load64(last) | static_cast<Uint128>(Load32(last + 8)) << 64;
        const Uint128 tail = window >> (8 * (12 - remaining));
        outLow = static_cast<uint64_t>(tail);
        outHigh = static_cast<uint64_t>(tail >> 64);
    } else if (remaining >= 8) {
        // The second load overlaps the first; its bytes before 8 drop out.
        outLow = Load64(k);
        outHigh = Load32(k + remaining - 4) >> (8 * (12 - remaining));
    } else if (remaining >= 4) {
        outLow = Load32(k) | (Load32(k + remaining - 4) >> (8 * (8 - remaining))) << 32;
        outHigh = 0;
    } else if (remaining > 0) {
        // Bytes 0, middle and last: for 1 to 3 bytes that is each of them.
        const auto byte = [k](uint32_t i) {
            return static_cast<uint64_t>(static_cast<unsigned char>(k[i])) << (8 * i);
        };
        outLow = byte(0) | byte(remaining / 2) | byte(remaining - 1);
        outHigh = 0;
    } else {
        outLow = 0;
        outHigh = 0;
    }
}

template <bool kPath>
uint32_t Lookup2(const char* k, uint32_t length) {
    uint32_t a = kGoldenRatio;
    uint32_t b = kGoldenRatio;
    uint32_t c = kInitialValue;
    uint32_t remaining = length;
    while (remaining >= 12) {
        const uint64_t ab = FoldBytes<kPath>(Load64(k));
        const uint64_t cc = FoldBytes<kPath>(Load32(k + 8));
        a += Signed(ab);
        b += Signed(ab >> 32);
        c += Signed(cc);
        Mix(a, b, c);
        k += 12;
        remaining -= 12;
    }
    c += length;
    // The tail is added zero-padded (zero bytes add nothing); c's low byte
    // is taken by the length, so its bytes start one byte up.
    uint64_t low;
    uint64_t high;
    LoadTail(k, remaining, length >= 12, low, high);
    low = FoldBytes<kPath>(low);
    a += Signed(low);
    b += Signed(low >> 32);
    c += Signed(FoldBytes<kPath>(high)) << 8;
    Mix(a, b, c);
    return c;
}

}  // namespace

uint32_t HashName(const char* chars, int length) {
    if (chars == nullptr || length <= 0 || chars[0] == '\0') {
        return 0;
    }
    return Lookup2<false>(chars, static_cast<uint32_t>(length));
}

uint32_t HashPath(const char* path) {
    return Lookup2<true>(path, static_cast<uint32_t>(strlen(path)));
}

}  // namespace Varnok
