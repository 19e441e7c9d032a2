// Pixels from one source, apparent size from another.
#include "engine/render/ApparentSizeTextureSource.h"

#include <algorithm>
#include <utility>

namespace Varnok {

bool ApparentSizeTextureImage::Acquire(const SmartPtr<TextureSource>& pixelSource,
                                       uint32_t apparentWidth, uint32_t apparentHeight) {
    m_pixels.Set(pixelSource);
    const TextureImage* pixels = m_pixels.GetImage();
    if (pixels == nullptr) {
        return false;
    }
    description = pixels->description;
    description.apparentWidth = apparentWidth;
    description.apparentHeight = apparentHeight;
    return true;
}

const uint8_t* ApparentSizeTextureImage::GetData(int image, int level, size_t& outByteCount) const {
    const TextureImage* pixels = m_pixels.GetImage();
    if (pixels == nullptr) {
        outByteCount = 0;
        return nullptr;
    }
    return pixels->GetData(image, level, outByteCount);
}

ApparentSizeTextureSource::ApparentSizeTextureSource(const SmartPtr<TextureSource>& pixelSource,
                                                     const SmartPtr<TextureSource>& sizeSource) {
    SetPixelSource(pixelSource);
    SetSizeSource(sizeSource);
}

ApparentSizeTextureSource::~ApparentSizeTextureSource() {
    SetPixelSource(nullptr);
    SetSizeSource(nullptr);
}

void ApparentSizeTextureSource::SetPixelSource(const SmartPtr<TextureSource>& source) {
    const RegionEvent::DelegateType regionListener(
        this, &ApparentSizeTextureSource::OnPixelRegionChanged);
    const Event0::DelegateType changeListener(this, &ApparentSizeTextureSource::OnPixelsChanged);
    if (m_pixelSource) {
        m_pixelSource->GetRegionListeners().Remove(regionListener);
        m_pixelSource->GetChangeListeners().Remove(changeListener);
    }
    m_pixelSource = source;
    if (m_pixelSource) {
        m_pixelSource->GetRegionListeners().Add(regionListener);
        m_pixelSource->GetChangeListeners().Add(changeListener);
        NotifyChanged();
    }
}

void ApparentSizeTextureSource::SetSizeSource(const SmartPtr<TextureSource>& source) {
    const Event0::DelegateType changeListener(this, &ApparentSizeTextureSource::OnSizeChanged);
    if (m_sizeSource) {
        m_sizeSource->GetChangeListeners().Remove(changeListener);
    }
    m_sizeSource = source;
    if (m_sizeSource) {
        m_sizeSource->GetChangeListeners().Add(changeListener);
    }
    if (m_pixelSource) {
        NotifyChanged();
    }
}

void ApparentSizeTextureSource::SetApparentSize(uint16_t width, uint16_t height) {
    m_apparentWidth = width;
    m_apparentHeight = height;
}

TextureImage* ApparentSizeTextureSource::AcquireImage() {
    if (!m_pixelSource) {
        return nullptr;
    }
    uint32_t width = m_apparentWidth;
    uint32_t height = m_apparentHeight;
    // The size comes from the size source's image, or from the pixels when
    // the size source has none; the image read for it is given back below.
    TextureImageLock sizeImage;
    if (m_sizeSource) {
        sizeImage.Set(m_sizeSource);
        if (sizeImage.GetImage() == nullptr) {
            sizeImage.Set(m_pixelSource);
        }
        if (sizeImage.GetImage() == nullptr) {
            return nullptr;
        }
        width = sizeImage.GetImage()->description.apparentWidth;
        height = sizeImage.GetImage()->description.apparentHeight;
    }
    auto image = std::make_unique<ApparentSizeTextureImage>();
    if (!image->Acquire(m_pixelSource, width, height)) {
        return nullptr;
    }
    m_images.push_back(std::move(image));
    return m_images.back().get();
}

void ApparentSizeTextureSource::ReleaseImage(TextureImage* image) {
    auto it = std::find_if(m_images.begin(), m_images.end(),
                           [image](const std::unique_ptr<ApparentSizeTextureImage>& held) {
                               return held.get() == image;
                           });
    if (it != m_images.end()) {
        m_images.erase(it);
    }
}

uint32_t ApparentSizeTextureSource::GetHash() const {
    return m_pixelSource ? m_pixelSource->GetHash() : 0;
}

AsciiString ApparentSizeTextureSource::Describe() const {
    AsciiString text = m_pixelSource ? m_pixelSource->Describe() : AsciiString("<NULL>");
    text.Append(" (apparentSize: ");
    if (m_sizeSource) {
        text.AppendString(m_sizeSource->Describe());
    } else {
        text.AppendInt(m_apparentWidth);
        text.Append(", ");
        text.AppendInt(m_apparentHeight);
    }
    text.Append(")");
    return text;
}

}  // namespace Varnok
