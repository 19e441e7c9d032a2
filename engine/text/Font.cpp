// Faces, glyph keys, rendering into the atlas, metrics and kerning. Every
// FreeType call runs under the manager's FreeType mutex.
#include "engine/text/Font.h"

#include "engine/core/FileObject.h"
#include "engine/core/Log.h"
#include "engine/render/AtlasKey.h"
#include "engine/render/AtlasPacker.h"
#include "engine/render/TextureAtlas.h"
#include "engine/text/FontManager.h"
#include "engine/text/internal/GlyphEffects.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Varnok {
namespace {

// Glyphs are rendered at most this many points (times the text scale): far
// beyond anything a 512-pixel atlas page can take.
constexpr float kMaxRenderSize = 1024.0f;

// A float as an int the way a C cast would take it, without the undefined
// behaviour for NaN and values out of range.
int32_t ToInt(float value) {
    if (!(value == value)) {
        return 0;
    }
    if (value >= 2147483520.0f) {
        return INT32_MAX;
    }
    if (value <= -2147483520.0f) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

uint32_t ToUnsigned(float value) {
    if (!(value > 0.0f)) {
        return 0;
    }
    if (value >= 4294967040.0f) {
        return UINT32_MAX;
    }
    return static_cast<uint32_t>(value);
}

void AppendKeyBits(AtlasKey& key, uint32_t value, uint32_t bitCount) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    key.AppendBits(bytes, bitCount);
}

int PaddingX(const GlyphEffect& effect) {
    switch (effect.type) {
        case GlyphEffect::Outline:
        case GlyphEffect::Glow:
            return ToInt(std::min(effect.params[0], 4096.0f) + 1.0f);
        case GlyphEffect::Bevel:
            return 1;
        default:
            return 0;
    }
}

int PaddingY(const GlyphEffect& effect) {
    switch (effect.type) {
        case GlyphEffect::Outline:
        case GlyphEffect::Glow:
            return ToInt(std::min(effect.params[0], 4096.0f) + 2.0f);
        default:
            return 1;
    }
}

}  // namespace

Font::Font(const char* path, FontManager& owner)
    : m_owner(owner), m_id(owner.TakeFontId()), m_effects(std::make_unique<GlyphEffectCache>()) {
    if (path != nullptr) {
        std::strncpy(m_path, path, sizeof(m_path) - 1);
    }
    if (owner.IsInitialised()) {
        FileObject file(m_path, 0);
        if (!file.Load() || file.GetLength() <= 0) {
            Log("Font: \"%s\" cannot be loaded; its text draws nothing", m_path);
        } else {
            LoadFromMemory(file.GetData(), static_cast<size_t>(file.GetLength()));
        }
    }
    const float textScale = owner.GetTextScale();
    if (textScale > 0.0f && !m_scaleLocked) {
        m_scale = textScale;
        m_reciprocalScale = 1.0f / textScale;
    }
}

Font::~Font() {
    MutexLock lock(m_owner.GetFreeTypeMutex());
    if (m_face != nullptr) {
        FT_Done_Face(m_face);
    }
}

bool Font::LoadFromMemory(const void* bytes, size_t length) {
    MutexLock lock(m_owner.GetFreeTypeMutex());
    if (m_face != nullptr) {
        FT_Done_Face(m_face);
        m_face = nullptr;
    }
    m_fileBytes.reset();
    m_lastSize = -100.0f;
    m_lastResolution = -100;
    // A new face must not find the glyphs of the old one in the atlas.
    m_id = m_owner.TakeFontId();
    if (m_owner.GetLibrary() == nullptr || bytes == nullptr || length == 0 ||
        length > static_cast<size_t>(INT32_MAX)) {
        return false;
    }
    m_fileBytes.reset(new uint8_t[length]);
    std::memcpy(m_fileBytes.get(), bytes, length);
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(m_owner.GetLibrary(), m_fileBytes.get(), static_cast<FT_Long>(length),
                           0, &face) != 0) {
        Log("Font: \"%s\" is not a face FreeType can open; its text draws nothing", m_path);
        m_fileBytes.reset();
        return false;
    }
    m_face = face;
    FT_CharMap chosen = nullptr;
    for (int i = 0; i < face->num_charmaps; ++i) {
        if (face->charmaps[i]->platform_id == 3 && face->charmaps[i]->encoding_id == 1) {
            chosen = face->charmaps[i];
            break;
        }
    }
    if (chosen == nullptr && face->num_charmaps > 0) {
        chosen = face->charmaps[0];
    }
    if (chosen != nullptr) {
        FT_Set_Charmap(face, chosen);
    }
    return true;
}

