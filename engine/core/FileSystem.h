// The file-system and stream interfaces, and the one registry of mounted file
// systems through which every file of the engine is found.
#pragma once

#include "engine/core/FilePath.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class FileSystem;

// Open modes: reading needs an existing file; every other mode writes.
constexpr int kOpenRead = 0;
constexpr int kOpenUpdate = 1;  // directory file system: reopen an existing temp file
constexpr int kOpenWrite = 7;   // what the engine's own writers pass

// Seek origins. From the end, the container and memory streams count the
// offset back (size - offset); the stdio stream adds it as fseek does.
constexpr int kSeekStart = 0;
constexpr int kSeekCurrent = 1;
constexpr int kSeekEnd = 2;

// Blocks that Load allocates come from std::malloc and go back with FreeFileData.
void FreeFileData(uint8_t* data);

class FileStream {
public:
    explicit FileStream(FileSystem* owner) : m_owner(owner) {}
    virtual ~FileStream() = default;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    virtual int32_t GetLength() = 0;
    // Ends the stream; a write stream publishes its file here. Safe to repeat.
    virtual void Close() = 0;
    // True only when all n bytes were read.
    [[nodiscard]] virtual bool Read(void* buffer, int32_t n) = 0;
    // Writes the bytes scrambled for the stream position; unsupported by default.
    [[nodiscard]] virtual bool WriteScrambled(const void* /*buffer*/, int32_t /*n*/) {
        return false;
    }
    [[nodiscard]] virtual bool Write(const void* buffer, int32_t n) = 0;
    virtual bool Seek(int origin, int32_t offset) = 0;
    virtual int32_t Tell() = 0;

    // The file system the stream came from; it must outlive the stream.
    FileSystem* GetFileSystem() const { return m_owner; }

    // False once a Close could not publish what was written (the file's
    // previous contents were kept): a writer must not report success then.
    bool IsPublished() const { return !m_publishFailed; }

protected:
    void SetPublishFailed() { m_publishFailed = true; }

private:
    FileSystem* m_owner;
    bool m_publishFailed = false;
};

class FileSystem {
public:
    FileSystem() = default;
    virtual ~FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    virtual bool Exists(const char* path) = 0;
    // Bytes, or -1 when the file is absent.
    virtual int32_t GetSize(const char* path) = 0;
    // With *inOutData null, allocates a block of the file's size (free it with
    // FreeFileData), sets *outOwnsData and *inOutLength to the size. With a
    // caller's buffer, reads at most *inOutLength bytes, sets *inOutLength to
    // the count read and clears *outOwnsData. On failure nothing stays allocated
    // and *inOutData is what the caller passed (null when it was null).
    [[nodiscard]] virtual bool Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
                                    bool* outOwnsData) = 0;
    // A new stream, or null.
    virtual std::unique_ptr<FileStream> Open(const char* path, int mode) = 0;
    virtual bool Delete(const char* path) = 0;

    uint32_t GetKey() const { return m_key; }
    int32_t GetPriority() const { return m_priority; }

private:
    friend class FileSystemRegistry;
    uint32_t m_key = 0;      // the name hash of the mount name
    int32_t m_priority = 0;
};

// The key of a mount name ("base", "saveBin", ...).
uint32_t FileSystemKey(const char* mountName);

// Mounted file systems in descending priority; equal priorities keep the order
// in which they were added. Key 0 in a query means any file system. Main
// thread only: the registry is not locked.
class FileSystemRegistry {
public:
    FileSystemRegistry() = default;
    FileSystemRegistry(const FileSystemRegistry&) = delete;
    FileSystemRegistry& operator=(const FileSystemRegistry&) = delete;

    // The process-wide registry.
    static FileSystemRegistry& Get();

    // Takes ownership; null is ignored. Returns the mounted file system.
    FileSystem* Add(std::unique_ptr<FileSystem> fileSystem, uint32_t key, int32_t priority);
    // The first mount with that key, or null.
    FileSystem* Find(uint32_t key) const;
    // Unmounts and deletes; a file system that is not mounted is left alone.
    void Remove(FileSystem* fileSystem);
    void Clear();
    int Count() const { return static_cast<int>(m_fileSystems.size()); }

    bool Exists(const char* path, uint32_t key) const;
    int32_t GetSize(const char* path, uint32_t key) const;
    [[nodiscard]] bool Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
                            uint32_t key, bool* outOwnsData) const;
    std::unique_ptr<FileStream> Open(const char* path, int mode, uint32_t key) const;

private:
    std::vector<std::unique_ptr<FileSystem>> m_fileSystems;
};

bool FileExists(const char* path, uint32_t key);
int32_t FileGetSize(const char* path, uint32_t key);

// One recursive lock for the file layer; the zip file system holds it around
// every read from its archive.
void LockFileLayer();
void UnlockFileLayer();

// ---- Scrambled data files ----
// While set, ".xml" files are descrambled on load and written scrambled.
// Clear at start-up, and nothing in the game sets it.
void SetScrambledData(bool enabled);
bool IsScrambledData();

constexpr int kScrambleTableSize = 255;
// The key byte for position i of a scrambled file: table[i mod 255].
uint8_t ScrambleByte(int64_t position);

}  // namespace Varnok
