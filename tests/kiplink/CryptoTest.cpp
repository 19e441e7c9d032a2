#include "kiplink/Source/Crypto.h"

#include "kiplink/Source/Random.h"
#include "tests/kiplink/RandomDraws.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/sha.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Hex(const void* bytes, size_t length) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t b = static_cast<const uint8_t*>(bytes)[i];
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

std::string Hex(const std::string& bytes) { return Hex(bytes.data(), bytes.size()); }

std::vector<uint8_t> FromHex(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::string Sha1Hex(const std::string& message) {
    uint8_t digest[20];
    Kiplink::Sha1Context* context = Kiplink::Sha1Begin();
    // In two pieces, so that the block buffer is exercised.
    Kiplink::Sha1Update(context, message.data(), message.size() / 3);
    Kiplink::Sha1Update(context, message.data() + message.size() / 3, message.size() - message.size() / 3);
    Kiplink::Sha1End(context, digest);
    return Hex(digest, 20);
}

std::string Sha512Hex(const std::string& message) {
    uint8_t digest[64];
    Kiplink::Sha512Digest(message.data(), message.size(), digest);
    return Hex(digest, 64);
}

TEST(Aes, MatchesTheFips197Example) {
    const std::vector<uint8_t> key = FromHex("000102030405060708090a0b0c0d0e0f");
    const std::vector<uint8_t> plain = FromHex("00112233445566778899aabbccddeeff");
    Kiplink::AesContext context;
    context.Setup(key.data(), nullptr, 1);
    uint8_t cipher[16];
    context.EncryptBlock(plain.data(), cipher);
    EXPECT_EQ(Hex(cipher, 16), "69c4e0d86a7b0430d8cdb78070b4c55a");
    uint8_t back[16];
    context.DecryptBlock(cipher, back);
    EXPECT_EQ(Hex(back, 16), "00112233445566778899aabbccddeeff");
}

TEST(Aes, PadsWithZerosToWholeBlocks) {
    const Kiplink::AesCbcCipher& cipher = Kiplink::GetTransportCipher();
    const std::string source(40, 'k');
    const struct {
        size_t in;
        size_t out;
    } cases[] = {{0, 0}, {1, 16}, {16, 16}, {17, 32}};
    for (const auto& c : cases) {
        std::string out;
        Kiplink::EncryptToString(cipher, source.data(), c.in, &out);
        EXPECT_EQ(out.size(), c.out) << c.in;
    }
    const std::string text = "twenty bytes of text";
    std::string sealed;
    Kiplink::EncryptTextToString(cipher, text.c_str(), &sealed);
    std::string again;
    Kiplink::EncryptTextToString(cipher, text.c_str(), &again);
    EXPECT_EQ(sealed, again);  // every call starts from the same vector
    std::string opened;
    Kiplink::DecryptToString(cipher, sealed.data(), sealed.size(), &opened);
    EXPECT_EQ(opened, text + std::string(12, '\0'));
    char buffer[33] = {};
    Kiplink::DecryptToBuffer(cipher, sealed.data(), sealed.size(), buffer);
    EXPECT_EQ(std::string(buffer, 32), opened);
}

TEST(Aes, HoldersUseTheirKeysAndVectors) {
    const uint8_t zeros[16] = {};
    std::string out;
    Kiplink::EncryptToString(Kiplink::GetTransportCipher(), zeros, 16, &out);
    EXPECT_EQ(Hex(out), "03a00d563ed1b7fe1f9c6d137b29b89f");
    Kiplink::EncryptToString(Kiplink::GetStorageCipher(), zeros, 16, &out);
    EXPECT_EQ(Hex(out), "8f590fbe08cd50744c96f1dc92c86fe3");
}

TEST(Aes, AgreesWithOpenSslOnManyLengths) {
    const Kiplink::AesCbcCipher& cipher = Kiplink::GetStorageCipher();
    std::mt19937 random(7);
    for (size_t length : {1u, 15u, 16u, 33u, 100u, 4096u}) {
        std::string plain(length, '\0');
        for (char& c : plain) c = static_cast<char>(random());
        std::string ours;
        Kiplink::EncryptToString(cipher, plain.data(), plain.size(), &ours);

        std::string padded = plain;
        padded.resize(ours.size(), '\0');
        std::vector<uint8_t> theirs(padded.size() + 16);
        EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
        ASSERT_EQ(EVP_EncryptInit_ex(context, EVP_aes_128_cbc(), nullptr, cipher.Key(), cipher.Iv()), 1);
        EVP_CIPHER_CTX_set_padding(context, 0);
        int written = 0;
        int final = 0;
        EVP_EncryptUpdate(context, theirs.data(), &written, reinterpret_cast<const uint8_t*>(padded.data()),
                          static_cast<int>(padded.size()));
        EVP_EncryptFinal_ex(context, theirs.data() + written, &final);
        EVP_CIPHER_CTX_free(context);
        EXPECT_EQ(Hex(ours), Hex(theirs.data(), static_cast<size_t>(written + final))) << length;
    }
}

TEST(Digests, MatchTheFips180Examples) {
    EXPECT_EQ(Sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(Sha512Hex("abc"),
              "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
              "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
    EXPECT_EQ(Sha512Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmno"
                        "ijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu"),
              "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018"
              "501d289e4900f7e4331b99dec4b5433ac7d329eeb6dd26545e96e55b874be909");
}

TEST(Digests, AgreeWithOpenSslAcrossBlockBoundaries) {
    std::string message;
    for (size_t length = 0; length <= 300; ++length) {
        uint8_t sha1[20];
        uint8_t sha512[64];
        SHA1(reinterpret_cast<const uint8_t*>(message.data()), message.size(), sha1);
        SHA512(reinterpret_cast<const uint8_t*>(message.data()), message.size(), sha512);
        ASSERT_EQ(Sha1Hex(message), Hex(sha1, 20)) << length;
        ASSERT_EQ(Sha512Hex(message), Hex(sha512, 64)) << length;
        message.push_back(static_cast<char>(length * 37));
    }
}

TEST(Digests, Crc32OfTheCheckString) {
    const char* text = "123456789";
    uint32_t state = Kiplink::Crc32Begin();
    state = Kiplink::Crc32Update(state, text, 4);
    state = Kiplink::Crc32Update(state, text + 4, 5);
    EXPECT_EQ(Kiplink::Crc32End(state), 0xCBF43926u);
    EXPECT_EQ(Kiplink::Crc32End(Kiplink::Crc32Begin()), 0u);
}

struct PkeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyDeleter>;

Pkey LoadProjectKey() {
    FILE* file = fopen(VARNOK_PROJECT_KEY, "r");
    if (file == nullptr) {
        return nullptr;
    }
    Pkey key(PEM_read_PrivateKey(file, nullptr, nullptr, nullptr));
    fclose(file);
    return key;
}

TEST(Rsa, TheCompiledModulusIsTheProjectKeys) {
    Pkey key = LoadProjectKey();
    ASSERT_TRUE(key);
    BIGNUM* modulus = nullptr;
    ASSERT_EQ(EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_RSA_N, &modulus), 1);
    std::vector<uint8_t> theirs(static_cast<size_t>(BN_num_bytes(modulus)));
    BN_bn2bin(modulus, theirs.data());
    BN_free(modulus);
    EXPECT_EQ(theirs.size(), 128u);
    EXPECT_EQ(Kiplink::GetRsaPublicKey().Modulus().ToBytes(), theirs);
}

TEST(Rsa, ZeroWritesNothingAndOneWritesOne) {
    const Kiplink::RsaPublicKey& key = Kiplink::GetRsaPublicKey();
    uint8_t out[129] = {};
    const uint8_t zero[3] = {0, 0, 0};
    EXPECT_EQ(key.PublicOperation(zero, 3, out, sizeof(out)), 0u);
    EXPECT_EQ(out[0], 0);
    const uint8_t one[2] = {0, 1};
    EXPECT_EQ(key.PublicOperation(one, 2, out, sizeof(out)), 1u);
    EXPECT_EQ(out[0], 1);
    // 2^65537 mod n needs 128 bytes or close: a one-byte buffer is too small.
    const uint8_t two[1] = {2};
    EXPECT_EQ(key.PublicOperation(two, 1, out, 1), 0u);
}

TEST(Rsa, AnOpenSslSignatureRaisedGivesTheDigestBlock) {
    Pkey key = LoadProjectKey();
    ASSERT_TRUE(key);
    const std::string message = "{\"items\":[1,2,3],\"version\":7}";
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ASSERT_EQ(EVP_DigestSignInit(context, nullptr, EVP_sha512(), nullptr, key.get()), 1);
    size_t signatureLength = 0;
    ASSERT_EQ(EVP_DigestSign(context, nullptr, &signatureLength,
                             reinterpret_cast<const uint8_t*>(message.data()), message.size()),
              1);
    std::vector<uint8_t> signature(signatureLength);
    ASSERT_EQ(EVP_DigestSign(context, signature.data(), &signatureLength,
                             reinterpret_cast<const uint8_t*>(message.data()), message.size()),
              1);
    EVP_MD_CTX_free(context);
    ASSERT_EQ(signatureLength, 128u);

    uint8_t block[128];
    const size_t count =
        Kiplink::GetRsaPublicKey().PublicOperation(signature.data(), signature.size(), block, sizeof(block));
    // 00 01 FF .. FF 00 DigestInfo(SHA-512) digest, without the leading zero.
    ASSERT_EQ(count, 127u);
    EXPECT_EQ(block[0], 0x01);
    EXPECT_EQ(block[1], 0xFF);
    uint8_t digest[64];
    Kiplink::Sha512Digest(message.data(), message.size(), digest);
    EXPECT_EQ(Hex(block + count - 64, 64), Hex(digest, 64));
    EXPECT_EQ(block[count - 64 - 19 - 1], 0x00);
}

TEST(Rsa, AgreesWithOpenSslsRawPublicOperation) {
    Pkey key = LoadProjectKey();
    ASSERT_TRUE(key);
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        std::vector<uint8_t> input(128);
        for (uint8_t& b : input) b = static_cast<uint8_t>(random());
        input[0] &= 0x7F;  // below the modulus
        EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(key.get(), nullptr);
        ASSERT_EQ(EVP_PKEY_encrypt_init(context), 1);
        EVP_PKEY_CTX_set_rsa_padding(context, RSA_NO_PADDING);
        std::vector<uint8_t> theirs(128);
        size_t theirLength = theirs.size();
        ASSERT_EQ(EVP_PKEY_encrypt(context, theirs.data(), &theirLength, input.data(), input.size()), 1);
        EVP_PKEY_CTX_free(context);
        size_t skip = 0;
        while (skip < theirLength && theirs[skip] == 0) ++skip;

        uint8_t ours[128];
        const size_t count = Kiplink::GetRsaPublicKey().PublicOperation(input.data(), input.size(), ours, 128);
        ASSERT_EQ(Hex(ours, count), Hex(theirs.data() + skip, theirLength - skip)) << round;
    }
}

