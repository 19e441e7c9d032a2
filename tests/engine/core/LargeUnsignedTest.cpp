#include "engine/core/LargeUnsigned.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Varnok::LargeUnsigned;
using Varnok::LargeUnsignedDigits;

namespace {

// Through the base-16 digits: exercises both conversions. Zero is "0".
LargeUnsigned FromHex(const std::string& hex) {
    std::string even = hex.size() % 2 != 0 ? "0" + hex : hex;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < even.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(even.substr(i, 2), nullptr, 16)));
    }
    return LargeUnsignedDigits(bytes.data(), static_cast<int>(bytes.size())).ToLargeUnsigned();
}

std::string ToHex(const LargeUnsigned& value) {
    const LargeUnsignedDigits digits(value, 16);
    std::string hex;
    for (uint32_t i = digits.Length(); i-- > 0;) {
        hex += "0123456789abcdef"[digits.Digit(i)];
    }
    return hex.empty() ? "0" : hex;
}

}  // namespace

TEST(LargeUnsigned, ConstructionAndSmallValues) {
    EXPECT_EQ(LargeUnsigned(0u).Length(), 0u);
    EXPECT_EQ(LargeUnsigned(7u).Length(), 1u);
    EXPECT_EQ(LargeUnsigned(int32_t{-5}).Length(), 0u);
    EXPECT_EQ(LargeUnsigned(int32_t{0}).Length(), 0u);
    EXPECT_EQ(LargeUnsigned(int32_t{12}).Word(0), 12u);
    EXPECT_EQ(LargeUnsigned(65535u).ToUInt16(), 65535);
    EXPECT_EQ(LargeUnsigned(65536u).ToUInt16(), 0);
    EXPECT_EQ(FromHex("100000001").ToUInt16(), 0);  // two words
    EXPECT_EQ(LargeUnsigned().ToUInt16(), 0);
}

