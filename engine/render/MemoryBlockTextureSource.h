// A texture source over pixels the program makes in memory (a view drawn
// into a texture, a banner); setting new pixels tells the texture to upload.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/render/TextureImage.h"
#include "engine/render/TextureSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Varnok {

class MemoryBlockTextureSource final : public TextureSource {
public:
    // With copy set the block is copied into storage the source owns;
    // otherwise the source refers to the caller's block, which must stay alive
    // for as long as the source may be acquired.
    MemoryBlockTextureSource(const TextureDescription& description, const void* data,
                             size_t byteCount, bool copy = true);

    // New pixels under the same description; the region listeners hear of the
    // whole image.
    void SetData(const void* data, size_t byteCount, bool copy);
    // A new description and new pixels; the change listeners hear of it.
    void Reset(const TextureDescription& description, const void* data, size_t byteCount,
               bool copy);

    // Always the same image, never null; nothing is counted.
    TextureImage* AcquireImage() override { return &m_image; }
    void ReleaseImage(TextureImage* /*image*/) override {}
    uint32_t GetHash() const override { return 0; }
    // The name, or "<MemoryBlockTextureSource>" without one.
    AsciiString Describe() const override;

    void SetName(const AsciiString& name) { m_name = name; }
    const AsciiString& GetName() const { return m_name; }
    const TextureDescription& GetDescription() const { return m_description; }

private:
    void TakeBlock(const void* data, size_t byteCount, bool copy);

    TextureDescription m_description;
    std::unique_ptr<uint8_t[]> m_ownedBlock;  // set only for a copied block
    size_t m_ownedSize = 0;                   // its allocation, while set
    const uint8_t* m_data = nullptr;          // the block the image shows
    size_t m_byteCount = 0;
    MemoryTextureImage m_image;
    AsciiString m_name;
};

}  // namespace Varnok
