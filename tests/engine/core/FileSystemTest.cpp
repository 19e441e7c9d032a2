#include "engine/core/FileSystem.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileObject.h"
#include "engine/core/FilePath.h"
#include "engine/core/SaveContainerFileSystem.h"
#include "tests/engine/core/FileTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace Varnok;
using VarnokTest::TempDir;

namespace {

// An in-memory file system that records what it is asked.
class FakeFileSystem : public FileSystem {
public:
    struct Calls {
        int opens = 0;
        int destroyed = 0;
        std::string lastWrite;
        bool lastWriteScrambled = false;
    };

    FakeFileSystem(std::map<std::string, std::string> files, Calls* calls, bool writable = false)
        : m_files(std::move(files)), m_calls(calls), m_writable(writable) {}
    ~FakeFileSystem() override { ++m_calls->destroyed; }

    bool Exists(const char* path) override { return m_files.count(path) != 0; }
    int32_t GetSize(const char* path) override {
        auto it = m_files.find(path);
        return it == m_files.end() ? -1 : static_cast<int32_t>(it->second.size());
    }
    bool Load(const char* path, uint8_t** data, int32_t* length, bool* owns) override {
        auto it = m_files.find(path);
        if (it == m_files.end()) {
            return false;
        }
        const std::string& bytes = it->second;
        int32_t n = static_cast<int32_t>(bytes.size());
        if (*data == nullptr) {
            *data = static_cast<uint8_t*>(malloc(n + 1));
            *owns = true;
        } else {
            n = std::min(n, *length);
            *owns = false;
        }
        memcpy(*data, bytes.data(), n);
        *length = n;
        return true;
    }
    std::unique_ptr<FileStream> Open(const char* path, int mode) override;
    bool Delete(const char*) override { return false; }

private:
    std::map<std::string, std::string> m_files;
    Calls* m_calls;
    bool m_writable;
};

class FakeStream : public FileStream {
public:
    FakeStream(FileSystem* owner, FakeFileSystem::Calls* calls, int32_t length)
        : FileStream(owner), m_calls(calls), m_length(length) {}
    int32_t GetLength() override { return m_length; }
    void Close() override {}
    bool Read(void*, int32_t) override { return false; }
    bool WriteScrambled(const void* buffer, int32_t n) override {
        m_calls->lastWrite.assign(static_cast<const char*>(buffer), n);
        m_calls->lastWriteScrambled = true;
        return true;
    }
    bool Write(const void* buffer, int32_t n) override {
        m_calls->lastWrite.assign(static_cast<const char*>(buffer), n);
        m_calls->lastWriteScrambled = false;
        return true;
    }
    bool Seek(int, int32_t) override { return false; }
    int32_t Tell() override { return 0; }

private:
    FakeFileSystem::Calls* m_calls;
    int32_t m_length;
};

std::unique_ptr<FileStream> FakeFileSystem::Open(const char* path, int mode) {
    ++m_calls->opens;
    if (mode != kOpenRead && !m_writable) {
        return nullptr;
    }
    if (mode == kOpenRead && !Exists(path)) {
        return nullptr;
    }
    return std::make_unique<FakeStream>(this, m_calls, GetSize(path));
}

std::string LoadText(FileSystemRegistry& registry, const char* path, uint32_t key = 0) {
    uint8_t* data = nullptr;
    int32_t length = 0;
    bool owns = false;
    if (!registry.Load(path, &data, &length, key, &owns)) {
        return "<none>";
    }
    std::string text(reinterpret_cast<char*>(data), length);
    EXPECT_TRUE(owns);
    FreeFileData(data);
    return text;
}

// Keeps the process-wide registry empty around a test that uses it.
class FileObjectTest : public testing::Test {
protected:
    void SetUp() override { FileSystemRegistry::Get().Clear(); }
    void TearDown() override {
        FileSystemRegistry::Get().Clear();
        SetScrambledData(false);
    }
};

}  // namespace

