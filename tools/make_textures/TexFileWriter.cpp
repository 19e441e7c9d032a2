// The ".tex" layout: magic, description, extra word, pair list, 16-bit list,
// level sizes, level blocks; little-endian throughout.
#include "tools/make_textures/TexFileWriter.h"

#include "engine/render/TexFileTextureImage.h"

namespace Varnok {

namespace {

void Put8(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
}

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    Put8(out, value);
    Put8(out, value >> 8);
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value);
    Put16(out, value >> 16);
}

}  // namespace

bool WriteTexFile(const TextureImage& image, std::vector<uint8_t>& outBytes) {
    const TextureDescription& d = image.description;
    std::vector<uint8_t> out;
    Put32(out, kTexFileMagic);
    Put8(out, d.pixelFormat.encoding);
    Put8(out, d.pixelFormat.variant);
    Put8(out, d.pixelFormat.byteOrder & 0xFF);
    Put8(out, PixelFormat::StoredOrderByte(d.pixelFormat.byteOrder));
    for (const PixelChannel& channel : d.pixelFormat.channels) {
        Put8(out, channel.bits);
        Put8(out, channel.id);
    }
    Put32(out, d.kind);
    Put16(out, d.width);
    Put16(out, d.height);
    Put16(out, d.imageCount);
    Put16(out, d.mipCount);
    Put32(out, d.apparentWidth);
    Put32(out, d.apparentHeight);
    Put32(out, image.extraWord);
    Put32(out, static_cast<uint32_t>(image.pairList.size()));
    for (const TexturePair& pair : image.pairList) {
        Put32(out, pair.first);
        Put32(out, pair.second);
    }
    Put32(out, static_cast<uint32_t>(image.shortList.size()));
    for (uint16_t value : image.shortList) {
        Put16(out, value);
    }

    std::vector<const uint8_t*> blocks;
    std::vector<size_t> sizes;
    for (int layer = 0; layer < d.imageCount; ++layer) {
        for (int level = 0; level < d.mipCount; ++level) {
            size_t size = 0;
            const uint8_t* data = image.GetData(layer, level, size);
            if (data == nullptr || size > 0xFFFFFFFFu) {
                return false;
            }
            blocks.push_back(data);
            sizes.push_back(size);
        }
    }
    for (size_t size : sizes) {
        Put32(out, static_cast<uint32_t>(size));
    }
    for (size_t i = 0; i < blocks.size(); ++i) {
        out.insert(out.end(), blocks[i], blocks[i] + sizes[i]);
    }
    outBytes.swap(out);
    return true;
}

}  // namespace Varnok
