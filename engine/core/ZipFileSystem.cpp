// ZipFileSystem over libzip: a hash index built at open, whole-entry reads.
#include "engine/core/ZipFileSystem.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/MemoryStream.h"

#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace Varnok {

namespace {

// Deflate codes at most 258 bytes in 2 bits, so no deflated entry grows past
// 1032 times its compressed bytes; the other methods are held to the same
// ceiling. Stored entries hold their bytes as they are.
constexpr uint64_t kMaxInflateRatio = 1032;

// The most an entry's data could decompress to, by its declared compressed
// size, which itself cannot exceed the archive.
uint64_t MaxEntryBytes(const zip_stat_t& stat, uint64_t archiveBytes) {
    const bool hasCompressedSize = (stat.valid & ZIP_STAT_COMP_SIZE) != 0;
    const uint64_t compressed =
        hasCompressedSize ? std::min<uint64_t>(stat.comp_size, archiveBytes) : archiveBytes;
    const bool stored = (stat.valid & ZIP_STAT_COMP_METHOD) != 0 &&
                        stat.comp_method == ZIP_CM_STORE;
    if (stored) {
        return compressed;
    }
    return compressed <= UINT64_MAX / kMaxInflateRatio ? compressed * kMaxInflateRatio
                                                       : UINT64_MAX;
}

bool IsAes(const zip_stat_t& stat) {
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) == 0) {
        return false;
    }
    return stat.encryption_method == ZIP_EM_AES_128 || stat.encryption_method == ZIP_EM_AES_192 ||
           stat.encryption_method == ZIP_EM_AES_256;
}

// Holds the file-layer lock for a scope.
class FileLayerLock {
public:
    FileLayerLock() { LockFileLayer(); }
    ~FileLayerLock() { UnlockFileLayer(); }
    FileLayerLock(const FileLayerLock&) = delete;
    FileLayerLock& operator=(const FileLayerLock&) = delete;
};

}  // namespace

ZipFileSystem::~ZipFileSystem() {
    CloseArchive();
}

void ZipFileSystem::CloseArchive() {
    if (m_archive != nullptr) {
        zip_discard(m_archive);  // opened read-only: nothing to write back
        m_archive = nullptr;
    }
    m_records.clear();
    m_prefix = AsciiString();
}

bool ZipFileSystem::Open(const char* archivePath, const char* prefix, const char* password) {
    CloseArchive();
    if (archivePath == nullptr) {
        return false;
    }
    int error = 0;
    m_archive = zip_open(archivePath, ZIP_RDONLY, &error);
    if (m_archive == nullptr) {
        zip_error_t detail;
        zip_error_init_with_code(&detail, error);
        Log("Zip archive %s cannot be opened: %s", archivePath, zip_error_strerror(&detail));
        zip_error_fini(&detail);
        return false;
    }
    zip_set_default_password(m_archive, password);
    struct stat archiveStat;
    const uint64_t archiveBytes = stat(archivePath, &archiveStat) == 0
                                      ? static_cast<uint64_t>(archiveStat.st_size)
                                      : UINT64_MAX;  // unknown: the entries' own sizes bound

    if (prefix != nullptr && prefix[0] != '\0') {
        m_prefix = prefix;
        if (m_prefix[m_prefix.Length() - 1] == '\\') {
            m_prefix = AsciiString::Substring(m_prefix, 0, m_prefix.Length() - 1);
        }
        if (m_prefix.IsEmpty() || m_prefix[m_prefix.Length() - 1] != '/') {
            m_prefix.AppendChar('/');
        }
    }
    const int prefixLength = m_prefix.Length();

    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count && i <= INT32_MAX; ++i) {
        zip_stat_t entry;
        zip_stat_init(&entry);
        if (zip_stat_index(m_archive, static_cast<zip_uint64_t>(i), 0, &entry) != 0 ||
            (entry.valid & ZIP_STAT_NAME) == 0 || (entry.valid & ZIP_STAT_SIZE) == 0) {
            continue;
        }
        const char* name = entry.name;
        if (prefixLength > 0 && strncmp(name, m_prefix.c_str(), prefixLength) != 0) {
            continue;
        }
        const char* inside = name + prefixLength;
        if (prefixLength > 0 && inside[0] == '\0') {
            continue;  // the prefix's own folder entry
        }
        if (entry.size > INT32_MAX) {
            Log("Zip archive %s: entry %s is too large, skipped", archivePath, name);
            continue;
        }
        m_records.push_back({HashPath(inside), static_cast<int32_t>(entry.size),
                             static_cast<int32_t>(i), ChooseCheck(entry),
                             entry.size <= MaxEntryBytes(entry, archiveBytes),
                             (entry.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0
                                 ? entry.encryption_method
                                 : static_cast<uint16_t>(ZIP_EM_NONE)});
    }
    // Stable, so that of two names hashing alike the earlier entry comes first.
    std::stable_sort(m_records.begin(), m_records.end(),
                     [](const Record& a, const Record& b) { return a.hash < b.hash; });
    return true;
}

const ZipFileSystem::Record* ZipFileSystem::FindRecord(const char* path) const {
    if (path == nullptr || m_records.empty()) {
        return nullptr;
    }
    const uint32_t hash = HashPath(path);
    auto it = std::lower_bound(m_records.begin(), m_records.end(), hash,
                               [](const Record& r, uint32_t h) { return r.hash < h; });
    return it != m_records.end() && it->hash == hash ? &*it : nullptr;
}

