// Feeds arbitrary bytes to the save-container loader, then uses whatever it
// accepted: no stored image may lead reads, writes or growth out of bounds,
// and what was accepted must still be consistent afterwards.
#include "engine/core/SaveContainerFileSystem.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using Varnok::SaveContainerFileSystem;

namespace {

const char* const kNames[] = {"save.xml", "items.xml", "a", "services/cache.json"};

void Exercise(SaveContainerFileSystem& container, const uint8_t* data, size_t size) {
    for (const char* name : kNames) {
        (void)container.GetSize(name);
        uint8_t* loaded = nullptr;
        int32_t length = 0;
        bool owns = false;
        if (container.Load(name, &loaded, &length, &owns)) {
            Varnok::FreeFileData(loaded);
        }
        auto reader = container.Open(name, Varnok::kOpenRead);
        if (reader) {
            uint8_t buffer[256];
            while (reader->Read(buffer, sizeof(buffer))) {
            }
            (void)reader->Seek(Varnok::kSeekEnd, 3);
            (void)reader->Seek(Varnok::kSeekStart, 1 << 20);
        }
    }
    // Rewrite one file with bytes from the input, growing it past the end.
    auto writer = container.Open(kNames[size % 4], Varnok::kOpenWrite);
    if (writer) {
        (void)writer->Write(data, static_cast<int32_t>(size < 3000 ? size : 3000));
        (void)writer->Seek(Varnok::kSeekStart, static_cast<int32_t>(size * 3));
        (void)writer->Write(data, static_cast<int32_t>(size / 2));
        writer->Close();
    }
    if (!container.IsImageValid()) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const uint8_t mode = data[0];
    data += 1;
    size -= 1;
    SaveContainerFileSystem container;
    if (mode & 1) {
        // Raw container file bytes: the stored checksum must match.
        const int32_t imageSize = static_cast<int32_t>(size >= 4 ? (size - 4) & ~size_t(3) : 0);
        (void)container.LoadFromBytes(data, size, imageSize > 65536 ? 65536 : imageSize);
    } else {
        // The input is the image: give it a correct checksum so that the
        // structural checks are what gets exercised.
        const size_t imageSize = size & ~size_t(3);
        if (imageSize < 64 || imageSize > 65536) {
            return 0;
        }
        std::vector<uint8_t> file(imageSize + 4);
        memcpy(file.data() + 4, data, imageSize);
        const uint32_t sum = SaveContainerFileSystem::ComputeChecksum(file.data() + 4, imageSize);
        memcpy(file.data(), &sum, 4);
        (void)container.LoadFromBytes(file.data(), file.size(), static_cast<int32_t>(imageSize));
    }
    if (container.IsImageValid()) {
        Exercise(container, data, size);
    }
    return 0;
}
