#include "engine/core/ZipFileSystem.h"

#include "engine/core/MemoryStream.h"
#include "engine/core/SaveContainerFileSystem.h"
#include "tests/engine/core/FileTestUtil.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace Varnok;
using VarnokTest::ReadHostFile;
using VarnokTest::TempDir;
using VarnokTest::WriteHostFile;

namespace {

struct ZipEntry {
    std::string name;  // ending in '/' makes a folder entry
    std::string content;
    uint16_t encryption = ZIP_EM_NONE;
    bool compress = true;
};

// Writes an archive with libzip; encrypted entries use `password`.
void MakeZip(const std::string& path, const std::vector<ZipEntry>& entries,
             const char* password = nullptr) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr) << error;
    for (const ZipEntry& entry : entries) {
        if (!entry.name.empty() && entry.name.back() == '/') {
            ASSERT_GE(zip_dir_add(archive, entry.name.c_str(), ZIP_FL_ENC_UTF_8), 0);
            continue;
        }
        zip_source_t* source =
            zip_source_buffer(archive, entry.content.data(), entry.content.size(), 0);
        ASSERT_NE(source, nullptr);
        const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, 0);
        ASSERT_GE(index, 0);
        ASSERT_EQ(zip_set_file_compression(archive, index,
                                           entry.compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0),
                  0);
        if (entry.encryption != ZIP_EM_NONE) {
            ASSERT_EQ(zip_file_set_encryption(archive, index, entry.encryption, password), 0);
        }
    }
    ASSERT_EQ(zip_close(archive), 0);
}

std::string LoadText(FileSystem& fs, const char* path) {
    uint8_t* data = nullptr;
    int32_t length = 0;
    bool owns = false;
    if (!fs.Load(path, &data, &length, &owns)) {
        EXPECT_EQ(data, nullptr);
        return "<none>";
    }
    std::string text(reinterpret_cast<char*>(data), length);
    FreeFileData(data);
    return text;
}

std::string Text(size_t n, char seed) {
    std::string s(n, ' ');
    for (size_t i = 0; i < n; ++i) {
        s[i] = static_cast<char>(seed + (i * 7) % 23);
    }
    return s;
}

}  // namespace

TEST(ZipFileSystem, IndexesTheEntriesUnderItsPrefix) {
    TempDir dir;
    const std::string zipPath = dir / "fruit.bin";
    MakeZip(zipPath, {{"fruit/", ""},
                      {"fruit/apple.tex", "APPLE"},
                      {"fruit/Sub/Pear.tex", Text(3000, 'a')},
                      {"other/x.txt", "x"},
                      {"apple.tex", "root apple"}});

    for (const char* prefix : {"fruit/", "fruit", "fruit\\"}) {
        SCOPED_TRACE(prefix);
        ZipFileSystem zip;
        ASSERT_TRUE(zip.Open(zipPath.c_str(), prefix, nullptr));
        EXPECT_EQ(zip.EntryCount(), 2);
        EXPECT_EQ(LoadText(zip, "apple.tex"), "APPLE");
        EXPECT_EQ(LoadText(zip, "sub\\pear.TEX"), Text(3000, 'a'));  // hashed case-blind
        EXPECT_EQ(zip.GetSize("Sub/Pear.tex"), 3000);
        EXPECT_FALSE(zip.Exists("other/x.txt"));
        EXPECT_FALSE(zip.Exists("x.txt"));
        EXPECT_FALSE(zip.Exists(""));  // the folder entry is not a file
        EXPECT_EQ(zip.GetSize("fruit/apple.tex"), -1);
    }

    ZipFileSystem all;
    ASSERT_TRUE(all.Open(zipPath.c_str(), nullptr, nullptr));
    EXPECT_EQ(all.EntryCount(), 5);
    EXPECT_EQ(LoadText(all, "fruit/apple.tex"), "APPLE");
    EXPECT_EQ(LoadText(all, "apple.tex"), "root apple");

    // Into a caller's smaller buffer.
    uint8_t buffer[4] = {};
    uint8_t* data = buffer;
    int32_t length = 4;
    bool owns = true;
    ASSERT_TRUE(all.Load("other/x.txt", &data, &length, &owns));
    EXPECT_EQ(length, 1);
    EXPECT_FALSE(owns);
    EXPECT_EQ(buffer[0], 'x');
}

