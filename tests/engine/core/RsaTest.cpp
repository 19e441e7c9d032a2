#include "engine/core/Rsa.h"

#include "engine/core/Sha512.h"

#include "tests/engine/core/HexBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using Varnok::LargeUnsigned;
using Varnok::RsaExponentiation;
using Varnok::RsaPublicKey;
using VarnokTest::FromHex;
using VarnokTest::ToHex;

namespace {

// A 1024-bit test key made once for these tests, written as the service
// framework passes its key: 129 modulus bytes starting with a zero byte and a
// 3-byte exponent (65537).
const char kModulusHex[] =
    "00"
    "c9786641a20ad349ad6a8010a954431da85db966ff5882703b2690ff44401a03"
    "c51159d83adf91099ba34b1c9a2f4866c8959f0e507586bd01bd9ce8f2bf0eb2"
    "21009766765847260c9066ca0976a4f5bee01378fe0e6dd6746ea98996e73493"
    "e01f0a64f6528ef74183a6ccd9e9b837fdcb0305efca2dbad32de2489281fec1";
const char kExponentHex[] = "010001";

// The key's PKCS #1 v1.5 signature with SHA-512 over kMessage, made with the
// private half by an independent RSA implementation.
const char kMessage[] = R"({"version":3,"interval":3600,"features":["slice","combo"]})";
const char kSignatureHex[] =
    "0259f6025f8172ef735fb94dd5a9f5e92cd0321f99fb83af07ac96159d8b8e81"
    "7bfe868d3e7edce588e14debc4cd1d0a2bc2001678578a0cae11669cd7411543"
    "74a00081420807612ac8d5ab2096410d10edc667d81757c04d96d5e5d8208c82"
    "8eb28738a9e4a552b4014f577fc9f32f304591998a537d8eb6f70d281e5b3769";

// 0x00 0x01, 0xFF filler, 0x00 and the DER prefix naming SHA-512; the top
// zero byte is not written by the public operation.
const char kBlockPrefixHex[] =
    "01ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff"
    "ffffffffffffff003051300d060960864801650304020305000440";

constexpr int kBlockBytes = 128;
constexpr int kDigestAt = 63;  // where the service framework compares the digest

RsaPublicKey MakeKey() {
    const std::vector<uint8_t> modulus = FromHex(kModulusHex);
    const std::vector<uint8_t> exponent = FromHex(kExponentHex);
    return RsaPublicKey(modulus.data(), static_cast<int>(modulus.size()), exponent.data(),
                        static_cast<int>(exponent.size()));
}

// The check the service framework makes on a recovered block.
bool DigestMatches(const uint8_t* block, int length, const std::string& message) {
    uint8_t digest[64];
    Varnok::Sha512Digest(message.data(), message.size(), digest);
    return length == kBlockBytes - 1 && std::equal(digest, digest + 64, block + kDigestAt);
}

// A clock that moves 10 microseconds on every reading.
uint64_t s_fakeNow = 0;
uint64_t FakeClock() {
    s_fakeNow += 10;
    return s_fakeNow;
}

LargeUnsigned ExponentAfter(int steps) { return LargeUnsigned(65537u >> steps); }

}  // namespace

TEST(Rsa, RecoversTheSignedDigest) {
    const RsaPublicKey key = MakeKey();
    const std::vector<uint8_t> signature = FromHex(kSignatureHex);
    uint8_t out[kBlockBytes];
    const int n = key.PublicOp(signature.data(), kBlockBytes, out, kBlockBytes);
    ASSERT_EQ(n, kBlockBytes - 1);  // the block's top zero byte is not written
    EXPECT_EQ(ToHex(out, kDigestAt), kBlockPrefixHex);
    EXPECT_TRUE(DigestMatches(out, n, kMessage));
}

TEST(Rsa, TamperedMessageOrSignatureFails) {
    const RsaPublicKey key = MakeKey();
    std::vector<uint8_t> signature = FromHex(kSignatureHex);
    uint8_t out[kBlockBytes];

    int n = key.PublicOp(signature.data(), kBlockBytes, out, kBlockBytes);
    std::string message = kMessage;
    message[12] = '4';  // "version":4
    EXPECT_FALSE(DigestMatches(out, n, message));

    signature[100] ^= 0x01;
    n = key.PublicOp(signature.data(), kBlockBytes, out, kBlockBytes);
    EXPECT_FALSE(DigestMatches(out, n, kMessage));
    EXPECT_NE(ToHex(out, kDigestAt), kBlockPrefixHex);
}

