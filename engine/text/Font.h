// One TrueType face loaded whole from a file: renders glyphs with effects into
// the font manager's shared atlas, measures advances and kerning, and breaks
// text into lines. Made and owned by FontManager::GetFont.
#pragma once

#include "engine/core/Mutex.h"
#include "engine/text/Glyph.h"
#include "engine/text/GlyphEffect.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct FT_FaceRec_;

namespace Varnok {

class FontManager;
struct AtlasKey;
struct AtlasNode;
class GlyphEffectCache;

class Font {
public:
    // Loads the file through the mounted file systems when the manager is
    // initialised. A missing file or a face FreeType refuses leaves a font
    // without a face (one log line): it draws and measures nothing.
    Font(const char* path, FontManager& owner);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Searched in order for characters this font lacks; not owned, no
    // duplicate check.
    void AddFallback(Font* font);
    // Ignored for scale <= 0, or while the scale is locked and lock is false.
    void SetScale(float scale, bool lock);

    // The glyph of a character from the cache, rendering it on a miss (from
    // the first fallback that has it, else this font's missing-glyph shape).
    // False, outGlyph untouched, when nothing can be produced: no manager, no
    // face, or an image the atlas refuses.
    [[nodiscard]] bool GetGlyph(uint32_t character, float size, const GlyphEffect& effect,
                                Glyph& outGlyph);
    // A glyph with only the advance (and character, size, font) filled, for
    // measuring; nothing goes into the atlas. Advance 0 without a face.
    Glyph GetMetricsGlyph(uint32_t character, float size);
    // The pair kerning in layout units; asks the fallbacks when FreeType
    // reports an error for this face. 0 without a face.
    float GetKerning(uint32_t left, uint32_t right, float size);

    // Cuts the first line off text (UTF-8): text keeps the line, outRest what
    // follows. maximumWidth -1 means no limit. The optional outputs: the
    // line's width, whether a word had to be cut, and how many code points
    // were taken off text (a dropped break character included; left as it
    // was when the whole text is the line).
    void TakeLine(std::string& text, std::string& outRest, float size, int charSpacing,
                  float maximumWidth, float* outWidth, bool* outCut, int* outConsumed);
    // Splits the whole text into lines and their starting code-point indices;
    // either output may be null. Returns whether any line was cut.
    bool WrapText(float size, const char* text, int charSpacing, float maximumWidth,
                  std::vector<std::string>* outLines, std::vector<int>* outLineStarts);

    // Renders one character of this face (the missing-glyph shape when the
    // face lacks it) into the atlas under key; null when the atlas refuses.
    AtlasNode* RenderGlyph(uint32_t character, float size, const GlyphEffect& effect,
                           const AtlasKey& key);
    // The 96-bit cache key of a glyph of this font.
    void BuildGlyphKey(uint32_t character, float size, const GlyphEffect& effect,
                       AtlasKey& outKey) const;

    // Replaces the face by one read from a copy of the bytes (face 0 of a
    // collection). False, leaving no face (one log line), when FreeType
    // refuses them or the manager is not initialised. The font takes a new
    // id, so glyphs cached from an earlier face are not found again.
    bool LoadFromMemory(const void* bytes, size_t length);

    // Forces the next size request through to FreeType.
    void ResetSizeCache();
    bool HasFace() const { return m_face != nullptr; }
    bool MapsCharacter(uint32_t character) const;
    const char* GetPath() const { return m_path; }
    int32_t GetId() const { return m_id; }
    float GetScale() const { return m_scale; }
    float GetReciprocalScale() const { return m_reciprocalScale; }
    const std::vector<Font*>& GetFallbacks() const { return m_fallbacks; }
    FontManager& GetOwner() const { return m_owner; }

private:
    // Requires: the FreeType mutex. False when FreeType refuses the size.
    bool SetCharSize(float size);
    // This face's own kerning; false when FreeType reports an error.
    bool GetFaceKerning(uint32_t left, uint32_t right, float size, float& outKerning);
    bool FillGlyph(AtlasNode* image, uint32_t character, float size, Glyph& outGlyph) const;

    char m_path[256] = {};
    FontManager& m_owner;
    std::vector<Font*> m_fallbacks;
    std::unique_ptr<uint8_t[]> m_fileBytes;  // the face reads them for its whole life
    FT_FaceRec_* m_face = nullptr;
    float m_lastSize = -100.0f;
    int m_lastResolution = -100;
    int32_t m_id = 0;
    float m_scale = 1.0f;
    float m_reciprocalScale = 1.0f;
    bool m_scaleLocked = false;
    std::unique_ptr<GlyphEffectCache> m_effects;  // edge points, discs, blur tables
};

}  // namespace Varnok
