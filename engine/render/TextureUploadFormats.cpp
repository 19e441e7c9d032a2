// The upload-format table and the extension list, each built once from the GL.
#include "engine/render/TextureUploadFormats.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstring>

namespace Varnok {
namespace {

constexpr uint32_t kGlPvrtcRgb2 = 0x8C01;
constexpr uint32_t kGlPvrtcRgb4 = 0x8C00;
constexpr uint32_t kGlPvrtcRgba2 = 0x8C03;
constexpr uint32_t kGlPvrtcRgba4 = 0x8C02;
constexpr uint32_t kGlEtc1 = 0x8D64;
constexpr uint32_t kGlAtcRgb = 0x8C92;
constexpr uint32_t kGlAtcExplicitAlpha = 0x8C93;
constexpr uint32_t kGlAtcInterpolatedAlpha = 0x87EE;
constexpr uint32_t kGlDxt1 = 0x83F1;  // GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
constexpr uint32_t kGlDxt3 = 0x83F2;
constexpr uint32_t kGlDxt5 = 0x83F3;

const TextureUploadFormat kUncompressed[] = {
    {GL_ALPHA, GL_UNSIGNED_BYTE, kAlpha8Descriptor},
    {GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, kLuminanceAlpha8Descriptor},
    {GL_RGB, GL_UNSIGNED_BYTE, kRgb8Descriptor},
    {GL_RGB, GL_UNSIGNED_SHORT_5_6_5, kRgb565Descriptor},
    {GL_RGBA, GL_UNSIGNED_BYTE, kRgba8Descriptor},
    {GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4, kRgba4444Descriptor},
    {GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1, kRgba5551Descriptor},
};

// Offered when the GL lists the format among its compressed formats.
const TextureUploadFormat kListedCompressed[] = {
    {kGlPvrtcRgb2, 0,
     PixelDescriptor{PixelEncoding::Pvrtc, 2, 0, {kChannelR8, kChannelG8, kChannelB8, {}}}},
    {kGlPvrtcRgb4, 0,
     PixelDescriptor{PixelEncoding::Pvrtc, 4, 0, {kChannelR8, kChannelG8, kChannelB8, {}}}},
    {kGlPvrtcRgba2, 0,
     PixelDescriptor{PixelEncoding::Pvrtc, 2, 0, {kChannelR8, kChannelG8, kChannelB8, kChannelA8}}},
    {kGlPvrtcRgba4, 0,
     PixelDescriptor{PixelEncoding::Pvrtc, 4, 0, {kChannelR8, kChannelG8, kChannelB8, kChannelA8}}},
    {kGlEtc1, 0, kEtc1RgbDescriptor},
    {kGlAtcRgb, 0, kAtcRgbDescriptor},
    {kGlAtcExplicitAlpha, 0, kAtcExplicitAlphaDescriptor},
    {kGlAtcInterpolatedAlpha, 0, kAtcInterpolatedAlphaDescriptor},
};

// The descriptors the DDS reader gives S3TC images.
const TextureUploadFormat kDxt1{
    kGlDxt1, 0,
    PixelDescriptor{PixelEncoding::S3tc, 1, 0, {kChannelB8, kChannelG8, kChannelR8, kChannelX8}}};
const TextureUploadFormat kDxt3{
    kGlDxt3, 0,
    PixelDescriptor{PixelEncoding::S3tc, 3, 0, {kChannelB8, kChannelG8, kChannelR8, kChannelA8}}};
const TextureUploadFormat kDxt5{
    kGlDxt5, 0,
    PixelDescriptor{PixelEncoding::S3tc, 5, 0, {kChannelB8, kChannelG8, kChannelR8, kChannelA8}}};

bool DescriptorLess(const TextureUploadFormat& a, const TextureUploadFormat& b) {
    return PixelFormat::Compare(a.descriptor, b.descriptor) < 0;
}

}  // namespace

// ---- GLExtensionList ----

GLExtensionList::GLExtensionList(const char* extensions) {
    const char* p = extensions != nullptr ? extensions : "";
    while (*p != '\0') {
        while (*p == ' ' || *p == '\t') {
            ++p;
        }
        const char* start = p;
        while (*p != '\0' && *p != ' ' && *p != '\t') {
            ++p;
        }
        if (p > start) {
            m_words.emplace_back(start, static_cast<int>(p - start));
        }
    }
    std::sort(m_words.begin(), m_words.end(), [](const AsciiString& a, const AsciiString& b) {
        return AsciiString::Compare(a, b) < 0;
    });
}

const GLExtensionList& GLExtensionList::Get() {
    static const GLExtensionList s_list(
        reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
    return s_list;
}

bool GLExtensionList::Has(const char* name) const {
    const AsciiString wanted(name);
    auto it = std::lower_bound(m_words.begin(), m_words.end(), wanted,
                               [](const AsciiString& a, const AsciiString& b) {
                                   return AsciiString::Compare(a, b) < 0;
                               });
    return it != m_words.end() && std::strcmp(it->c_str(), wanted.c_str()) == 0;
}

// ---- TextureUploadFormats ----

TextureUploadFormats::TextureUploadFormats(const std::vector<int32_t>& compressedFormats,
                                           const GLExtensionList& extensions) {
    m_formats.assign(std::begin(kUncompressed), std::end(kUncompressed));
    for (const TextureUploadFormat& format : kListedCompressed) {
        if (std::find(compressedFormats.begin(), compressedFormats.end(),
                      static_cast<int32_t>(format.glFormat)) != compressedFormats.end()) {
            m_formats.push_back(format);
        }
    }
    const bool s3tc = extensions.Has("GL_EXT_texture_compression_s3tc");
    if (s3tc || extensions.Has("GL_EXT_texture_compression_dxt1")) {
        m_formats.push_back(kDxt1);
    }
    if (s3tc) {
        m_formats.push_back(kDxt3);
        m_formats.push_back(kDxt5);
    }
    std::stable_sort(m_formats.begin(), m_formats.end(), DescriptorLess);
}

const TextureUploadFormats& TextureUploadFormats::Get() {
    static const TextureUploadFormats s_formats = [] {
        GLint count = 0;
        glGetIntegerv(GL_NUM_COMPRESSED_TEXTURE_FORMATS, &count);
        std::vector<int32_t> formats(static_cast<size_t>(count > 0 ? count : 0));
        if (!formats.empty()) {
            glGetIntegerv(GL_COMPRESSED_TEXTURE_FORMATS, formats.data());
        }
        return TextureUploadFormats(formats, GLExtensionList::Get());
    }();
    return s_formats;
}

const TextureUploadFormat* TextureUploadFormats::Find(const PixelDescriptor& descriptor) const {
    auto it = std::lower_bound(m_formats.begin(), m_formats.end(), descriptor,
                               [](const TextureUploadFormat& entry, const PixelDescriptor& d) {
                                   return PixelFormat::Compare(entry.descriptor, d) < 0;
                               });
    if (it != m_formats.end() && PixelFormat::Compare(it->descriptor, descriptor) == 0) {
        return &*it;
    }
    const TextureUploadFormat* best = nullptr;
    uint32_t bestDistance = 0;
    for (const TextureUploadFormat& entry : m_formats) {
        if (entry.descriptor.encoding != PixelEncoding::Uncompressed) {
            continue;
        }
        const uint32_t distance =
            PixelFormat::Distance(descriptor.channels, entry.descriptor.channels, 4);
        if (best == nullptr || distance < bestDistance) {
            best = &entry;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace Varnok
