// Reference counting of the one shared image.
#include "engine/render/CountedTextureSource.h"

namespace Varnok {

CountedTextureSource::~CountedTextureSource() = default;

TextureImage* CountedTextureSource::AcquireImage() {
    if (m_count++ == 0) {
        m_image = CreateImage();
        if (m_image == nullptr) {
            m_count = 0;
            return nullptr;
        }
    }
    return m_image;
}

void CountedTextureSource::ReleaseImage(TextureImage* image) {
    if (image == nullptr || image != m_image) {
        return;
    }
    if (--m_count == 0) {
        m_image = nullptr;
        DestroyImage(image);
    }
}

void CountedTextureSource::DestroyHeldImage() {
    if (m_image != nullptr) {
        TextureImage* image = m_image;
        m_image = nullptr;
        m_count = 0;
        DestroyImage(image);
    }
}

}  // namespace Varnok
