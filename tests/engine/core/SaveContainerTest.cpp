#include "engine/core/SaveContainerFileSystem.h"

#include "engine/core/FileObject.h"
#include "engine/core/HashName.h"
#include "tests/engine/core/FileTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace Varnok;
using VarnokTest::HostFileExists;
using VarnokTest::ReadHostFile;
using VarnokTest::TempDir;
using VarnokTest::WriteHostFile;

namespace {

constexpr int32_t kSize = SaveContainerFileSystem::kGameImageSize;
constexpr uint32_t kFree = 0x80000000u;

uint32_t WordAt(const std::vector<uint8_t>& image, uint32_t offset) {
    uint32_t value = 0;
    memcpy(&value, image.data() + offset, 4);
    return value;
}

uint32_t WordAt(const std::string& bytes, uint32_t offset) {
    uint32_t value = 0;
    memcpy(&value, bytes.data() + offset, 4);
    return value;
}

void SetWordAt(std::string& bytes, uint32_t offset, uint32_t value) {
    memcpy(&bytes[offset], &value, 4);
}

// Recomputes the stored checksum of container file bytes.
void FixChecksum(std::string& bytes) {
    const uint32_t sum = SaveContainerFileSystem::ComputeChecksum(
        reinterpret_cast<const uint8_t*>(bytes.data()) + 4, bytes.size() - 4);
    SetWordAt(bytes, 0, sum);
}

bool WriteFile(FileSystem& fs, const char* name, const std::string& bytes) {
    auto stream = fs.Open(name, kOpenWrite);
    if (!stream) {
        return false;
    }
    const bool ok = stream->Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream->Close();
    return ok;
}

std::string ReadFile(FileSystem& fs, const char* name) {
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

std::string Pattern(size_t n, int seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        s[i] = static_cast<char>((i * 31 + seed * 7) & 0xFF);
    }
    return s;
}

}  // namespace

TEST(SaveContainer, ANewFileTakesOneBlockGrownInPlace) {
    TempDir dir;
    SaveContainerFileSystem fs;
    EXPECT_FALSE(fs.LoadContainer(dir.Path().c_str(), "save2.bin", kSize));  // none yet
    EXPECT_FALSE(HostFileExists(dir / "save2.bin"));  // nothing written at mount
    const auto& image = fs.GetImage();
    ASSERT_EQ(image.size(), size_t(kSize));
    EXPECT_EQ(WordAt(image, 0), 0u);
    EXPECT_EQ(WordAt(image, 12), 28u);
    EXPECT_EQ(WordAt(image, 20), 28u);
    EXPECT_EQ(WordAt(image, 28), (kSize - 32) | kFree);
    EXPECT_EQ(WordAt(image, 32), 4u);
    EXPECT_EQ(WordAt(image, 36), 16u);

    const std::string hundred = Pattern(100, 1);
    ASSERT_TRUE(WriteFile(fs, "profile.xml", hundred));
    EXPECT_EQ(WordAt(image, 0), 40u);                   // the entry after the first header
    EXPECT_EQ(WordAt(image, 28), 124u);                 // 24 + 100, used
    EXPECT_EQ(WordAt(image, 40), HashPath("profile.xml"));
    EXPECT_EQ(WordAt(image, 44), 100u);
    EXPECT_EQ(WordAt(image, 152), (kSize - 32 - 124) | kFree);
    EXPECT_TRUE(fs.IsImageValid());

    const std::string stored = ReadHostFile(dir / "save2.bin");
    ASSERT_EQ(stored.size(), 102404u);
    EXPECT_FALSE(HostFileExists(dir / "save2.bitmp"));
    SaveContainerFileSystem again;
    EXPECT_TRUE(again.LoadContainer(dir.Path().c_str(), "save2.bin", kSize));
    EXPECT_EQ(ReadFile(again, "PROFILE.XML"), hundred);  // names are hashed case-blind
    EXPECT_EQ(again.GetSize("profile.xml"), 100);
    EXPECT_FALSE(again.Exists("other.xml"));
    EXPECT_FALSE(again.Delete("profile.xml"));
    EXPECT_TRUE(again.Exists("profile.xml"));
}