TEST(ZipFileSystem, ReadsPasswordProtectedEntries) {
    TempDir dir;
    const std::string zipPath = dir / "fruit.bin";
    const std::string secret = Text(5000, 'A');
    MakeZip(zipPath,
            {{"fruit/aes.xml", secret, ZIP_EM_AES_256},
             {"fruit/pkware.xml", "<fruit name=\"kiwi\"/>", ZIP_EM_TRAD_PKWARE, false},
             {"fruit/plain.txt", "open"}},
            "s3cret");
    // Not readable without the password.
    EXPECT_EQ(ReadHostFile(zipPath).find("kiwi"), std::string::npos);

    ZipFileSystem zip;
    ASSERT_TRUE(zip.Open(zipPath.c_str(), "fruit/", "s3cret"));
    EXPECT_EQ(LoadText(zip, "aes.xml"), secret);
    EXPECT_EQ(LoadText(zip, "pkware.xml"), "<fruit name=\"kiwi\"/>");
    auto stream = zip.Open("pkware.xml", kOpenRead);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->GetLength(), 20);

    const struct {
        const char* what;
        const char* password;
    } wrong[] = {{"wrong password", "guess"}, {"no password", nullptr}};
    for (const auto& c : wrong) {
        SCOPED_TRACE(c.what);
        ZipFileSystem locked;
        ASSERT_TRUE(locked.Open(zipPath.c_str(), "fruit/", c.password));
        EXPECT_TRUE(locked.Exists("aes.xml"));  // the index needs no password
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadText(locked, "aes.xml"), "<none>");
        EXPECT_EQ(LoadText(locked, "pkware.xml"), "<none>");
        EXPECT_EQ(locked.Open("aes.xml", kOpenRead), nullptr);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot be read"), std::string::npos);
        EXPECT_EQ(LoadText(locked, "plain.txt"), "open");
    }
}

TEST(ZipFileSystem, RefusesWrites) {
    TempDir dir;
    const std::string zipPath = dir / "assets.zip";
    MakeZip(zipPath, {{"a.txt", "zip a"}});
    const std::string before = ReadHostFile(zipPath);

    FileSystemRegistry registry;
    auto zip = std::make_unique<ZipFileSystem>();
    ASSERT_TRUE(zip->Open(zipPath.c_str(), nullptr, nullptr));
    FileSystem* zipFs = registry.Add(std::move(zip), FileSystemKey("fileZip"), 4);
    auto container = std::make_unique<SaveContainerFileSystem>();
    container->LoadContainer(dir.Path().c_str(), "save2.bin", SaveContainerFileSystem::kGameImageSize);
    FileSystem* saveBin = registry.Add(std::move(container), FileSystemKey("saveBin"), 3);

    EXPECT_EQ(zipFs->Open("a.txt", kOpenWrite), nullptr);
    EXPECT_EQ(zipFs->Open("a.txt", kOpenUpdate), nullptr);
    EXPECT_EQ(zipFs->Open("b.txt", kOpenWrite), nullptr);
    EXPECT_FALSE(zipFs->Delete("a.txt"));
    EXPECT_EQ(registry.Open("a.txt", kOpenWrite, FileSystemKey("fileZip")), nullptr);

    // Without a key the write passes the zip by and lands in the container,
    // while reads still find the zip's copy first.
    auto stream = registry.Open("a.txt", kOpenWrite, 0);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->GetFileSystem(), saveBin);
    EXPECT_TRUE(stream->Write("mine", 4));
    stream->Close();
    EXPECT_EQ(LoadText(*zipFs, "a.txt"), "zip a");
    EXPECT_EQ(ReadHostFile(zipPath), before);
}

