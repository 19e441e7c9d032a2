// Zip archives from anywhere, read through the zip file system: every entry
// the archive lists is loaded whole, into a short buffer and as a stream, with
// the password the seeds were made with.
#include "engine/core/FileSystem.h"
#include "engine/core/ZipFileSystem.h"

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaxEntries = 32;  // enough for every path; bounds one input's work

// The archive's bytes go to a file of this process, removed at exit.
class ArchiveFile {
public:
    ArchiveFile() : m_path("/tmp/varnok-zip-fuzz-" + std::to_string(getpid()) + ".zip") {}
    ~ArchiveFile() { std::remove(m_path.c_str()); }
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const std::string& ArchivePath() {
    static const ArchiveFile file;
    return file.Path();
}

bool WriteArchive(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(ArchivePath().c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

// The entry names as libzip lists them, so that the file system is asked for
// names it holds.
std::vector<std::string> EntryNames() {
    std::vector<std::string> names;
    int error = 0;
    zip_t* archive = zip_open(ArchivePath().c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        return names;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count && i < kMaxEntries; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        if (name != nullptr) {
            names.emplace_back(name);
        }
    }
    zip_discard(archive);
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteArchive(data, size)) {
        return 0;
    }
    const std::vector<std::string> names = EntryNames();
    Varnok::ZipFileSystem zip;
    if (!zip.Open(ArchivePath().c_str(), nullptr, "s3cret")) {
        return 0;
    }
    for (const std::string& name : names) {
        const int32_t size32 = zip.GetSize(name.c_str());
        uint8_t* whole = nullptr;
        int32_t length = 0;
        bool owns = false;
        if (zip.Load(name.c_str(), &whole, &length, &owns)) {
            if (length != size32 || !owns) {
                __builtin_trap();  // a whole read gives the declared size, owned
            }
            Varnok::FreeFileData(whole);
        }
        uint8_t buffer[16];
        uint8_t* part = buffer;
        length = sizeof buffer;
        if (zip.Load(name.c_str(), &part, &length, &owns) &&
            (part != buffer || owns || length > static_cast<int32_t>(sizeof buffer))) {
            __builtin_trap();  // a caller's buffer is filled, never replaced
        }
        if (auto stream = zip.Open(name.c_str(), Varnok::kOpenRead)) {
            stream->Read(buffer, sizeof buffer);
        }
    }
    return 0;
}
