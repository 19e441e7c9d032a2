// What the text tests share: the bundle's fonts mounted and the font manager
// initialised for one test, shut down after it.
#pragma once

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/text/Font.h"
#include "engine/text/FontManager.h"

#include <gtest/gtest.h>

#include <memory>

namespace Varnok {
namespace TextTest {

constexpr const char* kLatinFont = "fontstruetype/miserable.ttf";
constexpr const char* kBoldFont = "fontstruetype/bronic.ttf";
constexpr const char* kCjkFont = "fontstruetype/gangofchinese.ttf";
constexpr const char* kArabicFont = "fontstruetype/amiri.ttf";

class FontFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_bundle = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true),
            FileSystemKey("textbundle"), 5);
        ASSERT_TRUE(FontManager::Get().Init(1.0f, 1.0f, AtlasFormat(), false));
    }
    void TearDown() override {
        FontManager::Get().Shutdown();
        FileSystemRegistry::Get().Remove(m_bundle);
    }
    virtual int AtlasFormat() const { return FontManager::Rgba32; }

    static Font& GetFont(const char* path) {
        Font* font = FontManager::Get().GetFont(path);
        EXPECT_NE(font, nullptr);
        EXPECT_TRUE(font->HasFace()) << path;
        return *font;
    }

private:
    FileSystem* m_bundle = nullptr;
};

}  // namespace TextTest
}  // namespace Varnok
