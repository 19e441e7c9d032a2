// A decoded image with all its layers and mip levels, as texture sources hand
// it out; each file format and adapter has a subclass that finds the bytes.
#pragma once

#include "engine/render/PixelFormat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Varnok {

class BinaryStreamReader;

// Image kinds.
namespace TextureKind {
enum : uint32_t {
    Flat = 0,    // a two-dimensional image
    Volume = 1,  // layers are slices
    Cube = 2,    // layers are faces
};
}  // namespace TextureKind

struct TextureRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The 48-byte description every image and texture carries.
struct TextureDescription {
    PixelDescriptor pixelFormat;
    uint32_t kind = TextureKind::Flat;
    uint16_t width = 1;  // of mip level 0, in pixels
    uint16_t height = 1;
    uint16_t imageCount = 1;  // layers: volume slices or cube faces
    uint16_t mipCount = 1;
    TextureRect content;  // all 0 when not set
    // The size the image stands for in layout; stays the unpadded size when
    // the pixels are padded or scaled.
    uint32_t apparentWidth = 1;
    uint32_t apparentHeight = 1;
};
static_assert(sizeof(TextureDescription) == 48, "the description is 48 bytes");

struct TexturePair {
    uint32_t first = 0;
    uint32_t second = 0;
};

class TextureImage {
public:
    TextureImage() = default;
    TextureImage(const TextureImage&) = delete;
    TextureImage& operator=(const TextureImage&) = delete;
    virtual ~TextureImage() = default;

    // The bytes of one layer and mip level and their count; null (count 0)
    // when the image has no such level.
    virtual const uint8_t* GetData(int image, int level, size_t& outByteCount) const = 0;

    // Reads a descriptor and the rest of a description (kind, width, height,
    // image count, mip count, apparent width and height) in the stream's byte
    // order, as a ".tex" file stores them. The content rectangle is left as
    // it is. Answers whether everything was there; missing values read as 0.
    [[nodiscard]] static bool ReadDescription(BinaryStreamReader& stream,
                                              TextureDescription& outDescription);

    TextureDescription description;
    // Supplied only by the ".tex" container; the texture copies them as they are.
    std::vector<TexturePair> pairList;
    std::vector<uint16_t> shortList;
    uint32_t extraWord = 0;
};

// An image over a block of bytes that it does not own: every layer and level
// answers with the whole block.
class MemoryTextureImage final : public TextureImage {
public:
    const uint8_t* GetData(int image, int level, size_t& outByteCount) const override;

    // The block must outlive every use of the image.
    void SetBlock(const uint8_t* data, size_t byteCount);

private:
    const uint8_t* m_data = nullptr;
    size_t m_byteCount = 0;
};

}  // namespace Varnok
