// Reading PNG files: what was written comes back, and damaged or oversized
// files are refused with one log line before any pixel memory is taken.
#include "platform/PngReader.h"

#include "platform/FrameCapture.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace Varnok {
namespace {

std::string TempPath(const char* name) {
    return std::string("/tmp/varnok_png_") + std::to_string(getpid()) + "_" + name;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void PutBigEndian(uint8_t* at, uint32_t value) {
    at[0] = uint8_t(value >> 24);
    at[1] = uint8_t(value >> 16);
    at[2] = uint8_t(value >> 8);
    at[3] = uint8_t(value);
}

// A valid file whose header claims other sides: IHDR's width and height sit
// after the 8-byte signature, the chunk length and its type; its CRC follows
// the 13 data bytes and covers type and data.
std::vector<uint8_t> WithSides(std::vector<uint8_t> png, uint32_t width, uint32_t height) {
    PutBigEndian(&png[16], width);
    PutBigEndian(&png[20], height);
    PutBigEndian(&png[29], Crc32(&png[12], 17));
    return png;
}

// Stderr lines while reading the bytes from memory; the outputs must stay untouched on refusal.
int RefusalLogLines(const std::vector<uint8_t>& bytes) {
    int width = -7;
    int height = -7;
    std::vector<uint8_t> rgba = {1, 2, 3};
    testing::internal::CaptureStderr();
    const bool read = ReadPngFromMemory(bytes.data(), bytes.size(), "bad.png", width, height, rgba);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(read);
    EXPECT_EQ(width, -7);
    EXPECT_EQ(height, -7);
    EXPECT_EQ(rgba, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_NE(log.find("bad.png"), std::string::npos) << log;
    return static_cast<int>(std::count(log.begin(), log.end(), '\n'));
}

class PngReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 3 * 2; ++i) {
            pixels.insert(pixels.end(), {uint8_t(i * 40), uint8_t(255 - i), 7, uint8_t(100 + i)});
        }
        ASSERT_TRUE(WritePng(path.c_str(), 3, 2, pixels));
        bytes = ReadBytes(path);
        ASSERT_GT(bytes.size(), 33u);
    }
    void TearDown() override { std::remove(path.c_str()); }

    const std::string path = TempPath("small.png");
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> bytes;
};

TEST_F(PngReaderTest, ReadsWhatWasWrittenFromFileAndMemory) {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(ReadPng(path.c_str(), width, height, rgba));
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(rgba, pixels);

    rgba.clear();
    ASSERT_TRUE(ReadPngFromMemory(bytes.data(), bytes.size(), "memory", width, height, rgba));
    EXPECT_EQ(rgba, pixels);

    rgba.clear();
    ASSERT_TRUE(CreatePngDecoder()->DecodeFile(path.c_str(), width, height, rgba));
    EXPECT_EQ(rgba, pixels);
}

TEST_F(PngReaderTest, RefusesDamagedAndOversizedFilesWithOneLine) {
    std::vector<uint8_t> flipped = bytes;
    flipped[bytes.size() / 2] ^= 0x55;
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"not a PNG", std::vector<uint8_t>(64, 'x')},
        {"signature only", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8)},
        {"cut in the pixels", std::vector<uint8_t>(bytes.begin(), bytes.end() - 20)},
        {"a damaged byte", flipped},
        {"one past the widest side", WithSides(bytes, kMaxPngSide + 1, 1)},
        {"one past the tallest side", WithSides(bytes, 1, kMaxPngSide + 1)},
        {"the largest sides", WithSides(bytes, kMaxPngSide, kMaxPngSide)},
        {"more pixels than allowed", WithSides(bytes, 4097, 4096)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RefusalLogLines(c.bytes), 1);
    }

    // No bytes, and a missing file.
    EXPECT_EQ(RefusalLogLines({}), 1);
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadPng(TempPath("missing.png").c_str(), width, height, rgba));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("missing.png"), std::string::npos);
}

}  // namespace
}  // namespace Varnok
