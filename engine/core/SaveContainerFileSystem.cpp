// The save container's image: block allocation, file chains, validation of
// stored images and the whole-file save.
//
// Image layout (offsets in bytes, 32-bit little-endian words, N = image size):
//   0        offset of the newest file entry, 0 when there are none
//   4..15    free-list head node: size 0, unused, first free block (16 if none)
//   16..27   free-list tail node: size 0, last free block (4 if none), unused
//   28..N-5  blocks tiling the area; each starts with a 12-byte header:
//            size (bit 31 set when free), then previous and next, which link
//            the free list for a free block and the file's chain for a used one
//   N-4      0, an end marker that reads as a used block of size 0
// A file's first block carries its entry after the header {path hash, size,
// next entry}; the entry's offset is the block's plus 12. The file's bytes
// follow from block + 24, and from block + 12 in later blocks.
#include "engine/core/SaveContainerFileSystem.h"

#include "engine/core/FileUtil.h"
#include "engine/core/HashName.h"
#include "engine/core/Log.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace Varnok {

namespace {

constexpr int32_t kMinImageSize = 64;
constexpr int32_t kMaxImageSize = 16 * 1024 * 1024;

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void WriteLe32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t RoundUp4(uint32_t n) {
    return (n + 3u) & ~3u;
}

}  // namespace

// ---- ContainerStream ----

ContainerStream::ContainerStream(SaveContainerFileSystem* owner, uint32_t entry, int mode,
                                 int32_t sizeBeforeOpen)
    : FileStream(owner),
      m_container(owner),
      m_entry(entry),
      m_sizeAtOpen(owner->EntrySize(entry)),
      m_sizeBeforeOpen(sizeBeforeOpen),
      m_mode(mode) {}

ContainerStream::~ContainerStream() {
    Close();
}

void ContainerStream::Close() {
    if (m_closed) {
        return;
    }
    m_closed = true;
    if (m_dirty) {
        m_container->TrimChain(m_entry);
        m_dirty = false;
        // A failed save logs its own line and keeps the last good file on
        // disk; the image goes back to what that file holds, and the writer
        // learns it through IsPublished. With saving off the image stays for
        // this session; a container made from bytes saves nothing by design.
        if (!m_container->Save() && !m_container->m_memoryOnly) {
            if (!m_container->m_hostPath.IsEmpty()) {
                RestoreImageBeforeWrite();
            }
            SetPublishFailed();
        }
    } else if (m_writeRefused) {
        // A save that could not even start must not leave an empty file for
        // the next published image.
        m_container->SetEntrySize(m_entry, m_sizeBeforeOpen);
        SetPublishFailed();
    }
}

void ContainerStream::KeepImageBeforeWrite() {
    if (!m_keptImage) {
        m_imageBeforeWrite = m_container->m_image;
        m_keptImage = true;
    }
}

void ContainerStream::RestoreImageBeforeWrite() {
    if (m_keptImage && m_imageBeforeWrite.size() == m_container->m_image.size()) {
        m_container->m_image.swap(m_imageBeforeWrite);
    }
    m_container->SetEntrySize(m_entry, m_sizeBeforeOpen);
}

bool ContainerStream::Read(void* buffer, int32_t n) {
    if (m_closed || n < 0) {
        return false;
    }
    const int32_t left = std::max(0, m_container->EntrySize(m_entry) - m_position);
    const int32_t count = std::min(n, left);
    m_container->CopyBytes(m_entry, m_position, static_cast<uint8_t*>(buffer), count, false);
    m_position += count;
    return count == n;
}

bool ContainerStream::Write(const void* buffer, int32_t n) {
    if (m_closed || n < 0 || m_mode == kOpenRead) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    KeepImageBeforeWrite();
    const int64_t end = int64_t(m_position) + n;
    if (end > int64_t(m_container->m_image.size()) ||
        !m_container->EnsureCapacity(m_entry, static_cast<uint32_t>(end))) {
        Log("Save container %s is full: a write of %d bytes was refused",
            m_container->m_hostPath.c_str(), n);
        m_writeRefused = true;
        return false;
    }
    m_container->CopyBytes(m_entry, m_position,
                           const_cast<uint8_t*>(static_cast<const uint8_t*>(buffer)), n, true);
    m_position = static_cast<int32_t>(end);
    if (m_position > m_container->EntrySize(m_entry)) {
        m_container->SetEntrySize(m_entry, m_position);
    }
    m_dirty = true;
    return true;
}