TEST(ZipFileSystem, MemoryStreamSeeksWithinTheEntry) {
    TempDir dir;
    const std::string zipPath = dir / "assets.zip";
    MakeZip(zipPath, {{"ten.bin", "0123456789"}, {"empty.bin", ""}});
    ZipFileSystem zip;
    ASSERT_TRUE(zip.Open(zipPath.c_str(), nullptr, nullptr));

    auto stream = zip.Open("ten.bin", kOpenRead);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->GetLength(), 10);
    EXPECT_TRUE(stream->Seek(kSeekEnd, 0));  // the end itself is a position
    EXPECT_EQ(stream->Tell(), 10);
    EXPECT_TRUE(stream->Seek(kSeekEnd, 3));  // from the end the offset counts back
    EXPECT_EQ(stream->Tell(), 7);
    EXPECT_FALSE(stream->Seek(kSeekCurrent, -8));  // negative: refused, position kept
    EXPECT_EQ(stream->Tell(), 7);
    EXPECT_FALSE(stream->Seek(kSeekStart, 11));
    EXPECT_EQ(stream->Tell(), 10);
    EXPECT_TRUE(stream->Seek(kSeekStart, 8));
    char buffer[4] = {};
    EXPECT_FALSE(stream->Read(buffer, 4));  // two left: a short read fails
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_FALSE(stream->Write("x", 1));
    stream->Close();
    EXPECT_FALSE(stream->Read(buffer, 1));

    auto empty = zip.Open("empty.bin", kOpenRead);
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->Seek(kSeekEnd, 0));
    EXPECT_EQ(empty->Tell(), 0);
    EXPECT_TRUE(empty->Read(buffer, 0));
    EXPECT_EQ(zip.Open("missing.bin", kOpenRead), nullptr);
}

