#include "engine/core/Aes.h"

#include "tests/engine/core/HexBytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <algorithm>
#include <string>
#include <vector>

using Varnok::AesCbcCipher;
using Varnok::AesContext;
using VarnokTest::FromHex;
using VarnokTest::ToHex;

namespace {

// The service framework's keys are 16-character texts.
const char kKey[] = "0123456789abcdef";
const char kIv[] = "fedcba9876543210";

AesCbcCipher MakeCipher() {
    AesCbcCipher cipher;
    cipher.SetKey(kKey, kIv);
    return cipher;
}

}  // namespace

TEST(Aes, MatchesTheStandardsBlockExample) {
    // FIPS-197 appendix C.1: a single block with a zero IV is plain AES.
    const std::vector<uint8_t> key = FromHex("000102030405060708090a0b0c0d0e0f");
    const std::vector<uint8_t> plain = FromHex("00112233445566778899aabbccddeeff");
    AesContext context;
    context.Init(1, key.data(), nullptr);
    uint8_t out[16];
    Varnok::AesCbcEncrypt(&context, out, plain.data(), 16);
    EXPECT_EQ(ToHex(out, 16), "69c4e0d86a7b0430d8cdb78070b4c55a");

    AesContext decrypt;
    decrypt.Init(1, key.data(), nullptr);
    Varnok::AesCbcDecrypt(&decrypt, out, out, 16);
    EXPECT_EQ(ToHex(out, 16), ToHex(plain));
}

TEST(Aes, MatchesTheCbcExamplesBothWays) {
    // NIST SP 800-38A F.2.1 and F.2.2, four chained blocks.
    const std::vector<uint8_t> key = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
    const std::vector<uint8_t> iv = FromHex("000102030405060708090a0b0c0d0e0f");
    const std::string plain =
        "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
        "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710";
    const std::string cipher =
        "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
        "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7";

    std::vector<uint8_t> buffer = FromHex(plain);
    AesContext context;
    context.Init(1, key.data(), iv.data());
    Varnok::AesCbcEncrypt(&context, buffer.data(), buffer.data(), 64);
    EXPECT_EQ(ToHex(buffer), cipher);

    context.Init(2, key.data(), iv.data());
    Varnok::AesCbcDecrypt(&context, buffer.data(), buffer.data(), 64);
    EXPECT_EQ(ToHex(buffer), plain);

    // Through the cipher object, which starts from its IV on every call.
    AesCbcCipher object;
    object.SetKey(key.data(), iv.data());
    const std::vector<uint8_t> cipherBytes = FromHex(cipher);
    std::string out;
    object.DecryptToString(cipherBytes.data(), 64, out);
    EXPECT_EQ(ToHex(out), plain);
}

TEST(Aes, ContextBuildsTheDecryptionScheduleOnlyForLowModes) {
    const std::vector<uint8_t> key = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
    AesContext context;
    context.Init(3, key.data(), nullptr);
    EXPECT_EQ(context.decryptKeys[0], 0u);
    EXPECT_EQ(context.blockSize, 16);
    context.Init(2, key.data(), nullptr);
    // The last round key of FIPS-197's key expansion example comes first.
    EXPECT_EQ(context.decryptKeys[0], 0xd014f9a8u);
    EXPECT_EQ(context.decryptKeys[40], context.encryptKeys[0]);
}

TEST(Cipher, ZeroPadsToWholeBlocks) {
    const AesCbcCipher cipher = MakeCipher();
    const struct {
        const char* text;
        size_t cipherSize;
        const char* expected;  // produced by an independent AES-128-CBC over the zero-padded text
    } cases[] = {
        {"", 0, ""},
        {"0123456789ABCDEF", 16, "71636d37d1bb3ab75f9daa4dba811a5f"},
        {"Seventeen bytes!!", 32, "ead9e18c75e7670a8abb60acb9566cf2358572aaaaf1e58e27d755246d3ce484"},
        {"Hello", 16, "725d6f5add1cfabec8c72a0f1e3f87dd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string out = "stale";
        cipher.EncryptString(c.text, out);
        EXPECT_EQ(out.size(), c.cipherSize);
        EXPECT_EQ(ToHex(out), c.expected);
        // Nothing chains between calls.
        std::string again;
        cipher.EncryptToString(c.text, static_cast<int>(std::string(c.text).size()), again);
        EXPECT_EQ(again, out);
    }
}

TEST(Cipher, DecryptKeepsThePaddingZeros) {
    const AesCbcCipher cipher = MakeCipher();
    std::string encrypted;
    cipher.EncryptString("Hello", encrypted);
    std::string plain;
    cipher.DecryptToString(encrypted.data(), static_cast<int>(encrypted.size()), plain);
    ASSERT_EQ(plain.size(), 16u);
    EXPECT_EQ(plain, std::string("Hello") + std::string(11, '\0'));
}

TEST(Cipher, DecryptInPlaceWritesExactlyTheLength) {
    const AesCbcCipher cipher = MakeCipher();
    std::string encrypted;
    cipher.EncryptString("Seventeen bytes!!", encrypted);
    ASSERT_EQ(encrypted.size(), 32u);

    std::vector<uint8_t> out(40, 0xEE);
    cipher.DecryptInPlace(encrypted.data(), 32, out.data());
    EXPECT_EQ(std::string(out.begin(), out.begin() + 17), "Seventeen bytes!!");
    EXPECT_EQ(out[31], 0);     // padding copied as part of the length
    EXPECT_EQ(out[32], 0xEE);  // nothing past it

    // Output over the input itself.
    std::string buffer = encrypted;
    cipher.DecryptInPlace(&buffer[0], 32, &buffer[0]);
    EXPECT_EQ(buffer.substr(0, 17), "Seventeen bytes!!");
}

TEST(Cipher, PartialLastBlockNeverReadsPastTheInput) {
    const AesCbcCipher cipher = MakeCipher();
    std::string encrypted;
    cipher.EncryptString("Seventeen bytes!!", encrypted);

    // Exactly 20 bytes on the heap, so that a read of the rounded-up 32 would
    // be caught by the address sanitizer.
    auto input = std::make_unique<uint8_t[]>(20);
    std::copy(encrypted.begin(), encrypted.begin() + 20, input.get());

    testing::internal::CaptureStderr();
    std::string plain;
    cipher.DecryptToString(input.get(), 20, plain);
    auto out = std::make_unique<uint8_t[]>(20);
    cipher.DecryptInPlace(input.get(), 20, out.get());
    const std::string log = testing::internal::GetCapturedStderr();

    ASSERT_EQ(plain.size(), 32u);
    EXPECT_EQ(plain.substr(0, 16), "Seventeen bytes!");  // whole blocks intact
    EXPECT_EQ(std::string(out.get(), out.get() + 16), "Seventeen bytes!");
    EXPECT_NE(log.find("not whole 16-byte blocks"), std::string::npos);
}

TEST(Cipher, NegativeLengthGivesNothing) {
    const AesCbcCipher cipher = MakeCipher();
    testing::internal::CaptureStderr();
    std::string out = "stale";
    cipher.EncryptToString("abc", -1, out);
    EXPECT_TRUE(out.empty());
    out = "stale";
    cipher.DecryptToString("abc", -5, out);
    EXPECT_TRUE(out.empty());
    uint8_t untouched[4] = {1, 2, 3, 4};
    cipher.DecryptInPlace("abc", -5, untouched);
    EXPECT_EQ(untouched[0], 1);
    testing::internal::GetCapturedStderr();
}