void Font::AddFallback(Font* font) {
    if (font != nullptr) {
        m_fallbacks.push_back(font);
    }
}

void Font::SetScale(float scale, bool lock) {
    if (!(scale > 0.0f) || (m_scaleLocked && !lock)) {
        return;
    }
    m_scaleLocked = lock;
    m_scale = scale;
    m_reciprocalScale = 1.0f / scale;
    ResetSizeCache();
}

void Font::ResetSizeCache() {
    MutexLock lock(m_owner.GetFreeTypeMutex());
    m_lastSize = -100.0f;
    m_lastResolution = -100;
}

bool Font::MapsCharacter(uint32_t character) const {
    MutexLock lock(m_owner.GetFreeTypeMutex());
    return m_face != nullptr && FT_Get_Char_Index(m_face, character) > 0;
}

bool Font::SetCharSize(float size) {
    if (m_face == nullptr) {
        return false;
    }
    const int resolution = static_cast<int>(FontManager::kResolution);
    if (size == m_lastSize && resolution == m_lastResolution) {
        return true;
    }
    const float scaled = size * m_scale;
    if (!(scaled > 0.0f && scaled <= kMaxRenderSize)) {
        return false;
    }
    const FT_F26Dot6 height = static_cast<FT_F26Dot6>(ToUnsigned(scaled * 64.0f));
    if (height == 0 || FT_Set_Char_Size(m_face, 0, height, 0, FontManager::kResolution) != 0) {
        m_lastSize = -100.0f;
        m_lastResolution = -100;
        return false;
    }
    m_lastSize = size;
    m_lastResolution = resolution;
    return true;
}

void Font::BuildGlyphKey(uint32_t character, float size, const GlyphEffect& effect,
                         AtlasKey& outKey) const {
    outKey.Clear();
    AppendKeyBits(outKey, character, 21);
    AppendKeyBits(outKey, static_cast<uint32_t>(m_id), 8);
    AppendKeyBits(outKey, static_cast<uint32_t>(ToInt(size * 64.0f)), 16);
    AppendKeyBits(outKey, effect.type, 3);
    switch (effect.type) {
        case GlyphEffect::Outline:
        case GlyphEffect::Glow:
        case GlyphEffect::InnerGlow:
            AppendKeyBits(outKey, ToUnsigned(effect.params[0] * m_scale), 32);
            break;
        case GlyphEffect::Bevel: {
            const BevelKey bevel = QuantiseBevel(effect.params[0] * m_scale, effect.params[1],
                                                 effect.params[2], effect.params[3]);
            AppendKeyBits(outKey, static_cast<uint32_t>(bevel.size), 6);
            AppendKeyBits(outKey, static_cast<uint32_t>(bevel.softness), 6);
            AppendKeyBits(outKey, static_cast<uint32_t>(bevel.angle), 4);
            AppendKeyBits(outKey, static_cast<uint32_t>(bevel.depth), 2);
            break;
        }
        default:
            break;
    }
    AppendKeyBits(outKey, static_cast<uint32_t>(ToInt(m_scale * 64.0f)), 16);
}

bool Font::GetGlyph(uint32_t character, float size, const GlyphEffect& effect, Glyph& outGlyph) {
    TextureAtlas* atlas = m_owner.GetAtlas();
    if (!m_owner.IsInitialised() || atlas == nullptr) {
        return false;
    }
    bool anyFace = HasFace();
    for (const Font* fallback : m_fallbacks) {
        anyFace = anyFace || fallback->HasFace();
    }
    if (!anyFace) {
        return false;
    }
    AtlasKey key;
    BuildGlyphKey(character, size, effect, key);
    AtlasNode* image = atlas->FindImage(key);
    bool triedOwn = false;
    if (image == nullptr && MapsCharacter(character)) {
        image = RenderGlyph(character, size, effect, key);
        triedOwn = true;
    }
    if (image == nullptr && !triedOwn) {
        for (Font* fallback : m_fallbacks) {
            AtlasKey fallbackKey;
            fallback->BuildGlyphKey(character, size, effect, fallbackKey);
            image = atlas->FindImage(fallbackKey);
            if (image == nullptr && fallback->MapsCharacter(character)) {
                image = fallback->RenderGlyph(character, size, effect, fallbackKey);
            }
            if (image != nullptr) {
                break;
            }
        }
        if (image == nullptr) {
            image = RenderGlyph(character, size, effect, key);  // the missing-glyph shape
        }
    }
    return FillGlyph(image, character, size, outGlyph);
}

