// Atlas layout files: a finished atlas (page settings, each page's packing
// tree and keyed images, and the page images) as saved for loading. The
// reader checks everything before an atlas uses any of it.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/render/AtlasKey.h"
#include "engine/render/AtlasPacker.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class BinaryStreamReader;
class BinaryStreamWriter;

// Page sides above this are refused, and so are layouts whose page buffers
// would together need more than kMaxAtlasLayoutPixelBytes.
constexpr int32_t kMaxAtlasPageSide = 4096;
constexpr uint64_t kMaxAtlasLayoutPixelBytes = 256ull << 20;

struct AtlasLayoutImage {
    AtlasKey key;
    int32_t node = 0;  // position in the page's node list
};

struct AtlasLayoutPage {
    std::vector<AtlasNodeRecord> nodes;
    std::vector<AtlasLayoutImage> images;
    // The page image: an image file's bytes when embedded, else the stored
    // file name (as written; see ResolveAtlasPageImagePath).
    std::vector<uint8_t> imageBytes;
    AsciiString imageName;
};

struct AtlasLayout {
    int32_t pageWidth = 0;
    int32_t pageHeight = 0;
    int32_t padding = 0;
    uint32_t format = 0;
    bool embedded = false;
    std::vector<AtlasLayoutPage> pages;
};

// Reads a whole layout from a native-order stream. False, with one log line
// naming sourceName and the fault, when the data is truncated or any size,
// position or key is out of range; outLayout is then unspecified.
[[nodiscard]] bool ReadAtlasLayout(BinaryStreamReader& stream, const char* sourceName,
                                   AtlasLayout& outLayout);

// The inverse of ReadAtlasLayout, in native order. Keys are written with
// their used bytes (at least one, at most 12).
void WriteAtlasLayout(const AtlasLayout& layout, BinaryStreamWriter& writer);

// Where a separate page image is: the stored name without one leading "/" or
// "\", in the folder of the layout file.
AsciiString ResolveAtlasPageImagePath(const char* layoutName, const char* storedName);

}  // namespace Varnok
