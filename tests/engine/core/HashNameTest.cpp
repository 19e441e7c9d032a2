#include "engine/core/HashName.h"

#include "engine/core/AsciiString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace {

using Varnok::HashName;
using Varnok::HashPath;

uint32_t Name(const char* s) {
    return HashName(s, static_cast<int>(strlen(s)));
}

TEST(HashName, MatchesKnownValues) {
    const struct {
        const char* what;
        const char* bytes;
        uint32_t hash;
    } cases[] = {
        {"three letters", "abc", 0x41356EC8u},
        {"upper case folds", "ABC", 0x41356EC8u},
        {"one full block, empty tail", "abcdefghijkl", 0xDC6B0534u},
        {"one block and one byte", "abcdefghijklm", 0x06605E01u},
        {"high bytes count as negative", "\xE9t\xE9", 0x1BAC728Du},
        {"backslash is not a slash here", "textures\\LOGO.tex", 0xB34921A9u},
        {"path without backslash", "textures/logo.tex", 0xB052F60Eu},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Name(c.bytes), c.hash);
    }
}

TEST(HashName, NullOrEmptyGivesZero) {
    EXPECT_EQ(HashName(nullptr, 5), 0u);
    EXPECT_EQ(HashName("", 0), 0u);
    EXPECT_EQ(HashName("\0abc", 4), 0u);  // a leading zero byte ends it at once
    EXPECT_EQ(HashName("abc", 0), 0u);
}

TEST(HashName, ReadsExactlyTheGivenLengthPastZeroBytes) {
    const char bytes[] = {'a', '\0', 'b'};
    EXPECT_NE(HashName(bytes, 3), HashName(bytes, 1));
    EXPECT_EQ(HashName("abcdef", 3), Name("abc"));
}

// lookup2 byte by byte, as plainly as it can be written, to check the
// word-at-a-time version on many inputs.
uint32_t Reference(const unsigned char* k, uint32_t length, bool path) {
    auto key = [&](uint32_t i) {
        int byte = k[i];
        if (path && byte == '\\') {
            byte = '/';
        }
        if (byte >= 'A' && byte <= 'Z') {
            byte += 0x20;
        }
        return static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(byte)));
    };
    auto mix = [](uint32_t& a, uint32_t& b, uint32_t& c) {
        a -= b; a -= c; a ^= c >> 13; b -= c; b -= a; b ^= a << 8;
        c -= a; c -= b; c ^= b >> 13; a -= b; a -= c; a ^= c >> 12;
        b -= c; b -= a; b ^= a << 16; c -= a; c -= b; c ^= b >> 5;
        a -= b; a -= c; a ^= c >> 3; b -= c; b -= a; b ^= a << 10;
        c -= a; c -= b; c ^= b >> 15;
    };
    uint32_t a = 0x9E3779B9u, b = 0x9E3779B9u, c = 2053u;
    uint32_t i = 0;
    for (; length - i >= 12; i += 12) {
        a += key(i) + (key(i + 1) << 8) + (key(i + 2) << 16) + (key(i + 3) << 24);
        b += key(i + 4) + (key(i + 5) << 8) + (key(i + 6) << 16) + (key(i + 7) << 24);
        c += key(i + 8) + (key(i + 9) << 8) + (key(i + 10) << 16) + (key(i + 11) << 24);
        mix(a, b, c);
    }
    c += length;
    const uint32_t left = length - i;
    const int cShift[] = {8, 16, 24};
    for (uint32_t j = 0; j < left; ++j) {
        const uint32_t v = key(i + j);
        if (j < 4) {
            a += v << (8 * j);
        } else if (j < 8) {
            b += v << (8 * (j - 4));
        } else {
            c += v << cShift[j - 8];
        }
    }
    mix(a, b, c);
    return c;
}

