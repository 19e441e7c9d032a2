// A read-only file system over a zip archive (optionally under a folder
// prefix and a password); entries are found by the path hash.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/FileSystem.h"

#include <cstdint>
#include <memory>
#include <vector>

struct zip;
struct zip_stat;

namespace Varnok {

class ZipFileSystem : public FileSystem {
public:
    ZipFileSystem() = default;
    ~ZipFileSystem() override;

    // Opens the archive and indexes the entries under `prefix` (null: all) by
    // the hash of their names without the prefix. Reads use `password` (null:
    // none). An archive that does not open (logged) holds no entries.
    [[nodiscard]] bool Open(const char* archivePath, const char* prefix, const char* password);

    bool Exists(const char* path) override;
    int32_t GetSize(const char* path) override;
    // Under the file-layer lock; fails unless exactly the wanted bytes arrive
    // (a wrong password or a damaged entry fails). An entry that declares more
    // bytes than the archive could inflate to is refused before anything is
    // allocated.
    [[nodiscard]] bool Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
                            bool* outOwnsData) override;
    // Mode 0 only: the whole entry in a MemoryStream. Writing answers null.
    std::unique_ptr<FileStream> Open(const char* path, int mode) override;
    bool Delete(const char* path) override { (void)path; return false; }

    int EntryCount() const { return static_cast<int>(m_records.size()); }

private:
    // How a whole read proves the bytes are the entry's.
    enum class Check : uint8_t {
        Crc,        // one read past the end makes libzip compare the CRC
        AesCode,    // WinZip AES, compressed: the authentication code, read apart
        Password,   // WinZip AES, stored, no CRC: only the password check at open
    };

    struct Record {
        uint32_t hash;  // HashPath of the name without the prefix
        int32_t size;   // uncompressed, as declared
        int32_t index;  // in the archive
        Check check;
        bool plausible;  // the declared size fits what the archive can hold
        uint16_t encryption;  // libzip's method id; readable only when it can decode it
    };

    static Check ChooseCheck(const zip_stat& stat);
    bool ReadEntry(const Record& record, const char* path, uint8_t* target, int32_t want);
    bool CheckAesCode(const Record& record, const char* path);

    // Two names that hash alike are not told apart: the first record wins.
    const Record* FindRecord(const char* path) const;
    void CloseArchive();

    zip* m_archive = nullptr;
    AsciiString m_prefix;  // ends in '/', or empty
    std::vector<Record> m_records;  // sorted by hash
};

}  // namespace Varnok
