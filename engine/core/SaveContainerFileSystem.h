// A fixed-size save container: one host file ("save2.bin") holding a small
// block-allocated file system image, rewritten whole whenever a written file
// is closed. Files are found by the path hash; names are not stored.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class SaveContainerFileSystem;

// A stream on one container entry. Must not outlive its file system.
class ContainerStream : public FileStream {
public:
    // sizeBeforeOpen: what the file held before a write stream emptied it.
    ContainerStream(SaveContainerFileSystem* owner, uint32_t entry, int mode, int32_t sizeBeforeOpen = 0);
    ~ContainerStream() override;

    // The file's size when the stream was opened.
    int32_t GetLength() override { return m_sizeAtOpen; }
    // When something was written: trims the file's blocks and saves the
    // container; when that save fails, the image goes back to what the host
    // file still holds and IsPublished() answers false. When a write was
    // refused before anything was written, the file gets its old size back:
    // its blocks were never touched, so nothing is lost.
    void Close() override;
    // Copies what is left up to n; true only when all n bytes were there.
    [[nodiscard]] bool Read(void* buffer, int32_t n) override;
    // Fails, writing nothing, when the container has no room.
    [[nodiscard]] bool Write(const void* buffer, int32_t n) override;
    // Past the end a read stream stops at the end; a write stream grows.
    bool Seek(int origin, int32_t offset) override { return Seek(origin, offset, m_mode == kOpenRead); }
    // From the end the offset counts back (size - offset). A negative position
    // becomes 0 (false). Past the end: with clamp the position becomes the end
    // (false); without, the file grows zero-filled (false when there is no room).
    bool Seek(int origin, int32_t offset, bool clamp);
    int32_t Tell() override { return m_position; }

private:
    // The image as it was before this stream's first change. With two write
    // streams open at once, the one whose save fails undoes the other's
    // unsaved bytes too; the game writes one file at a time.
    void KeepImageBeforeWrite();
    void RestoreImageBeforeWrite();

    SaveContainerFileSystem* m_container;
    std::vector<uint8_t> m_imageBeforeWrite;
    bool m_keptImage = false;
    uint32_t m_entry;         // image offset of the file entry
    int32_t m_sizeAtOpen;
    int32_t m_sizeBeforeOpen;
    int32_t m_position = 0;
    int m_mode;
    bool m_dirty = false;
    bool m_writeRefused = false;
    bool m_closed = false;
};

class SaveContainerFileSystem : public FileSystem {
public:
    static constexpr int32_t kGameImageSize = 102400;
    static constexpr int32_t kChecksumSize = 4;

    SaveContainerFileSystem() = default;

    // Reads folder/name: 4 checksum bytes, then `size` image bytes. Missing:
    // an empty image. Damaged (short, wrong checksum, inconsistent): one log
    // line, the file is renamed to "<name>.bad" and an empty image starts.
    // Nothing is written here. True when a stored container was taken.
    bool LoadContainer(const char* folder, const char* name, int32_t size);
    // The same check over container file bytes held in memory; no host file is
    // involved and closing a written stream saves nothing.
    bool LoadFromBytes(const uint8_t* bytes, size_t length, int32_t size);

    bool Exists(const char* path) override;
    int32_t GetSize(const char* path) override;
    [[nodiscard]] bool Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
                            bool* outOwnsData) override;
    // Writing creates a missing file, or empties an existing one at once (its
    // blocks are released when a stream that wrote closes, and it gets its old
    // size back when the stream's first write was refused). Null when reading
    // a missing file or when there is no room for a new one.
    std::unique_ptr<FileStream> Open(const char* path, int mode) override;
    // Files in the container are never removed.
    bool Delete(const char* path) override { (void)path; return false; }

    // Writes checksum and image through "<path minus last char>tmp", renamed
    // over the host file once complete. False (logged) when that fails.
    [[nodiscard]] bool Save();

    // The sum mod 2^32 of every 32-bit word of the image but the first.
    static uint32_t ComputeChecksum(const uint8_t* image, size_t size);
    // Whether the current image is consistent (what loading checks).
    bool IsImageValid() const;
    const std::vector<uint8_t>& GetImage() const { return m_image; }
    const AsciiString& GetHostPath() const { return m_hostPath; }

private:
    friend class ContainerStream;

    // Block header offsets and flags of the image layout.
    static constexpr uint32_t kFreeBit = 0x80000000u;
    static constexpr uint32_t kFirstEntryWord = 0;
    static constexpr uint32_t kHeadNode = 4;   // free list head pseudo-block
    static constexpr uint32_t kTailNode = 16;  // free list tail pseudo-block
    static constexpr uint32_t kBlockArea = 28;
    static constexpr uint32_t kHeaderSize = 12;
    static constexpr uint32_t kEntrySize = 12;
    static constexpr uint32_t kMinSplit = 16;  // smallest free block a split leaves

    bool AcceptContainerBytes(const uint8_t* bytes, size_t length, int32_t size);
    bool SetImageSize(int32_t size);
    void MakeEmptyImage();
    bool Validate() const;

    uint32_t Word(uint32_t offset) const;
    void SetWord(uint32_t offset, uint32_t value);
    uint32_t BlockSize(uint32_t block) const { return Word(block) & ~kFreeBit; }
    bool IsFree(uint32_t block) const { return (Word(block) & kFreeBit) != 0; }
    uint32_t Prev(uint32_t block) const { return Word(block + 4); }
    uint32_t Next(uint32_t block) const { return Word(block + 8); }
    uint32_t EndMarker() const { return static_cast<uint32_t>(m_image.size()) - 4; }

    uint32_t FindEntry(const char* path) const;
    int32_t EntrySize(uint32_t entry) const { return static_cast<int32_t>(Word(entry + 4)); }
    void SetEntrySize(uint32_t entry, int32_t size) { SetWord(entry + 4, static_cast<uint32_t>(size)); }
    // Where a block's bytes start, and how many it holds.
    uint32_t DataStart(uint32_t block, bool first) const { return block + (first ? 24 : 12); }
    uint32_t Capacity(uint32_t block, bool first) const;
    uint32_t ChainCapacity(uint32_t entry, uint32_t* outLast) const;
    // Copies between buffer and the file's bytes [from, from + n); the chain
    // must already hold them.
    void CopyBytes(uint32_t entry, int32_t from, uint8_t* buffer, int32_t n, bool toImage);
    void ZeroBytes(uint32_t entry, int32_t from, int32_t n);

    void Unlink(uint32_t block);
    // Puts a free block at `block` of `size` bytes in place of `replaced` in the list.
    void ReplaceInList(uint32_t replaced, uint32_t block, uint32_t size);
    void PushFront(uint32_t first, uint32_t last);
    uint32_t Allocate(uint32_t bytes);
    bool EnsureCapacity(uint32_t entry, uint32_t bytes);
    // Shrinks the chain to what the file's size needs and frees the rest.
    void TrimChain(uint32_t entry);

    AsciiString m_hostPath;  // empty: never saved
    std::vector<uint8_t> m_image;
    bool m_memoryOnly = false;  // made from bytes: a save stores nothing on purpose
};

}  // namespace Varnok