TEST(HashName, AgreesWithAPlainByteByByteLookup2) {
    std::mt19937 random(17);
    // Bytes weighted toward the interesting ones: letters, '\\', '/', high bytes.
    const unsigned char picks[] = {'A', 'Z', 'a', 'z', '@', '[', '\\', '/', 0x80, 0xFF,
                                   0xC1, 0xDA, 0xE9, 0x5B, 0x60, 0x7B, 0x00, '0'};
    for (int round = 0; round < 2000; ++round) {
        const uint32_t length = static_cast<uint32_t>(random() % 50);
        std::string bytes(length, '\0');
        for (char& ch : bytes) {
            ch = static_cast<char>(random() % 3 == 0 ? picks[random() % sizeof(picks)]
                                                     : random() % 256);
        }
        if (length > 0 && bytes[0] == '\0') {
            bytes[0] = 'q';
        }
        const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
        const uint32_t expected = length == 0 ? 0u : Reference(raw, length, false);
        ASSERT_EQ(HashName(bytes.data(), static_cast<int>(length)), expected) << round;
        const std::string asPath(bytes.c_str());  // up to the first zero byte
        ASSERT_EQ(HashPath(asPath.c_str()),
                  Reference(reinterpret_cast<const unsigned char*>(asPath.data()),
                            static_cast<uint32_t>(asPath.size()), true))
            << round;
    }
}

// Long names in mixed case at every length up to 200, each in a block of
// exactly its own size so that a read past the end shows under the address
// sanitizer, and at every start offset 0-7 so that no alignment is assumed.
TEST(HashName, AgreesWithAPlainByteByByteLookup2OnMixedCaseNamesUpTo200Bytes) {
    std::mt19937 random(2053);
    const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_/.\\@[`{";
    for (uint32_t length = 0; length <= 200; ++length) {
        for (uint32_t offset = 0; offset < 8; ++offset) {
            std::unique_ptr<char[]> block(new char[offset + length]);
            char* bytes = block.get() + offset;
            for (uint32_t i = 0; i < length; ++i) {
                bytes[i] = random() % 8 == 0 ? static_cast<char>(0x80 + random() % 128)
                                             : letters[random() % (sizeof(letters) - 1)];
            }
            const auto* raw = reinterpret_cast<const unsigned char*>(bytes);
            const uint32_t expected = length == 0 ? 0u : Reference(raw, length, false);
            ASSERT_EQ(HashName(bytes, static_cast<int>(length)), expected)
                << "length " << length << " offset " << offset;
        }
    }
}

// The engine string hashes its text up to the first zero byte, whatever its
// length says.
TEST(HashName, OfAnEngineStringStopsAtItsFirstZeroByte) {
    const char bytes[] = {'N', 'a', 'm', 'e', '\0', 'x', 'y', 'z', 'w', 'v', 'u', 't', 's', 'r'};
    const Varnok::AsciiString withZero(bytes, static_cast<int>(sizeof(bytes)));
    EXPECT_EQ(withZero.GetHash(), Name("name"));
    const Varnok::AsciiString plain(bytes, 4);
    EXPECT_EQ(plain.GetHash(), Name("name"));
    const Varnok::AsciiString longer("a name long enough for a heap block of its own");
    EXPECT_EQ(longer.GetHash(), Name("A NAME LONG ENOUGH FOR A HEAP BLOCK OF ITS OWN"));
}

TEST(HashPath, TakesBackslashAsSlashAndFoldsCase) {
    EXPECT_EQ(HashPath("textures\\LOGO.tex"), 0xB052F60Eu);
    EXPECT_EQ(HashPath("textures/logo.tex"), 0xB052F60Eu);
    EXPECT_EQ(HashPath("textures\\LOGO.tex"), Name("textures/logo.tex"));
}

TEST(HashPath, EmptyPathIsTheMixOfTheInitialValues) {
    EXPECT_EQ(HashPath(""), 0x6185E088u);
}

TEST(HashPath, AgreesWithNameHashWithoutBackslashes) {
    for (const char* path : {"a", "ui/screens/main.xml", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789",
                             "\xC3\xA9t\xC3\xA9.ogg"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(HashPath(path), Name(path));
    }
}

}  // namespace
