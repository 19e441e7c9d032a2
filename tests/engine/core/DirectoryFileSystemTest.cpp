#include "engine/core/DirectoryFileSystem.h"

#include "tests/engine/core/FileTestUtil.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

using namespace Varnok;
using VarnokTest::HostFileExists;
using VarnokTest::ReadHostFile;
using VarnokTest::TempDir;
using VarnokTest::WriteHostFile;

namespace {

std::string LoadText(FileSystem& fs, const char* path) {
    uint8_t* data = nullptr;
    int32_t length = -1;
    bool owns = false;
    if (!fs.Load(path, &data, &length, &owns)) {
        EXPECT_EQ(data, nullptr);
        return "<none>";
    }
    EXPECT_TRUE(owns);
    EXPECT_NE(data, nullptr);
    std::string text(reinterpret_cast<char*>(data), length);
    FreeFileData(data);
    return text;
}

}  // namespace

TEST(DirectoryFileSystem, WritesThroughATemporaryFileRenamedOnClose) {
    TempDir dir;
    WriteHostFile(dir / "save.xml", "old");
    DirectoryFileSystem fs(dir.Path().c_str(), false);

    auto stream = fs.Open("save.xml", kOpenWrite);
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(stream->Write("new contents", 12));
    EXPECT_EQ(stream->Tell(), 12);
    // Until the close the old file is what a crash would leave.
    EXPECT_EQ(ReadHostFile(dir / "save.xml"), "old");
    EXPECT_TRUE(HostFileExists(dir / "save.xmltmp"));
    stream->Close();
    stream->Close();  // harmless
    EXPECT_EQ(ReadHostFile(dir / "save.xml"), "new contents");
    EXPECT_FALSE(HostFileExists(dir / "save.xmltmp"));

    // Missing folders are made for a new file.
    stream = fs.Open("deep/er/file.bin", kOpenWrite);
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(stream->Write("z", 1));
    stream.reset();  // the destructor closes too
    EXPECT_EQ(ReadHostFile(dir / "deep/er/file.bin"), "z");

    // Mode 1 reopens a temporary file only when one is there.
    EXPECT_EQ(fs.Open("save.xml", kOpenUpdate), nullptr);
    WriteHostFile(dir / "save.xmltmp", "abcdef");
    stream = fs.Open("save.xml", kOpenUpdate);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->GetLength(), 6);
    EXPECT_TRUE(stream->Seek(kSeekEnd, 0));
    EXPECT_TRUE(stream->Write("g", 1));
    stream->Close();
    EXPECT_EQ(ReadHostFile(dir / "save.xml"), "abcdefg");
}

TEST(DirectoryFileSystem, AFailedWriteKeepsTheOldFile) {
    TempDir dir;
    WriteHostFile(dir / "save.xml", "precious");
    DirectoryFileSystem fs(dir.Path().c_str(), false);

    // A file-size limit makes the disk "full" after 4 KB.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    auto stream = fs.Open("save.xml", kOpenWrite);
    ASSERT_NE(stream, nullptr);
    const std::string big(64 * 1024, 'q');
    const bool wrote = stream->Write(big.data(), static_cast<int32_t>(big.size()));
    testing::internal::CaptureStderr();
    stream->Close();
    const std::string log = testing::internal::GetCapturedStderr();

    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(wrote);
    EXPECT_NE(log.find("save.xml"), std::string::npos);
    EXPECT_EQ(ReadHostFile(dir / "save.xml"), "precious");
    EXPECT_FALSE(HostFileExists(dir / "save.xmltmp"));
}

TEST(DirectoryFileSystem, AFailedRenameIsReportedAndCleanedUp) {
    TempDir dir;
    WriteHostFile(dir / "blocked/inside", "x");  // a folder where the file should go
    DirectoryFileSystem fs(dir.Path().c_str(), false);
    auto stream = fs.Open("blocked", kOpenWrite);
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(stream->Write("data", 4));
    testing::internal::CaptureStderr();
    stream->Close();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Error renaming file"),
              std::string::npos);
    EXPECT_FALSE(HostFileExists(dir / "blockedtmp"));
    EXPECT_EQ(ReadHostFile(dir / "blocked/inside"), "x");
}

