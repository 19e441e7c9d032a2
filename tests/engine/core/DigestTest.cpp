#include "engine/core/Sha256.h"
#include "engine/core/Sha512.h"

#include "tests/engine/core/HexBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using VarnokTest::ToHex;

namespace {

std::string Sha256Hex(const std::string& message) {
    Varnok::Sha256Context context;
    context.Create();
    context.Update(message.data(), message.size());
    uint8_t out[32];
    EXPECT_TRUE(context.Finish(out));
    return ToHex(out, 32);
}

std::string Sha512Hex(const std::string& message) {
    uint8_t out[64];
    Varnok::Sha512Digest(message.data(), message.size(), out);
    return ToHex(out, 64);
}

// A message whose bytes all differ from their neighbours, of a given length.
std::string Pattern(size_t length) {
    std::string m;
    for (size_t i = 0; i < length; ++i) {
        m += static_cast<char>((i * 7 + 3) & 0xFF);
    }
    return m;
}

const char k448Bits[] = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
const char k896Bits[] =
    "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";

}  // namespace

TEST(Sha256, MatchesTheStandardsExamples) {
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex(k448Bits), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256Hex(k896Bits), "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
    EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha512, MatchesTheStandardsExamples) {
    EXPECT_EQ(Sha512Hex("abc"),
              "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
              "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
    EXPECT_EQ(Sha512Hex(""),
              "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
              "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e");
    EXPECT_EQ(Sha512Hex(k448Bits),
              "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c335"
              "96fd15c13b1b07f9aa1d3bea57789ca031ad85c7a71dd70354ec631238ca3445");
    EXPECT_EQ(Sha512Hex(k896Bits),
              "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018"
              "501d289e4900f7e4331b99dec4b5433ac7d329eeb6dd26545e96e55b874be909");
    EXPECT_EQ(Sha512Hex(std::string(1000000, 'a')),
              "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973eb"
              "de0ff244877ea60a4cb0432ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b");
}

TEST(Digest, PaddingThatSpillsIntoAnotherBlock) {
    // Lengths either side of where the length field no longer fits.
    const struct { size_t length; const char* sha256; const char* sha512; } cases[] = {
        {55, "e7313d333c272e639f790978283f9eb392e843d0f29b7016828bb1daa4aac70b",
         "14fd424b1fcadee624da946ab03f7e1def7c0d6e00f689594319881a26ff30b8"
         "75ba4c622ac13100c8cc784c9c2eb23159aecbb4a02e3999062f551193e2b256"},
        {56, "4324d65f3c103567f5589c710bc08f8523f929a9272e3af36fc968e52abc6c27",
         "480fa85be41ef55a41208ca28ffc8743c91cf7d24758defe6f95bfb16de614fc"
         "86b701034896b047dd571de4318853d80e0809df162f1752cb26da6ddb94a0dd"},
        {63, "81c80242132f230c3bd41b3e63bbcff16107339549214a99614ff26664625055",
         "ecd42a703a4e93e163d60d55e3785b1a763838b0351bc2e6f7c94b4bfb24f9aa"
         "15da5d744ebcebe11f0fc4315d45ba3a047b6e60e07448357f2795bf34b73502"},
        {64, "39e3d7b6b5d075d37d053ad89b24b41bef4f3c29760c84447cab3f3be1882241",
         "8f3cc30b3fb5bf963688a46488249248ac2c67f0f85a145233c6c1e3c16dcd1d"
         "f634c07d1d31da02576f65b9cf64e1c3fdb318b689b8a14e2e9552bcf30fb133"},
        {111, "67d9492e628fd376e0b2efec8ca2b99b123e202cf620deb270728df979b2f73e",
         "68cffa6d0d76f309c9ce0d35280939f8e25990c43b7b086ccdf709be35b07d4d"
         "dba599541ff2b1c19d34ea49aeafb9659adb7ac3c0b078bb30a22d57fc6687ef"},
        {112, "96b928cff8528dbb99602c709a65b846cb6467acb8b722f0d758e4dc27bfc508",
         "d0865c524d1dddf7c23b799c413f5adcd7caefd3f66a9b49750ec81066012c25"
         "a8bcf94ddea6dc525691673097ca40e0101e897fc97218cfdb0704084e2bef4b"},
        {127, "a8d23e75d936f303d248888d9b165ee543f4cbafcad3c9dd2a79bd84faa11d07",
         "e0b6a20f1c0c88970a9340152cd5a1c1ecf3d3b8de55102741879438079473540"
         "133b812706e5dbec322c8c9523b6fc8c6d16ee626e87ad5fe3d2916afedc369"},
        {128, "d2742f1f4ac6bb7ca2b239ee18402ba8b3f9f8e652d2a72973c2b9ba11c08cf6",
         "99b16f17aa0b969a5b8f08f367719d516e330ccd2660b6f0688ec031dbc783de"
         "50a1cd185a2568dba75070a2403d17d4741d163578515dfd2ff756ddfe4d47b1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string message = Pattern(c.length);
        EXPECT_EQ(Sha256Hex(message), c.sha256);
        EXPECT_EQ(Sha512Hex(message), c.sha512);
    }
}

TEST(Digest, ChunkedUpdatesMatchOneCall) {
    const std::string message = Pattern(300);
    for (size_t chunk : {size_t{1}, size_t{13}, size_t{64}, size_t{127}, size_t{129}}) {
        SCOPED_TRACE(chunk);
        Varnok::Sha256Context context;
        context.Create();
        Varnok::Sha512State state;
        Varnok::Sha512Init(&state);
        for (size_t at = 0; at < message.size(); at += chunk) {
            const size_t n = std::min(chunk, message.size() - at);
            context.Update(message.data() + at, n);
            Varnok::Sha512Update(&state, message.data() + at, n);
        }
        uint8_t out256[32];
        ASSERT_TRUE(context.Finish(out256));
        EXPECT_EQ(ToHex(out256, 32), Sha256Hex(message));
        uint8_t out512[64];
        Varnok::Sha512Final(&state, out512, 64);
        EXPECT_EQ(ToHex(out512, 64), Sha512Hex(message));
    }
}

TEST(Digest, FinalWritesOnlyTheAskedBytes) {
    Varnok::Sha256State state;
    Varnok::Sha256Init(&state);
    Varnok::Sha256Update(&state, "abc", 3);
    uint8_t out[40];
    std::fill(out, out + 40, 0xEE);
    Varnok::Sha256Final(&state, out, 4);
    EXPECT_EQ(ToHex(out, 5), "ba7816bfee");
    // More than the digest is clamped to it.
    Varnok::Sha256Init(&state);
    Varnok::Sha256Update(&state, "abc", 3);
    Varnok::Sha256Final(&state, out, 40);
    EXPECT_EQ(out[32], 0xEE);
}

TEST(Sha256Context, FinishLeavesNoStateBehind) {
    Varnok::Sha256Context context;
    EXPECT_FALSE(context.HasState());
    context.Create();
    context.Update("abc", 3);
    uint8_t out[32];
    ASSERT_TRUE(context.Finish(out));
    EXPECT_FALSE(context.HasState());

    // The second call finds no state and writes nothing.
    uint8_t second[32];
    std::fill(second, second + 32, 0xEE);
    EXPECT_FALSE(context.Finish(second));
    EXPECT_EQ(second[0], 0xEE);
    context.Update("ignored", 7);  // without a state: nothing happens

    // Created again, it starts afresh; Reset and Destroy free a live state.
    context.Create();
    context.Update("abc", 3);
    ASSERT_TRUE(context.Finish(second));
    EXPECT_EQ(ToHex(second, 32), ToHex(out, 32));
    context.Create();
    context.Reset();
    EXPECT_FALSE(context.HasState());
    context.Create();
    context.Destroy();
    EXPECT_FALSE(context.HasState());
    context.Create();  // freed by the destructor
}