bool ZipFileSystem::Exists(const char* path) {
    return FindRecord(path) != nullptr;
}

int32_t ZipFileSystem::GetSize(const char* path) {
    const Record* record = FindRecord(path);
    return record != nullptr ? record->size : -1;
}

bool ZipFileSystem::Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
                         bool* outOwnsData) {
    const Record* record = FindRecord(path);
    if (record == nullptr || m_archive == nullptr) {
        return false;
    }
    if (!record->plausible) {
        Log("Zip entry %s declares %d bytes, more than its archive can hold", path,
            record->size);
        return false;
    }
    // Asked to open an entry it cannot decipher, libzip loses the memory of
    // the reader it began, so it is not asked.
    if (record->encryption != ZIP_EM_NONE &&
        !zip_encryption_method_supported(record->encryption, 0)) {
        Log("Zip entry %s cannot be read: encryption method %u is not supported", path,
            static_cast<unsigned>(record->encryption));
        return false;
    }
    const bool allocate = *inOutData == nullptr;
    const int32_t want = allocate ? record->size : std::max(0, std::min(*inOutLength, record->size));
    uint8_t* target = *inOutData;
    if (allocate) {
        target = static_cast<uint8_t*>(std::malloc(want > 0 ? size_t(want) : 1));
        if (target == nullptr) {
            Log("Out of memory loading %s (%d bytes) from a zip archive", path, want);
            return false;
        }
    }

    const bool ok = ReadEntry(*record, path, target, want);
    if (!ok) {
        if (allocate) {
            std::free(target);
        }
        return false;
    }
    *inOutData = target;
    *inOutLength = want;
    *outOwnsData = allocate;
    return true;
}

// WinZip AES writers may store a CRC of 0 and leave the proof to the entry's
// authentication code, which libzip compares when its decryption reaches the
// end; a CRC of 0 fails libzip's CRC check whatever the content. A compressed
// entry can be decrypted to its end without decompressing, and so without the
// CRC check; a stored one cannot, and keeps the password check libzip makes
// at open.
ZipFileSystem::Check ZipFileSystem::ChooseCheck(const zip_stat_t& stat) {
    const bool stored =
        (stat.valid & ZIP_STAT_COMP_METHOD) != 0 && stat.comp_method == ZIP_CM_STORE;
    const bool hasCrc = (stat.valid & ZIP_STAT_CRC) != 0 && stat.crc != 0;
    if (!IsAes(stat) || (stored && hasCrc)) {
        return Check::Crc;
    }
    return stored ? Check::Password : Check::AesCode;
}

bool ZipFileSystem::ReadEntry(const Record& record, const char* path, uint8_t* target,
                              int32_t want) {
    FileLayerLock lock;
    zip_file_t* file = zip_fopen_index(m_archive, static_cast<zip_uint64_t>(record.index), 0);
    if (file == nullptr) {
        Log("Zip entry %s cannot be read: %s", path, zip_strerror(m_archive));
        return false;
    }
    zip_int64_t total = 0;
    zip_int64_t got = 0;
    while (total < want) {
        got = zip_fread(file, target + total, static_cast<zip_uint64_t>(want - total));
        if (got <= 0) {
            break;
        }
        total += got;
    }
    bool ok = total == want;
    if (ok && want == record.size && record.check == Check::Crc) {
        // One read past the end lets libzip check the entry's CRC, so a wrong
        // password or damaged data cannot pass as content.
        uint8_t extra = 0;
        got = zip_fread(file, &extra, 1);
        ok = got == 0;
    }
    if (!ok) {
        // libzip leaves the file's error unset when the data merely ends early.
        if (got < 0) {
            Log("Zip entry %s cannot be read: %s", path, zip_file_strerror(file));
        } else {
            Log("Zip entry %s ends after %lld of its %d bytes", path,
                static_cast<long long>(total), record.size);
        }
    }
    zip_fclose(file);
    if (ok && want == record.size && record.check == Check::AesCode) {
        ok = CheckAesCode(record, path);
    }
    return ok;
}

// Requires: the file-layer lock held.
bool ZipFileSystem::CheckAesCode(const Record& record, const char* path) {
    zip_file_t* file =
        zip_fopen_index(m_archive, static_cast<zip_uint64_t>(record.index), ZIP_FL_COMPRESSED);
    if (file == nullptr) {
        Log("Zip entry %s cannot be read: %s", path, zip_strerror(m_archive));
        return false;
    }
    uint8_t buffer[4096];
    zip_int64_t got = 0;
    do {
        got = zip_fread(file, buffer, sizeof buffer);
    } while (got > 0);
    if (got < 0) {
        Log("Zip entry %s fails its authentication: %s", path, zip_file_strerror(file));
    }
    zip_fclose(file);
    return got == 0;
}

std::unique_ptr<FileStream> ZipFileSystem::Open(const char* path, int mode) {
    if (mode != kOpenRead) {
        return nullptr;
    }
    uint8_t* data = nullptr;
    int32_t length = 0;
    bool owns = false;
    if (!Load(path, &data, &length, &owns)) {
        return nullptr;
    }
    return std::make_unique<MemoryStream>(this, data, length);
}

}  // namespace Varnok