TEST(LargeUnsigned, CompareGoesByLengthThenWords) {
    const struct { const char* a; const char* b; int expected; } cases[] = {
        {"0", "0", 0},
        {"0", "1", -1},
        {"100000000", "ffffffff", 1},
        {"1ffffffff", "200000000", -1},
        {"123456789abcdef0", "123456789abcdef0", 0},
        {"223456789abcdef0", "123456789abcdef0", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(LargeUnsigned::Compare(FromHex(c.a), FromHex(c.b)), c.expected);
        EXPECT_EQ(LargeUnsigned::Compare(FromHex(c.b), FromHex(c.a)), -c.expected);
    }
}

TEST(LargeUnsigned, AddAndMultiplyCarryAcrossWords) {
    LargeUnsigned r;
    LargeUnsigned::Add(r, FromHex("ffffffffffffffff"), LargeUnsigned(1u));
    EXPECT_EQ(ToHex(r), "10000000000000000");
    LargeUnsigned::Add(r, FromHex("0"), FromHex("0"));
    EXPECT_EQ(r.Length(), 0u);

    LargeUnsigned::Multiply(r, FromHex("ffffffffffffffff"), FromHex("ffffffffffffffff"));
    EXPECT_EQ(ToHex(r), "fffffffffffffffe0000000000000001");
    LargeUnsigned::Multiply(r, FromHex("123456789"), LargeUnsigned());
    EXPECT_TRUE(r.IsZero());

    // The result may be an operand.
    LargeUnsigned a = FromHex("ffffffff");
    LargeUnsigned::Add(a, a, a);
    EXPECT_EQ(ToHex(a), "1fffffffe");
    LargeUnsigned::Multiply(a, a, a);
    EXPECT_EQ(ToHex(a), "3fffffff800000004");
}

TEST(LargeUnsigned, MultiplyAndDivideAgreeWithIndependentResults) {
    // a, b, a * b, a div b, a mod b (from an independent big-integer library).
    const struct { const char* a; const char* b; const char* product; const char* quotient; const char* rest; }
        cases[] = {
            {"e917346b4501eaf6141de9ea6670d3da1fc735df5ef7697fb9", "33f073eed1f149f542",
             "2f4a8ec16296a3502a9c11f078c22bddc9b3639332d2563e5005e5a29b9f552ffab2",
             "47cdd6c352ad13491458600bbfd9dab8e", "59897f1cb16165f1d"},
            {"f6a11b92cf58440cb33bfa31", "e87212b0949606b3283c4412",
             "dfefe6bcc5214747f98151ff0f7a59459cc69fe9d4289b72", "1", "e2f08e23ac23d598affb61f"},
            {"c4f2d5a4f1689e5f", "1f8d07ea0", "1845e7b54ee36d2b41485bd60", "63e04005", "49ae253f"},
            {"e1ae6a00984c6df8d13d74f3dec4ac467888fa7aeed66a5ac86b7f7f0b9ab36679d6dedb77d6a830d103b91f95365d68577a296e7ef077e0597ee18bc3a671c462dcec669027b9ad0a83178876e99afdd579c4c9c777b54b2790ae2cd8fba355f46871014cdead2e2791eef8458c3cdb2d665a7b0a4adb41ce779a93a99226f446db4bc46a8f69260a228ba87442a1244e2e3761aba601ca242780aa879951fff4f991a81c63373ac55ef18658a295d4eff35b6106f1e77124ed49b137106d208ead31c81348486129fc1d9d7f1ff9fe966844aa138411eb0dde6d082ac7e1da6099d795a8486261790b2f7cb5c36ec124ce01e15560eaba017ad051121213ca",
             "b3e174eb1bb039fa5868c99b31007342a41b657a4166c3fba8094805d11776a4d15703e0607741867c362491d72f9ecdd454f1e81a644d9287a0eabff0689ae11e956a7dc4e145896fa19d466a94427d2f84ea0fc7154f271fb661b44669165f4bb19d02701861c0d092e07f84eb1e73c7f3c8a0bbc9a6e0708963bb2b833e28",
             "9e93b57be08f9fd38a5251aad963dff916116276afefa8684c820b4d6e00f80b2e9418140e61a56291f2a211dd84dce97c2b9a63ad8a26f441767f56640fbb190ffc85962c6c8b0734c91ca1e7922b4c1222595df7ab6616988002000fb5df929ee5817e4783abb2d45a0310afa576f8bf8dbdc549eaa80ed1dca4528cb80d49af212cff9165e03ef25e0d32016cec6ea8795ff849d502a68c5530bda205c9aeb132b847a990ffff3793f64791e54455a5c1deddb7bea2cb7e13aa4cb2d55c91a8c6ff3a8a75101a4b8c47a7cdbfb6c21874c7fbc2f7e2d5896c57680b95e83510ae21d3a5a7704d99014130d5ae31033f8834bdaf4318e0284184cefe3057d8df309b1ce5ec51fb3bb35c304f330300fda560e6a9a38900efac943f5e8aee89afef8a5712d39db13850912039d4e91305edbeae772757c92e517484d4017998d00b5ec366fbb76de8bcdd48c0d0801b46ee3311e5ac63f6de32e5f6a303c0c098e688f68fa632759be1ec0de6094c623af22bc4523c828c591f0a2c41fc0390",
             "1412e8e2774e3d915a3564dd005bec46aad0065503a39cf5bb087a22396ed12475ddbf802eb597efcf48a38c10bf3eef47b639ecca3252510535e0ffa855f1a476a6df17b8ab878a9d886afb6976d64f5b049cb32148511c5c3a4998854af7a391965b40e8a5810a29d3018b1d850c95ab59cced2e1b67fe88ad3f60abbbd5614",
             "315835e0fba9b127f6ab4a588aab900936b3cd824aaa2d7aab0f705f03508d43a249e32f453ed0f09ffed7b01cfd299763c2fc9eb40b78d62293020a135f085c938077279a39dbbbe0a04e66a45fd631a054d1e090ecb7e8c9e5f7d22174178ecd166832516ac16f778ead7596615d047149b1995e85800d197349377967c8aa"},
        };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.a);
        LargeUnsigned product;
        LargeUnsigned::Multiply(product, FromHex(c.a), FromHex(c.b));
        EXPECT_EQ(ToHex(product), c.product);

        LargeUnsigned x = FromHex(c.a);
        LargeUnsigned quotient(99u);
        LargeUnsigned::DivideWithRemainder(x, FromHex(c.b), quotient);
        EXPECT_EQ(ToHex(quotient), c.quotient);
        EXPECT_EQ(ToHex(x), c.rest);

        // The product divides back exactly.
        LargeUnsigned::DivideWithRemainder(product, FromHex(c.b), quotient);
        EXPECT_TRUE(product.IsZero());
        EXPECT_EQ(ToHex(quotient), c.a);
    }
}

