// The adapter that gives the GL a power-of-two size by padding.
#pragma once

#include "engine/render/TextureSizeAdapter.h"

namespace Varnok {

// Pads with zeroed pixels to the right and below; the content rectangle is
// clipped to the original pixels.
class TextureSizePadder final : public TextureSizeAdapter {
public:
    TextureSizePadder(const SmartPtr<TextureSource>& source, int sizeMode);
    ~TextureSizePadder() override;

private:
    void FillImage(const TextureImage& source, AllocatedTextureImage& target) override;
    void DescribeImage(const TextureImage& source, uint16_t width, uint16_t height,
                       TextureDescription& outDescription) override;
    const char* GetAdapterName() const override { return "TextureSizePadder"; }
};

}  // namespace Varnok