TEST(SaveContainer, SurvivesARemountThroughTheRegistry) {
    TempDir dir;
    const std::string xml =
        "<?xml version=\"1.0\"?>\n<save version=\"3\">\n  <stats best=\"412\" games=\"17\"/>\n"
        "  <unlocked blade=\"katana\" background=\"dojo\"/>\n</save>\n" +
        std::string(3000, ' ');  // several blocks' worth
    auto mount = [&] {
        auto container = std::make_unique<SaveContainerFileSystem>();
        container->LoadContainer(dir.Path().c_str(), "save2.bin", kSize);
        FileSystemRegistry::Get().Add(std::move(container), FileSystemKey("saveBin"), 3);
    };
    FileSystemRegistry::Get().Clear();
    mount();
    {
        FileObject out("save.xml", kOpenWrite);
        ASSERT_TRUE(out.Open());
        ASSERT_TRUE(out.Write(xml.data(), 100));
        ASSERT_TRUE(out.Write(xml.data() + 100, static_cast<int32_t>(xml.size()) - 100));
    }
    FileSystemRegistry::Get().Clear();
    EXPECT_EQ(ReadHostFile(dir / "save2.bin").size(), 102404u);

    mount();
    auto* container =
        static_cast<SaveContainerFileSystem*>(FileSystemRegistry::Get().Find(FileSystemKey("saveBin")));
    EXPECT_TRUE(container->IsImageValid());
    FileObject in("save.xml", kOpenRead);
    ASSERT_TRUE(in.Load());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in.GetData()), in.GetLength()), xml);
    FileSystemRegistry::Get().Clear();
}

TEST(SaveContainer, OpeningForWriteWithoutWritingSavesNothing) {
    TempDir dir;
    {
        SaveContainerFileSystem fs;
        fs.LoadContainer(dir.Path().c_str(), "save2.bin", kSize);
        ASSERT_TRUE(WriteFile(fs, "a", "keep me"));
    }
    const std::string before = ReadHostFile(dir / "save2.bin");
    SaveContainerFileSystem fs;
    ASSERT_TRUE(fs.LoadContainer(dir.Path().c_str(), "save2.bin", kSize));
    auto stream = fs.Open("a", kOpenWrite);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->GetLength(), 0);
    stream->Close();
    EXPECT_EQ(ReadHostFile(dir / "save2.bin"), before);
}

TEST(SaveContainer, DamagedContainersAreSetAsideNotOverwritten) {
    TempDir dir;
    {
        SaveContainerFileSystem fs;
        fs.LoadContainer(dir.Path().c_str(), "save2.bin", kSize);
        ASSERT_TRUE(WriteFile(fs, "save.xml", Pattern(300, 2)));
        ASSERT_TRUE(WriteFile(fs, "items.xml", Pattern(5000, 3)));
    }
    const std::string good = ReadHostFile(dir / "save2.bin");
    ASSERT_EQ(good.size(), 102404u);

    auto flipBit = [&](size_t byte) {
        std::string s = good;
        s[byte] ^= 0x10;
        return s;
    };
    // Offsets below are into the file: the image starts at byte 4.
    auto structural = [&](uint32_t imageOffset, uint32_t value) {
        std::string s = good;
        SetWordAt(s, 4 + imageOffset, value);
        FixChecksum(s);
        return s;
    };
    const uint32_t entry = WordAt(good, 4);  // newest entry (items.xml)
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"checksum only", good.substr(0, 4)},
        {"truncated", good.substr(0, 60000)},
        {"one byte short", good.substr(0, good.size() - 1)},
        {"bit flipped in the data", flipBit(4 + 600)},
        {"bit flipped in the free list", flipBit(4 + 12)},
        {"first word changed (not in the checksum)", [&] {
             std::string s = good;
             SetWordAt(s, 4, entry + 4);
             return s;
         }()},
        {"file larger than its blocks", structural(entry + 4, 90000)},
        {"negative file size", structural(entry + 4, 0xFFFFFFF0u)},
        {"entry list loops", structural(entry + 8, entry)},
        {"block size past the end", structural(28, 0x7FFFFFF0u)},
        {"block size zero", structural(28, 0)},
        {"free list loops", [&] {
             std::string s = good;
             const uint32_t first = WordAt(s, 4 + 12);
             SetWordAt(s, 4 + first + 8, first);
             FixChecksum(s);
             return s;
         }()},
        {"end marker set", structural(kSize - 4, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteHostFile(dir / "save2.bin", c.bytes);
        std::remove((dir / "save2.bin.bad").c_str());
        SaveContainerFileSystem fs;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(fs.LoadContainer(dir.Path().c_str(), "save2.bin", kSize));
        EXPECT_NE(testing::internal::GetCapturedStderr().find("damaged"), std::string::npos);
        EXPECT_TRUE(fs.IsImageValid());
        EXPECT_FALSE(fs.Exists("save.xml"));
        // The damaged bytes are kept aside, and a fresh container starts.
        EXPECT_EQ(ReadHostFile(dir / "save2.bin.bad"), c.bytes);
        EXPECT_FALSE(HostFileExists(dir / "save2.bin"));
        ASSERT_TRUE(WriteFile(fs, "new.xml", "fresh"));
        EXPECT_EQ(ReadHostFile(dir / "save2.bin").size(), 102404u);
        EXPECT_EQ(ReadHostFile(dir / "save2.bin.bad"), c.bytes);

        // The same bytes held in memory are refused too.
        SaveContainerFileSystem fromBytes;
        EXPECT_FALSE(fromBytes.LoadFromBytes(reinterpret_cast<const uint8_t*>(c.bytes.data()),
                                             c.bytes.size(), kSize));
        EXPECT_TRUE(fromBytes.IsImageValid());
    }

    SaveContainerFileSystem fromGood;
    EXPECT_TRUE(fromGood.LoadFromBytes(reinterpret_cast<const uint8_t*>(good.data()), good.size(),
                                       kSize));
    EXPECT_EQ(ReadFile(fromGood, "items.xml"), Pattern(5000, 3));
}

