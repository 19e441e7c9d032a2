// The weak texture cache keyed by path hash.
#include "engine/render/TextureManager.h"

#include "engine/core/FilePath.h"
#include "engine/core/FileSystem.h"
#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/render/TextureLoader.h"

namespace Varnok {

TextureManager& TextureManager::Get() {
    static TextureManager s_manager;
    return s_manager;
}

SmartPtr<Texture> TextureManager::GetTexture(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        Log("TextureManager: no path given");
        return nullptr;
    }
    const AsciiString normalised = NormalisePath(path);
    const uint32_t key = HashPath(normalised.c_str());
    {
        MutexLock lock(m_mutex);
        auto it = m_cache.find(key);
        if (it != m_cache.end()) {
            // Null when the texture is gone or going: it is loaded anew.
            SmartPtr<Texture> texture = it->second.Lock();
            if (texture) {
                return texture;
            }
        }
    }
    if (!FileExists(normalised.c_str(), 0)) {
        Log("TextureManager: no file \"%s\"", normalised.c_str());
        return nullptr;
    }
    if (FileGetSize(normalised.c_str(), 0) < 1) {
        Log("TextureManager: \"%s\" is empty", normalised.c_str());
        return nullptr;
    }
    SmartPtr<Texture> texture = LoadTexture(normalised.c_str(), TextureCreateMode::Scale);
    {
        // Two requests for one new path may both load it; the later store wins.
        MutexLock lock(m_mutex);
        m_cache[key] = texture;
    }
    return texture;
}

SmartPtr<Texture> TextureManager::LoadTexture(const char* path, int mode) {
    SmartPtr<TextureSource> loader = TextureLoader::Create(path);
    if (!loader) {
        Log("TextureManager: no file \"%s\"", path != nullptr ? path : "");
        return nullptr;
    }
    SmartPtr<Texture> texture = Texture::CreateFromSource(loader, mode);
    // Bytes that no reader accepts were reported by the loader already.
    if (!texture && !static_cast<TextureLoader*>(loader.Get())->RefusedItsBytes()) {
        Log("TextureManager: \"%s\" is not a flat image in a known format", path);
    }
    return texture;
}

int TextureManager::GetEntryCount() {
    MutexLock lock(m_mutex);
    return static_cast<int>(m_cache.size());
}

}  // namespace Varnok
