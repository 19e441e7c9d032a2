// Many small images packed into a few large texture pages: glyphs rendered on
// first use and UI pieces loaded from layout files, each found by a 96-bit key.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Mutex.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/AtlasKey.h"
#include "engine/render/AtlasPacker.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace Varnok {

class FileObject;
class MemoryBlockTextureSource;
class Texture;
class TextureAtlas;
struct AtlasLayoutPage;

// One page: a packing tree, the pixels of every image packed into it and the
// texture made from them. The atlas's mutex guards it.
class TextureAtlasPage {
public:
    TextureAtlasPage(TextureAtlas& atlas, int32_t width, int32_t height, int32_t padding,
                     uint32_t format);
    // Textures made from the page that others still hold get a copy of the
    // pixels, so that they can upload again later.
    ~TextureAtlasPage();
    TextureAtlasPage(const TextureAtlasPage&) = delete;
    TextureAtlasPage& operator=(const TextureAtlasPage&) = delete;

    // Packs width x height tightly packed pixels of the page format with
    // padding around them; null when the page refuses (full, no room, bad
    // size, zero key). Requires: the atlas mutex.
    AtlasNode* TakeImage(const uint8_t* pixels, int32_t width, int32_t height, const AtlasKey& key);
    // The first node that took the key; null when none. Requires: the atlas mutex.
    AtlasNode* FindImage(const AtlasKey& key) const;

    // The current texture (a new reference); null before the first upload.
    SmartPtr<Texture> GetTexture() const;

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    int32_t GetPadding() const { return m_padding; }
    uint32_t GetFormat() const { return m_format; }
    int GetBytesPerPixel() const { return m_bytesPerPixel; }
    bool IsFull() const { return m_full; }
    bool IsDirty() const { return m_dirty; }
    // Null until an image is packed or a layout loaded. Rows top first.
    const uint8_t* GetPixels() const { return m_pixels.get(); }
    size_t GetPixelByteCount() const;
    const AtlasPacker& GetPacker() const { return m_packer; }
    TextureAtlas& GetAtlas() const { return m_atlas; }

private:
    friend class TextureAtlas;

    uint8_t* EnsurePixels();
    void MarkFull() { m_full = true; }
    // Gives every dirty page a new texture over its pixels. Requires: the mutex.
    void Upload();
    // Replaces the tree and the image map by a layout's page. Marks dirty.
    void ApplyLayout(const AtlasLayoutPage& layout);
    // Fills the pixels from an image file (embedded bytes, or the named file).
    void LoadImage(const AtlasLayoutPage& layout, bool embedded, const char* layoutName);

    TextureAtlas& m_atlas;
    AtlasPacker m_packer;
    std::unordered_map<AtlasKey, AtlasNode*, AtlasKeyHash> m_images;  // nodes owned by m_packer
    int32_t m_width;
    int32_t m_height;
    int32_t m_padding;
    int m_bytesPerPixel;
    uint32_t m_format;
    SmartPtr<MemoryBlockTextureSource> m_source;  // over m_pixels, not copied
    SmartPtr<Texture> m_texture;
    // Kept for the page's whole life: the texture reads them again whenever
    // it uploads (after a lost context, say), not only the first time.
    std::unique_ptr<uint8_t[]> m_pixels;
    bool m_full = false;
    bool m_dirty = false;
};

class TextureAtlas : public virtual ReferenceCounter {
public:
    // A negative padding is stored as 0. With closeOldPages set, opening a
    // page marks every earlier one full.
    TextureAtlas(int32_t pageWidth, int32_t pageHeight, int32_t padding, uint32_t format,
                 bool closeOldPages);
    ~TextureAtlas() override;

    // Packs width x height tightly packed pixels of the atlas format into the
    // first page with room, opening at most one new page. Null for a size
    // that cannot fit a page, a zero key or null pixels.
    AtlasNode* AddImage(const void* pixels, int32_t width, int32_t height, const AtlasKey& key);
    // Searches the pages in order.
    AtlasNode* FindImage(const AtlasKey& key);
    // Every page changed since the last upload gets a new texture.
    void UploadPages();

    // Replaces the settings and the pages by a layout file (opened here when
    // it is not open yet) and uploads. A refused file (one log line) leaves
    // the atlas as it was. Takes no lock: no other thread may use the atlas
    // meanwhile.
    [[nodiscard]] bool LoadLayout(FileObject& file);
    // Page size 0: nothing can be added until a layout is loaded.
    void Reset();

    int PageCount() const { return static_cast<int>(m_pages.size()); }
    // Null outside 0..PageCount() - 1.
    TextureAtlasPage* GetPage(int index) const;
    const AsciiString& GetName() const { return m_name; }
    int32_t GetPageWidth() const { return m_pageWidth; }
    int32_t GetPageHeight() const { return m_pageHeight; }
    int32_t GetPadding() const { return m_padding; }
    uint32_t GetFormat() const { return m_format; }
    Mutex& GetMutex() { return m_mutex; }

private:
    void DeletePages();

    std::vector<std::unique_ptr<TextureAtlasPage>> m_pages;
    int32_t m_pageWidth;
    int32_t m_pageHeight;
    int32_t m_padding;
    AsciiString m_name;
    uint32_t m_format;
    Mutex m_mutex;
    bool m_closeOldPages;
};

}  // namespace Varnok