bool Font::FillGlyph(AtlasNode* image, uint32_t character, float size, Glyph& outGlyph) const {
    if (image == nullptr) {
        return false;
    }
    const float reciprocal = m_reciprocalScale;
    outGlyph = Glyph{};
    outGlyph.character = character;
    outGlyph.size = size;
    outGlyph.advanceX = image->extra[0] * reciprocal;
    outGlyph.advanceY = image->extra[1] * reciprocal;
    outGlyph.offsetX = image->extra[2] * reciprocal;
    outGlyph.offsetY = image->extra[3] * reciprocal;
    outGlyph.width = static_cast<float>(image->imageWidth) * reciprocal;
    outGlyph.height = static_cast<float>(image->imageHeight) * reciprocal;
    outGlyph.image = image;
    outGlyph.page = image->page;
    outGlyph.texLeft = image->umin;
    outGlyph.texTop = image->vmin;
    outGlyph.texRight = image->umax;
    outGlyph.texBottom = image->vmax;
    outGlyph.font = const_cast<Font*>(this);
    return true;
}

AtlasNode* Font::RenderGlyph(uint32_t character, float size, const GlyphEffect& effect,
                             const AtlasKey& key) {
    TextureAtlas* atlas = m_owner.GetAtlas();
    MutexLock lock(m_owner.GetFreeTypeMutex());
    if (atlas == nullptr || !SetCharSize(size)) {
        return nullptr;
    }
    int padX = PaddingX(effect);
    int padY = PaddingY(effect);
    const FT_UInt index = FT_Get_Char_Index(m_face, character);
    FT_Set_Transform(m_face, nullptr, nullptr);
    if (FT_Load_Glyph(m_face, index, FT_LOAD_DEFAULT) != 0) {
        return nullptr;
    }
    const FT_GlyphSlot slot = m_face->glyph;
    // A glyph no page could take is refused before FreeType draws it: a
    // damaged font may ask for bitmaps of any size.
    const FT_Pos limit = static_cast<FT_Pos>(FontManager::kAtlasPageSize) * 64;
    if (slot->metrics.width > limit || slot->metrics.height > limit || slot->metrics.width < 0 ||
        slot->metrics.height < 0) {
        return nullptr;
    }
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
        return nullptr;
    }
    const float advanceX =
        static_cast<float>(ToInt(static_cast<float>(slot->advance.x / 64.0)) - slot->bitmap_left);
    const float bottom =
        static_cast<float>((slot->metrics.horiBearingY - slot->metrics.height) / 64.0);
    const FT_Bitmap& bitmap = slot->bitmap;
    const bool supported =
        bitmap.pixel_mode == FT_PIXEL_MODE_GRAY || bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    const int32_t maxSide = FontManager::kAtlasPageSize;

    int32_t width = 1;
    int32_t height = 1;
    const bool empty = bitmap.width == 0 || bitmap.rows == 0 || !supported;
    if (empty) {
        padX = 0;
        padY = 0;
    } else {
        const int64_t paddedWidth = static_cast<int64_t>(bitmap.width) + 2 * int64_t{padX};
        const int64_t paddedHeight = static_cast<int64_t>(bitmap.rows) + 2 * int64_t{padY};
        if (paddedWidth > maxSide || paddedHeight > maxSide) {
            return nullptr;  // no page could take it
        }
        width = static_cast<int32_t>(paddedWidth);
        height = static_cast<int32_t>(paddedHeight);
    }
    const size_t count = static_cast<size_t>(width) * height;
    // Room for the 16-bit image and, behind it, the converted pixels.
    uint16_t* pixels = m_owner.GetScratchImage(count * 3);
    if (empty) {
        pixels[0] = 0;
    } else {
        std::fill(pixels, pixels + count, static_cast<uint16_t>(0x00FF));
        for (unsigned y = 0; y < bitmap.rows; ++y) {
            const unsigned char* row =
                bitmap.pitch >= 0 ? bitmap.buffer + static_cast<size_t>(y) * bitmap.pitch
                                  : bitmap.buffer + static_cast<size_t>(bitmap.rows - 1 - y) *
                                                        static_cast<size_t>(-bitmap.pitch);
            uint16_t* target = pixels + (y + padY) * width + padX;
            for (unsigned x = 0; x < bitmap.width; ++x) {
                unsigned coverage = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                                        ? ((row[x >> 3] >> (7 - (x & 7))) & 1u) * 255u
                                        : row[x];
                if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.num_grays > 1 &&
                    bitmap.num_grays != 256) {
                    coverage = coverage * 255u / (bitmap.num_grays - 1u);
                }
                target[x] = static_cast<uint16_t>((std::min(coverage, 255u) << 8) | 0xFF);
            }
        }
        switch (effect.type) {
            case GlyphEffect::Outline:
                if (effect.params[0] > 0.0f) {
                    m_effects->ApplyOutline(pixels, width, height, ToUnsigned(effect.params[0]));
                }
                break;
            case GlyphEffect::Glow:
                if (effect.params[0] >= 1.0f) {
                    m_effects->ApplyGlow(pixels, width, height, ToInt(effect.params[0]));
                }
                break;
            case GlyphEffect::InnerGlow:
                if (effect.params[0] >= 1.0f) {
                    m_effects->ApplyInnerGlow(pixels, width, height,
                                              ToInt(std::min(effect.params[0], 4096.0f)));
                }
                break;
            case GlyphEffect::Bevel:
                m_effects->ApplyBevel(pixels, width, height,
                                      QuantiseBevel(effect.params[0] * m_scale, effect.params[1],
                                                    effect.params[2], effect.params[3]));
                break;
            default:
                break;
        }
    }

    const void* converted = pixels;
    uint8_t* out = reinterpret_cast<uint8_t*>(pixels + count);
    switch (m_owner.GetAtlasFormat()) {
        case FontManager::Alpha8:
            for (size_t i = 0; i < count; ++i) {
                out[i] = static_cast<uint8_t>(pixels[i] >> 8);
            }
            converted = out;
            break;
        case FontManager::Rgba32:
            for (size_t i = 0; i < count; ++i) {
                const uint32_t value = static_cast<uint32_t>(pixels[i]) << 16 | 0xFFFFu;
                std::memcpy(out + 4 * i, &value, 4);
            }
            converted = out;
            break;
        default:
            break;
    }
    AtlasNode* node = atlas->AddImage(converted, width, height, key);
    if (node != nullptr) {
        node->extra[0] = advanceX;
        node->extra[1] = bottom;
        node->extra[2] = static_cast<float>(padX);
        node->extra[3] = static_cast<float>(padY);
    }
    return node;
}

