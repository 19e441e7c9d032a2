// xorshift128 and the clock it seeds from.
#include "kiplink/Source/Random.h"

#include "kiplink/Source/Crypto.h"

#include <ctime>

namespace Kiplink {

namespace {

struct GeneratorState {
    uint32_t x = 0, y = 0, z = 0, w = 0;
    bool seeded = false;
};

GeneratorState s_generator;
ClockHooks s_clockHooks{nullptr, nullptr};

void StoreLittle(uint32_t value, uint8_t* out) {
    for (int b = 0; b < 4; ++b) {
        out[b] = static_cast<uint8_t>(value >> (8 * b));
    }
}

uint32_t LoadLittle(const uint8_t* in) {
    return uint32_t(in[0]) | (uint32_t(in[1]) << 8) | (uint32_t(in[2]) << 16) | (uint32_t(in[3]) << 24);
}

void Seed() {
    uint8_t clockBytes[8];
    StoreLittle(LibraryProcessTicks(), clockBytes);
    StoreLittle(LibraryWallSeconds(), clockBytes + 4);
    uint8_t digest[20];
    Sha1Digest(clockBytes, sizeof(clockBytes), digest);
    s_generator.x = LoadLittle(digest);
    s_generator.y = LoadLittle(digest + 4);
    s_generator.z = LoadLittle(digest + 8);
    s_generator.w = LoadLittle(digest + 12);
    s_generator.seeded = true;
}

}  // namespace

uint32_t LibraryProcessTicks() {
    if (s_clockHooks.processTicks != nullptr) {
        return s_clockHooks.processTicks();
    }
    return static_cast<uint32_t>(clock());
}

uint32_t LibraryWallSeconds() {
    if (s_clockHooks.wallSeconds != nullptr) {
        return s_clockHooks.wallSeconds();
    }
    return static_cast<uint32_t>(time(nullptr));
}

void SetClockHooks(const ClockHooks* hooks) {
    s_clockHooks = hooks != nullptr ? *hooks : ClockHooks{nullptr, nullptr};
}

uint32_t XorShift128Random() {
    if (!s_generator.seeded) {
        Seed();
    }
    GeneratorState& g = s_generator;
    const uint32_t t = g.x ^ (g.x << 11);
    g.x = g.y;
    g.y = g.z;
    g.z = g.w;
    g.w = g.w ^ (g.w >> 19) ^ t ^ (t >> 8);
    return g.w;
}

void FillRandom(void* buffer, size_t count) {
    uint8_t* out = static_cast<uint8_t*>(buffer);
    while (count > 4) {
        StoreLittle(XorShift128Random(), out);
        out += 4;
        count -= 4;
    }
    if (count == 0) {
        return;
    }
    const uint32_t last = XorShift128Random();
    for (size_t b = 0; b < count; ++b) {
        out[b] = static_cast<uint8_t>(last >> (8 * b));
    }
}

void SetRandomState(uint32_t x, uint32_t y, uint32_t z, uint32_t w) {
    s_generator.x = x;
    s_generator.y = y;
    s_generator.z = z;
    s_generator.w = w;
    s_generator.seeded = true;
}

void ForgetRandomSeed() { s_generator.seeded = false; }

}  // namespace Kiplink