TEST(Rsa, SmallInputsAndSmallBuffers) {
    const RsaPublicKey key = MakeKey();
    uint8_t out[kBlockBytes] = {};
    const uint8_t one[] = {0, 0, 1};
    EXPECT_EQ(key.PublicOp(one, 3, out, kBlockBytes), 1);
    EXPECT_EQ(out[0], 1);
    const uint8_t zero[] = {0, 0};
    EXPECT_EQ(key.PublicOp(zero, 2, out, kBlockBytes), 0);
    EXPECT_EQ(key.PublicOp(nullptr, 0, out, kBlockBytes), 0);

    // The modulus itself is 0 mod n.
    const std::vector<uint8_t> modulus = FromHex(kModulusHex);
    EXPECT_EQ(key.PublicOp(modulus.data(), static_cast<int>(modulus.size()), out, kBlockBytes), 0);

    // 127 result bytes do not fit into 126.
    const std::vector<uint8_t> signature = FromHex(kSignatureHex);
    EXPECT_EQ(key.PublicOp(signature.data(), kBlockBytes, out, kBlockBytes - 2), 0);
}

TEST(Rsa, SlicedOperationMatchesTheSingleCall) {
    const RsaPublicKey key = MakeKey();
    const std::vector<uint8_t> signature = FromHex(kSignatureHex);
    uint8_t once[kBlockBytes];
    const int onceBytes = key.PublicOp(signature.data(), kBlockBytes, once, kBlockBytes);

    std::unique_ptr<RsaExponentiation> state = key.BeginPublicOp(signature.data(), kBlockBytes);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->result.Word(0), 1u);

    // A budget of 0 makes no progress.
    EXPECT_FALSE(key.ContinuePublicOp(*state, 0, FakeClock));
    EXPECT_EQ(LargeUnsigned::Compare(state->exponent, ExponentAfter(0)), 0);

    // 35 microseconds at 10 a reading: readings at 10, 20 and 30 allow a step
    // each, 40 ends the slice. 65537 has 17 bits, so 6 slices in all.
    int steps = 0;
    int slices = 0;
    bool done = false;
    while (!done && slices < 20) {
        done = key.ContinuePublicOp(*state, 35, FakeClock);
        ++slices;
        steps = done ? 17 : steps + 3;
        if (!done) {
            EXPECT_EQ(LargeUnsigned::Compare(state->exponent, ExponentAfter(steps)), 0);
        }
    }
    EXPECT_TRUE(done);
    EXPECT_EQ(slices, 6);
    EXPECT_TRUE(state->exponent.IsZero());
    EXPECT_TRUE(key.ContinuePublicOp(*state, 0, FakeClock));  // already complete

    uint8_t sliced[kBlockBytes];
    EXPECT_EQ(key.FinishPublicOp(std::move(state), sliced, kBlockBytes), onceBytes);
    EXPECT_EQ(ToHex(sliced, onceBytes), ToHex(once, onceBytes));
}

TEST(Rsa, FinishCompletesAnUnfinishedOperation) {
    const RsaPublicKey key = MakeKey();
    const std::vector<uint8_t> signature = FromHex(kSignatureHex);
    auto state = key.BeginPublicOp(signature.data(), kBlockBytes);
    EXPECT_FALSE(key.ContinuePublicOp(*state, 15, FakeClock));  // one step only
    EXPECT_EQ(LargeUnsigned::Compare(state->exponent, ExponentAfter(1)), 0);
    uint8_t out[kBlockBytes];
    const int n = key.FinishPublicOp(std::move(state), out, kBlockBytes);
    EXPECT_TRUE(DigestMatches(out, n, kMessage));
    EXPECT_EQ(key.FinishPublicOp(nullptr, out, kBlockBytes), 0);
}

TEST(Rsa, PlatformClockSlicesComplete) {
    const RsaPublicKey key = MakeKey();
    const std::vector<uint8_t> signature = FromHex(kSignatureHex);
    auto state = key.BeginPublicOp(signature.data(), kBlockBytes);
    int frames = 0;
    while (!key.ContinuePublicOp(*state, 500) && frames < 1000) {
        ++frames;
    }
    EXPECT_LT(frames, 1000);
    uint8_t out[kBlockBytes];
    const int n = key.FinishPublicOp(std::move(state), out, kBlockBytes);
    EXPECT_TRUE(DigestMatches(out, n, kMessage));
}

TEST(Rsa, ZeroModulusGivesNoResult) {
    const uint8_t zero[] = {0};
    const uint8_t exponent[] = {3};
    testing::internal::CaptureStderr();
    const RsaPublicKey key(zero, 1, exponent, 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("modulus is zero"), std::string::npos);
    const uint8_t data[] = {5};
    uint8_t out[8];
    EXPECT_EQ(key.PublicOp(data, 1, out, 8), 0);
    auto state = key.BeginPublicOp(data, 1);
    EXPECT_TRUE(key.ContinuePublicOp(*state, 500, FakeClock));
    EXPECT_EQ(key.FinishPublicOp(std::move(state), out, 8), 0);
}
