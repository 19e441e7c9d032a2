// Target sizes, pass-through and the decode-then-resize path shared by the
// padder and the scaler.
#include "engine/render/TextureSizeAdapter.h"

#include "engine/core/Log.h"
#include "engine/render/ConvertedTextureImage.h"
#include "engine/render/PixelFormat.h"

#include <algorithm>
#include <cstring>

namespace Varnok {
namespace {

constexpr uint32_t kLargestTextureSize = 32768;  // the largest power of two in 16 bits

// What a compressed image is decoded to before it is resized.
PixelDescriptor DecodedDescriptor(const PixelDescriptor& compressed) {
    return PixelFormat::HasChannel(compressed, PixelChannelId::Alpha) ? kRgba8Descriptor
                                                                      : kRgb8Descriptor;
}

}  // namespace

uint32_t TargetTextureSize(uint32_t size, int mode, uint32_t explicitSize) {
    switch (mode) {
        case TextureSizeMode::RoundUp: {
            if (size == 0) {
                return 0;
            }
            uint32_t power = 1;
            while (power < size && power < kLargestTextureSize) {
                power <<= 1;
            }
            return power;
        }
        case TextureSizeMode::RoundDown: {
            uint32_t power = 1;
            while (power * 2 <= size && power < kLargestTextureSize) {
                power <<= 1;
            }
            return power;
        }
        default:
            return std::min<uint32_t>(explicitSize, 0xFFFF);
    }
}

const uint8_t* TextureSizeAdapter::ReadableLevel(const TextureImage& image, int layer, int level,
                                                 size_t needed, std::vector<uint8_t>& spare) {
    size_t byteCount = 0;
    const uint8_t* data = image.GetData(layer, level, byteCount);
    if (data != nullptr && byteCount >= needed) {
        return data;
    }
    spare.assign(needed, 0);
    if (data != nullptr && byteCount > 0) {
        std::memcpy(spare.data(), data, std::min(byteCount, needed));
    }
    return spare.data();
}

TextureSizeAdapter::TextureSizeAdapter(const SmartPtr<TextureSource>& source, int sizeMode)
    : m_wrapped(source), m_sizeMode(sizeMode) {
    // Changes pass on so that the texture above uploads again; a changed
    // region is a change of the whole resized image.
    if (m_wrapped) {
        m_wrapped->GetChangeListeners().Add(
            Delegate0<void>(this, &TextureSizeAdapter::OnSourceChanged));
        m_wrapped->GetRegionListeners().Add(TextureSource::RegionEvent::DelegateType(
            this, &TextureSizeAdapter::OnSourceRegionChanged));
    }
}

TextureSizeAdapter::~TextureSizeAdapter() {
    DestroyHeldImage();
    if (m_wrapped) {
        m_wrapped->GetChangeListeners().Remove(
            Delegate0<void>(this, &TextureSizeAdapter::OnSourceChanged));
        m_wrapped->GetRegionListeners().Remove(TextureSource::RegionEvent::DelegateType(
            this, &TextureSizeAdapter::OnSourceRegionChanged));
    }
}

TextureImage* TextureSizeAdapter::CreateImage() {
    if (!m_wrapped) {
        return nullptr;
    }
    TextureImage* wrapped = m_wrapped->AcquireImage();
    if (wrapped == nullptr) {
        return nullptr;
    }
    const TextureDescription& original = wrapped->description;
    const uint32_t width = TargetTextureSize(original.width, m_sizeMode, m_explicitWidth);
    const uint32_t height = TargetTextureSize(original.height, m_sizeMode, m_explicitHeight);
    if (width == original.width && height == original.height) {
        m_passThrough = true;
        return wrapped;
    }
    m_passThrough = false;

    // Block-compressed pixels are decoded first: resizing them as rows of
    // whole pixels would scramble the blocks.
    const TextureImage* source = wrapped;
    std::unique_ptr<TextureImage> decoded;
    if (original.pixelFormat.encoding != PixelEncoding::Uncompressed) {
        decoded = ConvertTextureImage(*wrapped, DecodedDescriptor(original.pixelFormat));
        if (!decoded) {
            Log("%s: cannot resize %s: its compressed pixels cannot be decoded", GetAdapterName(),
                m_wrapped->Describe().c_str());
            m_wrapped->ReleaseImage(wrapped);
            return nullptr;
        }
        source = decoded.get();
    }

    std::unique_ptr<AllocatedTextureImage> image(new AllocatedTextureImage());
    DescribeImage(*source, static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                  image->description);
    image->Allocate();
    FillImage(*source, *image);
    decoded.reset();
    m_wrapped->ReleaseImage(wrapped);
    m_allocated = std::move(image);
    return m_allocated.get();
}

void TextureSizeAdapter::DestroyImage(TextureImage* image) {
    if (image == m_allocated.get()) {
        m_allocated.reset();
    } else if (m_wrapped) {
        m_wrapped->ReleaseImage(image);  // the wrapped source's own image
    }
}

}  // namespace Varnok
