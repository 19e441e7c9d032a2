// AES-128 in CBC mode with zero padding, behind a cipher object that holds
// one key and initialisation vector. Used for the remote configuration and
// the values of the secure key store.
#pragma once

#include <cstdint>
#include <string>

namespace Varnok {

// Built afresh on the stack for every operation.
struct AesContext {
    static constexpr int kBlockSize = 16;
    static constexpr int kScheduleWords = 44;  // 11 round keys of 4 words

    uint32_t encryptKeys[kScheduleWords] = {};
    // The encryption round keys in reverse order, InvMixColumns applied to the
    // nine inner ones (the equivalent inverse cipher).
    uint32_t decryptKeys[kScheduleWords] = {};
    uint8_t chain[kBlockSize] = {};
    int blockSize = kBlockSize;

    // key: 16 bytes. A null iv chains from 16 zero bytes. A mode of 2 or less
    // builds the decryption schedule as well.
    void Init(int mode, const uint8_t* key, const uint8_t* iv);
};

// CBC over the whole 16-byte blocks of length bytes (a partial tail block is
// neither read nor written; the cipher object pads before calling). out may
// equal in. The context's chaining vector advances, so consecutive calls chain.
void AesCbcEncrypt(AesContext* context, uint8_t* out, const uint8_t* in, int length);
// Requires: context built with a mode that made the decryption schedule.
void AesCbcDecrypt(AesContext* context, uint8_t* out, const uint8_t* in, int length);

using CipherRoutine = void (*)(AesContext* context, uint8_t* out, const uint8_t* in, int length);

class Cipher {
public:
    static constexpr int kKeySize = 16;

    virtual ~Cipher() = default;

    // Handed to AesContext::Init.
    virtual int ScheduleMode() const = 0;
    virtual CipherRoutine EncryptRoutine() const = 0;
    virtual CipherRoutine DecryptRoutine() const = 0;

    // Copies 16 bytes from each pointer (the callers' keys are 16-character
    // texts whose characters are the key bytes).
    void SetKey(const void* key, const void* iv);

    // Zero-pads to whole blocks (none added when already whole; 0 bytes give an
    // empty string) and enciphers from the configured IV: nothing chains
    // between calls. outCipher receives every padded byte.
    void EncryptToString(const void* data, int length, std::string& outCipher) const;
    // EncryptToString over the text without its terminator.
    void EncryptString(const char* text, std::string& outCipher) const;
    // outPlain receives length rounded up to whole blocks, padding zeros
    // included. A partial last block is completed with zero bytes (its
    // plaintext is then garbage, and a line is logged).
    void DecryptToString(const void* data, int length, std::string& outPlain) const;
    // As DecryptToString, writing exactly the first length bytes to outPlain,
    // which may be data itself.
    void DecryptInPlace(const void* data, int length, void* outPlain) const;

protected:
    uint8_t m_key[kKeySize] = {};
    uint8_t m_iv[kKeySize] = {};

private:
    // length rounded up to whole blocks, deciphered; false for a negative length.
    bool DecryptPadded(const void* data, int length, std::string& outPlain) const;
};

class AesCbcCipher : public Cipher {
public:
    int ScheduleMode() const override { return 1; }
    CipherRoutine EncryptRoutine() const override { return AesCbcEncrypt; }
    CipherRoutine DecryptRoutine() const override { return AesCbcDecrypt; }
};

}  // namespace Varnok