bool ContainerStream::Seek(int origin, int32_t offset, bool clamp) {
    if (m_closed) {
        return false;
    }
    const int64_t size = m_container->EntrySize(m_entry);
    int64_t target = m_position;
    if (origin == kSeekStart) {
        target = offset;
    } else if (origin == kSeekCurrent) {
        target = int64_t(m_position) + offset;
    } else if (origin == kSeekEnd) {
        target = size - offset;
    }
    if (target < 0) {
        m_position = 0;
        return false;
    }
    if (target <= size) {
        m_position = static_cast<int32_t>(target);
        return true;
    }
    if (clamp || m_mode == kOpenRead) {
        // A read stream never changes the file.
        m_position = static_cast<int32_t>(size);
        return false;
    }
    KeepImageBeforeWrite();
    if (target > int64_t(m_container->m_image.size()) ||
        !m_container->EnsureCapacity(m_entry, static_cast<uint32_t>(target))) {
        Log("Save container %s is full: cannot grow a file to %lld bytes",
            m_container->m_hostPath.c_str(), static_cast<long long>(target));
        m_writeRefused = true;
        return false;
    }
    // Blocks hold whatever was there before; the gap must read as zeros.
    m_container->ZeroBytes(m_entry, static_cast<int32_t>(size), static_cast<int32_t>(target - size));
    m_container->SetEntrySize(m_entry, static_cast<int32_t>(target));
    m_position = static_cast<int32_t>(target);
    m_dirty = true;
    return true;
}

// ---- Loading and saving ----

bool SaveContainerFileSystem::SetImageSize(int32_t size) {
    if (size < kMinImageSize || size > kMaxImageSize || size % 4 != 0) {
        Log("Save container size %d is not usable", size);
        m_image.clear();
        return false;
    }
    m_image.assign(static_cast<size_t>(size), 0);
    return true;
}

void SaveContainerFileSystem::MakeEmptyImage() {
    const uint32_t n = static_cast<uint32_t>(m_image.size());
    std::fill(m_image.begin(), m_image.end(), 0);
    SetWord(kFirstEntryWord, 0);
    SetWord(kHeadNode + 8, kBlockArea);
    SetWord(kTailNode + 4, kBlockArea);
    SetWord(kBlockArea, (n - 32) | kFreeBit);
    SetWord(kBlockArea + 4, kHeadNode);
    SetWord(kBlockArea + 8, kTailNode);
    SetWord(n - 4, 0);
}

bool SaveContainerFileSystem::AcceptContainerBytes(const uint8_t* bytes, size_t length,
                                                   int32_t size) {
    if (bytes == nullptr || length < size_t(kChecksumSize) + size_t(size)) {
        return false;
    }
    std::copy(bytes + kChecksumSize, bytes + kChecksumSize + size, m_image.begin());
    return ReadLe32(bytes) == ComputeChecksum(m_image.data(), m_image.size()) && Validate();
}

bool SaveContainerFileSystem::LoadFromBytes(const uint8_t* bytes, size_t length, int32_t size) {
    m_hostPath = AsciiString();
    m_memoryOnly = true;
    if (!SetImageSize(size)) {
        return false;
    }
    if (AcceptContainerBytes(bytes, length, size)) {
        return true;
    }
    MakeEmptyImage();
    return false;
}

bool SaveContainerFileSystem::LoadContainer(const char* folder, const char* name, int32_t size) {
    m_memoryOnly = false;
    m_hostPath = folder != nullptr && folder[0] != '\0' ? JoinHostPath(folder, name)
                                                        : AsciiString(name);
    if (!SetImageSize(size)) {
        return false;
    }
    FILE* file = fopen(m_hostPath.c_str(), "rb");
    struct stat info {};
    if (file != nullptr && (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode))) {
        fclose(file);
        file = nullptr;
        errno = EISDIR;
    }
    if (file == nullptr) {
        const int error = errno;
        MakeEmptyImage();
        if (error != ENOENT) {
            // It may still hold the player's saves: never write over it.
            Log("Save container %s cannot be read (%s); saving is off", m_hostPath.c_str(),
                strerror(error));
            m_hostPath = AsciiString();
        }
        return false;
    }
    std::vector<uint8_t> bytes(size_t(kChecksumSize) + size_t(size));
    const size_t got = fread(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    if (AcceptContainerBytes(bytes.data(), got, size)) {
        return true;
    }
    // Keep the damaged file for repair instead of saving over it.
    AsciiString aside(m_hostPath);
    aside.Append(".bad");
    if (rename(m_hostPath.c_str(), aside.c_str()) == 0) {
        Log("Save container %s is damaged; kept as %s, starting empty", m_hostPath.c_str(),
            aside.c_str());
    } else {
        Log("Save container %s is damaged and cannot be set aside; saving is off",
            m_hostPath.c_str());
        m_hostPath = AsciiString();
    }
    MakeEmptyImage();
    return false;
}

