// File and memory texture loaders.
#include "engine/render/TextureLoader.h"

#include "engine/core/FileObject.h"
#include "engine/core/FileSystem.h"
#include "engine/core/FillPlaceholders.h"
#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/render/DdsTextureImage.h"
#include "engine/render/MipChainTextureImage.h"
#include "engine/render/PackedTextureImage.h"
#include "engine/render/TexFileTextureImage.h"

#include <cinttypes>
#include <cstdio>

namespace Varnok {

TextureLoader::~TextureLoader() {
    // An image someone still holds cannot outlive the bytes it points into;
    // holders keep the loader alive, so by now nobody holds it.
    m_image.reset();
    m_file.reset();
}

SmartPtr<TextureSource> TextureLoader::Create(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    const AsciiString rewritten = AsciiString::ReplaceCharCopy(AsciiString(path), '\\', '/');
    if (!FileExists(rewritten.c_str(), 0)) {
        return nullptr;
    }
    TextureLoader* loader = new TextureLoader();
    loader->m_name = rewritten;
    loader->m_hash = HashPath(rewritten.c_str());
    return SmartPtr<TextureSource>(loader);
}

SmartPtr<TextureSource> TextureLoader::CreateFromMemory(std::unique_ptr<uint8_t[]> data,
                                                        uint32_t byteCount) {
    TextureLoader* loader = new TextureLoader();
    char address[32];
    std::snprintf(address, sizeof(address), "0x%08" PRIXPTR,
                  reinterpret_cast<uintptr_t>(data.get()));
    char size[16];
    std::snprintf(size, sizeof(size), "%u", byteCount);
    const char* const texts[] = {address, size};
    loader->m_name = FillPlaceholders("TextureLoader({0},{1})", texts, 2);
    loader->m_fromMemory = true;
    loader->m_block = std::move(data);
    loader->m_blockSize = loader->m_block ? byteCount : 0;
    return SmartPtr<TextureSource>(loader);
}

std::unique_ptr<TextureImage> TextureLoader::Decode(const uint8_t* data, size_t byteCount) const {
    if (data == nullptr || byteCount == 0) {
        Log("TextureLoader: %s: no texture bytes", m_name.c_str());
        return nullptr;
    }
    // The readers in a fixed order; the first that accepts the bytes wins.
    if (auto image = TexFileTextureImage::Create(data, byteCount)) {
        return image;
    }
    if (auto image = DdsTextureImage::Create(data, byteCount)) {
        return image;
    }
    if (auto image = MipChainTextureImage::Create(data, byteCount)) {
        return image;
    }
    if (auto image = PackedTextureImage::Create(data, byteCount)) {
        return image;
    }
    Log("TextureLoader: %s: no texture reader accepts its %zu bytes", m_name.c_str(), byteCount);
    return nullptr;
}

TextureImage* TextureLoader::AcquireImage() {
    if (m_count++ > 0) {
        return m_image.get();
    }
    if (m_fromMemory) {
        m_image = Decode(m_block.get(), m_blockSize);
    } else {
        std::unique_ptr<FileObject> file(new FileObject(m_name.c_str(), kOpenRead));
        if (!file->Load()) {
            m_refused = false;
            m_count = 0;
            return nullptr;
        }
        m_image = Decode(file->GetData(), static_cast<size_t>(file->GetLength()));
        if (m_image) {
            m_file = std::move(file);  // the image may point into its bytes
        }
    }
    m_refused = !m_image;
    if (!m_image) {
        m_count = 0;
        return nullptr;
    }
    return m_image.get();
}

void TextureLoader::ReleaseImage(TextureImage* image) {
    if (image == nullptr || image != m_image.get()) {
        return;
    }
    if (--m_count > 0) {
        return;
    }
    m_count = 0;
    m_image.reset();
    m_file.reset();
}

AsciiString TextureLoader::Describe() const {
    if (m_fromMemory) {
        char text[64];
        std::snprintf(text, sizeof(text), "(TextureLoader) mem: 0x%08" PRIxPTR,
                      reinterpret_cast<uintptr_t>(m_block.get()));
        return AsciiString(text);
    }
    AsciiString text("(TextureLoader)");
    text.AppendString(m_name);
    return text;
}

}  // namespace Varnok
