// FreeType's library handle, the fonts by normalised path and the shared
// glyph atlas.
#include "engine/text/FontManager.h"

#include "engine/core/FilePath.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Log.h"
#include "engine/render/TextureAtlas.h"
#include "engine/text/Font.h"
#include "engine/text/TextLayout.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>

namespace Varnok {

FontManager& FontManager::Get() {
    static FontManager s_manager;
    return s_manager;
}

FontManager::~FontManager() {
    Shutdown();
}

void FontManager::CreateAtlas() {
    m_atlas = new TextureAtlas(kAtlasPageSize, kAtlasPageSize, kAtlasPadding,
                               static_cast<uint32_t>(m_atlasFormat), m_atlasFlag);
}

bool FontManager::Init(float textScale, float sizeMultiplier, int atlasFormat, bool atlasFlag) {
    MutexLock managerLock(m_managerMutex);
    if (m_initialised) {
        return true;
    }
    m_atlasFormat = atlasFormat;
    m_atlasFlag = atlasFlag;
    CreateAtlas();
    m_sizeMultiplier = 1.0f;
    MutexLock freeTypeLock(m_freeTypeMutex);
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::strncpy(m_errorText, "Freetype failed to initialize", sizeof(m_errorText) - 1);
        Log("FontManager: %s", m_errorText);
        return false;
    }
    m_library = library;
    m_initialised = true;
    m_textScale = textScale > 0.0f ? textScale : 1.0f;
    m_sizeMultiplier = sizeMultiplier;
    return true;
}

void FontManager::Shutdown() {
    MutexLock managerLock(m_managerMutex);
    if (!m_initialised) {
        return;
    }
    m_atlas = nullptr;
    m_fonts.clear();  // each font closes its face first
    {
        MutexLock freeTypeLock(m_freeTypeMutex);
        FT_Done_FreeType(m_library);
        m_library = nullptr;
        m_scratch.reset();
        m_scratchCapacity = 0;
    }
    m_initialised = false;
    m_layouts.clear();
}

AsciiString FontManager::FontKey(const char* path) {
    return NormalisePath(AsciiString::ToLowerCopy(AsciiString(path)).c_str());
}

Font* FontManager::GetFont(const char* path) {
    MutexLock managerLock(m_managerMutex);
    if (!m_initialised) {
        return nullptr;
    }
    const AsciiString key = FontKey(path);
    auto found = m_fonts.find(key);
    if (found != m_fonts.end()) {
        return found->second.get();
    }
    auto font = std::make_unique<Font>(key.c_str(), *this);
    Font* result = font.get();
    m_fonts.emplace(key, std::move(font));
    return result;
}

bool FontManager::HasFont(const char* path) {
    MutexLock managerLock(m_managerMutex);
    const AsciiString key = FontKey(path);
    if (m_fonts.find(key) != m_fonts.end()) {
        return true;
    }
    return FileExists(key.c_str(), 0);
}

void FontManager::SetScale(float scale) {
    if (scale == m_textScale || !(scale > 0.0f)) {
        return;
    }
    m_textScale = scale;
    for (auto& entry : m_fonts) {
        entry.second->SetScale(scale, false);
    }
    Rebuild();
}

void FontManager::Rebuild() {
    {
        MutexLock managerLock(m_managerMutex);
        if (m_atlas != nullptr) {
            CreateAtlas();  // the old one goes with its last reference
        }
        for (TextLayout* layout : m_layouts) {
            layout->Invalidate();
        }
    }
    m_rebuilt.Invoke();
}

void FontManager::UploadAtlas() {
    MutexLock managerLock(m_managerMutex);
    if (m_atlas != nullptr) {
        m_atlas->UploadPages();
    }
}

void FontManager::RegisterLayout(TextLayout* layout) {
    MutexLock managerLock(m_managerMutex);
    m_layouts.push_back(layout);
}

void FontManager::UnregisterLayout(TextLayout* layout) {
    MutexLock managerLock(m_managerMutex);
    auto found = std::find(m_layouts.begin(), m_layouts.end(), layout);
    if (found != m_layouts.end()) {
        m_layouts.erase(found);
    }
}

uint16_t* FontManager::GetScratchImage(size_t count) {
    if (count > m_scratchCapacity) {
        m_scratch.reset(new uint16_t[count]);
        m_scratchCapacity = count;
    }
    return m_scratch.get();
}

}  // namespace Varnok
