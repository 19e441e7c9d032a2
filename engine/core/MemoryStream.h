// A read-only stream over a whole file held in memory (a zip entry).
#pragma once

#include "engine/core/FileSystem.h"

#include <cstdint>

namespace Varnok {

class MemoryStream : public FileStream {
public:
    // Takes `data`, a block from std::malloc (FreeFileData frees it).
    MemoryStream(FileSystem* owner, uint8_t* data, int32_t size);
    ~MemoryStream() override;

    int32_t GetLength() override { return m_size; }
    void Close() override;
    // Copies what is left up to n; true only when all n bytes were there.
    [[nodiscard]] bool Read(void* buffer, int32_t n) override;
    [[nodiscard]] bool Write(const void* /*buffer*/, int32_t /*n*/) override { return false; }
    // From the end the offset counts back (size - offset). Any position from 0
    // to the size is taken; past the size it stops at the size, and a negative
    // one is refused; both answer false.
    bool Seek(int origin, int32_t offset) override;
    int32_t Tell() override { return m_position; }

private:
    uint8_t* m_data;
    int32_t m_size;
    int32_t m_position = 0;
};

}  // namespace Varnok
