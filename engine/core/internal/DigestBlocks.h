// The block handling SHA-256 and SHA-512 share: input is buffered into
// whole blocks for the compression function, and the last block is padded
// with the 0x80 marker and zeros up to the length field.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Varnok {

// `buffer` holds kBlockSize bytes of which `used` are waiting from earlier
// updates. Whole blocks of the input skip the buffer.
template <size_t kBlockSize, typename Compress>
void FeedDigestBlocks(uint8_t* buffer, size_t used, const uint8_t* in, size_t length, Compress compress) {
    while (length > 0) {
        if (used == 0 && length >= kBlockSize) {
            compress(in);
            in += kBlockSize;
            length -= kBlockSize;
            continue;
        }
        const size_t take = std::min(length, kBlockSize - used);
        std::memcpy(buffer + used, in, take);
        used += take;
        in += take;
        length -= take;
        if (used == kBlockSize) {
            compress(buffer);
            used = 0;
        }
    }
}

// Leaves the buffer ready for the caller to write the big-endian length into
// its last kLengthBytes and compress it once more.
template <size_t kBlockSize, size_t kLengthBytes, typename Compress>
void PadDigestBlock(uint8_t* buffer, size_t used, Compress compress) {
    buffer[used++] = 0x80;
    if (used > kBlockSize - kLengthBytes) {
        std::memset(buffer + used, 0, kBlockSize - used);
        compress(buffer);
        used = 0;
    }
    std::memset(buffer + used, 0, kBlockSize - kLengthBytes - used);
}

}  // namespace Varnok