uint32_t SaveContainerFileSystem::ComputeChecksum(const uint8_t* image, size_t size) {
    uint32_t sum = 0;
    for (size_t offset = 4; offset + 4 <= size; offset += 4) {
        sum += ReadLe32(image + offset);
    }
    return sum;
}

bool SaveContainerFileSystem::Save() {
    if (m_hostPath.IsEmpty() || m_image.empty()) {
        return false;
    }
    AsciiString temp = AsciiString::Substring(m_hostPath, 0, m_hostPath.Length() - 1);
    temp.Append("tmp");
    uint8_t checksum[kChecksumSize];
    WriteLe32(checksum, ComputeChecksum(m_image.data(), m_image.size()));

    FILE* file = fopen(temp.c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) {
        ok = fwrite(checksum, sizeof(checksum), 1, file) == 1 &&
             fwrite(m_image.data(), m_image.size(), 1, file) == 1 && fflush(file) == 0 &&
             SyncToDisk(file);
        ok = fclose(file) == 0 && ok;
    }
    if (!ok) {
        Log("Error writing save container %s; the stored copy is kept", temp.c_str());
        remove(temp.c_str());
        return false;
    }
    if (rename(temp.c_str(), m_hostPath.c_str()) != 0) {
        Log("Error renaming file %s", m_hostPath.c_str());
        remove(temp.c_str());
        return false;
    }
    return true;
}

// ---- Validation ----

bool SaveContainerFileSystem::IsImageValid() const {
    return !m_image.empty() && Validate();
}

// Everything the operations rely on, so that no stored image can lead them
// outside the image or into a loop: blocks tile the area, the free list holds
// exactly the free blocks with consistent links, and every file's chain runs
// through used blocks that no other file shares and can hold its size.
bool SaveContainerFileSystem::Validate() const {
    const uint32_t n = static_cast<uint32_t>(m_image.size());
    if (n < uint32_t(kMinImageSize) || Word(n - 4) != 0) {
        return false;
    }
    constexpr uint8_t kNone = 0, kFreeBlock = 1, kUsedBlock = 2, kListed = 3, kClaimed = 4;
    std::vector<uint8_t> kind(n / 4, kNone);
    auto kindAt = [&](uint32_t offset) -> uint8_t {
        return (offset % 4 == 0 && offset < n) ? kind[offset / 4] : kNone;
    };

    uint32_t at = kBlockArea;
    while (at < EndMarker()) {
        const uint32_t size = BlockSize(at);
        if (size < kHeaderSize || size % 4 != 0 || size > EndMarker() - at) {
            return false;
        }
        kind[at / 4] = IsFree(at) ? kFreeBlock : kUsedBlock;
        at += size;
    }

    uint32_t previous = kHeadNode;
    for (uint32_t block = Word(kHeadNode + 8); block != kTailNode; block = Next(block)) {
        if (kindAt(block) != kFreeBlock || Prev(block) != previous) {
            return false;
        }
        kind[block / 4] = kListed;
        previous = block;
    }
    if (Word(kTailNode + 4) != previous ||
        std::find(kind.begin(), kind.end(), kFreeBlock) != kind.end()) {
        return false;
    }

    for (uint32_t entry = Word(kFirstEntryWord); entry != 0; entry = Word(entry + 8)) {
        if (entry < kBlockArea + kHeaderSize || entry % 4 != 0) {
            return false;
        }
        const int32_t fileSize = EntrySize(entry);
        int64_t capacity = 0;
        uint32_t chainPrevious = 0;
        bool first = true;
        for (uint32_t block = entry - kHeaderSize; block != 0; block = Next(block)) {
            if (kindAt(block) != kUsedBlock || Prev(block) != chainPrevious ||
                (first && BlockSize(block) < kHeaderSize + kEntrySize)) {
                return false;
            }
            kind[block / 4] = kClaimed;
            capacity += Capacity(block, first);
            chainPrevious = block;
            first = false;
        }
        if (fileSize < 0 || fileSize > capacity) {
            return false;
        }
    }
    return true;
}

// ---- Words, entries and bytes ----

uint32_t SaveContainerFileSystem::Word(uint32_t offset) const {
    if (offset % 4 != 0 || m_image.size() < 4 || offset > m_image.size() - 4) {
        return 0;  // never reached through a valid image
    }
    return ReadLe32(m_image.data() + offset);
}

void SaveContainerFileSystem::SetWord(uint32_t offset, uint32_t value) {
    if (offset % 4 != 0 || m_image.size() < 4 || offset > m_image.size() - 4) {
        return;
    }
    WriteLe32(m_image.data() + offset, value);
}