TEST(ZipFileSystem, DamagedArchivesFailCleanly) {
    TempDir dir;
    const std::string goodPath = dir / "good.zip";
    const std::string content = Text(20000, 'k');
    MakeZip(goodPath, {{"data/big.txt", content}, {"data/small.txt", "tiny", ZIP_EM_NONE, false}});
    const std::string good = ReadHostFile(goodPath);
    ASSERT_GT(good.size(), 200u);

    auto flip = [&](size_t at) {
        std::string s = good;
        s[at] = static_cast<char>(s[at] ^ 0x5A);
        return s;
    };
    const struct {
        const char* what;
        std::string bytes;
        bool opens;  // the central directory still reads
    } cases[] = {
        {"empty file", "", false},
        {"garbage", std::string(500, '\x42'), false},
        {"cut in half", good.substr(0, good.size() / 2), false},
        {"end record cut", good.substr(0, good.size() - 10), false},
        {"compressed data damaged", flip(60), true},
        {"central directory damaged", flip(good.find("PK\x01\x02")), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir / "bad.zip";
        WriteHostFile(path, c.bytes);
        ZipFileSystem zip;
        testing::internal::CaptureStderr();
        const bool opened = zip.Open(path.c_str(), "data/", nullptr);
        const std::string big = LoadText(zip, "big.txt");
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(log.empty());
        EXPECT_TRUE(big != content);  // (not printed: 20 KB)
        if (c.opens) {
            EXPECT_TRUE(opened);
        }
        if (!opened) {
            EXPECT_EQ(zip.EntryCount(), 0);
            EXPECT_FALSE(zip.Exists("small.txt"));
            EXPECT_EQ(zip.Open("small.txt", kOpenRead), nullptr);
        }
    }

    ZipFileSystem missing;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(missing.Open((dir / "nope.zip").c_str(), nullptr, nullptr));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(missing.GetSize("a"), -1);
}

// Made by 7-Zip (7z a -tzip -mem=AES256 -ps3cret): WinZip AES entries with a
// stored CRC of 0, one deflated (600 bytes) and one stored (20 bytes).
TEST(ZipFileSystem, ReadsAesEntriesWithoutACrc) {
    const std::string archive = std::string(VARNOK_TEST_DATA_DIR) + "/aes_7z.zip";
    std::string secret(600, ' ');
    for (size_t i = 0; i < secret.size(); ++i) {
        secret[i] = static_cast<char>('A' + (i * 7) % 23);
    }
    ZipFileSystem zip;
    ASSERT_TRUE(zip.Open(archive.c_str(), "fruit/", "s3cret"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadText(zip, "secret.txt"), secret);
    EXPECT_EQ(LoadText(zip, "small.xml"), "<fruit name=\"kiwi\"/>");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // secret.txt's data comes first: after the 30-byte local header, its name
    // and extra field, 16 bytes of salt, 2 of password check, the enciphered
    // bytes and 10 bytes of authentication code.
    TempDir dir;
    const std::string bytes = ReadHostFile(archive);
    auto u16 = [&](size_t at) { return uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8; };
    const size_t dataStart = 30 + u16(26) + u16(28);
    const size_t dataEnd = dataStart + u16(18);  // the compressed size, under 64 KB
    auto flipped = [&](size_t at, const char* name) {
        std::string s = bytes;
        s[at] = static_cast<char>(s[at] ^ 0x01);
        WriteHostFile(dir / name, s);
        return dir / name;
    };
    const struct {
        const char* what;
        std::string path;
        const char* password;
        const char* reason;
    } refused[] = {
        {"wrong password", archive, "guess", "Wrong password"},
        {"damaged data", flipped(dataStart + 20, "data.zip"), "s3cret", "Zlib error"},
        {"damaged authentication code", flipped(dataEnd - 3, "code.zip"), "s3cret",
         "fails its authentication: CRC error"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        ZipFileSystem locked;
        ASSERT_TRUE(locked.Open(c.path.c_str(), "fruit/", c.password));
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadText(locked, "secret.txt"), "<none>");
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("Zip entry secret.txt "), std::string::npos) << log;
        EXPECT_NE(log.find(c.reason), std::string::npos) << log;
        EXPECT_EQ(log.find("No error"), std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    }
}

// A size in the central directory is believed only as far as the archive
// could hold it, so a few hundred bytes cannot ask for gigabytes.
TEST(ZipFileSystem, RefusesDeclaredSizesPastTheArchive) {
    TempDir dir;
    const std::string goodPath = dir / "good.zip";
    MakeZip(goodPath, {{"stored.txt", Text(100, 's'), ZIP_EM_NONE, false},
                       {"deflated.txt", Text(100, 'd')}});
    const std::string good = ReadHostFile(goodPath);
    // The uncompressed size sits 24 bytes into a central directory record.
    auto declare = [&](const char* name, uint32_t size) {
        std::string s = good;
        const size_t record = s.rfind("PK\x01\x02", s.find(name, s.find("PK\x01\x02")));
        for (int i = 0; i < 4; ++i) {
            s[record + 24 + i] = static_cast<char>(size >> (8 * i));
        }
        return s;
    };
    const struct {
        const char* what;
        std::string bytes;
        const char* name;
    } cases[] = {
        {"stored, one byte more than it holds", declare("stored.txt", 101), "stored.txt"},
        {"deflated, two gigabytes", declare("deflated.txt", 0x7FFFFFF0u), "deflated.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir / "bad.zip";
        WriteHostFile(path, c.bytes);
        ZipFileSystem zip;
        ASSERT_TRUE(zip.Open(path.c_str(), nullptr, nullptr));
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadText(zip, c.name), "<none>");
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("more than its archive can hold"), std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    }
}

// Found by fuzzing: plain.txt's flags claim strong encryption, a method
// libzip cannot decipher; asked to open it anyway, libzip leaks its reader.
TEST(ZipFileSystem, RefusesEntriesWithAnUnknownCipher) {
    const std::string archive = std::string(VARNOK_TEST_DATA_DIR) + "/unknown_cipher.zip";
    ZipFileSystem zip;
    ASSERT_TRUE(zip.Open(archive.c_str(), "fruit/", "s3cret"));
    ASSERT_TRUE(zip.Exists("plain.txt"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadText(zip, "plain.txt"), "<none>");
    EXPECT_EQ(zip.Open("plain.txt", kOpenRead), nullptr);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Zip entry plain.txt cannot be read: encryption method 65535 is not "
                       "supported"),
              std::string::npos)
        << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;  // one a read
}