TEST(SaveContainer, AContainerThatCannotBeReadIsNeverWrittenOver) {
    TempDir dir;
    WriteHostFile(dir / "save2.bin/keep", "k");  // not a file at all
    SaveContainerFileSystem fs;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(fs.LoadContainer(dir.Path().c_str(), "save2.bin", kSize));
    auto stream = fs.Open("a", kOpenWrite);
    ASSERT_NE(stream, nullptr);  // works in memory for this session
    EXPECT_TRUE(stream->Write("x", 1));
    stream->Close();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("saving is off"), std::string::npos);
    EXPECT_EQ(ReadFile(fs, "a"), "x");
    EXPECT_EQ(ReadHostFile(dir / "save2.bin/keep"), "k");
    EXPECT_FALSE(HostFileExists(dir / "save2.bin.bad"));
    EXPECT_FALSE(HostFileExists(dir / "save2.bitmp"));
}

TEST(SaveContainer, AWriteRefusedBeforeAnythingWasWrittenKeepsTheOldFile) {
    TempDir dir;
    constexpr int32_t kSmall = 1024;
    SaveContainerFileSystem fs;
    fs.LoadContainer(dir.Path().c_str(), "save2.bin", kSmall);
    ASSERT_TRUE(WriteFile(fs, "progress.xml", "<progress level=\"7\"/>"));

    testing::internal::CaptureStderr();
    auto stream = fs.Open("progress.xml", kOpenWrite);
    ASSERT_NE(stream, nullptr);
    const std::string huge(4000, 'h');
    EXPECT_FALSE(stream->Write(huge.data(), 4000));
    stream->Close();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFile(fs, "progress.xml"), "<progress level=\"7\"/>");

    // A later save publishes the image: the old file must be in it.
    ASSERT_TRUE(WriteFile(fs, "other", "x"));
    SaveContainerFileSystem reloaded;
    ASSERT_TRUE(reloaded.LoadContainer(dir.Path().c_str(), "save2.bin", kSmall));
    EXPECT_EQ(ReadFile(reloaded, "progress.xml"), "<progress level=\"7\"/>");

    // Opening for writing and closing without a write still empties the file.
    fs.Open("progress.xml", kOpenWrite)->Close();
    EXPECT_EQ(ReadFile(fs, "progress.xml"), "");
}

