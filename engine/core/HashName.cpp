// lookup2 with byte folding; shared by the name hash and the path hash.
#include "engine/core/HashName.h"

#include <cstring>

namespace Varnok {

namespace {

constexpr uint32_t kGoldenRatio = 0x9E3779B9u;
constexpr uint32_t kInitialValue = 2053u;

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

// Four bytes (little-endian order, as lookup2 adds them) with A-Z folded to
// a-z and, for paths, '\\' taken as '/'; then each byte counts as a signed
// value: a byte b >= 0x80 adds b - 256, so the word loses 256 << 8i for it.
// Four bytes at a time with word arithmetic; no byte carries into the next.
template <bool kPath>
inline uint32_t FoldWord(uint32_t w) {
    constexpr uint32_t kLow7 = 0x7F7F7F7Fu;
    constexpr uint32_t kHigh = 0x80808080u;
    if (kPath) {
        const uint32_t x = w ^ 0x5C5C5C5Cu;  // zero bytes where w has '\\'
        const uint32_t isBackslash = ~(((x & kLow7) + kLow7) | x | kLow7);
        w -= (isBackslash >> 7) * ('\\' - '/');
    }
    const uint32_t low = w & kLow7;
    const uint32_t atLeastA = low + (0x80u - 'A') * 0x01010101u;
    const uint32_t aboveZ = low + (0x80u - 'Z' - 1) * 0x01010101u;
    const uint32_t isUpper = atLeastA & ~aboveZ & ~w & kHigh;
    w += isUpper >> 2;  // 0x80 >> 2 is the 0x20 between cases
    const uint32_t negative = (w >> 7) & 0x01010101u;
    return w - (negative << 8);
}

inline uint32_t LoadWord(const char* p) {
    uint32_t w;
    memcpy(&w, p, sizeof(w));
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    w = __builtin_bswap32(w);
#endif
    return w;
}

template <bool kPath>
uint32_t Lookup2(const char* k, uint32_t length) {
    uint32_t a = kGoldenRatio;
    uint32_t b = kGoldenRatio;
    uint32_t c = kInitialValue;
    uint32_t remaining = length;
    while (remaining >= 12) {
        a += FoldWord<kPath>(LoadWord(k));
        b += FoldWord<kPath>(LoadWord(k + 4));
        c += FoldWord<kPath>(LoadWord(k + 8));
        Mix(a, b, c);
        k += 12;
        remaining -= 12;
    }
    c += length;
    // The last 0 to 11 bytes, zero-padded (zero bytes add nothing); c's low
    // byte is taken by the length, so its bytes start one byte up.
    char tail[12] = {};
    memcpy(tail, k, remaining);
    a += FoldWord<kPath>(LoadWord(tail));
    b += FoldWord<kPath>(LoadWord(tail + 4));
    c += FoldWord<kPath>(LoadWord(tail + 8)) << 8;
    Mix(a, b, c);
    return c;
}

}  // namespace

uint32_t HashName(const char* chars, int length) {
    if (chars == nullptr || chars[0] == '\0' || length <= 0) {
        return 0;
    }
    return Lookup2<false>(chars, static_cast<uint32_t>(length));
}

uint32_t HashPath(const char* path) {
    return Lookup2<true>(path, static_cast<uint32_t>(strlen(path)));
}

}  // namespace Varnok