TEST(LargeUnsigned, DivisionEdgeCases) {
    // A zero divisor leaves the dividend and gives a zero quotient.
    LargeUnsigned x = FromHex("123456789abcdef");
    LargeUnsigned quotient(5u);
    LargeUnsigned::DivideWithRemainder(x, LargeUnsigned(), quotient);
    EXPECT_EQ(ToHex(x), "123456789abcdef");
    EXPECT_TRUE(quotient.IsZero());

    // Fewer words than the divisor: x is already the remainder.
    x = FromHex("ffffffff");
    quotient = LargeUnsigned(5u);
    LargeUnsigned::DivideWithRemainder(x, FromHex("100000000"), quotient);
    EXPECT_EQ(ToHex(x), "ffffffff");
    EXPECT_TRUE(quotient.IsZero());

    // Same length but smaller, and the divisor being x itself.
    x = FromHex("1234");
    LargeUnsigned::DivideWithRemainder(x, FromHex("1235"), quotient);
    EXPECT_EQ(ToHex(x), "1234");
    EXPECT_TRUE(quotient.IsZero());
    x = FromHex("abcdef0123456789");
    LargeUnsigned::DivideWithRemainder(x, x, quotient);
    EXPECT_TRUE(x.IsZero());
    EXPECT_EQ(ToHex(quotient), "1");
}

TEST(LargeUnsigned, ShiftsEitherWay) {
    const LargeUnsigned value = FromHex("80000001");
    const struct { int bits; const char* left; const char* right; } cases[] = {
        {0, "80000001", "80000001"},
        {1, "100000002", "40000000"},
        {31, "4000000080000000", "1"},
        {32, "8000000100000000", "0"},
        {33, "10000000200000000", "0"},
        {64, "800000010000000000000000", "0"},
        {-1, "40000000", "100000002"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        LargeUnsigned r;
        LargeUnsigned::ShiftLeft(r, value, c.bits);
        EXPECT_EQ(ToHex(r), c.left);
        LargeUnsigned::ShiftRight(r, value, c.bits);
        EXPECT_EQ(ToHex(r), c.right);
    }
    LargeUnsigned r;
    LargeUnsigned::ShiftLeft(r, value, INT32_MIN);  // the most negative count shifts everything away
    EXPECT_TRUE(r.IsZero());
    LargeUnsigned self = FromHex("123456789");
    LargeUnsigned::ShiftLeft(self, self, 4);
    EXPECT_EQ(ToHex(self), "1234567890");
}

TEST(LargeUnsignedDigits, ConvertsBetweenBytesAndBases) {
    const uint8_t bytes[] = {0, 0, 1, 2, 3};
    const LargeUnsignedDigits digits(bytes, 5);
    EXPECT_EQ(digits.Base(), 256);
    ASSERT_EQ(digits.Length(), 3u);  // leading zero bytes dropped
    EXPECT_EQ(digits.Digit(0), 3);   // least significant first
    EXPECT_EQ(digits.ToLargeUnsigned().Word(0), 0x010203u);

    uint8_t out[4] = {};
    EXPECT_EQ(digits.ToBytes(out, 2), 0);  // too small
    EXPECT_EQ(digits.ToBytes(out, 3), 3);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[2], 3);

    // 2^64 in base 10.
    LargeUnsigned big;
    LargeUnsigned::ShiftLeft(big, LargeUnsigned(1u), 64);
    const LargeUnsignedDigits decimal(big, 10);
    std::string text;
    for (uint32_t i = decimal.Length(); i-- > 0;) {
        text += static_cast<char>('0' + decimal.Digit(i));
    }
    EXPECT_EQ(text, "18446744073709551616");
    EXPECT_EQ(LargeUnsigned::Compare(decimal.ToLargeUnsigned(), big), 0);
    EXPECT_EQ(decimal.ToBytes(out, 4), 0);  // only base 256 gives bytes

    // Zero has no digits, hence no bytes.
    EXPECT_EQ(LargeUnsignedDigits(LargeUnsigned(), 256).Length(), 0u);
    EXPECT_EQ(LargeUnsignedDigits(bytes, 2).ToBytes(out, 4), 0);
    EXPECT_TRUE(LargeUnsignedDigits(nullptr, 0).ToLargeUnsigned().IsZero());
}

TEST(LargeUnsignedDigits, RefusesABaseBelowTwo) {
    testing::internal::CaptureStderr();
    const LargeUnsignedDigits digits(LargeUnsigned(5u), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("base 1"), std::string::npos);
    EXPECT_EQ(digits.Length(), 0u);
}