TEST(SaveContainer, AFullContainerRefusesWritesAndStaysValid) {
    TempDir dir;
    constexpr int32_t kSmall = 1024;
    SaveContainerFileSystem fs;
    fs.LoadContainer(dir.Path().c_str(), "save2.bin", kSmall);
    ASSERT_TRUE(WriteFile(fs, "kept", "the player's progress"));

    auto stream = fs.Open("big", kOpenWrite);
    ASSERT_NE(stream, nullptr);
    testing::internal::CaptureStderr();
    const std::string huge(4000, 'h');
    EXPECT_FALSE(stream->Write(huge.data(), 4000));  // cannot fit: nothing is written
    EXPECT_EQ(stream->Tell(), 0);
    int written = 0;
    while (stream->Write("abcd", 4)) {
        written += 4;
    }
    EXPECT_GT(written, 800);
    EXPECT_EQ(fs.Open("another", kOpenWrite), nullptr);  // no room for an entry either
    EXPECT_FALSE(stream->Seek(kSeekStart, written + 100));  // nor to grow
    EXPECT_EQ(stream->Tell(), written);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("full"), std::string::npos);
    EXPECT_TRUE(fs.IsImageValid());
    stream->Close();

    SaveContainerFileSystem reloaded;
    ASSERT_TRUE(reloaded.LoadContainer(dir.Path().c_str(), "save2.bin", kSmall));
    EXPECT_EQ(ReadFile(reloaded, "kept"), "the player's progress");
    EXPECT_EQ(reloaded.GetSize("big"), written);
    // Rewriting the big file smaller gives the space back.
    ASSERT_TRUE(WriteFile(reloaded, "big", "small"));
    ASSERT_TRUE(WriteFile(reloaded, "another", Pattern(500, 4)));
    EXPECT_EQ(ReadFile(reloaded, "another"), Pattern(500, 4));
    EXPECT_TRUE(reloaded.IsImageValid());
}

TEST(SaveContainer, SeeksAndShortReads) {
    TempDir dir;
    SaveContainerFileSystem fs;
    fs.LoadContainer(dir.Path().c_str(), "save2.bin", kSize);
    ASSERT_TRUE(WriteFile(fs, "ten", "0123456789"));

    // A read stream stops at the end and never grows the file.
    auto reader = fs.Open("ten", kOpenRead);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(reader->Seek(kSeekStart, 50));
    EXPECT_EQ(reader->Tell(), 10);
    EXPECT_EQ(fs.GetSize("ten"), 10);
    EXPECT_TRUE(reader->Seek(kSeekEnd, 4));  // from the end the offset counts back
    EXPECT_EQ(reader->Tell(), 6);
    EXPECT_FALSE(reader->Seek(kSeekCurrent, -20));
    EXPECT_EQ(reader->Tell(), 0);
    char buffer[16] = {};
    EXPECT_TRUE(reader->Read(buffer, 4));
    EXPECT_FALSE(reader->Read(buffer, 10));  // only 6 left: a short read fails
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(reader->Tell(), 10);
    EXPECT_FALSE(reader->Write("x", 1));
    reader.reset();

    // A write stream grows, zero-filled, even over blocks that held old bytes.
    ASSERT_TRUE(WriteFile(fs, "junk", std::string(2000, '\xEE')));
    ASSERT_TRUE(WriteFile(fs, "junk", "j"));  // frees most of its blocks
    auto writer = fs.Open("grown", kOpenWrite);
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->Write("head", 4));
    EXPECT_TRUE(writer->Seek(kSeekStart, 1500));
    EXPECT_TRUE(writer->Write("tail", 4));
    // Going back to patch the start keeps the rest of the file.
    EXPECT_TRUE(writer->Seek(kSeekStart, 0));
    EXPECT_TRUE(writer->Write("HEAD", 4));
    writer->Close();
    std::string expected = "HEAD" + std::string(1496, '\0') + "tail";
    EXPECT_EQ(ReadFile(fs, "grown"), expected);

    SaveContainerFileSystem reloaded;
    ASSERT_TRUE(reloaded.LoadContainer(dir.Path().c_str(), "save2.bin", kSize));
    EXPECT_EQ(ReadFile(reloaded, "grown"), expected);
    EXPECT_EQ(ReadFile(reloaded, "ten"), "0123456789");
}

