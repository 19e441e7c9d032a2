// Fixtures for the texture and buffer tests: ".tex" bytes, a temporary
// folder mounted as a file system, GL read-back of textures and frames, and
// comparison against reference pictures.
#pragma once

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/PixelFormat.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureImage.h"
#include "platform/FrameCapture.h"
#include "platform/OffscreenFramebuffer.h"
#include "platform/PngReader.h"
#include "tests/engine/render/RenderTestEnvironment.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace Varnok {
namespace TextureFixture {

// The shared layouts under the short names the texture tests use.
constexpr PixelDescriptor kRgba8 = kRgba8Descriptor;
constexpr PixelDescriptor kAlpha8 = kAlpha8Descriptor;
constexpr PixelDescriptor kRgb8 = kRgb8Descriptor;
constexpr PixelDescriptor kDxt5{
    PixelEncoding::S3tc, 5, kByteOrderCanonical, {kChannelB8, kChannelG8, kChannelR8, kChannelA8}};

inline TextureDescription Describe(const PixelDescriptor& format, uint16_t width, uint16_t height,
                                   uint32_t kind = TextureKind::Flat) {
    TextureDescription d = FlatDescription(format, width, height);
    d.kind = kind;
    return d;
}

// A texture over RGBA (or RGB) bytes, row 0 first.
inline SmartPtr<Texture> MakeTexture(int width, int height, const std::vector<uint8_t>& pixels,
                                     const PixelDescriptor& format = kRgba8) {
    SmartPtr<TextureSource> source(new MemoryBlockTextureSource(
        Describe(format, static_cast<uint16_t>(width), static_cast<uint16_t>(height)), pixels.data(),
        pixels.size(), true));
    return Texture2D::Create(source, 0, TextureCreateMode::Scale);
}

// A ".tex" file of one layer; `levels` from mip level 0 up.
inline std::vector<uint8_t> TexFile(const TextureDescription& d,
                                    const std::vector<std::vector<uint8_t>>& levels) {
    std::vector<uint8_t> out;
    auto u8 = [&out](uint32_t v) { out.push_back(static_cast<uint8_t>(v)); };
    auto u16 = [&u8](uint32_t v) {
        u8(v);
        u8(v >> 8);
    };
    auto u32 = [&u16](uint32_t v) {
        u16(v);
        u16(v >> 16);
    };
    u32(0x01584554);
    u8(d.pixelFormat.encoding);
    u8(d.pixelFormat.variant);
    u8(d.pixelFormat.byteOrder & 0xFF);
    u8(PixelFormat::StoredOrderByte(d.pixelFormat.byteOrder));
    for (const PixelChannel& c : d.pixelFormat.channels) {
        u8(c.bits);
        u8(c.id);
    }
    u32(d.kind);
    u16(d.width);
    u16(d.height);
    u16(d.imageCount);
    u16(static_cast<uint32_t>(levels.size()));
    u32(d.apparentWidth);
    u32(d.apparentHeight);
    u32(0);  // extra word
    u32(0);  // pairs
    u32(0);  // 16-bit values
    for (const auto& level : levels) {
        u32(static_cast<uint32_t>(level.size()));
    }
    for (const auto& level : levels) {
        out.insert(out.end(), level.begin(), level.end());
    }
    return out;
}

// One DXT5 block of one colour: both endpoints the 5-6-5 colour, all
// indices 0, alpha 255.
inline void AppendSolidDxt5Block(std::vector<uint8_t>& out, uint16_t rgb565) {
    const uint8_t block[16] = {255, 255, 0, 0, 0, 0, 0, 0,
                               static_cast<uint8_t>(rgb565), static_cast<uint8_t>(rgb565 >> 8),
                               static_cast<uint8_t>(rgb565), static_cast<uint8_t>(rgb565 >> 8),
                               0, 0, 0, 0};
    out.insert(out.end(), block, block + 16);
}

// A temporary folder mounted for the test's lifetime, above the bundle data.
class MountedFolder {
public:
    MountedFolder() {
        char pattern[] = "/tmp/varnok_texgl_XXXXXX";
        const char* made = mkdtemp(pattern);
        m_root = made != nullptr ? made : "";
        m_fileSystem = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(m_root.c_str(), false), FileSystemKey("texgl"),
            10);
    }
    ~MountedFolder() {
        FileSystemRegistry::Get().Remove(m_fileSystem);
        const std::string command = "rm -rf '" + m_root + "'";
        if (std::system(command.c_str()) != 0) {
            ADD_FAILURE() << "cannot remove " << m_root;
        }
    }
    MountedFolder(const MountedFolder&) = delete;
    MountedFolder& operator=(const MountedFolder&) = delete;

    // name may hold folders; they are made.
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const std::string path = m_root + "/" + name;
        const std::string command = "mkdir -p \"$(dirname '" + path + "')\"";
        ASSERT_EQ(std::system(command.c_str()), 0);
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        if (!bytes.empty()) {
            ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        }
        std::fclose(file);
    }
    void WriteText(const std::string& name, const std::string& text) const {
        Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    const std::string& Root() const { return m_root; }

private:
    std::string m_root;
    FileSystem* m_fileSystem = nullptr;
};

// A 2D texture's level 0, through a framebuffer: rows from the first in
// memory, 4 bytes red, green, blue, alpha each.
inline std::vector<uint8_t> ReadTexture(uint32_t texture, int width, int height) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4, 0);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
              static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_FRAMEBUFFER, RenderTest::Framebuffer());
    glDeleteFramebuffers(1, &framebuffer);
    return pixels;
}

// The test framebuffer, top row first (as PNG files hold it).
inline std::vector<uint8_t> ReadFrame() {
    std::vector<uint8_t> topDown;
    EXPECT_TRUE(ReadFramebufferRgba(RenderTest::kWidth, RenderTest::kHeight, topDown));
    return topDown;
}

// Compares the frame with a reference picture of the test data folder.
// With VARNOK_UPDATE_REFERENCES set the reference is written instead.
inline void ExpectFrameMatches(const std::string& referenceName, int tolerance) {
    const std::vector<uint8_t> frame = ReadFrame();
    const std::string path = std::string(VARNOK_TEST_DATA_DIR) + "/" + referenceName;
    if (std::getenv("VARNOK_UPDATE_REFERENCES") != nullptr) {
        ASSERT_TRUE(WritePng(path.c_str(), RenderTest::kWidth, RenderTest::kHeight, frame));
        GTEST_SKIP() << "wrote " << path;
    }
    int width = 0;
    int height = 0;
    std::vector<uint8_t> reference;
    ASSERT_TRUE(ReadPng(path.c_str(), width, height, reference)) << path;
    ASSERT_EQ(width, RenderTest::kWidth);
    ASSERT_EQ(height, RenderTest::kHeight);
    int worst = 0;
    size_t worstAt = 0;
    for (size_t i = 0; i < frame.size(); ++i) {
        const int difference = std::abs(frame[i] - reference[i]);
        if (difference > worst) {
            worst = difference;
            worstAt = i;
        }
    }
    EXPECT_LE(worst, tolerance) << referenceName << ": pixel (" << (worstAt / 4) % width << ", "
                                << (worstAt / 4) / width << ") channel " << worstAt % 4;
}

inline int CountLines(const std::string& text) {
    int lines = 0;
    for (char c : text) {
        lines += c == '\n' ? 1 : 0;
    }
    return lines;
}

}  // namespace TextureFixture
}  // namespace Varnok