TEST(FileSystemRegistry, AsksByPriorityThenMountOrder) {
    FakeFileSystem::Calls calls;
    FileSystemRegistry registry;
    registry.Add(std::make_unique<FakeFileSystem>(
                     std::map<std::string, std::string>{{"a.txt", "low"}}, &calls),
                 FileSystemKey("low"), 0);
    registry.Add(std::make_unique<FakeFileSystem>(
                     std::map<std::string, std::string>{{"a.txt", "first"}, {"b.txt", "bb"}},
                     &calls),
                 FileSystemKey("first"), 5);
    registry.Add(std::make_unique<FakeFileSystem>(
                     std::map<std::string, std::string>{{"a.txt", "second"}, {"c.txt", "c"}},
                     &calls),
                 FileSystemKey("second"), 5);
    registry.Add(nullptr, 1, 9);  // ignored
    ASSERT_EQ(registry.Count(), 3);

    EXPECT_EQ(LoadText(registry, "a.txt"), "first");  // equal priority: first mounted
    EXPECT_EQ(LoadText(registry, "a.txt", FileSystemKey("second")), "second");
    EXPECT_EQ(LoadText(registry, "a.txt", FileSystemKey("low")), "low");
    EXPECT_EQ(LoadText(registry, "b.txt", FileSystemKey("low")), "<none>");
    EXPECT_EQ(LoadText(registry, "c.txt"), "c");
    EXPECT_EQ(registry.GetSize("c.txt", 0), 1);
    EXPECT_EQ(registry.GetSize("a.txt", 0), 5);
    EXPECT_EQ(registry.GetSize("nope", 0), -1);
    EXPECT_TRUE(registry.Exists("c.txt", 0));
    EXPECT_FALSE(registry.Exists("c.txt", FileSystemKey("first")));
    EXPECT_FALSE(registry.Exists("c.txt", FileSystemKey("unmounted")));
    EXPECT_EQ(registry.Open("nope", kOpenRead, 0), nullptr);
}

TEST(FileSystemRegistry, OwnsWhatIsMounted) {
    FakeFileSystem::Calls calls;
    {
        FileSystemRegistry registry;
        FileSystem* a = registry.Add(
            std::make_unique<FakeFileSystem>(std::map<std::string, std::string>{}, &calls), 11, 0);
        registry.Add(std::make_unique<FakeFileSystem>(std::map<std::string, std::string>{}, &calls),
                     11, 3);
        registry.Add(std::make_unique<FakeFileSystem>(std::map<std::string, std::string>{}, &calls),
                     22, 1);
        EXPECT_EQ(registry.Find(11)->GetPriority(), 3);  // two share a key: list order
        EXPECT_EQ(registry.Find(33), nullptr);
        registry.Remove(a);
        EXPECT_EQ(calls.destroyed, 1);
        EXPECT_EQ(registry.Count(), 2);
        registry.Clear();
        EXPECT_EQ(calls.destroyed, 3);
        registry.Add(std::make_unique<FakeFileSystem>(std::map<std::string, std::string>{}, &calls),
                     1, 1);
    }
    EXPECT_EQ(calls.destroyed, 4);
}

TEST(FileSystemRegistry, UnkeyedWritesLandInTheSaveContainer) {
    // The game's mounts: "base" 0, "save" 2, "saveBin" 3.
    TempDir dir;
    VarnokTest::WriteHostFile(dir / "bundle/xml/fruitlist.xml", "<fruit/>");
    std::filesystem::create_directories(dir / "docs");
    FileSystemRegistry registry;
    registry.Add(std::make_unique<DirectoryFileSystem>((dir / "bundle").c_str(), true),
                 FileSystemKey("base"), 0);
    registry.Add(std::make_unique<DirectoryFileSystem>((dir / "docs").c_str(), false),
                 FileSystemKey("save"), 2);
    auto container = std::make_unique<SaveContainerFileSystem>();
    container->LoadContainer((dir / "docs").c_str(), "save2.bin",
                             SaveContainerFileSystem::kGameImageSize);
    FileSystem* saveBin = registry.Add(std::move(container), FileSystemKey("saveBin"), 3);

    auto stream = registry.Open("profile.xml", kOpenWrite, 0);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->GetFileSystem(), saveBin);
    ASSERT_TRUE(stream->Write("<p/>", 4));
    stream->Close();
    EXPECT_EQ(VarnokTest::ReadHostFile(dir / "docs/save2.bin").size(), 102404u);
    EXPECT_FALSE(VarnokTest::HostFileExists(dir / "docs/profile.xml"));

    // With a key the write goes where it is told.
    stream = registry.Open("profile.xml", kOpenWrite, FileSystemKey("save"));
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(stream->Write("<q/>", 4));
    stream->Close();
    EXPECT_EQ(VarnokTest::ReadHostFile(dir / "docs/profile.xml"), "<q/>");
    // The bundle is read-only and lowest: reads fall through to it.
    EXPECT_EQ(LoadText(registry, "xml/fruitlist.xml"), "<fruit/>");
    EXPECT_EQ(registry.Open("xml/fruitlist.xml", kOpenWrite, FileSystemKey("base")), nullptr);
}

