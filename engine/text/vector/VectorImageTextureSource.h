// A texture source whose pixels are a vector image rasterised with stored
// parameters: every acquisition draws the document again.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/render/TextureSource.h"
#include "engine/text/vector/VectorImage.h"

namespace Varnok {

class VectorImageTextureSource final : public TextureSource {
public:
    VectorImageTextureSource(const SmartPtr<VectorImage>& image, const VectorRasterParams& params);
    ~VectorImageTextureSource() override;

    // Stores the parameters and notifies the listeners, so that textures
    // over the source acquire (and so rasterise) again.
    void SetRasterParams(const VectorRasterParams& params);
    const VectorRasterParams& GetRasterParams() const { return m_params; }

    // A fresh raster; null for a zero width or height, or when the image
    // gives none.
    TextureImage* AcquireImage() override;
    void ReleaseImage(TextureImage* image) override;
    uint32_t GetHash() const override { return 0; }
    // "Vector image".
    AsciiString Describe() const override;

    // How many rasters have been made so far.
    int GetRasterCount() const { return m_rasterCount; }

private:
    SmartPtr<VectorImage> m_image;
    VectorRasterParams m_params;
    int m_rasterCount = 0;
};

}  // namespace Varnok
