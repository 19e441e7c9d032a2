// The shared signing code: the development key's signatures as OpenSSL's
// verifier and the client's reading of the raw RSA block see them, the
// transport cipher, and the body framing with its refusals.
#include "tools/sign_remote_config/SigningKey.h"
#include "tools/sign_remote_config/TransportFrame.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <zlib.h>

#include <cstdio>
#include <memory>
#include <string>

namespace Varnok {
namespace Tools {
namespace {

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

// The RSA public operation alone (no padding check), as the client runs it.
std::string RawPublicOperation(const std::string& signature) {
    FILE* file = std::fopen(DevelopmentPublicKeyPath().c_str(), "rb");
    EVP_PKEY* key = PEM_read_PUBKEY(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(key, nullptr);
    EVP_PKEY_verify_recover_init(ctx);
    EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_NO_PADDING);
    std::string block(128, '\0');
    size_t length = block.size();
    EVP_PKEY_verify_recover(ctx, reinterpret_cast<unsigned char*>(&block[0]), &length,
                            reinterpret_cast<const unsigned char*>(signature.data()),
                            signature.size());
    EVP_PKEY_CTX_free(ctx);
    EVP_PKEY_free(key);
    block.resize(length);
    return block;
}

std::string Compress(const std::string& text) {
    uLongf length = compressBound(static_cast<uLong>(text.size()));
    std::string stream(length, '\0');
    compress2(reinterpret_cast<Bytef*>(&stream[0]), &length,
              reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()), 9);
    stream.resize(length);
    return stream;
}

TEST(SigningKey, SignaturesVerifyWithOpenSslAndCarryTheDigestWhereTheClientReadsIt) {
    SigningKey key;
    ASSERT_TRUE(key.Load(DevelopmentKeyPath()));
    const std::string data = "any bytes \x01\x02\x00 at all";
    std::string signature;
    ASSERT_TRUE(key.Sign(data, &signature));
    ASSERT_EQ(signature.size(), 128u);

    EXPECT_TRUE(VerifySignature(DevelopmentPublicKeyPath(), data, signature));
    EXPECT_FALSE(VerifySignature(DevelopmentPublicKeyPath(), data + "x", signature));
    std::string tampered = signature;
    tampered[60] ^= 1;
    EXPECT_FALSE(VerifySignature(DevelopmentPublicKeyPath(), data, tampered));

    // The block is 00 01 FF..FF 00 DigestInfo digest; written without its
    // leading zero from the buffer's start, the digest sits at 63..126.
    std::string block = RawPublicOperation(signature);
    ASSERT_EQ(block.size(), 128u);
    EXPECT_EQ(block[0], '\0');
    EXPECT_EQ(block[1], '\x01');
    block.erase(0, 1);
    EXPECT_EQ(Hex(block.substr(63, 64)), Hex(Sha512(data)));
}

TEST(SigningKey, RefusesKeysThatCannotMakeA128ByteSignature) {
    const std::string dir = ::testing::TempDir();
    const std::string notPem = dir + "/not-a-key.pem";
    const std::string bigKey = dir + "/rsa-2048.pem";
    {
        FILE* f = std::fopen(notPem.c_str(), "wb");
        std::fputs("hello\n", f);
        std::fclose(f);
        EVP_PKEY* key = EVP_RSA_gen(2048);
        f = std::fopen(bigKey.c_str(), "wb");
        PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr);
        std::fclose(f);
        EVP_PKEY_free(key);
    }
    for (const std::string& path : {dir + "/missing.pem", notPem, bigKey}) {
        SCOPED_TRACE(path);
        SigningKey key;
        EXPECT_FALSE(key.Load(path));
        std::string signature;
        EXPECT_FALSE(key.Sign("data", &signature));
    }
}

TEST(TransportCipher, UsesTheAsciiPairAndZeroPadsToWholeBlocks) {
    // Reference made with: openssl enc -aes-128-cbc -nopad -K <hex of the
    // 16 key characters> -iv <hex of the 16 IV characters>
    EXPECT_EQ(Hex(EncipherTransport("kiplink transport test vector!!!")),
              "dc6ed3aba902b57dcefd9c819dd97cc438dee76aca261feb759f62f1cf467910");

    const struct { size_t in, out; } lengths[] = {{0, 0}, {1, 16}, {16, 16}, {17, 32}};
    for (const auto& l : lengths) {
        EXPECT_EQ(EncipherTransport(std::string(l.in, 'a')).size(), l.out) << l.in;
    }
    const std::string text = "twenty bytes of text";
    EXPECT_EQ(EncipherTransport(text), EncipherTransport(text));
    EXPECT_EQ(DecipherTransport(EncipherTransport(text)), text + std::string(12, '\0'));
}

TEST(TransportFrame, WritesTheLengthsLittleEndianBeforeTheStream) {
    std::string json = "{\"method\":\"update\",\"params\":[\"a\",\"b\"],\"pad\":\"";
    json += std::string(100 - json.size() - 2, 'x') + "\"}";
    ASSERT_EQ(json.size(), 100u);
    const std::string stream = Compress(json);

    std::string body;
    ASSERT_TRUE(FrameBody(json, &body));
    EXPECT_EQ(body.size(), (8 + stream.size() + 15) / 16 * 16);
    const std::string plain = DecipherTransport(body);
    const std::string header = plain.substr(0, 8);
    EXPECT_EQ(Hex(header), Hex(std::string{static_cast<char>(stream.size()), 0, 0, 0, 100, 0, 0, 0}));
    EXPECT_EQ(plain.substr(8, stream.size()), stream);
    EXPECT_EQ(plain.substr(8 + stream.size()), std::string(body.size() - 8 - stream.size(), '\0'));

    std::string text;
    std::string why;
    ASSERT_TRUE(UnframeBody(body, &text, &why)) << why;
    EXPECT_EQ(text, json);
}

TEST(TransportFrame, DeclaredTextLengthIsOnlyAHint) {
    const std::string json = "{\"result\":\"" + std::string(5000, 'r') + "\"}";
    const std::string stream = Compress(json);
    for (uint32_t declared : {0u, 1u, 100u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(declared);
        std::string text;
        std::string why;
        const std::string body =
            EncipherTransport(FramePlaintext(static_cast<uint32_t>(stream.size()), declared, stream));
        ASSERT_TRUE(UnframeBody(body, &text, &why)) << why;
        EXPECT_EQ(text, json);
    }
}

TEST(TransportFrame, RefusesBrokenBodies) {
    const std::string json = "{\"error\":null,\"result\":0}";
    const std::string stream = Compress(json);
    std::string good;
    ASSERT_TRUE(FrameBody(json, &good));
    const uint32_t c = static_cast<uint32_t>(stream.size());
    const uint32_t u = static_cast<uint32_t>(json.size());
    const struct { const char* what; std::string body; const char* fault; } cases[] = {
        {"empty", "", "shorter than its header"},
        {"seven bytes", good.substr(0, 7), "shorter than its header"},
        {"length past the body", EncipherTransport(FramePlaintext(static_cast<uint32_t>(good.size()), u, stream)),
         "runs past the body"},
        {"not zlib", EncipherTransport(FramePlaintext(20, u, std::string(20, 'z'))), "zlib"},
        {"stream cut short", EncipherTransport(FramePlaintext(c - 4, u, stream.substr(0, c - 4))), "zlib"},
        {"flipped byte", [&] { std::string b = good; b[19] ^= 0x20; return b; }(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text = "unchanged";
        std::string why;
        EXPECT_FALSE(UnframeBody(c.body, &text, &why));
        EXPECT_EQ(text, "unchanged");
        EXPECT_NE(why.find(c.fault), std::string::npos) << why;
    }
}

TEST(Base64, RoundTripsAndRefusesNonCanonicalText) {
    for (const std::string& bytes : {std::string(), std::string("a"), std::string("ab"),
                                    std::string("abc"), std::string("\0\xff\x10\x20", 4)}) {
        std::string decoded;
        ASSERT_TRUE(Base64Decode(Base64Encode(bytes), &decoded));
        EXPECT_EQ(decoded, bytes);
    }
    EXPECT_EQ(Base64Encode("ab"), "YWI=");
    for (const char* bad : {"YWI", "YW=I", "Y WI=", "YWJ=", "*WI="}) {
        std::string decoded;
        EXPECT_FALSE(Base64Decode(bad, &decoded)) << bad;
    }
}

}  // namespace
}  // namespace Tools
}  // namespace Varnok
