// Reading image descriptions, and the image over a borrowed memory block.
#include "engine/render/TextureImage.h"

#include "engine/core/BinaryStream.h"

namespace Varnok {

bool TextureImage::ReadDescription(BinaryStreamReader& stream, TextureDescription& outDescription) {
    const bool wasOverrun = stream.IsOverrun();
    PixelFormat::Read(stream, outDescription.pixelFormat);
    stream.ReadUInt32(outDescription.kind);
    stream.ReadUInt16(outDescription.width);
    stream.ReadUInt16(outDescription.height);
    stream.ReadUInt16(outDescription.imageCount);
    stream.ReadUInt16(outDescription.mipCount);
    stream.ReadUInt32(outDescription.apparentWidth);
    stream.ReadUInt32(outDescription.apparentHeight);
    return !wasOverrun && !stream.IsOverrun();
}

const uint8_t* MemoryTextureImage::GetData(int /*image*/, int /*level*/,
                                           size_t& outByteCount) const {
    outByteCount = m_byteCount;
    return m_data;
}

void MemoryTextureImage::SetBlock(const uint8_t* data, size_t byteCount) {
    m_data = data;
    m_byteCount = data != nullptr ? byteCount : 0;
}

}  // namespace Varnok
