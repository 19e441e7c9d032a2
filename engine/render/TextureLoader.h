// The innermost source of every texture from a file: reads the file on the
// first acquire, decodes it with the first image reader that accepts it and
// keeps the image while anybody holds it.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/TextureSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Varnok {

class FileObject;
class TextureImage;

class TextureLoader final : public TextureSource {
public:
    ~TextureLoader() override;

    // A loader for a file of the mounted file systems ('\' read as '/'), or
    // null when no file system has it. The file is read on first acquire.
    static SmartPtr<TextureSource> Create(const char* path);
    // A loader over image bytes in memory; it owns the block for its life.
    static SmartPtr<TextureSource> CreateFromMemory(std::unique_ptr<uint8_t[]> data,
                                                    uint32_t byteCount);

    // The decoded image, shared by all holders; null when the file does not
    // load or no reader accepts it (the next acquire tries again).
    TextureImage* AcquireImage() override;
    // After the last release the image and the file's bytes are freed.
    // Ignores any image but the current one.
    void ReleaseImage(TextureImage* image) override;
    // HashPath of the path; 0 for a memory loader.
    uint32_t GetHash() const override { return m_hash; }
    // "(TextureLoader)<path>", or "(TextureLoader) mem: 0x<address>".
    AsciiString Describe() const override;

    // The path, or "TextureLoader(0x<ADDRESS>,<size>)" for a memory loader.
    const AsciiString& GetName() const { return m_name; }
    int32_t GetAcquireCount() const { return m_count; }
    // Whether the file's bytes are loaded now.
    bool IsFileLoaded() const { return m_file != nullptr; }
    // Whether the last acquire found bytes that no reader accepts (logged).
    bool RefusedItsBytes() const { return m_refused; }

private:
    TextureLoader() = default;

    std::unique_ptr<TextureImage> Decode(const uint8_t* data, size_t byteCount) const;

    AsciiString m_name;
    std::unique_ptr<FileObject> m_file;  // while the image lives
    std::unique_ptr<TextureImage> m_image;
    int32_t m_count = 0;
    uint32_t m_hash = 0;
    std::unique_ptr<uint8_t[]> m_block;  // a memory loader's bytes
    uint32_t m_blockSize = 0;
    bool m_fromMemory = false;
    bool m_refused = false;
};

}  // namespace Varnok