uint32_t SaveContainerFileSystem::FindEntry(const char* path) const {
    if (path == nullptr || m_image.empty()) {
        return 0;
    }
    const uint32_t hash = HashPath(path);
    for (uint32_t entry = Word(kFirstEntryWord); entry != 0; entry = Word(entry + 8)) {
        if (Word(entry) == hash) {
            return entry;
        }
    }
    return 0;
}

uint32_t SaveContainerFileSystem::Capacity(uint32_t block, bool first) const {
    const uint32_t header = first ? kHeaderSize + kEntrySize : kHeaderSize;
    const uint32_t size = BlockSize(block);
    return size > header ? size - header : 0;
}

uint32_t SaveContainerFileSystem::ChainCapacity(uint32_t entry, uint32_t* outLast) const {
    uint32_t capacity = 0;
    uint32_t last = entry - kHeaderSize;
    bool first = true;
    for (uint32_t block = last; block != 0; block = Next(block)) {
        capacity += Capacity(block, first);
        last = block;
        first = false;
    }
    *outLast = last;
    return capacity;
}

void SaveContainerFileSystem::CopyBytes(uint32_t entry, int32_t from, uint8_t* buffer, int32_t n,
                                        bool toImage) {
    int64_t fileOffset = 0;  // of the current block's first byte
    bool first = true;
    for (uint32_t block = entry - kHeaderSize; block != 0 && n > 0; block = Next(block)) {
        const uint32_t capacity = Capacity(block, first);
        if (from < fileOffset + capacity) {
            const uint32_t inBlock = static_cast<uint32_t>(from - fileOffset);
            const int32_t count = static_cast<int32_t>(std::min<int64_t>(capacity - inBlock, n));
            uint8_t* image = m_image.data() + DataStart(block, first) + inBlock;
            if (buffer == nullptr) {
                memset(image, 0, static_cast<size_t>(count));
            } else if (toImage) {
                memcpy(image, buffer, static_cast<size_t>(count));
                buffer += count;
            } else {
                memcpy(buffer, image, static_cast<size_t>(count));
                buffer += count;
            }
            from += count;
            n -= count;
        }
        fileOffset += capacity;
        first = false;
    }
}

void SaveContainerFileSystem::ZeroBytes(uint32_t entry, int32_t from, int32_t n) {
    CopyBytes(entry, from, nullptr, n, true);
}

// ---- Block allocation ----

void SaveContainerFileSystem::Unlink(uint32_t block) {
    const uint32_t previous = Prev(block);
    const uint32_t next = Next(block);
    SetWord(previous + 8, next);
    SetWord(next + 4, previous);
}

void SaveContainerFileSystem::ReplaceInList(uint32_t replaced, uint32_t block, uint32_t size) {
    const uint32_t previous = Prev(replaced);
    const uint32_t next = Next(replaced);
    SetWord(block, size | kFreeBit);
    SetWord(block + 4, previous);
    SetWord(block + 8, next);
    SetWord(previous + 8, block);
    SetWord(next + 4, block);
}

void SaveContainerFileSystem::PushFront(uint32_t first, uint32_t last) {
    const uint32_t oldFirst = Word(kHeadNode + 8);
    SetWord(first + 4, kHeadNode);
    SetWord(last + 8, oldFirst);
    SetWord(oldFirst + 4, last);
    SetWord(kHeadNode + 8, first);
}

uint32_t SaveContainerFileSystem::Allocate(uint32_t bytes) {
    uint32_t block = Word(kHeadNode + 8);
    while (block != kTailNode && block != 0) {
        uint32_t size = BlockSize(block);
        bool grew = false;
        // Adjacent free blocks merge into this one only when it is too small.
        while (size < bytes) {
            const uint32_t after = block + size;
            if (after >= EndMarker() || !IsFree(after)) {
                break;
            }
            Unlink(after);
            size += BlockSize(after);
            grew = true;
        }
        if (size < bytes) {
            if (grew) {
                SetWord(block, size | kFreeBit);
            }
            block = Next(block);
            continue;
        }
        if (size < bytes + kMinSplit) {
            Unlink(block);
            SetWord(block, size);
        } else {
            ReplaceInList(block, block + bytes, size - bytes);
            SetWord(block, bytes);
        }
        return block;
    }
    return 0;
}

