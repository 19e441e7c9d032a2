// Where a texture's pixels come from: a source hands out a decoded image on
// request and tells its listeners when its pixels change, so that the GL
// texture built on it can upload again.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/EventList.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"

#include <cstdint>

namespace Varnok {

class TextureImage;

// The whole-image region that sources report when they cannot say better.
constexpr int32_t kWholeRegionEnd = 2147483647;

class TextureSource : public virtual ReferenceCounter {
public:
    // Listeners of a region change get (left, top, right, bottom).
    using RegionEvent = Event4<int32_t, int32_t, int32_t, int32_t>;

    TextureSource() = default;
    TextureSource(const TextureSource&) = delete;
    TextureSource& operator=(const TextureSource&) = delete;
    ~TextureSource() override;

    // Calls every change listener.
    virtual void NotifyChanged();
    // Calls every region listener with the rectangle.
    virtual void NotifyRegionChanged(int32_t left, int32_t top, int32_t right, int32_t bottom);

    // The current image, or null; every image acquired must be handed back
    // once through ReleaseImage.
    virtual TextureImage* AcquireImage() = 0;
    virtual void ReleaseImage(TextureImage* image) = 0;
    // An identity of the source (a file loader's path hash; 0 when none).
    virtual uint32_t GetHash() const = 0;
    // A text for diagnostics.
    virtual AsciiString Describe() const;

    Event0& GetChangeListeners() { return m_changeListeners; }
    RegionEvent& GetRegionListeners() { return m_regionListeners; }

    // The source for a texture file. With a device variant name set (a prefix
    // and/or suffix around the file name), a variant file that exists gives
    // the pixels while the base file, when it exists too, keeps the apparent
    // size. Null when neither file exists.
    static SmartPtr<TextureSource> LoadFile(const char* path);
    // Both empty at start-up; "hd_" and "" turn "textures/a/b.tex" into
    // "textures/a/hd_b.tex".
    static void SetVariantNames(const AsciiString& prefix, const AsciiString& suffix);
    // The variant of a path under the current names.
    static AsciiString MakeVariantPath(const char* path);

    // Frees every entry of a listener list without calling it; owners of
    // listener lists call it from their destructors.
    template <typename... Args>
    static void ClearListeners(ListenerList<Args...>& list) {
        list.Clear();
    }

private:
    Event0 m_changeListeners;
    RegionEvent m_regionListeners;
};

// How every user holds an image: the source and the image acquired from it,
// released together. Main thread only, like the sources.
class TextureImageLock {
public:
    TextureImageLock() = default;
    explicit TextureImageLock(const SmartPtr<TextureSource>& source) { Set(source); }
    TextureImageLock(const TextureImageLock&) = delete;
    TextureImageLock& operator=(const TextureImageLock&) = delete;
    ~TextureImageLock() { Clear(); }

    // Acquires the new source's image first, then releases the old image, so
    // that setting the same source again never lets its image go. The image
    // is null when the source is null or yields none.
    void Set(const SmartPtr<TextureSource>& source);
    // Releases the image and drops the source.
    void Clear();

    TextureImage* GetImage() const { return m_image; }
    const SmartPtr<TextureSource>& GetSource() const { return m_source; }

private:
    SmartPtr<TextureSource> m_source;
    TextureImage* m_image = nullptr;  // owned by m_source; null when none
};

}  // namespace Varnok