Glyph Font::GetMetricsGlyph(uint32_t character, float size) {
    Glyph glyph;
    glyph.character = character;
    glyph.size = size;
    glyph.font = this;
    Font* source = this;
    if (!MapsCharacter(character)) {
        for (Font* fallback : m_fallbacks) {
            if (fallback->MapsCharacter(character)) {
                source = fallback;
                break;
            }
        }
    }
    MutexLock lock(m_owner.GetFreeTypeMutex());
    if (!source->SetCharSize(size)) {
        return glyph;
    }
    FT_Face face = source->m_face;
    FT_Set_Transform(face, nullptr, nullptr);
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, character), FT_LOAD_DEFAULT) != 0) {
        return glyph;
    }
    // FreeType presets the bitmap's placement on load, so the left bearing
    // matches what rendering gives without rendering.
    const int advance = ToInt(static_cast<float>(face->glyph->advance.x / 64.0));
    glyph.advanceX = static_cast<float>(advance - face->glyph->bitmap_left) * m_reciprocalScale;
    return glyph;
}

bool Font::GetFaceKerning(uint32_t left, uint32_t right, float size, float& outKerning) {
    MutexLock lock(m_owner.GetFreeTypeMutex());
    if (!SetCharSize(size)) {
        return false;
    }
    FT_Vector kerning{0, 0};
    if (FT_Get_Kerning(m_face, FT_Get_Char_Index(m_face, left), FT_Get_Char_Index(m_face, right),
                       FT_KERNING_DEFAULT, &kerning) != 0) {
        return false;
    }
    outKerning = static_cast<float>(kerning.x) / 64.0f * m_reciprocalScale;
    return true;
}

float Font::GetKerning(uint32_t left, uint32_t right, float size) {
    float kerning = 0.0f;
    if (GetFaceKerning(left, right, size, kerning)) {
        return kerning;
    }
    for (Font* fallback : m_fallbacks) {
        float answer = 0.0f;
        if (fallback->GetFaceKerning(left, right, size, answer) && answer != 0.0f) {
            return answer;
        }
    }
    return 0.0f;
}

}  // namespace Varnok