bool SaveContainerFileSystem::EnsureCapacity(uint32_t entry, uint32_t bytes) {
    uint32_t last = 0;
    const uint32_t capacity = ChainCapacity(entry, &last);
    if (capacity >= bytes) {
        return true;
    }
    uint32_t needed = RoundUp4(bytes - capacity);
    // Grow the last block in place over the free blocks that follow it.
    while (needed > 0) {
        const uint32_t after = last + BlockSize(last);
        if (after >= EndMarker() || !IsFree(after)) {
            break;
        }
        const uint32_t afterSize = BlockSize(after);
        if (afterSize < needed + kMinSplit) {
            Unlink(after);
            SetWord(last, BlockSize(last) + afterSize);
            needed = afterSize >= needed ? 0 : needed - afterSize;
        } else {
            ReplaceInList(after, after + needed, afterSize - needed);
            SetWord(last, BlockSize(last) + needed);
            needed = 0;
        }
    }
    if (needed == 0) {
        return true;
    }
    const uint32_t block = Allocate(needed + kHeaderSize);
    if (block == 0) {
        return false;  // what grew in place stays with the file; the image is still whole
    }
    SetWord(block + 4, last);
    SetWord(block + 8, 0);
    SetWord(last + 8, block);
    return true;
}

void SaveContainerFileSystem::TrimChain(uint32_t entry) {
    const int64_t size = EntrySize(entry);
    int64_t fileOffset = 0;
    bool first = true;
    uint32_t block = entry - kHeaderSize;
    // The block holding the file's last byte (the first block for an empty file).
    while (fileOffset + Capacity(block, first) < size && Next(block) != 0) {
        fileOffset += Capacity(block, first);
        block = Next(block);
        first = false;
    }
    const uint32_t header = first ? kHeaderSize + kEntrySize : kHeaderSize;
    const uint32_t keep = header + RoundUp4(static_cast<uint32_t>(size - fileOffset));
    const uint32_t blockSize = BlockSize(block);
    if (blockSize >= keep + kMinSplit) {
        const uint32_t rest = block + keep;
        SetWord(block, keep);
        SetWord(rest, (blockSize - keep) | kFreeBit);
        PushFront(rest, rest);
    }
    const uint32_t tail = Next(block);
    SetWord(block + 8, 0);
    if (tail == 0) {
        return;
    }
    // The chain's own links become the free list's: set the free bits and
    // splice the whole run in at the front.
    uint32_t last = tail;
    for (uint32_t b = tail; b != 0; b = Next(b)) {
        SetWord(b, BlockSize(b) | kFreeBit);
        last = b;
    }
    PushFront(tail, last);
}

// ---- FileSystem operations ----

bool SaveContainerFileSystem::Exists(const char* path) {
    return FindEntry(path) != 0;
}

int32_t SaveContainerFileSystem::GetSize(const char* path) {
    const uint32_t entry = FindEntry(path);
    return entry != 0 ? EntrySize(entry) : -1;
}

bool SaveContainerFileSystem::Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
                                   bool* outOwnsData) {
    const uint32_t entry = FindEntry(path);
    if (entry == 0) {
        return false;
    }
    const int32_t size = EntrySize(entry);
    if (*inOutData == nullptr) {
        uint8_t* data = static_cast<uint8_t*>(std::malloc(size > 0 ? size_t(size) : 1));
        if (data == nullptr) {
            return false;
        }
        CopyBytes(entry, 0, data, size, false);
        *inOutData = data;
        *inOutLength = size;
        *outOwnsData = true;
        return true;
    }
    const int32_t want = std::max(0, std::min(*inOutLength, size));
    CopyBytes(entry, 0, *inOutData, want, false);
    *inOutLength = want;
    *outOwnsData = false;
    return true;
}

std::unique_ptr<FileStream> SaveContainerFileSystem::Open(const char* path, int mode) {
    if (path == nullptr || m_image.empty()) {
        return nullptr;
    }
    uint32_t entry = FindEntry(path);
    if (entry == 0) {
        if (mode == kOpenRead) {
            return nullptr;
        }
        const uint32_t block = Allocate(kHeaderSize + kEntrySize);
        if (block == 0) {
            Log("Save container %s is full: cannot create %s", m_hostPath.c_str(), path);
            return nullptr;
        }
        SetWord(block + 4, 0);
        SetWord(block + 8, 0);
        entry = block + kHeaderSize;
        SetWord(entry, HashPath(path));
        SetWord(entry + 4, 0);
        SetWord(entry + 8, Word(kFirstEntryWord));
        SetWord(kFirstEntryWord, entry);
    }
    const int32_t sizeBeforeOpen = EntrySize(entry);
    if (mode != kOpenRead) {
        SetEntrySize(entry, 0);
    }
    return std::make_unique<ContainerStream>(this, entry, mode, sizeBeforeOpen);
}

}  // namespace Varnok