using KiplinkTest::StateForDraw;

TEST(Random, FillsWithWholeDrawsThenOneForTheTail) {
    for (uint32_t target : {0u, 1u, 0xFFFFFFFFu, 0xA5A5A5A5u}) {
        StateForDraw(target);
        EXPECT_EQ(Kiplink::XorShift128Random(), target);
    }
    Kiplink::SetRandomState(1, 2, 3, 4);
    const uint32_t first = Kiplink::XorShift128Random();
    const uint32_t second = Kiplink::XorShift128Random();
    const uint32_t third = Kiplink::XorShift128Random();

    Kiplink::SetRandomState(1, 2, 3, 4);
    uint8_t four[4];
    Kiplink::FillRandom(four, 4);
    EXPECT_EQ(Kiplink::XorShift128Random(), second);  // four bytes: one draw
    Kiplink::SetRandomState(1, 2, 3, 4);
    uint8_t five[5];
    Kiplink::FillRandom(five, 5);
    EXPECT_EQ(Kiplink::XorShift128Random(), third);  // five bytes: two draws
    EXPECT_EQ(four[0], static_cast<uint8_t>(first));
    EXPECT_EQ(four[3], static_cast<uint8_t>(first >> 24));
    EXPECT_EQ(five[4], static_cast<uint8_t>(second));  // low byte first
}

