// A file system over a host folder (the bundle, the documents folder), and
// its stdio stream. Written files appear only once complete.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/FileSystem.h"

#include <cstdint>
#include <cstdio>
#include <memory>

namespace Varnok {

// A C stdio file. A write stream works on "<target>tmp" and renames it over the
// target on Close, but only when every write and the close succeeded;
// otherwise the old target stays and the temporary file is removed.
class StdioStream : public FileStream {
public:
    // Takes the open file. `openedPath` is the path it was opened on.
    StdioStream(FileSystem* owner, FILE* file, int mode, const char* openedPath);
    ~StdioStream() override;

    int32_t GetLength() override { return m_length; }
    void Close() override;
    [[nodiscard]] bool Read(void* buffer, int32_t n) override;
    // Byte i is XORed with the scramble key at (position + i).
    [[nodiscard]] bool WriteScrambled(const void* buffer, int32_t n) override;
    [[nodiscard]] bool Write(const void* buffer, int32_t n) override;
    bool Seek(int origin, int32_t offset) override;
    int32_t Tell() override { return m_position; }

private:
    void SyncPosition();

    int32_t m_length = 0;  // measured at open
    int32_t m_position = 0;
    FILE* m_file;
    int m_mode;
    AsciiString m_path;
    bool m_failed = false;  // a write went wrong: the target must not be replaced
};

class DirectoryFileSystem : public FileSystem {
public:
    DirectoryFileSystem() = default;
    DirectoryFileSystem(const char* root, bool readOnly) { SetRoot(root, readOnly); }

    // Null or empty: names are host paths as they stand.
    void SetRoot(const char* root, bool readOnly);
    // The host path of a name, spelled as given.
    AsciiString ResolvePath(const char* name) const;

    bool Exists(const char* path) override;
    int32_t GetSize(const char* path) override;
    // An empty file loads with length 0.
    [[nodiscard]] bool Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
                            bool* outOwnsData) override;
    // Mode 0 reads; 1 reopens an existing "<path>tmp"; others create it, and
    // the folders above it when missing. Read-only: null for writing.
    std::unique_ptr<FileStream> Open(const char* path, int mode) override;
    bool Delete(const char* path) override;

private:
    // ResolvePath, except that a missing part is looked up case-blind in its
    // folder: names in the engine are case-blind, host names are not.
    AsciiString FindHostPath(const char* name) const;

    AsciiString m_root;
    bool m_hasRoot = false;
    bool m_readOnly = false;
};

}  // namespace Varnok
