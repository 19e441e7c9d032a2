// The texture-source interface's shared behaviour, the device-variant file
// lookup and the image lock.
#include "engine/render/TextureSource.h"

#include "engine/render/ApparentSizeTextureSource.h"
#include "engine/render/TextureLoader.h"

#include <cstring>
#include <utility>

namespace Varnok {

namespace {

// Main thread only, like every source.
AsciiString& VariantPrefix() {
    static AsciiString prefix;
    return prefix;
}

AsciiString& VariantSuffix() {
    static AsciiString suffix;
    return suffix;
}

}  // namespace

TextureSource::~TextureSource() {
    ClearListeners(m_changeListeners);
    ClearListeners(m_regionListeners);
}

void TextureSource::NotifyChanged() {
    m_changeListeners.Invoke();
}

void TextureSource::NotifyRegionChanged(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    m_regionListeners.Invoke(left, top, right, bottom);
}

AsciiString TextureSource::Describe() const {
    return AsciiString("Base TextureSource class (not overriden!)");
}

SmartPtr<TextureSource> TextureSource::LoadFile(const char* path) {
    SmartPtr<TextureSource> base = TextureLoader::Create(path);
    if (path == nullptr || (VariantPrefix().IsEmpty() && VariantSuffix().IsEmpty())) {
        return base;
    }
    const AsciiString variantPath = MakeVariantPath(path);
    SmartPtr<TextureSource> variant = TextureLoader::Create(variantPath.c_str());
    if (!variant) {
        return base;
    }
    if (!base) {
        return variant;
    }
    return SmartPtr<TextureSource>(new ApparentSizeTextureSource(variant, base));
}

void TextureSource::SetVariantNames(const AsciiString& prefix, const AsciiString& suffix) {
    VariantPrefix() = prefix;
    VariantSuffix() = suffix;
}

AsciiString TextureSource::MakeVariantPath(const char* path) {
    if (path == nullptr) {
        return AsciiString();
    }
    const char* slash = std::strrchr(path, '/');
    const char* backslash = std::strrchr(path, '\\');
    const char* separator =
        (slash == nullptr || (backslash != nullptr && backslash > slash)) ? backslash : slash;
    const char* name = separator != nullptr ? separator + 1 : path;
    AsciiString variant(path, static_cast<int>(name - path));
    variant.AppendString(VariantPrefix());
    variant.Append(name);
    variant.AppendString(VariantSuffix());
    return variant;
}

void TextureImageLock::Set(const SmartPtr<TextureSource>& source) {
    // Take the new image before letting the old one go.
    SmartPtr<TextureSource> newSource = source;
    TextureImage* newImage = newSource ? newSource->AcquireImage() : nullptr;
    SmartPtr<TextureSource> oldSource = std::move(m_source);
    TextureImage* oldImage = m_image;
    m_source = std::move(newSource);
    m_image = newImage;
    if (oldSource && oldImage != nullptr) {
        oldSource->ReleaseImage(oldImage);
    }
}

void TextureImageLock::Clear() {
    SmartPtr<TextureSource> oldSource = std::move(m_source);
    TextureImage* oldImage = m_image;
    m_image = nullptr;
    if (oldSource && oldImage != nullptr) {
        oldSource->ReleaseImage(oldImage);
    }
}

}  // namespace Varnok
