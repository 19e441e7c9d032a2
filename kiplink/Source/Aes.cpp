// AES-128 (FIPS 197) with lookup tables built once from the S-box, CBC mode
// with zero padding, and the library's two cipher holders.
#include "kiplink/Source/Crypto.h"

#include <cstring>
#include <vector>

namespace Kiplink {

namespace {

struct AesTables {
    uint8_t sbox[256];
    uint8_t inverseSbox[256];
    uint32_t encrypt[4][256];
    uint32_t decrypt[4][256];

    static uint8_t Times(uint8_t a, uint8_t b) {
        uint8_t product = 0;
        while (b != 0) {
            if (b & 1) product ^= a;
            a = static_cast<uint8_t>((a << 1) ^ ((a & 0x80) ? 0x1B : 0));
            b >>= 1;
        }
        return product;
    }

    AesTables() {
        // The S-box from the multiplicative inverse and the affine map.
        for (int x = 0; x < 256; ++x) {
            uint8_t inverse = 0;
            if (x != 0) {
                for (int y = 1; y < 256; ++y) {
                    if (Times(static_cast<uint8_t>(x), static_cast<uint8_t>(y)) == 1) {
                        inverse = static_cast<uint8_t>(y);
                        break;
                    }
                }
            }
            uint8_t s = inverse;
            uint8_t result = 0x63;
            for (int k = 0; k < 5; ++k) {
                result ^= s;
                s = static_cast<uint8_t>((s << 1) | (s >> 7));
            }
            sbox[x] = result;
            inverseSbox[result] = static_cast<uint8_t>(x);
        }
        for (int x = 0; x < 256; ++x) {
            const uint8_t s = sbox[x];
            const uint32_t e = (uint32_t(Times(s, 2)) << 24) | (uint32_t(s) << 16) | (uint32_t(s) << 8) |
                               uint32_t(Times(s, 3));
            const uint8_t i = inverseSbox[x];
            const uint32_t d = (uint32_t(Times(i, 14)) << 24) | (uint32_t(Times(i, 9)) << 16) |
                               (uint32_t(Times(i, 13)) << 8) | uint32_t(Times(i, 11));
            for (int r = 0; r < 4; ++r) {
                encrypt[r][x] = (e >> (8 * r)) | (e << ((32 - 8 * r) % 32));
                decrypt[r][x] = (d >> (8 * r)) | (d << ((32 - 8 * r) % 32));
            }
        }
    }
};

const AesTables& Tables() {
    static const AesTables& s_tables = *new AesTables();  // kept to the end: used at exit
    return s_tables;
}

uint32_t LoadBig(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void StoreBig(uint32_t v, uint8_t* p) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

uint32_t SubWord(const AesTables& t, uint32_t w) {
    return (uint32_t(t.sbox[w >> 24]) << 24) | (uint32_t(t.sbox[(w >> 16) & 0xFF]) << 16) |
           (uint32_t(t.sbox[(w >> 8) & 0xFF]) << 8) | uint32_t(t.sbox[w & 0xFF]);
}

// InvMixColumns of one round-key word, through the tables: the S-box undoes
// the inverse S-box folded into them.
uint32_t InvMixWord(const AesTables& t, uint32_t w) {
    return t.decrypt[0][t.sbox[w >> 24]] ^ t.decrypt[1][t.sbox[(w >> 16) & 0xFF]] ^
           t.decrypt[2][t.sbox[(w >> 8) & 0xFF]] ^ t.decrypt[3][t.sbox[w & 0xFF]];
}

}  // namespace

void AesContext::Setup(const uint8_t key[16], const uint8_t* iv, int mode) {
    const AesTables& t = Tables();
    static const uint8_t kRcon[10] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x1B, 0x36};
    for (int i = 0; i < 4; ++i) {
        encryptKeys[i] = LoadBig(key + 4 * i);
    }
    for (int i = 4; i < 44; ++i) {
        uint32_t temp = encryptKeys[i - 1];
        if (i % 4 == 0) {
            temp = SubWord(t, (temp << 8) | (temp >> 24)) ^ (uint32_t(kRcon[i / 4 - 1]) << 24);
        }
        encryptKeys[i] = encryptKeys[i - 4] ^ temp;
    }
    if (iv != nullptr) {
        memcpy(chain, iv, 16);
    } else {
        memset(chain, 0, 16);
    }
    blockSize = 16;
    if (mode <= 2) {
        for (int round = 0; round <= 10; ++round) {
            for (int c = 0; c < 4; ++c) {
                const uint32_t w = encryptKeys[(10 - round) * 4 + c];
                decryptKeys[round * 4 + c] = (round == 0 || round == 10) ? w : InvMixWord(t, w);
            }
        }
    }
}

void AesContext::EncryptBlock(const uint8_t in[16], uint8_t out[16]) const {
    const AesTables& t = Tables();
    uint32_t s[4];
    for (int c = 0; c < 4; ++c) {
        s[c] = LoadBig(in + 4 * c) ^ encryptKeys[c];
    }
    for (int round = 1; round < 10; ++round) {
        uint32_t n[4];
        for (int c = 0; c < 4; ++c) {
            n[c] = t.encrypt[0][s[c] >> 24] ^ t.encrypt[1][(s[(c + 1) & 3] >> 16) & 0xFF] ^
                   t.encrypt[2][(s[(c + 2) & 3] >> 8) & 0xFF] ^ t.encrypt[3][s[(c + 3) & 3] & 0xFF] ^
                   encryptKeys[round * 4 + c];
        }
        memcpy(s, n, sizeof(s));
    }
    for (int c = 0; c < 4; ++c) {
        const uint32_t w = (uint32_t(t.sbox[s[c] >> 24]) << 24) | (uint32_t(t.sbox[(s[(c + 1) & 3] >> 16) & 0xFF]) << 16) |
                           (uint32_t(t.sbox[(s[(c + 2) & 3] >> 8) & 0xFF]) << 8) | uint32_t(t.sbox[s[(c + 3) & 3] & 0xFF]);
        StoreBig(w ^ encryptKeys[40 + c], out + 4 * c);
    }
}

void AesContext::DecryptBlock(const uint8_t in[16], uint8_t out[16]) const {
    const AesTables& t = Tables();
    uint32_t s[4];
    for (int c = 0; c < 4; ++c) {
        s[c] = LoadBig(in + 4 * c) ^ decryptKeys[c];
    }
    for (int round = 1; round < 10; ++round) {
        uint32_t n[4];
        for (int c = 0; c < 4; ++c) {
            n[c] = t.decrypt[0][s[c] >> 24] ^ t.decrypt[1][(s[(c + 3) & 3] >> 16) & 0xFF] ^
                   t.decrypt[2][(s[(c + 2) & 3] >> 8) & 0xFF] ^ t.decrypt[3][s[(c + 1) & 3] & 0xFF] ^
                   decryptKeys[round * 4 + c];
        }
        memcpy(s, n, sizeof(s));
    }
    for (int c = 0; c < 4; ++c) {
        const uint32_t w = (uint32_t(t.inverseSbox[s[c] >> 24]) << 24) |
                           (uint32_t(t.inverseSbox[(s[(c + 3) & 3] >> 16) & 0xFF]) << 16) |
                           (uint32_t(t.inverseSbox[(s[(c + 2) & 3] >> 8) & 0xFF]) << 8) |
                           uint32_t(t.inverseSbox[s[(c + 1) & 3] & 0xFF]);
        StoreBig(w ^ decryptKeys[40 + c], out + 4 * c);
    }
}

void AesContext::EncryptCbc(uint8_t* data, size_t length) {
    for (size_t offset = 0; offset + 16 <= length; offset += 16) {
        uint8_t block[16];
        for (int k = 0; k < 16; ++k) {
            block[k] = data[offset + k] ^ chain[k];
        }
        EncryptBlock(block, data + offset);
        memcpy(chain, data + offset, 16);
    }
}

void AesContext::DecryptCbc(uint8_t* data, size_t length) {
    for (size_t offset = 0; offset + 16 <= length; offset += 16) {
        uint8_t cipherBlock[16];
        memcpy(cipherBlock, data + offset, 16);
        DecryptBlock(cipherBlock, data + offset);
        for (int k = 0; k < 16; ++k) {
            data[offset + k] ^= chain[k];
        }
        memcpy(chain, cipherBlock, 16);
    }
}

AesCbcCipher::AesCbcCipher(const char* key16, const char* iv16) {
    memcpy(m_key, key16, 16);
    memcpy(m_iv, iv16, 16);
}

void AesCbcCipher::Encrypt(uint8_t* data, size_t length) const {
    AesContext context;
    context.Setup(m_key, m_iv, Mode());
    context.EncryptCbc(data, length);
}

void AesCbcCipher::Decrypt(uint8_t* data, size_t length) const {
    AesContext context;
    context.Setup(m_key, m_iv, Mode());
    context.DecryptCbc(data, length);
}

const AesCbcCipher& GetStorageCipher() {
    static const AesCbcCipher& s_cipher = *new AesCbcCipher("Tq4Rw8ZpLm2Vx6Ns", "Gh7Kc3Yb9Fd5Wj1Q");
    return s_cipher;
}

const AesCbcCipher& GetTransportCipher() {
    static const AesCbcCipher& s_cipher = *new AesCbcCipher("5E0C9F21B7D4A386", "C2F76B0E9A41D583");
    return s_cipher;
}

namespace {

size_t RoundedUp(size_t length) { return (length + 15) / 16 * 16; }

}  // namespace

void EncryptToString(const AesCbcCipher& cipher, const void* bytes, size_t length, std::string* out) {
    out->assign(RoundedUp(length), '\0');
    if (length != 0) {
        memcpy(&(*out)[0], bytes, length);
        cipher.Encrypt(reinterpret_cast<uint8_t*>(&(*out)[0]), out->size());
    }
}

void EncryptTextToString(const AesCbcCipher& cipher, const char* text, std::string* out) {
    EncryptToString(cipher, text, strlen(text), out);
}

void DecryptToString(const AesCbcCipher& cipher, const void* bytes, size_t length, std::string* out) {
    out->assign(RoundedUp(length), '\0');
    if (length != 0) {
        memcpy(&(*out)[0], bytes, length);
        cipher.Decrypt(reinterpret_cast<uint8_t*>(&(*out)[0]), out->size());
    }
}

void DecryptToBuffer(const AesCbcCipher& cipher, const void* bytes, size_t length, void* out) {
    if (length == 0) {
        return;
    }
    std::vector<uint8_t> buffer(RoundedUp(length), 0);
    memcpy(buffer.data(), bytes, length);
    cipher.Decrypt(buffer.data(), buffer.size());
    memcpy(out, buffer.data(), length);
}

}  // namespace Kiplink