uint32_t FixedTicks() { return 12345; }
uint32_t FixedSeconds() { return 1700000000; }

TEST(Random, SeedsFromTheSha1OfTheClock) {
    const Kiplink::ClockHooks hooks{FixedTicks, FixedSeconds};
    Kiplink::SetClockHooks(&hooks);
    Kiplink::ForgetRandomSeed();
    const uint32_t a1 = Kiplink::XorShift128Random();
    const uint32_t a2 = Kiplink::XorShift128Random();
    Kiplink::ForgetRandomSeed();
    EXPECT_EQ(Kiplink::XorShift128Random(), a1);
    EXPECT_EQ(Kiplink::XorShift128Random(), a2);
    Kiplink::SetClockHooks(nullptr);

    // The first draw from the state made of the digest's first 16 bytes.
    const uint8_t clockBytes[8] = {0x39, 0x30, 0, 0, 0x00, 0xF1, 0x53, 0x65};
    uint8_t digest[20];
    SHA1(clockBytes, 8, digest);
    uint32_t words[4];
    for (int i = 0; i < 4; ++i) {
        words[i] = uint32_t(digest[4 * i]) | (uint32_t(digest[4 * i + 1]) << 8) |
                   (uint32_t(digest[4 * i + 2]) << 16) | (uint32_t(digest[4 * i + 3]) << 24);
    }
    const uint32_t t = words[0] ^ (words[0] << 11);
    EXPECT_EQ(a1, words[3] ^ (words[3] >> 19) ^ t ^ (t >> 8));
}

}  // namespace
