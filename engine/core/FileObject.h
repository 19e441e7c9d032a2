// A named file opened as a stream or loaded whole through the mounted file
// systems; every read and write of engine data goes through one of these.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/FileSystem.h"

#include <cstdint>
#include <memory>

namespace Varnok {

class FileObject {
public:
    // key 0 lets any mounted file system answer; mode 0 reads, others write.
    FileObject(const char* name, int mode, uint32_t key = 0);
    ~FileObject();
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    // Opens through the given file system, or through the registry when null.
    // Reading requires the file to exist. True when open (also when it was).
    [[nodiscard]] bool Open(FileSystem* fileSystem = nullptr);
    // Requires: open.
    [[nodiscard]] bool Read(void* buffer, int32_t n);
    // Scrambled when scrambled data is on and the name contains ".xml".
    [[nodiscard]] bool Write(const void* buffer, int32_t n);

    // Loads the whole file through the registry: into the caller's buffer of
    // `length` bytes (not owned), or, with null, into a block this object
    // owns. True when loaded (also when it was already).
    [[nodiscard]] bool Load(uint8_t* buffer = nullptr, int32_t length = 0);

    uint8_t* GetData() const { return m_data; }
    // The loaded length, or the stream's length while open.
    int32_t GetLength() const { return m_length; }
    const AsciiString& GetName() const { return m_name; }
    bool IsOpen() const { return m_open; }
    bool IsLoaded() const { return m_loaded; }
    // Null unless open.
    FileStream* GetStream() const { return m_stream.get(); }

    // Closes the stream (publishing a written file); keeps loaded data.
    void CloseStream();
    // Back to idle: frees owned data and closes the stream.
    void Close();

private:
    bool NameIsXml() const;

    std::unique_ptr<FileStream> m_stream;
    uint32_t m_key;
    AsciiString m_name;
    uint8_t* m_data = nullptr;  // owned when m_ownsData
    bool m_open = false;
    bool m_loaded = false;
    bool m_ownsData = true;
    int32_t m_length = 0;
    int m_mode;
};

}  // namespace Varnok
