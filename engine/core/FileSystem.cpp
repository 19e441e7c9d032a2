// The registry of mounted file systems, the file-layer lock and the key of
// scrambled data files.
#include "engine/core/FileSystem.h"

#include "engine/core/CString.h"
#include "engine/core/HashName.h"
#include "engine/core/Mutex.h"

#include <array>
#include <atomic>
#include <cstdlib>

namespace Varnok {

namespace {

// Our own key for scrambled data files: 255 bytes from a fixed LCG, so that
// writing and reading agree without a table in the source.
constexpr std::array<uint8_t, kScrambleTableSize> MakeScrambleTable() {
    std::array<uint8_t, kScrambleTableSize> table{};
    uint32_t state = 0x5A17C0DEu;
    for (int i = 0; i < kScrambleTableSize; ++i) {
        state = state * 1664525u + 1013904223u;
        table[i] = static_cast<uint8_t>(state >> 24);
    }
    return table;
}

constexpr std::array<uint8_t, kScrambleTableSize> kScrambleTable = MakeScrambleTable();

std::atomic<bool> g_scrambledData{false};

Mutex& FileLayerMutex() {
    static Mutex mutex;
    return mutex;
}

bool KeyMatches(const FileSystem& fileSystem, uint32_t key) {
    return key == 0 || fileSystem.GetKey() == key;
}

}  // namespace

void FreeFileData(uint8_t* data) {
    std::free(data);
}

uint32_t FileSystemKey(const char* mountName) {
    return mountName == nullptr ? 0 : HashName(mountName, StrLength(mountName));
}

FileSystemRegistry& FileSystemRegistry::Get() {
    static FileSystemRegistry registry;
    return registry;
}

FileSystem* FileSystemRegistry::Add(std::unique_ptr<FileSystem> fileSystem, uint32_t key,
                                    int32_t priority) {
    if (!fileSystem) {
        return nullptr;
    }
    fileSystem->m_key = key;
    fileSystem->m_priority = priority;
    auto at = m_fileSystems.begin();
    while (at != m_fileSystems.end() && (*at)->m_priority >= priority) {
        ++at;
    }
    return m_fileSystems.insert(at, std::move(fileSystem))->get();
}

FileSystem* FileSystemRegistry::Find(uint32_t key) const {
    for (const auto& fileSystem : m_fileSystems) {
        if (fileSystem->m_key == key) {
            return fileSystem.get();
        }
    }
    return nullptr;
}

void FileSystemRegistry::Remove(FileSystem* fileSystem) {
    for (auto it = m_fileSystems.begin(); it != m_fileSystems.end(); ++it) {
        if (it->get() == fileSystem) {
            m_fileSystems.erase(it);
            return;
        }
    }
}

void FileSystemRegistry::Clear() {
    m_fileSystems.clear();
}

bool FileSystemRegistry::Exists(const char* path, uint32_t key) const {
    for (const auto& fileSystem : m_fileSystems) {
        if (KeyMatches(*fileSystem, key) && fileSystem->Exists(path)) {
            return true;
        }
    }
    return false;
}

int32_t FileSystemRegistry::GetSize(const char* path, uint32_t key) const {
    for (const auto& fileSystem : m_fileSystems) {
        if (!KeyMatches(*fileSystem, key)) {
            continue;
        }
        const int32_t size = fileSystem->GetSize(path);
        if (size != -1) {
            return size;
        }
    }
    return -1;
}

bool FileSystemRegistry::Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
                              uint32_t key, bool* outOwnsData) const {
    for (const auto& fileSystem : m_fileSystems) {
        if (KeyMatches(*fileSystem, key) &&
            fileSystem->Load(path, inOutData, inOutLength, outOwnsData)) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<FileStream> FileSystemRegistry::Open(const char* path, int mode,
                                                     uint32_t key) const {
    for (const auto& fileSystem : m_fileSystems) {
        if (!KeyMatches(*fileSystem, key)) {
            continue;
        }
        std::unique_ptr<FileStream> stream = fileSystem->Open(path, mode);
        if (stream) {
            return stream;
        }
    }
    return nullptr;
}

bool FileExists(const char* path, uint32_t key) {
    return FileSystemRegistry::Get().Exists(path, key);
}

int32_t FileGetSize(const char* path, uint32_t key) {
    return FileSystemRegistry::Get().GetSize(path, key);
}

void LockFileLayer() {
    FileLayerMutex().Lock();
}

void UnlockFileLayer() {
    FileLayerMutex().Unlock();
}

void SetScrambledData(bool enabled) {
    g_scrambledData.store(enabled);
}

bool IsScrambledData() {
    return g_scrambledData.load();
}

uint8_t ScrambleByte(int64_t position) {
    const int64_t index = position % kScrambleTableSize;
    return kScrambleTable[static_cast<size_t>(index < 0 ? index + kScrambleTableSize : index)];
}

}  // namespace Varnok