TEST_F(FileObjectTest, FileObjectReadsOnlyExistingFiles) {
    FakeFileSystem::Calls calls;
    FileSystemRegistry::Get().Add(
        std::make_unique<FakeFileSystem>(std::map<std::string, std::string>{{"a.bin", "12345"}},
                                         &calls, true),
        FileSystemKey("fake"), 0);

    FileObject missing("nope.bin", kOpenRead);
    EXPECT_FALSE(missing.Open());
    EXPECT_EQ(calls.opens, 0);  // refused before any file system was asked to open

    FileObject present("a.bin", kOpenRead, FileSystemKey("fake"));
    EXPECT_TRUE(present.Open());
    EXPECT_TRUE(present.Open());  // already open
    EXPECT_EQ(calls.opens, 1);
    EXPECT_TRUE(present.IsOpen());
    EXPECT_EQ(present.GetLength(), 5);
    present.CloseStream();
    EXPECT_FALSE(present.IsOpen());
    EXPECT_EQ(present.GetLength(), 0);

    FileObject wrongKey("a.bin", kOpenRead, FileSystemKey("other"));
    EXPECT_FALSE(wrongKey.Open());

    // Writing modes do not ask whether the file exists.
    FileObject writer("new.bin", kOpenWrite);
    EXPECT_TRUE(writer.Open());
    EXPECT_TRUE(writer.Write("xy", 2));
    EXPECT_EQ(calls.lastWrite, "xy");
}

TEST_F(FileObjectTest, FileObjectLoadsWholeOrIntoACallersBuffer) {
    FakeFileSystem::Calls calls;
    FileSystemRegistry::Get().Add(
        std::make_unique<FakeFileSystem>(
            std::map<std::string, std::string>{{"a.bin", "12345"}, {"empty", ""}}, &calls),
        FileSystemKey("fake"), 0);

    FileObject whole("a.bin", kOpenRead);
    ASSERT_TRUE(whole.Load());
    EXPECT_TRUE(whole.IsLoaded());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(whole.GetData()), whole.GetLength()), "12345");
    EXPECT_TRUE(whole.Load());  // already loaded: nothing changes
    whole.Close();
    EXPECT_FALSE(whole.IsLoaded());
    EXPECT_EQ(whole.GetData(), nullptr);

    uint8_t buffer[3] = {0, 0, 0};
    FileObject part("a.bin", kOpenRead);
    ASSERT_TRUE(part.Load(buffer, 3));
    EXPECT_EQ(part.GetData(), buffer);
    EXPECT_EQ(part.GetLength(), 3);
    EXPECT_EQ(buffer[2], '3');
    part.Close();  // does not free the caller's buffer (ASan would object)

    FileObject empty("empty", kOpenRead);
    EXPECT_TRUE(empty.Load());
    EXPECT_EQ(empty.GetLength(), 0);

    FileObject missing("nope", kOpenRead);
    EXPECT_FALSE(missing.Load());
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_EQ(missing.GetData(), nullptr);
    EXPECT_EQ(missing.GetLength(), 0);
}

