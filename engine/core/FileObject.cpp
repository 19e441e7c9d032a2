// FileObject: opening, loading and the scrambling of ".xml" data.
#include "engine/core/FileObject.h"

#include <cstring>

namespace Varnok {

FileObject::FileObject(const char* name, int mode, uint32_t key)
    : m_key(key), m_name(name), m_mode(mode) {}

FileObject::~FileObject() {
    Close();
}

bool FileObject::Open(FileSystem* fileSystem) {
    if (m_open) {
        return true;
    }
    const char* path = m_name.c_str();
    if ((m_mode & 1) == 0) {
        // Reading: a missing file fails before any file system is asked to open.
        const bool exists = fileSystem != nullptr ? fileSystem->Exists(path)
                                                  : FileSystemRegistry::Get().Exists(path, m_key);
        if (!exists) {
            return false;
        }
    }
    m_stream = fileSystem != nullptr ? fileSystem->Open(path, m_mode)
                                     : FileSystemRegistry::Get().Open(path, m_mode, m_key);
    if (m_stream) {
        m_open = true;
        m_length = m_stream->GetLength();
    }
    return m_open;
}

bool FileObject::Read(void* buffer, int32_t n) {
    return m_stream != nullptr && m_stream->Read(buffer, n);
}

bool FileObject::Write(const void* buffer, int32_t n) {
    if (m_stream == nullptr) {
        return false;
    }
    if (IsScrambledData() && NameIsXml()) {
        return m_stream->WriteScrambled(buffer, n);
    }
    return m_stream->Write(buffer, n);
}

bool FileObject::Load(uint8_t* buffer, int32_t length) {
    if (m_loaded) {
        return true;
    }
    m_data = buffer;
    m_length = buffer != nullptr ? length : 0;
    m_mode = kOpenRead;
    bool owns = false;
    m_loaded = FileSystemRegistry::Get().Load(m_name.c_str(), &m_data, &m_length, m_key, &owns);
    if (!m_loaded) {
        m_data = nullptr;
        m_length = 0;
        m_ownsData = false;
        return false;
    }
    m_ownsData = owns;
    if (IsScrambledData() && NameIsXml()) {
        for (int32_t i = 0; i < m_length; ++i) {
            m_data[i] ^= ScrambleByte(i);
        }
    }
    return true;
}

void FileObject::CloseStream() {
    if (m_open && m_stream) {
        m_stream->Close();
    }
    m_stream.reset();
    m_open = false;
    m_length = 0;
}

void FileObject::Close() {
    if (m_ownsData) {
        FreeFileData(m_data);
    }
    m_data = nullptr;
    CloseStream();
    m_loaded = false;
}

bool FileObject::NameIsXml() const {
    // A substring test on purpose: "data.xml.bak" counts too.
    return strstr(m_name.c_str(), ".xml") != nullptr;
}

}  // namespace Varnok
