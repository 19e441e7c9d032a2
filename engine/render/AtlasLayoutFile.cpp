// Reading and writing atlas layout files (little-endian):
//   page width, page height, padding, format: 4 bytes each
//   embedded flag: 1 byte
//   page count N: 4 bytes, then N page records, then N page images
// A page record is a node count M, M node records of 68 bytes (image width,
// image height, x, y, right, bottom, umin, vmin, umax, vmax, four further
// floats, own position, first child, second child; -1 for no child), an image
// count K and K image records (key length L in one byte, L key bytes, node
// position). A page image is a byte count and an image file when embedded,
// else a length-prefixed file name.
#include "engine/render/AtlasLayoutFile.h"

#include "engine/core/BinaryStream.h"
#include "engine/core/Log.h"
#include "engine/render/AtlasPixelFormat.h"

#include <cstring>
#include <string>

namespace Varnok {
namespace {

constexpr size_t kNodeRecordBytes = 68;
constexpr size_t kMinPageRecordBytes = 8;   // the two counts
constexpr size_t kMinImageRecordBytes = 5;  // key length and node position

float ReadFloatValue(BinaryStreamReader& stream) {
    float value = 0.0f;
    stream.ReadFloat(value);
    return value;
}

int32_t ReadInt(BinaryStreamReader& stream) {
    int32_t value = 0;
    stream.ReadInt32(value);
    return value;
}

// Reads one page record; outReason names the fault on refusal.
bool ReadPageRecord(BinaryStreamReader& stream, const AtlasLayout& layout, AtlasLayoutPage& outPage,
                    const char*& outReason) {
    const int32_t nodeCount = ReadInt(stream);
    if (stream.IsOverrun()) {
        outReason = "truncated";
        return false;
    }
    if (nodeCount < 1 ||
        static_cast<uint64_t>(nodeCount) * kNodeRecordBytes > stream.GetRemaining()) {
        outReason = "node count out of range";
        return false;
    }
    outPage.nodes.resize(static_cast<size_t>(nodeCount));
    for (AtlasNodeRecord& record : outPage.nodes) {
        AtlasNode& node = record.node;
        node.imageWidth = ReadInt(stream);
        node.imageHeight = ReadInt(stream);
        node.x = ReadInt(stream);
        node.y = ReadInt(stream);
        node.right = ReadInt(stream);
        node.bottom = ReadInt(stream);
        node.umin = ReadFloatValue(stream);
        node.vmin = ReadFloatValue(stream);
        node.umax = ReadFloatValue(stream);
        node.vmax = ReadFloatValue(stream);
        for (float& extra : node.extra) {
            extra = ReadFloatValue(stream);
        }
        record.position = ReadInt(stream);
        record.firstChild = ReadInt(stream);
        record.secondChild = ReadInt(stream);
    }
    if (stream.IsOverrun()) {
        outReason = "truncated";
        return false;
    }
    if (!AtlasPacker::CheckTree(outPage.nodes, layout.pageWidth, layout.pageHeight, outReason)) {
        return false;
    }

    const int32_t imageCount = ReadInt(stream);
    if (stream.IsOverrun()) {
        outReason = "truncated";
        return false;
    }
    if (imageCount < 0 ||
        static_cast<uint64_t>(imageCount) * kMinImageRecordBytes > stream.GetRemaining()) {
        outReason = "image count out of range";
        return false;
    }
    outPage.images.resize(static_cast<size_t>(imageCount));
    for (AtlasLayoutImage& image : outPage.images) {
        uint8_t keyLength = 0;
        stream.ReadUInt8(keyLength);
        if (keyLength > AtlasKey::kByteCount) {
            outReason = "key longer than 12 bytes";
            return false;
        }
        image.key.Clear();
        stream.ReadBytes(image.key.bytes, keyLength);
        image.key.usedBits = keyLength * 8u;
        image.node = ReadInt(stream);
        if (stream.IsOverrun()) {
            outReason = "truncated";
            return false;
        }
        if (image.node < 0 || image.node >= nodeCount) {
            outReason = "image node index out of range";
            return false;
        }
    }
    return true;
}

// Requires: page sides within 1..kMaxAtlasPageSide.
uint64_t PageBufferBytes(const AtlasLayout& layout) {
    return static_cast<uint64_t>(layout.pageWidth) * static_cast<uint64_t>(layout.pageHeight) *
           static_cast<uint64_t>(AtlasPixelFormat::GetBytesPerPixel(layout.format));
}

void WriteFloatValue(BinaryStreamWriter& writer, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    writer.WriteUInt32(bits);
}

}  // namespace

bool ReadAtlasLayout(BinaryStreamReader& stream, const char* sourceName, AtlasLayout& outLayout) {
    const char* reason = nullptr;
    outLayout = AtlasLayout{};
    outLayout.pageWidth = ReadInt(stream);
    outLayout.pageHeight = ReadInt(stream);
    outLayout.padding = ReadInt(stream);
    stream.ReadUInt32(outLayout.format);
    uint8_t embedded = 0;
    stream.ReadUInt8(embedded);
    outLayout.embedded = embedded != 0;
    const int32_t pageCount = ReadInt(stream);
    if (stream.IsOverrun()) {
        reason = "truncated";
    } else if (outLayout.pageWidth < 1 || outLayout.pageHeight < 1 ||
               outLayout.pageWidth > kMaxAtlasPageSide ||
               outLayout.pageHeight > kMaxAtlasPageSide) {
        reason = "page size out of range";
    } else if (pageCount < 0 ||
               static_cast<uint64_t>(pageCount) * kMinPageRecordBytes > stream.GetRemaining()) {
        reason = "page count out of range";
    } else if (static_cast<uint64_t>(pageCount) * PageBufferBytes(outLayout) >
               kMaxAtlasLayoutPixelBytes) {
        reason = "pages too large";
    }
    if (outLayout.padding < 0) {
        outLayout.padding = 0;  // as an atlas made in code would store it
    }

    if (reason == nullptr) {
        outLayout.pages.resize(static_cast<size_t>(pageCount));
        for (AtlasLayoutPage& page : outLayout.pages) {
            if (!ReadPageRecord(stream, outLayout, page, reason)) {
                break;
            }
        }
    }
    if (reason == nullptr) {
        for (AtlasLayoutPage& page : outLayout.pages) {
            const bool read = outLayout.embedded ? stream.ReadBlob(page.imageBytes)
                                                 : stream.ReadAsciiString(page.imageName);
            if (!read) {
                reason = "truncated page image";
                break;
            }
        }
    }
    if (reason != nullptr) {
        Log("TextureAtlas: layout \"%s\" refused: %s at byte %zu", sourceName ? sourceName : "",
            reason, stream.GetPosition());
        return false;
    }
    return true;
}

void WriteAtlasLayout(const AtlasLayout& layout, BinaryStreamWriter& writer) {
    writer.WriteInt32(layout.pageWidth);
    writer.WriteInt32(layout.pageHeight);
    writer.WriteInt32(layout.padding);
    writer.WriteUInt32(layout.format);
    const uint8_t embedded = layout.embedded ? 1 : 0;
    writer.WriteBytes(&embedded, 1);
    writer.WriteInt32(static_cast<int32_t>(layout.pages.size()));
    for (const AtlasLayoutPage& page : layout.pages) {
        writer.WriteInt32(static_cast<int32_t>(page.nodes.size()));
        for (const AtlasNodeRecord& record : page.nodes) {
            const AtlasNode& node = record.node;
            writer.WriteInt32(node.imageWidth);
            writer.WriteInt32(node.imageHeight);
            writer.WriteInt32(node.x);
            writer.WriteInt32(node.y);
            writer.WriteInt32(node.right);
            writer.WriteInt32(node.bottom);
            for (float value : {node.umin, node.vmin, node.umax, node.vmax}) {
                WriteFloatValue(writer, value);
            }
            for (float extra : node.extra) {
                WriteFloatValue(writer, extra);
            }
            writer.WriteInt32(record.position);
            writer.WriteInt32(record.firstChild);
            writer.WriteInt32(record.secondChild);
        }
        writer.WriteInt32(static_cast<int32_t>(page.images.size()));
        for (const AtlasLayoutImage& image : page.images) {
            // Lookups compare all 12 bytes, so trailing zero bytes need not
            // be stored.
            uint8_t keyLength = 1;
            for (size_t i = 0; i < AtlasKey::kByteCount; ++i) {
                if (image.key.bytes[i] != 0) {
                    keyLength = static_cast<uint8_t>(i + 1);
                }
            }
            writer.WriteBytes(&keyLength, 1);
            writer.WriteBytes(image.key.bytes, keyLength);
            writer.WriteInt32(image.node);
        }
    }
    for (const AtlasLayoutPage& page : layout.pages) {
        if (layout.embedded) {
            writer.WriteInt32(static_cast<int32_t>(page.imageBytes.size()));
            writer.WriteBytes(page.imageBytes.data(), static_cast<int>(page.imageBytes.size()));
        } else {
            writer.WriteStdString(std::string(page.imageName.c_str(), page.imageName.Length()));
        }
    }
}

AsciiString ResolveAtlasPageImagePath(const char* layoutName, const char* storedName) {
    const char* name = storedName != nullptr ? storedName : "";
    if (name[0] == '/' || name[0] == '\\') {
        ++name;
    }
    const char* folderEnd = nullptr;
    for (const char* c = layoutName != nullptr ? layoutName : ""; *c != '\0'; ++c) {
        if (*c == '/' || *c == '\\') {
            folderEnd = c + 1;
        }
    }
    AsciiString path;
    if (folderEnd != nullptr) {
        path.Assign(layoutName, static_cast<int>(folderEnd - layoutName));
    }
    path.Append(name);
    return path;
}

}  // namespace Varnok
