// SHA-1 and SHA-512 (FIPS 180) and CRC-32 (ISO 3309, as zlib computes it).
#include "kiplink/Source/Crypto.h"

#include <algorithm>
#include <cstring>

namespace Kiplink {

namespace {

uint32_t Rotl32(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
uint64_t Rotr64(uint64_t x, int n) { return (x >> n) | (x << (64 - n)); }

void Sha1Block(uint32_t state[5], const uint8_t block[64]) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
        w[i] = (uint32_t(block[4 * i]) << 24) | (uint32_t(block[4 * i + 1]) << 16) |
               (uint32_t(block[4 * i + 2]) << 8) | uint32_t(block[4 * i + 3]);
    }
    for (int i = 16; i < 80; ++i) {
        w[i] = Rotl32(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f;
        uint32_t k;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6;
        }
        const uint32_t temp = Rotl32(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rotl32(b, 30);
        b = a;
        a = temp;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

const uint64_t kSha512K[80] = {
    0x428a2f98d728ae22ULL, 0x7137449123ef65cdULL, 0xb5c0fbcfec4d3b2fULL, 0xe9b5dba58189dbbcULL,
    0x3956c25bf348b538ULL, 0x59f111f1b605d019ULL, 0x923f82a4af194f9bULL, 0xab1c5ed5da6d8118ULL,
    0xd807aa98a3030242ULL, 0x12835b0145706fbeULL, 0x243185be4ee4b28cULL, 0x550c7dc3d5ffb4e2ULL,
    0x72be5d74f27b896fULL, 0x80deb1fe3b1696b1ULL, 0x9bdc06a725c71235ULL, 0xc19bf174cf692694ULL,
    0xe49b69c19ef14ad2ULL, 0xefbe4786384f25e3ULL, 0x0fc19dc68b8cd5b5ULL, 0x240ca1cc77ac9c65ULL,
    0x2de92c6f592b0275ULL, 0x4a7484aa6ea6e483ULL, 0x5cb0a9dcbd41fbd4ULL, 0x76f988da831153b5ULL,
    0x983e5152ee66dfabULL, 0xa831c66d2db43210ULL, 0xb00327c898fb213fULL, 0xbf597fc7beef0ee4ULL,
    0xc6e00bf33da88fc2ULL, 0xd5a79147930aa725ULL, 0x06ca6351e003826fULL, 0x142929670a0e6e70ULL,
    0x27b70a8546d22ffcULL, 0x2e1b21385c26c926ULL, 0x4d2c6dfc5ac42aedULL, 0x53380d139d95b3dfULL,
    0x650a73548baf63deULL, 0x766a0abb3c77b2a8ULL, 0x81c2c92e47edaee6ULL, 0x92722c851482353bULL,
    0xa2bfe8a14cf10364ULL, 0xa81a664bbc423001ULL, 0xc24b8b70d0f89791ULL, 0xc76c51a30654be30ULL,
    0xd192e819d6ef5218ULL, 0xd69906245565a910ULL, 0xf40e35855771202aULL, 0x106aa07032bbd1b8ULL,
    0x19a4c116b8d2d0c8ULL, 0x1e376c085141ab53ULL, 0x2748774cdf8eeb99ULL, 0x34b0bcb5e19b48a8ULL,
    0x391c0cb3c5c95a63ULL, 0x4ed8aa4ae3418acbULL, 0x5b9cca4f7763e373ULL, 0x682e6ff3d6b2b8a3ULL,
    0x748f82ee5defb2fcULL, 0x78a5636f43172f60ULL, 0x84c87814a1f0ab72ULL, 0x8cc702081a6439ecULL,
    0x90befffa23631e28ULL, 0xa4506cebde82bde9ULL, 0xbef9a3f7b2c67915ULL, 0xc67178f2e372532bULL,
    0xca273eceea26619cULL, 0xd186b8c721c0c207ULL, 0xeada7dd6cde0eb1eULL, 0xf57d4f7fee6ed178ULL,
    0x06f067aa72176fbaULL, 0x0a637dc5a2c898a6ULL, 0x113f9804bef90daeULL, 0x1b710b35131c471bULL,
    0x28db77f523047d84ULL, 0x32caab7b40c72493ULL, 0x3c9ebe0a15c9bebcULL, 0x431d67c49c100d4cULL,
    0x4cc5d4becb3e42b6ULL, 0x597f299cfc657e2aULL, 0x5fcb6fab3ad6faecULL, 0x6c44198c4a475817ULL,
};

void Sha512Block(uint64_t state[8], const uint8_t block[128]) {
    uint64_t w[80];
    for (int i = 0; i < 16; ++i) {
        uint64_t v = 0;
        for (int b = 0; b < 8; ++b) {
            v = (v << 8) | block[8 * i + b];
        }
        w[i] = v;
    }
    for (int i = 16; i < 80; ++i) {
        const uint64_t s0 = Rotr64(w[i - 15], 1) ^ Rotr64(w[i - 15], 8) ^ (w[i - 15] >> 7);
        const uint64_t s1 = Rotr64(w[i - 2], 19) ^ Rotr64(w[i - 2], 61) ^ (w[i - 2] >> 6);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint64_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 80; ++i) {
        const uint64_t s1 = Rotr64(e, 14) ^ Rotr64(e, 18) ^ Rotr64(e, 41);
        const uint64_t ch = (e & f) ^ (~e & g);
        const uint64_t t1 = h + s1 + ch + kSha512K[i] + w[i];
        const uint64_t s0 = Rotr64(a, 28) ^ Rotr64(a, 34) ^ Rotr64(a, 39);
        const uint64_t maj = (a & b) ^ (a & c) ^ (b & c);
        const uint64_t t2 = s0 + maj;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

}  // namespace

Sha1Context* Sha1Begin() {
    auto* context = new Sha1Context();
    context->lengthBytes = 0;
    context->state[0] = 0x67452301;
    context->state[1] = 0xEFCDAB89;
    context->state[2] = 0x98BADCFE;
    context->state[3] = 0x10325476;
    context->state[4] = 0xC3D2E1F0;
    return context;
}

void Sha1Update(Sha1Context* context, const void* bytes, size_t length) {
    const uint8_t* in = static_cast<const uint8_t*>(bytes);
    size_t used = static_cast<size_t>(context->lengthBytes % 64);
    context->lengthBytes += length;
    while (length > 0) {
        const size_t take = std::min(length, 64 - used);
        memcpy(context->block + used, in, take);
        used += take;
        in += take;
        length -= take;
        if (used == 64) {
            Sha1Block(context->state, context->block);
            used = 0;
        }
    }
}

void Sha1End(Sha1Context* context, uint8_t outDigest[20]) {
    const uint64_t bits = context->lengthBytes * 8;
    static const uint8_t kPad[64] = {0x80};
    const size_t used = static_cast<size_t>(context->lengthBytes % 64);
    Sha1Update(context, kPad, used < 56 ? 56 - used : 120 - used);
    uint8_t lengthBytes[8];
    for (int b = 0; b < 8; ++b) {
        lengthBytes[b] = static_cast<uint8_t>(bits >> (56 - 8 * b));
    }
    Sha1Update(context, lengthBytes, 8);
    for (int i = 0; i < 5; ++i) {
        for (int b = 0; b < 4; ++b) {
            outDigest[4 * i + b] = static_cast<uint8_t>(context->state[i] >> (24 - 8 * b));
        }
    }
    delete context;
}

void Sha1Digest(const void* bytes, size_t length, uint8_t outDigest[20]) {
    Sha1Context* context = Sha1Begin();
    Sha1Update(context, bytes, length);
    Sha1End(context, outDigest);
}

void Sha512Digest(const void* bytes, size_t length, uint8_t outDigest[64]) {
    uint64_t state[8] = {0x6a09e667f3bcc908ULL, 0xbb67ae8584caa73bULL, 0x3c6ef372fe94f82bULL,
                         0xa54ff53a5f1d36f1ULL, 0x510e527fade682d1ULL, 0x9b05688c2b3e6c1fULL,
                         0x1f83d9abfb41bd6bULL, 0x5be0cd19137e2179ULL};
    const uint8_t* in = static_cast<const uint8_t*>(bytes);
    size_t full = length / 128 * 128;
    for (size_t offset = 0; offset < full; offset += 128) {
        Sha512Block(state, in + offset);
    }
    // The tail, the 0x80 marker and the 128-bit bit length in one or two blocks.
    uint8_t tail[256] = {};
    const size_t rest = length - full;
    if (rest != 0) {
        memcpy(tail, in + full, rest);
    }
    tail[rest] = 0x80;
    const size_t tailBlocks = rest < 112 ? 1 : 2;
    const uint64_t bitsLow = static_cast<uint64_t>(length) << 3;
    const uint64_t bitsHigh = static_cast<uint64_t>(length) >> 61;
    uint8_t* lengthField = tail + tailBlocks * 128 - 16;
    for (int b = 0; b < 8; ++b) {
        lengthField[b] = static_cast<uint8_t>(bitsHigh >> (56 - 8 * b));
        lengthField[8 + b] = static_cast<uint8_t>(bitsLow >> (56 - 8 * b));
    }
    for (size_t k = 0; k < tailBlocks; ++k) {
        Sha512Block(state, tail + 128 * k);
    }
    for (int i = 0; i < 8; ++i) {
        for (int b = 0; b < 8; ++b) {
            outDigest[8 * i + b] = static_cast<uint8_t>(state[i] >> (56 - 8 * b));
        }
    }
}

namespace {

struct Crc32Table {
    uint32_t entries[256];
    Crc32Table() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            entries[n] = c;
        }
    }
};

}  // namespace

uint32_t Crc32Begin() { return 0xFFFFFFFFu; }

uint32_t Crc32Update(uint32_t state, const void* bytes, size_t length) {
    static const Crc32Table& s_table = *new Crc32Table();  // kept to the end: used at exit
    const uint8_t* in = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i < length; ++i) {
        state = s_table.entries[(state ^ in[i]) & 0xFF] ^ (state >> 8);
    }
    return state;
}

uint32_t Crc32End(uint32_t state) { return ~state; }

}  // namespace Kiplink
