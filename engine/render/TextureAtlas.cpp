// Packing images into atlas pages, uploading the pages and loading finished
// atlases from layout files.
#include "engine/render/TextureAtlas.h"

#include "engine/core/BinaryStream.h"
#include "engine/core/FileObject.h"
#include "engine/core/Log.h"
#include "engine/render/AtlasLayoutFile.h"
#include "engine/render/AtlasPixelFormat.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureImage.h"
#include "engine/render/TextureLoader.h"
#include "engine/render/TextureSource.h"

#include <cstring>
#include <utility>

namespace Varnok {
namespace {

TextureDescription PageDescription(int32_t width, int32_t height, uint32_t format) {
    TextureDescription description;
    description.pixelFormat = AtlasPixelFormat::GetDescriptor(format);
    description.kind = TextureKind::Flat;
    description.width = static_cast<uint16_t>(width);
    description.height = static_cast<uint16_t>(height);
    description.imageCount = 1;
    description.mipCount = 1;
    description.apparentWidth = static_cast<uint32_t>(width);
    description.apparentHeight = static_cast<uint32_t>(height);
    return description;
}

}  // namespace

TextureAtlasPage::TextureAtlasPage(TextureAtlas& atlas, int32_t width, int32_t height,
                                   int32_t padding, uint32_t format)
    : m_atlas(atlas),
      m_packer(width, height, this),
      m_width(width),
      m_height(height),
      m_padding(padding),
      m_bytesPerPixel(AtlasPixelFormat::GetBytesPerPixel(format)),
      m_format(format),
      m_source(new MemoryBlockTextureSource(PageDescription(width, height, format), nullptr, 0,
                                            false)) {}

TextureAtlasPage::~TextureAtlasPage() {
    m_texture = nullptr;
    // Whoever still holds one of the page's textures holds its source too.
    if (m_source->GetReferenceCount() > 1 && m_pixels != nullptr) {
        m_source->SetData(m_pixels.get(), GetPixelByteCount(), true);
    }
}

size_t TextureAtlasPage::GetPixelByteCount() const {
    if (m_width < 1 || m_height < 1) {
        return 0;
    }
    return static_cast<size_t>(m_width) * static_cast<size_t>(m_height) *
           static_cast<size_t>(m_bytesPerPixel);
}

uint8_t* TextureAtlasPage::EnsurePixels() {
    if (m_pixels == nullptr) {
        const size_t byteCount = GetPixelByteCount();
        m_pixels.reset(new uint8_t[byteCount > 0 ? byteCount : 1]());
        m_source->SetData(m_pixels.get(), byteCount, false);
    }
    return m_pixels.get();
}

AtlasNode* TextureAtlasPage::TakeImage(const uint8_t* pixels, int32_t width, int32_t height,
                                       const AtlasKey& key) {
    if (width > m_width || height > m_height || width < 1 || height < 1 || m_full ||
        !key.IsValid()) {
        return nullptr;
    }
    const int32_t padX = width == m_width ? 0 : m_padding;
    const int32_t padY = height == m_height ? 0 : m_padding;
    // 64-bit: the padding may be anything a caller chose.
    if (width + 2 * static_cast<int64_t>(padX) > m_width ||
        height + 2 * static_cast<int64_t>(padY) > m_height) {
        return nullptr;
    }
    AtlasNode* node = m_packer.Insert(width + 2 * padX, height + 2 * padY);
    if (node == nullptr) {
        return nullptr;
    }
    uint8_t* buffer = EnsurePixels();
    m_dirty = true;
    node->key = key;
    node->imageWidth = width;
    node->imageHeight = height;
    const size_t rowBytes = static_cast<size_t>(width) * m_bytesPerPixel;
    for (int32_t row = 0; row < height; ++row) {
        const size_t target =
            (static_cast<size_t>(node->y + padY + row) * m_width + (node->x + padX)) *
            m_bytesPerPixel;
        std::memcpy(buffer + target, pixels + row * rowBytes, rowBytes);
    }
    node->umin = static_cast<float>(node->x + padX) / m_width;
    node->vmin = static_cast<float>(node->y + padY) / m_height;
    node->umax = node->umin + static_cast<float>(width) / m_width;
    node->vmax = node->vmin + static_cast<float>(height) / m_height;
    m_images.emplace(key, node);  // a repeated key keeps the earlier node
    return node;
}

AtlasNode* TextureAtlasPage::FindImage(const AtlasKey& key) const {
    const auto found = m_images.find(key);
    return found != m_images.end() ? found->second : nullptr;
}

SmartPtr<Texture> TextureAtlasPage::GetTexture() const {
    MutexLock lock(m_atlas.GetMutex());
    return m_texture;
}

void TextureAtlasPage::Upload() {
    if (!m_dirty) {
        return;
    }
    m_dirty = false;
    m_texture =
        Texture2D::Create(SmartPtr<TextureSource>(m_source.Get()), 0, TextureCreateMode::Scale);
}

void TextureAtlasPage::ApplyLayout(const AtlasLayoutPage& layout) {
    m_packer.SetTree(layout.nodes);
    m_images.clear();
    for (const AtlasLayoutImage& image : layout.images) {
        AtlasNode* node = m_packer.GetNode(image.node);  // checked by the reader
        node->key = image.key;
        m_images.emplace(image.key, node);
    }
    m_dirty = true;
}

void TextureAtlasPage::LoadImage(const AtlasLayoutPage& layout, bool embedded,
                                 const char* layoutName) {
    SmartPtr<TextureSource> loader;
    AsciiString what;
    if (embedded) {
        const uint32_t byteCount = static_cast<uint32_t>(layout.imageBytes.size());
        std::unique_ptr<uint8_t[]> block(new uint8_t[byteCount > 0 ? byteCount : 1]);
        if (byteCount > 0) {
            std::memcpy(block.get(), layout.imageBytes.data(), byteCount);
        }
        loader = TextureLoader::CreateFromMemory(std::move(block), byteCount);
        what = "an embedded page image";
    } else {
        what = ResolveAtlasPageImagePath(layoutName, layout.imageName.c_str());
        loader = TextureLoader::Create(what.c_str());
    }

    uint8_t* buffer = EnsurePixels();
    const size_t bufferBytes = GetPixelByteCount();
    TextureImageLock lock(loader);
    const TextureImage* image = lock.GetImage();
    size_t byteCount = 0;
    const uint8_t* data = image != nullptr ? image->GetData(0, 0, byteCount) : nullptr;
    if (data == nullptr) {
        Log("TextureAtlas: %s of \"%s\" cannot be loaded; the page stays empty", what.c_str(),
            layoutName);
    } else {
        if (byteCount != bufferBytes) {
            Log("TextureAtlas: %s of \"%s\" has %zu bytes for a page of %zu", what.c_str(),
                layoutName, byteCount, bufferBytes);
        }
        std::memcpy(buffer, data, byteCount < bufferBytes ? byteCount : bufferBytes);
    }
    m_source->SetData(buffer, bufferBytes, false);
}

TextureAtlas::TextureAtlas(int32_t pageWidth, int32_t pageHeight, int32_t padding, uint32_t format,
                           bool closeOldPages)
    : m_pageWidth(pageWidth),
      m_pageHeight(pageHeight),
      m_padding(padding < 0 ? 0 : padding),
      m_format(format),
      m_closeOldPages(closeOldPages) {}

TextureAtlas::~TextureAtlas() {
    DeletePages();
}

void TextureAtlas::DeletePages() {
    MutexLock lock(m_mutex);
    m_pages.clear();
}

TextureAtlasPage* TextureAtlas::GetPage(int index) const {
    if (index < 0 || index >= PageCount()) {
        return nullptr;
    }
    return m_pages[index].get();
}

AtlasNode* TextureAtlas::AddImage(const void* pixels, int32_t width, int32_t height,
                                  const AtlasKey& key) {
    MutexLock lock(m_mutex);
    if (width > m_pageWidth || height > m_pageHeight || width < 1 || height < 1 || !key.IsValid()) {
        return nullptr;
    }
    if (pixels == nullptr) {
        Log("TextureAtlas: an image of %dx%d without pixels", width, height);
        return nullptr;
    }
    const auto* bytes = static_cast<const uint8_t*>(pixels);
    for (const auto& page : m_pages) {
        if (AtlasNode* node = page->TakeImage(bytes, width, height, key)) {
            return node;
        }
    }
    if (m_closeOldPages) {
        for (const auto& page : m_pages) {
            page->MarkFull();
        }
    }
    m_pages.push_back(
        std::make_unique<TextureAtlasPage>(*this, m_pageWidth, m_pageHeight, m_padding, m_format));
    m_pages.back()->EnsurePixels();
    return m_pages.back()->TakeImage(bytes, width, height, key);
}

AtlasNode* TextureAtlas::FindImage(const AtlasKey& key) {
    MutexLock lock(m_mutex);
    for (const auto& page : m_pages) {
        if (AtlasNode* node = page->FindImage(key)) {
            return node;
        }
    }
    return nullptr;
}

void TextureAtlas::UploadPages() {
    MutexLock lock(m_mutex);
    for (const auto& page : m_pages) {
        page->Upload();
    }
}

bool TextureAtlas::LoadLayout(FileObject& file) {
    if (!file.Open()) {
        Log("TextureAtlas: layout \"%s\" cannot be opened", file.GetName().c_str());
        return false;
    }
    BinaryStreamReader reader(file, kNativeByteOrder);
    AtlasLayout layout;
    if (!ReadAtlasLayout(reader, file.GetName().c_str(), layout)) {
        return false;
    }

    m_name = file.GetName();
    m_pageWidth = layout.pageWidth;
    m_pageHeight = layout.pageHeight;
    m_padding = layout.padding;
    m_format = layout.format;
    DeletePages();
    for (const AtlasLayoutPage& source : layout.pages) {
        m_pages.push_back(std::make_unique<TextureAtlasPage>(*this, m_pageWidth, m_pageHeight,
                                                             m_padding, m_format));
        m_pages.back()->ApplyLayout(source);
    }
    for (size_t i = 0; i < layout.pages.size(); ++i) {
        m_pages[i]->LoadImage(layout.pages[i], layout.embedded, m_name.c_str());
    }
    UploadPages();
    return true;
}

void TextureAtlas::Reset() {
    m_pageWidth = 0;
    m_pageHeight = 0;
}

}  // namespace Varnok
