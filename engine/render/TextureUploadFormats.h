// The pixel formats this GL accepts for texture upload, and the GL's
// extension names that decide part of them.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/render/PixelFormat.h"

#include <cstdint>
#include <vector>

namespace Varnok {

struct TextureUploadFormat {
    uint32_t glFormat = 0;  // the compressed internal format for compressed ones
    uint32_t glType = 0;    // 0 for compressed formats
    PixelDescriptor descriptor;
};

// The words of the GL's extension string, sorted in the engine string order.
class GLExtensionList {
public:
    // Splits at runs of blanks and tabs; null is empty.
    explicit GLExtensionList(const char* extensions);

    // The current GL's list, built on first use. Requires: a current context.
    static const GLExtensionList& Get();

    bool Has(const char* name) const;
    const std::vector<AsciiString>& GetWords() const { return m_words; }

private:
    std::vector<AsciiString> m_words;
};

class TextureUploadFormats {
public:
    // The uncompressed formats and the compressed ones the device offers:
    // those of `compressedFormats` that the table knows, and S3TC by
    // extension name. Sorted by PixelFormat::Compare.
    TextureUploadFormats(const std::vector<int32_t>& compressedFormats,
                         const GLExtensionList& extensions);

    // The current GL's table, built on first use. Requires: a current context.
    static const TextureUploadFormats& Get();

    // The entry with this very descriptor, else the uncompressed entry
    // nearest to it (PixelFormat::Distance; the first on ties); null when
    // the table has no uncompressed entry.
    const TextureUploadFormat* Find(const PixelDescriptor& descriptor) const;

    const std::vector<TextureUploadFormat>& GetFormats() const { return m_formats; }

private:
    std::vector<TextureUploadFormat> m_formats;
};

}  // namespace Varnok
