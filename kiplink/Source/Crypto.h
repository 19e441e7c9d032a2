// The client library's own crypto: AES-128-CBC with zero padding for request
// bodies and local files, SHA-1, SHA-512, CRC-32, and the RSA-1024 public
// operation that checks the signatures of static data.
#pragma once

#include "kiplink/Source/BigUnsigned.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Kiplink {

// AES-128 key schedules and the CBC chaining block; built afresh for every
// call, so every message starts from the holder's initialisation vector.
struct AesContext {
    uint32_t encryptKeys[44];
    uint32_t decryptKeys[44];  // the equivalent inverse cipher's
    uint8_t chain[16];
    uint32_t blockSize = 16;

    // iv may be null (16 zero bytes). A mode of 2 or less also prepares
    // decryption.
    void Setup(const uint8_t key[16], const uint8_t* iv, int mode);
    void EncryptBlock(const uint8_t in[16], uint8_t out[16]) const;
    void DecryptBlock(const uint8_t in[16], uint8_t out[16]) const;
    // In place; length a multiple of 16.
    void EncryptCbc(uint8_t* data, size_t length);
    void DecryptCbc(uint8_t* data, size_t length);
};

// A key and an initialisation vector, each taken byte for byte from a
// 16-character text (the characters are the bytes, not hex digits).
class AesCbcCipher {
public:
    AesCbcCipher(const char* key16, const char* iv16);
    virtual ~AesCbcCipher() = default;

    virtual int Mode() const { return 1; }
    virtual void Encrypt(uint8_t* data, size_t length) const;  // in place, whole blocks
    virtual void Decrypt(uint8_t* data, size_t length) const;

    const uint8_t* Key() const { return m_key; }
    const uint8_t* Iv() const { return m_iv; }

private:
    uint8_t m_key[16];
    uint8_t m_iv[16];
};

// Local files.
const AesCbcCipher& GetStorageCipher();
// Request and reply bodies, and signed static data.
const AesCbcCipher& GetTransportCipher();

// The ciphertext of the input zero-padded to whole blocks (empty for empty).
void EncryptToString(const AesCbcCipher& cipher, const void* bytes, size_t length, std::string* out);
void EncryptTextToString(const AesCbcCipher& cipher, const char* text, std::string* out);
// The plaintext of the input rounded up to whole blocks, padding zeros kept.
void DecryptToString(const AesCbcCipher& cipher, const void* bytes, size_t length, std::string* out);
// Deciphers the input (rounded up to whole blocks) and copies its first
// length bytes to out.
void DecryptToBuffer(const AesCbcCipher& cipher, const void* bytes, size_t length, void* out);

// SHA-1 in three steps; Sha1End writes the digest and frees the context.
struct Sha1Context {
    uint64_t lengthBytes;
    uint32_t state[5];
    uint8_t block[64];
};
Sha1Context* Sha1Begin();
void Sha1Update(Sha1Context* context, const void* bytes, size_t length);
void Sha1End(Sha1Context* context, uint8_t outDigest[20]);
void Sha1Digest(const void* bytes, size_t length, uint8_t outDigest[20]);

void Sha512Digest(const void* bytes, size_t length, uint8_t outDigest[64]);

// CRC-32 of ISO 3309 and zlib: Crc32End(Crc32Update(Crc32Begin(), ...)).
uint32_t Crc32Begin();
uint32_t Crc32Update(uint32_t state, const void* bytes, size_t length);
uint32_t Crc32End(uint32_t state);

class RsaPublicKey {
public:
    // Both big-endian.
    RsaPublicKey(const uint8_t* modulus, size_t modulusCount, const uint8_t* exponent, size_t exponentCount);

    // input^exponent mod modulus written big-endian without leading zero
    // bytes; returns the count written, or 0 (nothing written) when the
    // result is zero or does not fit outCapacity.
    size_t PublicOperation(const uint8_t* input, size_t inputCount, uint8_t* out, size_t outCapacity) const;

    const BigUnsigned& Modulus() const { return m_modulus; }

private:
    BigUnsigned m_modulus;
    BigUnsigned m_exponent;
};

// The project key: the development RSA-1024 pair's public half.
const RsaPublicKey& GetRsaPublicKey();

}  // namespace Kiplink
