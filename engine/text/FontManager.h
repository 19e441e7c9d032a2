// The engine's one owner of TrueType fonts: FreeType, the fonts by normalised
// path and the shared glyph atlas (512 x 512 pages, 1 pixel of padding).
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/EventList.h"
#include "engine/core/Mutex.h"
#include "engine/core/SmartPtr.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

struct FT_LibraryRec_;

namespace Varnok {

class Font;
class TextLayout;
class TextureAtlas;

class FontManager {
public:
    static constexpr int32_t kAtlasPageSize = 512;
    static constexpr int32_t kAtlasPadding = 1;
    static constexpr uint32_t kResolution = 100;  // dots per inch of every size request

    // Atlas formats: 0 = 8-bit alpha, 2 = 32-bit RGBA, others 16-bit
    // luminance-alpha.
    enum AtlasFormat : int { Alpha8 = 0, LuminanceAlpha16 = 1, Rgba32 = 2 };

    // Made on first use, destroyed at exit.
    static FontManager& Get();
    ~FontManager();
    FontManager(const FontManager&) = delete;
    FontManager& operator=(const FontManager&) = delete;

    // Creates the atlas and starts FreeType. On failure keeps the error text
    // and returns false; glyph requests then yield nothing.
    [[nodiscard]] bool Init(float textScale, float sizeMultiplier, int atlasFormat,
                            bool atlasFlag);
    // Releases the atlas, every font and FreeType. Fonts handed out before
    // are gone afterwards.
    void Shutdown();

    // The font of the path, loaded on first request. The path is compared
    // lower-cased and normalised ('\' as '/', "." parts dropped). Never null
    // while initialised (a font whose file failed has no face); null before
    // Init.
    Font* GetFont(const char* path);
    // Loaded already, or a file of that path exists in a mounted file system.
    bool HasFont(const char* path);

    // The render scale of every font: glyphs are rendered at size x scale
    // and measured back in layout units. A change empties the atlas.
    void SetScale(float scale);
    // A new empty atlas; every registered layout drops its glyphs and
    // rebuilds on its next draw; then the rebuilt event fires.
    void Rebuild();
    // Uploads the atlas pages that changed; before every text draw.
    void UploadAtlas();

    // Layouts register for the whole of their life (not owned).
    void RegisterLayout(TextLayout* layout);
    void UnregisterLayout(TextLayout* layout);

    bool IsInitialised() const { return m_initialised; }
    const char* GetErrorText() const { return m_errorText; }
    float GetTextScale() const { return m_textScale; }
    float GetSizeMultiplier() const { return m_sizeMultiplier; }
    int GetExtraSpacing() const { return m_extraSpacing; }
    int GetAtlasFormat() const { return m_atlasFormat; }
    // Multiplies the y axis of every text draw; the UI sets it while it draws.
    float GetVerticalDrawScale() const { return m_verticalDrawScale; }
    void SetVerticalDrawScale(float scale) { m_verticalDrawScale = scale; }
    // Null before Init and after Shutdown.
    TextureAtlas* GetAtlas() const { return m_atlas.Get(); }
    Event0& GetRebuiltEvent() { return m_rebuilt; }
    int LoadedFontCount() const { return static_cast<int>(m_fonts.size()); }

    // For fonts: every FreeType call, and the scratch image, under this lock.
    Mutex& GetFreeTypeMutex() { return m_freeTypeMutex; }
    FT_LibraryRec_* GetLibrary() const { return m_library; }
    int32_t TakeFontId() { return m_fontIdCounter++; }
    // Room for count 16-bit pixels, reused by every glyph; grows, never
    // shrinks. Requires: the FreeType mutex.
    uint16_t* GetScratchImage(size_t count);

private:
    FontManager() = default;
    void CreateAtlas();
    static AsciiString FontKey(const char* path);

    char m_errorText[256] = {};
    FT_LibraryRec_* m_library = nullptr;
    float m_textScale = 1.0f;
    float m_sizeMultiplier = 1.0f;
    int m_extraSpacing = 0;
    int m_atlasFormat = 1;
    bool m_atlasFlag = false;
    bool m_initialised = false;
    SmartPtr<TextureAtlas> m_atlas;
    int32_t m_fontIdCounter = 0;
    std::vector<TextLayout*> m_layouts;
    Event0 m_rebuilt;
    std::unique_ptr<uint16_t[]> m_scratch;
    size_t m_scratchCapacity = 0;
    float m_verticalDrawScale = 1.0f;
    std::map<AsciiString, std::unique_ptr<Font>, AsciiStringLess> m_fonts;
    Mutex m_managerMutex;
    Mutex m_freeTypeMutex;
};

}  // namespace Varnok