// Random operations against a model of what memory and the disk should hold.
TEST(SaveContainer, RandomOperationsKeepEveryFileIntact) {
    TempDir dir;
    constexpr int32_t kSmall = 4096;  // small, so that it fills up often
    std::mt19937 rng(20240611);
    auto below = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* names[] = {"save.xml", "items.xml", "cfg/a", "cfg/b", "q", "r", "s", "t"};

    std::map<std::string, std::string> memory, disk;
    auto fs = std::make_unique<SaveContainerFileSystem>();
    fs->LoadContainer(dir.Path().c_str(), "save2.bin", kSmall);
    std::unique_ptr<FileStream> writer;
    std::string writing;
    std::string beforeOpen;  // what the file held before the writer emptied it
    int32_t position = 0;
    bool dirty = false;
    bool refused = false;
    int fullRefusals = 0;

    auto closeWriter = [&] {
        if (!writer) {
            return;
        }
        writer->Close();
        writer.reset();
        if (dirty) {
            disk = memory;
        } else if (refused) {
            memory[writing] = beforeOpen;  // a save that never started keeps the old file
        }
        dirty = false;
        refused = false;
    };
    auto checkAll = [&](const char* when) {
        SCOPED_TRACE(when);
        ASSERT_TRUE(fs->IsImageValid());
        for (const char* name : names) {
            auto it = memory.find(name);
            ASSERT_EQ(fs->Exists(name), it != memory.end()) << name;
            if (it != memory.end()) {
                ASSERT_EQ(ReadFile(*fs, name), it->second) << name;
            }
        }
    };

    for (int step = 0; step < 1500; ++step) {
        const int op = below(100);
        if (!writer && op < 30) {
            const char* name = names[below(8)];
            auto stream = fs->Open(name, kOpenWrite);
            if (stream) {
                writer = std::move(stream);
                writing = name;
                beforeOpen = memory[name];
                memory[name].clear();  // opening for writing empties it at once
                position = 0;
            } else {
                ASSERT_EQ(memory.count(name), 0u);  // only a new entry can fail
                ++fullRefusals;
            }
        } else if (writer && op < 60) {
            const std::string bytes = Pattern(1 + below(below(4) == 0 ? 1200 : 120), step);
            if (writer->Write(bytes.data(), static_cast<int32_t>(bytes.size()))) {
                std::string& file = memory[writing];
                if (file.size() < position + bytes.size()) {
                    file.resize(position + bytes.size());
                }
                file.replace(position, bytes.size(), bytes);
                position += static_cast<int32_t>(bytes.size());
                dirty = true;
            } else {
                ++fullRefusals;
                refused = true;
            }
            ASSERT_EQ(writer->Tell(), position);
        } else if (writer && op < 68) {
            std::string& file = memory[writing];
            const int32_t target = below(static_cast<int>(file.size()) + 300);
            if (writer->Seek(kSeekStart, target)) {
                if (size_t(target) > file.size()) {
                    file.resize(target, '\0');
                    dirty = true;
                }
                position = target;
            } else {
                ASSERT_GT(size_t(target), file.size());  // only growing can fail
                refused = true;
            }
            ASSERT_EQ(writer->Tell(), position);
        } else if (writer && op < 80) {
            closeWriter();
        } else if (op < 88) {
            const char* name = names[below(8)];
            EXPECT_FALSE(fs->Delete(name));  // the container never removes files
        } else if (op < 96) {
            // Read back some file through a stream, as far as it goes.
            const char* name = names[below(8)];
            auto reader = fs->Open(name, kOpenRead);
            ASSERT_EQ(reader != nullptr, memory.count(name) != 0);
            if (reader) {
                const std::string& expected = memory[name];
                std::string got(expected.size() + 1, '\0');
                EXPECT_FALSE(reader->Read(&got[0], static_cast<int32_t>(got.size())));
                got.pop_back();
                ASSERT_EQ(got, expected);
            }
        } else {
            closeWriter();
            fs = std::make_unique<SaveContainerFileSystem>();
            const bool loaded = fs->LoadContainer(dir.Path().c_str(), "save2.bin", kSmall);
            ASSERT_EQ(loaded, HostFileExists(dir / "save2.bin"));
            memory = disk;
        }
        checkAll("after a step");
        if (HasFatalFailure()) {
            FAIL() << "at step " << step;
        }
    }
    closeWriter();
    EXPECT_GT(fullRefusals, 0);  // the sequence did reach a full container
    EXPECT_FALSE(HostFileExists(dir / "save2.bin.bad"));
}
