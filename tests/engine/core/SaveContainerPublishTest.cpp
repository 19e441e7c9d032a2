// Whether a written container file reached the disk: a writer must be able to
// tell a save that was stored from one that was not.
#include "engine/core/SaveContainerFileSystem.h"

#include "tests/engine/core/FileTestUtil.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace Varnok {
namespace {

using VarnokTest::TempDir;

constexpr int32_t kSize = 4096;

// What the stream said of its close; outPublished false when it did not open.
bool Write(FileSystem& fs, const char* name, const std::string& bytes, bool& outPublished) {
    auto stream = fs.Open(name, kOpenWrite);
    outPublished = false;
    if (!stream) {
        return false;
    }
    const bool ok = stream->Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream->Close();
    outPublished = stream->IsPublished();
    return ok;
}

std::string Read(FileSystem& fs, const char* name) {
    uint8_t* data = nullptr;
    int32_t length = 0;
    bool owns = false;
    if (!fs.Load(name, &data, &length, &owns)) {
        return "<none>";
    }
    std::string text(reinterpret_cast<char*>(data), length);
    FreeFileData(data);
    return text;
}

TEST(SaveContainerPublish, AFailedSaveIsToldAndTheImageKeepsWhatTheDiskHolds) {
    TempDir dir;
    const std::filesystem::path folder = std::filesystem::path(dir.Path()) / "documents";
    std::filesystem::create_directories(folder);
    SaveContainerFileSystem fs;
    fs.LoadContainer(folder.c_str(), "save2.bin", kSize);
    bool published = false;
    ASSERT_TRUE(Write(fs, "save.xml", "first", published));
    EXPECT_TRUE(published);

    std::filesystem::remove_all(folder);  // the disk refuses from here on
    TestSupport::LogCapture capture;
    EXPECT_TRUE(Write(fs, "save.xml", "second, longer", published));
    EXPECT_FALSE(published);
    EXPECT_NE(capture.Take().find("Error writing save container"), std::string::npos);
    EXPECT_EQ(Read(fs, "save.xml"), "first");
    EXPECT_TRUE(fs.IsImageValid());

    std::filesystem::create_directories(folder);  // and works again
    ASSERT_TRUE(Write(fs, "save.xml", "third", published));
    EXPECT_TRUE(published);
    SaveContainerFileSystem reloaded;
    ASSERT_TRUE(reloaded.LoadContainer(folder.c_str(), "save2.bin", kSize));
    EXPECT_EQ(Read(reloaded, "save.xml"), "third");
}

TEST(SaveContainerPublish, ARefusedWriteIsNotPublished) {
    TempDir dir;
    SaveContainerFileSystem fs;
    fs.LoadContainer(dir.Path().c_str(), "save2.bin", kSize);
    bool published = false;
    ASSERT_TRUE(Write(fs, "save.xml", "kept", published));
    TestSupport::LogCapture capture;
    EXPECT_FALSE(Write(fs, "save.xml", std::string(kSize * 2, 'x'), published));
    EXPECT_FALSE(published);
    EXPECT_EQ(Read(fs, "save.xml"), "kept");
}

TEST(SaveContainerPublish, AContainerMadeFromBytesStoresNothingAndSaysNoFailure) {
    SaveContainerFileSystem fs;
    EXPECT_FALSE(fs.LoadFromBytes(nullptr, 0, kSize));
    bool published = false;
    ASSERT_TRUE(Write(fs, "a", "x", published));
    EXPECT_TRUE(published);
    EXPECT_EQ(Read(fs, "a"), "x");
}

}  // namespace
}  // namespace Varnok
