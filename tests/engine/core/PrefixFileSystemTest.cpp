#include "engine/core/PrefixFileSystem.h"

#include "engine/core/DirectoryFileSystem.h"
#include "tests/engine/core/FileTestUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace Varnok;
using VarnokTest::ReadHostFile;
using VarnokTest::TempDir;
using VarnokTest::WriteHostFile;

namespace {

std::string LoadText(FileSystem& fs, const char* path) {
    uint8_t* data = nullptr;
    int32_t length = 0;
    bool owns = false;
    if (!fs.Load(path, &data, &length, &owns)) {
        return "<none>";
    }
    std::string text(reinterpret_cast<char*>(data), length);
    FreeFileData(data);
    return text;
}

}  // namespace

TEST(PrefixFileSystem, LooksIntoItsTargetUnderThePrefix) {
    TempDir dir;
    WriteHostFile(dir / "services/offline/config.json", "{\"offline\":1}");
    WriteHostFile(dir / "config.json", "{\"root\":1}");
    DirectoryFileSystem target(dir.Path().c_str(), false);

    for (const char* prefix : {"services/offline", "/services\\offline/"}) {
        SCOPED_TRACE(prefix);
        PrefixFileSystem view;
        view.SetTarget(&target, prefix);
        EXPECT_TRUE(view.Exists("config.json"));
        EXPECT_EQ(view.GetSize("config.json"), 13);
        EXPECT_EQ(LoadText(view, "/config.json"), "{\"offline\":1}");
        auto stream = view.Open("config.json", kOpenRead);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->GetLength(), 13);
        EXPECT_FALSE(view.Exists("offline/config.json"));
        EXPECT_FALSE(view.Delete("config.json"));
    }
    EXPECT_TRUE(ReadHostFile(dir / "services/offline/config.json").size() == 13);

    // Without a prefix names pass unchanged; writes go through to the target.
    PrefixFileSystem plain;
    plain.SetTarget(&target, "");
    EXPECT_EQ(LoadText(plain, "config.json"), "{\"root\":1}");
    auto writer = plain.Open("new.txt", kOpenWrite);
    ASSERT_NE(writer, nullptr);
    EXPECT_TRUE(writer->Write("n", 1));
    writer->Close();
    EXPECT_EQ(ReadHostFile(dir / "new.txt"), "n");
}

TEST(PrefixFileSystem, FindsItsTargetByKeyOnlyWhenMountedFirst) {
    TempDir dir;
    WriteHostFile(dir / "services/offline/a.txt", "a");
    FileSystemRegistry& registry = FileSystemRegistry::Get();
    registry.Clear();

    auto early = std::make_unique<PrefixFileSystem>();
    early->SetTargetByKey(FileSystemKey("fileZip"), "services/offline");  // not mounted yet
    EXPECT_EQ(early->GetTarget(), nullptr);
    EXPECT_FALSE(early->Exists("a.txt"));
    EXPECT_EQ(early->GetSize("a.txt"), -1);
    EXPECT_EQ(LoadText(*early, "a.txt"), "<none>");
    EXPECT_EQ(early->Open("a.txt", kOpenRead), nullptr);

    FileSystem* zipStandIn = registry.Add(
        std::make_unique<DirectoryFileSystem>(dir.Path().c_str(), true), FileSystemKey("fileZip"), 4);
    auto view = std::make_unique<PrefixFileSystem>();
    view->SetTargetByKey(FileSystemKey("fileZip"), "services/offline");
    EXPECT_EQ(view->GetTarget(), zipStandIn);
    registry.Add(std::move(view), FileSystemKey("ServiceManagerOffline"), 0);
    EXPECT_TRUE(registry.Exists("a.txt", FileSystemKey("ServiceManagerOffline")));
    EXPECT_FALSE(registry.Exists("a.txt", FileSystemKey("fileZip")));
    registry.Clear();
}
