// The vector image's texture source.
#include "engine/text/vector/VectorImageTextureSource.h"

namespace Varnok {

VectorImageTextureSource::VectorImageTextureSource(const SmartPtr<VectorImage>& image,
                                                   const VectorRasterParams& params)
    : m_image(image), m_params(params) {}

VectorImageTextureSource::~VectorImageTextureSource() = default;

void VectorImageTextureSource::SetRasterParams(const VectorRasterParams& params) {
    m_params = params;
    NotifyChanged();
}

TextureImage* VectorImageTextureSource::AcquireImage() {
    // A box with a zero side covers nothing: there is no image to upload.
    if (!m_image || m_params.width == 0 || m_params.height == 0) {
        return nullptr;
    }
    ++m_rasterCount;
    return m_image->Rasterize(m_params).release();
}

void VectorImageTextureSource::ReleaseImage(TextureImage* image) {
    delete image;  // made by AcquireImage
}

AsciiString VectorImageTextureSource::Describe() const {
    return AsciiString("Vector image");
}

}  // namespace Varnok