TEST_F(FileObjectTest, ScrambledXmlRoundTripsAndIsKeyedOnASubstring) {
    FakeFileSystem::Calls calls;
    FileSystemRegistry::Get().Add(
        std::make_unique<FakeFileSystem>(std::map<std::string, std::string>{}, &calls, true),
        FileSystemKey("fake"), 0);
    SetScrambledData(true);
    const struct {
        const char* name;
        bool scrambled;
    } cases[] = {{"data.xml", true}, {"data.xml.bak", true}, {"data.txt", false}, {"xml", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FileObject file(c.name, kOpenWrite, FileSystemKey("fake"));
        ASSERT_TRUE(file.Open());
        EXPECT_TRUE(file.Write("<a/>", 4));
        EXPECT_EQ(calls.lastWriteScrambled, c.scrambled);
    }

    // Through a real folder: written scrambled, the bytes on disk differ, and
    // loading gives the text back.
    TempDir dir;
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(dir.Path().c_str(), false),
                                  FileSystemKey("dir"), 1);
    const std::string text(600, 'x');  // longer than the 255-byte key
    {
        FileObject out("save.xml", kOpenWrite, FileSystemKey("dir"));
        ASSERT_TRUE(out.Open());
        ASSERT_TRUE(out.Write(text.data(), 100));
        ASSERT_TRUE(out.Write(text.data() + 100, 500));
    }
    EXPECT_NE(VarnokTest::ReadHostFile(dir / "save.xml"), text);
    FileObject in("save.xml", kOpenRead, FileSystemKey("dir"));
    ASSERT_TRUE(in.Load());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in.GetData()), in.GetLength()), text);

    SetScrambledData(false);
    FileObject plain("save.xml", kOpenRead, FileSystemKey("dir"));
    ASSERT_TRUE(plain.Load());
    EXPECT_NE(std::string(reinterpret_cast<char*>(plain.GetData()), plain.GetLength()), text);
}

TEST(FilePaths, JoinNormaliseAndSplit) {
    const struct {
        const char* first;
        const char* second;
        const char* joined;
    } joins[] = {
        {"/var/data/", "\\textures\\a.tex", "var/data/textures/a.tex"},
        {nullptr, "a//b/", "a/b"},
        {"", "/x", "x"},
        {"a", nullptr, "a"},
        {"./a", "../b", "./a/../b"},
    };
    for (const auto& c : joins) {
        EXPECT_STREQ(JoinPaths(c.first, c.second).c_str(), c.joined) << c.joined;
    }
    EXPECT_STREQ(JoinHostPath("/var/data/", "x").c_str(), "/var/data/x");
    EXPECT_STREQ(JoinHostPath("rel", "x").c_str(), "rel/x");

    const struct {
        const char* path;
        const char* normalised;
    } norms[] = {
        {"a/./b/../c", "a/c"}, {"../x", "../x"}, {"/a//b/", "a/b"},
        {"a/../../b", "../b"}, {"..\\..\\c", "../../c"}, {"", ""},
    };
    for (const auto& c : norms) {
        EXPECT_STREQ(NormalisePath(c.path).c_str(), c.normalised) << c.path;
    }
    EXPECT_STREQ(CombinePath("models/fruit", "../tex/a.tex").c_str(), "models/tex/a.tex");
    EXPECT_STREQ(GetDirectory("textures/ui/logo.tex").c_str(), "textures/ui");
    EXPECT_STREQ(GetDirectory("logo.tex").c_str(), "");

    const char* const separators[] = {", ", ";"};
    auto kept = SplitString("a, b;;c", separators, 2, true);
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_STREQ(kept[2].c_str(), "");
    auto dropped = SplitString(";a, b;;c;", separators, 2, false);
    ASSERT_EQ(dropped.size(), 3u);
    EXPECT_STREQ(dropped[2].c_str(), "c");
    EXPECT_STREQ(JoinParts(dropped, 1, 10).c_str(), "b/c");
    EXPECT_STREQ(JoinParts(dropped, 3, 1).c_str(), "");
    EXPECT_STREQ(JoinParts(dropped, 0, 0).c_str(), "");

    FilePath withExt("a.b/c\\name.tar.gz");
    EXPECT_EQ(withExt.GetFileNameIndex(), 6);
    EXPECT_EQ(withExt.GetExtensionIndex(), 14);
    FilePath noExt("a.b/name");
    EXPECT_EQ(noExt.GetExtensionIndex(), 8);  // the dot in the folder does not count
    EXPECT_STREQ(noExt.GetPath().c_str(), "a.b/name");
}
