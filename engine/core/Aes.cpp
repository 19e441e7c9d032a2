// Table-driven AES-128 (FIPS-197) and the CBC cipher object over it.
#include "engine/core/Aes.h"

#include "engine/core/Log.h"

#include <cstring>

namespace Varnok {

namespace {

constexpr int kRounds = 10;

constexpr uint8_t RotateByteLeft(uint8_t x, int n) {
    return static_cast<uint8_t>((x << n) | (x >> (8 - n)));
}

constexpr uint8_t XTime(uint8_t x) {
    return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0x00));
}

// Multiplication in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr uint8_t GfMultiply(uint8_t a, uint8_t b) {
    uint8_t product = 0;
    while (b != 0) {
        if (b & 1) {
            product ^= a;
        }
        a = XTime(a);
        b = static_cast<uint8_t>(b >> 1);
    }
    return product;
}

constexpr uint32_t RotateRight(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

struct AesTables {
    uint8_t sbox[256] = {};
    uint8_t inverseSbox[256] = {};
    // Column words, most significant byte the first row: encrypt[x] holds
    // MixColumns of the column (S(x), 0, 0, 0); decrypt[x] InvMixColumns of
    // (InvS(x), 0, 0, 0). The other three rows are byte rotations of these.
    uint32_t encrypt[256] = {};
    uint32_t decrypt[256] = {};
};

constexpr AesTables MakeTables() {
    AesTables t;
    // Walk the multiplicative group with generator 3: p runs through every
    // non-zero element while q stays its inverse.
    uint8_t p = 1;
    uint8_t q = 1;
    do {
        p = static_cast<uint8_t>(p ^ XTime(p));
        q = static_cast<uint8_t>(q ^ (q << 1));
        q = static_cast<uint8_t>(q ^ (q << 2));
        q = static_cast<uint8_t>(q ^ (q << 4));
        if (q & 0x80) {
            q ^= 0x09;
        }
        const uint8_t affine = static_cast<uint8_t>(q ^ RotateByteLeft(q, 1) ^ RotateByteLeft(q, 2) ^
                                                    RotateByteLeft(q, 3) ^ RotateByteLeft(q, 4));
        t.sbox[p] = static_cast<uint8_t>(affine ^ 0x63);
    } while (p != 1);
    t.sbox[0] = 0x63;
    for (int x = 0; x < 256; ++x) {
        t.inverseSbox[t.sbox[x]] = static_cast<uint8_t>(x);
    }
    for (int x = 0; x < 256; ++x) {
        const uint8_t s = t.sbox[x];
        t.encrypt[x] = (uint32_t{GfMultiply(s, 2)} << 24) | (uint32_t{s} << 16) | (uint32_t{s} << 8) |
                       uint32_t{GfMultiply(s, 3)};
        const uint8_t v = t.inverseSbox[x];
        t.decrypt[x] = (uint32_t{GfMultiply(v, 14)} << 24) | (uint32_t{GfMultiply(v, 9)} << 16) |
                       (uint32_t{GfMultiply(v, 13)} << 8) | uint32_t{GfMultiply(v, 11)};
    }
    return t;
}

constexpr AesTables kTables = MakeTables();

uint32_t LoadBigEndian(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

void StoreBigEndian(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

uint32_t SubWord(uint32_t w) {
    return (uint32_t{kTables.sbox[w >> 24]} << 24) | (uint32_t{kTables.sbox[(w >> 16) & 0xFF]} << 16) |
           (uint32_t{kTables.sbox[(w >> 8) & 0xFF]} << 8) | uint32_t{kTables.sbox[w & 0xFF]};
}

uint32_t EncryptColumn(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return kTables.encrypt[a >> 24] ^ RotateRight(kTables.encrypt[(b >> 16) & 0xFF], 8) ^
           RotateRight(kTables.encrypt[(c >> 8) & 0xFF], 16) ^ RotateRight(kTables.encrypt[d & 0xFF], 24);
}

uint32_t DecryptColumn(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return kTables.decrypt[a >> 24] ^ RotateRight(kTables.decrypt[(b >> 16) & 0xFF], 8) ^
           RotateRight(kTables.decrypt[(c >> 8) & 0xFF], 16) ^ RotateRight(kTables.decrypt[d & 0xFF], 24);
}

uint32_t InvMixColumn(uint32_t w) {
    // decrypt[] expects bytes still under SubBytes: applying S first leaves
    // plain InvMixColumns. Each position reads only its own byte of s.
    const uint32_t s = SubWord(w);
    return DecryptColumn(s, s, s, s);
}

void EncryptBlock(const uint32_t* rk, const uint8_t* in, uint8_t* out) {
    uint32_t s0 = LoadBigEndian(in) ^ rk[0];
    uint32_t s1 = LoadBigEndian(in + 4) ^ rk[1];
    uint32_t s2 = LoadBigEndian(in + 8) ^ rk[2];
    uint32_t s3 = LoadBigEndian(in + 12) ^ rk[3];
    for (int round = 1; round < kRounds; ++round) {
        const uint32_t* k = rk + 4 * round;
        const uint32_t t0 = EncryptColumn(s0, s1, s2, s3) ^ k[0];
        const uint32_t t1 = EncryptColumn(s1, s2, s3, s0) ^ k[1];
        const uint32_t t2 = EncryptColumn(s2, s3, s0, s1) ^ k[2];
        const uint32_t t3 = EncryptColumn(s3, s0, s1, s2) ^ k[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    const uint32_t* k = rk + 4 * kRounds;
    const uint8_t* sb = kTables.sbox;
    const auto last = [sb](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        return (uint32_t{sb[a >> 24]} << 24) | (uint32_t{sb[(b >> 16) & 0xFF]} << 16) |
               (uint32_t{sb[(c >> 8) & 0xFF]} << 8) | uint32_t{sb[d & 0xFF]};
    };
    StoreBigEndian(out, last(s0, s1, s2, s3) ^ k[0]);
    StoreBigEndian(out + 4, last(s1, s2, s3, s0) ^ k[1]);
    StoreBigEndian(out + 8, last(s2, s3, s0, s1) ^ k[2]);
    StoreBigEndian(out + 12, last(s3, s0, s1, s2) ^ k[3]);
}

void DecryptBlock(const uint32_t* dk, const uint8_t* in, uint8_t* out) {
    uint32_t s0 = LoadBigEndian(in) ^ dk[0];
    uint32_t s1 = LoadBigEndian(in + 4) ^ dk[1];
    uint32_t s2 = LoadBigEndian(in + 8) ^ dk[2];
    uint32_t s3 = LoadBigEndian(in + 12) ^ dk[3];
    for (int round = 1; round < kRounds; ++round) {
        const uint32_t* k = dk + 4 * round;
        // InvShiftRows moves row r of column c to column c + r.
        const uint32_t t0 = DecryptColumn(s0, s3, s2, s1) ^ k[0];
        const uint32_t t1 = DecryptColumn(s1, s0, s3, s2) ^ k[1];
        const uint32_t t2 = DecryptColumn(s2, s1, s0, s3) ^ k[2];
        const uint32_t t3 = DecryptColumn(s3, s2, s1, s0) ^ k[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    const uint32_t* k = dk + 4 * kRounds;
    const uint8_t* ib = kTables.inverseSbox;
    const auto last = [ib](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        return (uint32_t{ib[a >> 24]} << 24) | (uint32_t{ib[(b >> 16) & 0xFF]} << 16) |
               (uint32_t{ib[(c >> 8) & 0xFF]} << 8) | uint32_t{ib[d & 0xFF]};
    };
    StoreBigEndian(out, last(s0, s3, s2, s1) ^ k[0]);
    StoreBigEndian(out + 4, last(s1, s0, s3, s2) ^ k[1]);
    StoreBigEndian(out + 8, last(s2, s1, s0, s3) ^ k[2]);
    StoreBigEndian(out + 12, last(s3, s2, s1, s0) ^ k[3]);
}

int RoundUpToBlocks(int length) {
    return (length + AesContext::kBlockSize - 1) / AesContext::kBlockSize * AesContext::kBlockSize;
}

}  // namespace

void AesContext::Init(int mode, const uint8_t* key, const uint8_t* iv) {
    blockSize = kBlockSize;
    if (iv != nullptr) {
        std::memcpy(chain, iv, kBlockSize);
    } else {
        std::memset(chain, 0, kBlockSize);
    }

    uint8_t rcon = 0x01;
    for (int i = 0; i < 4; ++i) {
        encryptKeys[i] = LoadBigEndian(key + 4 * i);
    }
    for (int i = 4; i < kScheduleWords; ++i) {
        uint32_t temp = encryptKeys[i - 1];
        if (i % 4 == 0) {
            temp = SubWord((temp << 8) | (temp >> 24)) ^ (uint32_t{rcon} << 24);
            rcon = XTime(rcon);
        }
        encryptKeys[i] = encryptKeys[i - 4] ^ temp;
    }

    if (mode > 2) {
        return;
    }
    for (int round = 0; round <= kRounds; ++round) {
        for (int j = 0; j < 4; ++j) {
            const uint32_t w = encryptKeys[4 * (kRounds - round) + j];
            const bool inner = round != 0 && round != kRounds;
            decryptKeys[4 * round + j] = inner ? InvMixColumn(w) : w;
        }
    }
}

void AesCbcEncrypt(AesContext* context, uint8_t* out, const uint8_t* in, int length) {
    uint8_t block[AesContext::kBlockSize];
    for (int offset = 0; offset + AesContext::kBlockSize <= length; offset += AesContext::kBlockSize) {
        for (int i = 0; i < AesContext::kBlockSize; ++i) {
            block[i] = in[offset + i] ^ context->chain[i];
        }
        EncryptBlock(context->encryptKeys, block, context->chain);
        std::memcpy(out + offset, context->chain, AesContext::kBlockSize);
    }
}

void AesCbcDecrypt(AesContext* context, uint8_t* out, const uint8_t* in, int length) {
    uint8_t cipherBlock[AesContext::kBlockSize];
    uint8_t plain[AesContext::kBlockSize];
    for (int offset = 0; offset + AesContext::kBlockSize <= length; offset += AesContext::kBlockSize) {
        // Keep the ciphertext before writing: out may be in.
        std::memcpy(cipherBlock, in + offset, AesContext::kBlockSize);
        DecryptBlock(context->decryptKeys, cipherBlock, plain);
        for (int i = 0; i < AesContext::kBlockSize; ++i) {
            out[offset + i] = plain[i] ^ context->chain[i];
        }
        std::memcpy(context->chain, cipherBlock, AesContext::kBlockSize);
    }
}

void Cipher::SetKey(const void* key, const void* iv) {
    std::memcpy(m_key, key, kKeySize);
    std::memcpy(m_iv, iv, kKeySize);
}

void Cipher::EncryptToString(const void* data, int length, std::string& outCipher) const {
    outCipher.clear();
    if (length < 0) {
        Log("Cipher: negative length %d to encrypt, nothing done", length);
        return;
    }
    AesContext context;
    context.Init(ScheduleMode(), m_key, m_iv);
    outCipher.assign(static_cast<size_t>(RoundUpToBlocks(length)), '\0');
    if (length > 0) {
        std::memcpy(&outCipher[0], data, static_cast<size_t>(length));
    }
    uint8_t* bytes = reinterpret_cast<uint8_t*>(&outCipher[0]);
    EncryptRoutine()(&context, bytes, bytes, static_cast<int>(outCipher.size()));
}

void Cipher::EncryptString(const char* text, std::string& outCipher) const {
    EncryptToString(text, text != nullptr ? static_cast<int>(std::strlen(text)) : 0, outCipher);
}

bool Cipher::DecryptPadded(const void* data, int length, std::string& outPlain) const {
    outPlain.clear();
    if (length < 0) {
        Log("Cipher: negative length %d to decrypt, nothing done", length);
        return false;
    }
    if (length % AesContext::kBlockSize != 0) {
        Log("Cipher: %d bytes to decrypt are not whole 16-byte blocks; last block completed with zeros",
            length);
    }
    AesContext context;
    context.Init(ScheduleMode(), m_key, m_iv);
    // Work on a zero-filled copy so that a partial last block never reads past
    // the caller's data.
    outPlain.assign(static_cast<size_t>(RoundUpToBlocks(length)), '\0');
    if (length > 0) {
        std::memcpy(&outPlain[0], data, static_cast<size_t>(length));
    }
    uint8_t* bytes = reinterpret_cast<uint8_t*>(&outPlain[0]);
    DecryptRoutine()(&context, bytes, bytes, static_cast<int>(outPlain.size()));
    return true;
}

void Cipher::DecryptToString(const void* data, int length, std::string& outPlain) const {
    DecryptPadded(data, length, outPlain);
}

void Cipher::DecryptInPlace(const void* data, int length, void* outPlain) const {
    std::string plain;
    if (DecryptPadded(data, length, plain) && length > 0) {
        std::memcpy(outPlain, plain.data(), static_cast<size_t>(length));
    }
}

}  // namespace Varnok