TEST(DirectoryFileSystem, LoadsWholeFilesEmptyOnesAndIntoBuffers) {
    TempDir dir;
    WriteHostFile(dir / "a.txt", "hello");
    WriteHostFile(dir / "empty.txt", "");
    DirectoryFileSystem fs(dir.Path().c_str(), true);

    EXPECT_EQ(LoadText(fs, "a.txt"), "hello");
    EXPECT_EQ(LoadText(fs, "empty.txt"), "");
    EXPECT_EQ(LoadText(fs, "missing.txt"), "<none>");
    WriteHostFile(dir / "folder/inside", "i");
    EXPECT_EQ(LoadText(fs, "folder"), "<none>");  // a folder is not an empty file
    EXPECT_EQ(fs.Open("folder", kOpenRead), nullptr);
    EXPECT_EQ(fs.GetSize("a.txt"), 5);
    EXPECT_EQ(fs.GetSize("empty.txt"), 0);
    EXPECT_EQ(fs.GetSize("missing.txt"), -1);

    uint8_t buffer[3] = {};
    uint8_t* data = buffer;
    int32_t length = 3;
    bool owns = true;
    ASSERT_TRUE(fs.Load("a.txt", &data, &length, &owns));
    EXPECT_EQ(data, buffer);
    EXPECT_EQ(length, 3);
    EXPECT_FALSE(owns);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "hel");

    // A short read answers false; Seek and Tell follow the file.
    auto stream = fs.Open("a.txt", kOpenRead);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->GetLength(), 5);
    char text[8] = {};
    EXPECT_TRUE(stream->Read(text, 2));
    EXPECT_EQ(stream->Tell(), 2);
    EXPECT_FALSE(stream->Read(text, 8));
    EXPECT_EQ(stream->Tell(), 5);
    EXPECT_TRUE(stream->Seek(kSeekEnd, -1));
    EXPECT_EQ(stream->Tell(), 4);
    EXPECT_TRUE(stream->Seek(kSeekCurrent, -4));
    EXPECT_TRUE(stream->Read(text, 1));
    EXPECT_EQ(text[0], 'h');
    EXPECT_FALSE(stream->Write("x", 1));
}

TEST(DirectoryFileSystem, ReadOnlyRefusesWritesAndDeletes) {
    TempDir dir;
    WriteHostFile(dir / "a.txt", "a");
    DirectoryFileSystem fs(dir.Path().c_str(), true);
    EXPECT_EQ(fs.Open("a.txt", kOpenWrite), nullptr);
    EXPECT_EQ(fs.Open("b.txt", kOpenUpdate), nullptr);
    EXPECT_FALSE(fs.Delete("a.txt"));
    EXPECT_TRUE(HostFileExists(dir / "a.txt"));
    EXPECT_FALSE(HostFileExists(dir / "b.txttmp"));

    DirectoryFileSystem writable(dir.Path().c_str(), false);
    EXPECT_TRUE(writable.Delete("a.txt"));
    EXPECT_FALSE(HostFileExists(dir / "a.txt"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(writable.Delete("a.txt"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Error deleting file"),
              std::string::npos);
}

TEST(DirectoryFileSystem, AbsoluteRootsStayAbsolute) {
    TempDir dir;
    WriteHostFile(dir / "x/file", "abc");
    DirectoryFileSystem fs((dir.Path() + "/").c_str(), false);
    EXPECT_STREQ(fs.ResolvePath("\\x\\file").c_str(), (dir / "x/file").c_str());

    // From another working directory the files are still found.
    const std::string previous = std::filesystem::current_path();
    ASSERT_EQ(chdir((dir / "x").c_str()), 0);
    EXPECT_TRUE(fs.Exists("x/file"));
    EXPECT_EQ(LoadText(fs, "x/file"), "abc");
    ASSERT_EQ(chdir(previous.c_str()), 0);

    DirectoryFileSystem relative("some/root", false);
    EXPECT_STREQ(relative.ResolvePath("a").c_str(), "some/root/a");
    DirectoryFileSystem none(nullptr, false);
    EXPECT_STREQ(none.ResolvePath("/abs/a").c_str(), "/abs/a");
}

TEST(DirectoryFileSystem, FallsBackToACaseBlindMatch) {
    TempDir dir;
    WriteHostFile(dir / "Textures/UI/Logo.TEX", "logo");
    WriteHostFile(dir / "both.txt", "lower");
    WriteHostFile(dir / "Both.txt", "upper");
    DirectoryFileSystem fs(dir.Path().c_str(), false);

    EXPECT_TRUE(fs.Exists("textures/ui/logo.tex"));
    EXPECT_EQ(fs.GetSize("TEXTURES\\ui\\LOGO.tex"), 4);
    EXPECT_EQ(LoadText(fs, "textures/ui/logo.tex"), "logo");
    EXPECT_FALSE(fs.Exists("textures/ui/logo.te"));
    EXPECT_FALSE(fs.Exists("textures/nothing/logo.tex"));
    // An exact match wins over a case-blind one.
    EXPECT_EQ(LoadText(fs, "Both.txt"), "upper");
    EXPECT_EQ(LoadText(fs, "both.txt"), "lower");

    // A write under another case replaces the existing file, not a twin of it.
    auto stream = fs.Open("textures/ui/logo.tex", kOpenWrite);
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(stream->Write("new!", 4));
    stream->Close();
    EXPECT_EQ(ReadHostFile(dir / "Textures/UI/Logo.TEX"), "new!");
    EXPECT_FALSE(HostFileExists(dir / "textures"));
    EXPECT_TRUE(fs.Delete("TEXTURES/UI/LOGO.TEX"));
    EXPECT_FALSE(HostFileExists(dir / "Textures/UI/Logo.TEX"));
}
