// The adapter that gives the GL a power-of-two size by resampling.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/render/TextureSizeAdapter.h"

namespace Varnok {

// Resamples every level: linear when enlarging, averaging when shrinking.
class TextureLayerScaler final : public TextureSizeAdapter {
public:
    TextureLayerScaler(const SmartPtr<TextureSource>& source, int sizeMode);
    ~TextureLayerScaler() override;

    // "TextureLayerScaler(" + the wrapped source's description + ")".
    AsciiString Describe() const override;

private:
    void FillImage(const TextureImage& source, AllocatedTextureImage& target) override;
    void DescribeImage(const TextureImage& source, uint16_t width, uint16_t height,
                       TextureDescription& outDescription) override;
    const char* GetAdapterName() const override { return "TextureLayerScaler"; }
};

}  // namespace Varnok
