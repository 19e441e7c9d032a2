// PNG bytes through the launch-image reader: any input gives pixels of the
// size it claims or a refusal, never a crash or a huge allocation.
#include "platform/PngReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    if (Varnok::ReadPngFromMemory(data, size, "fuzz input", width, height, rgba)) {
        if (width <= 0 || height <= 0 || rgba.size() != size_t(width) * height * 4) {
            abort();
        }
    }
    return 0;
}
