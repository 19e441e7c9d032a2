// Textures by file name, shared: every user of one file gets the same
// texture for as long as any of them holds it, and a texture nobody holds is
// freed at once and loaded again on the next request.
#pragma once

#include "engine/core/Mutex.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/WeakPtr.h"
#include "engine/render/Texture.h"

#include <cstdint>
#include <unordered_map>

namespace Varnok {

class TextureManager {
public:
    TextureManager() = default;
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    // The one manager, made on first use.
    static TextureManager& Get();

    // The shared texture for a path of the mounted file systems; paths that
    // normalise to the same text, in any letter case, share it. Null (with
    // one log line) for a missing, empty or undecodable file, and for an
    // empty path.
    SmartPtr<Texture> GetTexture(const char* path);
    // A new texture from the file, bypassing the cache; null when the file
    // is missing or cannot be decoded.
    SmartPtr<Texture> LoadTexture(const char* path, int mode);

    // Kept for callers; the cache holds no textures, so there is nothing to limit.
    void SetCacheLimit(int32_t limit) { (void)limit; }

    // Keys ever stored (failed loads included); for tests.
    int GetEntryCount();

private:
    Mutex m_mutex;  // guards m_cache only: loading runs outside it
    std::unordered_map<uint32_t, WeakPtr<Texture>> m_cache;  // by HashPath of the normalised path
};

}  // namespace Varnok
