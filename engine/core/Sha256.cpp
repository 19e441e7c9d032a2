// SHA-256 as FIPS 180-4 defines it.
#include "engine/core/Sha256.h"

#include "engine/core/internal/DigestBlocks.h"

#include <algorithm>
#include <cstring>

namespace Varnok {

namespace {

constexpr uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr uint32_t kInitialHash[8] = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

constexpr size_t kBlockSize = 64;

uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

uint64_t MessageLength(const Sha256State& state) {
    return (uint64_t{state.length[1]} << 32) | state.length[0];
}

void SetMessageLength(Sha256State& state, uint64_t length) {
    state.length[0] = static_cast<uint32_t>(length);
    state.length[1] = static_cast<uint32_t>(length >> 32);
}

}  // namespace

void Sha256Transform(Sha256State* state, const uint8_t* block) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i) {
        w[i] = (uint32_t{block[4 * i]} << 24) | (uint32_t{block[4 * i + 1]} << 16) |
               (uint32_t{block[4 * i + 2]} << 8) | uint32_t{block[4 * i + 3]};
    }
    for (int i = 16; i < 64; ++i) {
        const uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = state->hash[0], b = state->hash[1], c = state->hash[2], d = state->hash[3];
    uint32_t e = state->hash[4], f = state->hash[5], g = state->hash[6], h = state->hash[7];
    for (int i = 0; i < 64; ++i) {
        const uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) +
                            kRoundConstants[i] + w[i];
        const uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state->hash[0] += a;
    state->hash[1] += b;
    state->hash[2] += c;
    state->hash[3] += d;
    state->hash[4] += e;
    state->hash[5] += f;
    state->hash[6] += g;
    state->hash[7] += h;
}

void Sha256Init(Sha256State* state) {
    std::memset(state, 0, sizeof(*state));
    std::memcpy(state->hash, kInitialHash, sizeof(kInitialHash));
}

void Sha256Update(Sha256State* state, const void* data, size_t length) {
    const uint64_t total = MessageLength(*state);
    SetMessageLength(*state, total + length);
    FeedDigestBlocks<kBlockSize>(state->block, static_cast<size_t>(total % kBlockSize),
                                 static_cast<const uint8_t*>(data), length,
                                 [state](const uint8_t* block) { Sha256Transform(state, block); });
}

void Sha256Final(Sha256State* state, uint8_t* out, int n) {
    const uint64_t bits = MessageLength(*state) * 8;
    PadDigestBlock<kBlockSize, 8>(state->block, static_cast<size_t>(MessageLength(*state) % kBlockSize),
                                  [state](const uint8_t* block) { Sha256Transform(state, block); });
    for (int i = 0; i < 8; ++i) {
        state->block[kBlockSize - 1 - i] = static_cast<uint8_t>(bits >> (8 * i));
    }
    Sha256Transform(state, state->block);

    const int count = std::max(0, std::min(n, Sha256Context::kDigestSize));
    for (int i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>(state->hash[i / 4] >> (24 - 8 * (i % 4)));
    }
}

void Sha256Context::Reset() {
    m_state.reset();
}

void Sha256Context::Create() {
    m_state = std::make_unique<Sha256State>();
    Sha256Init(m_state.get());
}

void Sha256Context::Update(const void* data, size_t length) {
    if (m_state != nullptr) {
        Sha256Update(m_state.get(), data, length);
    }
}

bool Sha256Context::Finish(uint8_t* out) {
    if (m_state == nullptr) {
        return false;
    }
    Sha256Final(m_state.get(), out, kDigestSize);
    m_state.reset();
    return true;
}

void Sha256Context::Destroy() {
    m_state.reset();
}

}  // namespace Varnok
