// Font files from arbitrary bytes: the face is opened from memory, and every
// glyph path (plain and the four effects into the atlas, metrics, kerning and
// line wrapping) runs on it. Nothing may crash or read outside the data; a
// refused face draws and measures nothing.
#include "engine/render/TextureAtlas.h"
#include "engine/text/Font.h"
#include "engine/text/FontManager.h"
#include "engine/text/GlyphEffect.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

Varnok::Font* TheFont() {
    static Varnok::Font* s_font = [] {
        Varnok::FontManager& manager = Varnok::FontManager::Get();
        if (!manager.Init(1.0f, 1.0f, Varnok::FontManager::Rgba32, false)) {
            __builtin_trap();
        }
        return manager.GetFont("fuzz/font.ttf");  // no such file: a font without a face
    }();
    return s_font;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    Font* font = TheFont();
    // A copy of exactly `size` bytes, so that a read past the end is caught.
    const std::vector<uint8_t> bytes(data, data + size);
    if (!font->LoadFromMemory(bytes.data(), bytes.size())) {
        Glyph glyph;
        if (font->HasFace() || font->GetGlyph('A', 14.0f, GlyphEffect(), glyph)) {
            __builtin_trap();  // a refused face yields nothing
        }
        return 0;
    }
    const uint32_t fromData = size >= 3 ? (data[0] | data[1] << 8 | (data[2] & 0x1F) << 16) : 'x';
    const uint32_t characters[] = {'A', 'V', 'o', ' ', 0x4E2D, fromData};
    const GlyphEffect effects[] = {GlyphEffect(), GlyphEffect(GlyphEffect::Outline, 2.0f),
                                   GlyphEffect(GlyphEffect::Glow, 2.0f),
                                   GlyphEffect(GlyphEffect::InnerGlow, 2.0f),
                                   GlyphEffect::MakeBevel(2.0f, 4.0f, 1.0f, 0.7f)};
    volatile float sink = 0.0f;
    // Every character plain, and in the effect the input picks.
    const GlyphEffect& picked = effects[size >= 4 ? data[3] % 5 : 1];
    for (uint32_t c : characters) {
        for (const GlyphEffect* effect : {&effects[0], &picked}) {
            Glyph glyph;
            if (font->GetGlyph(c, 14.0f, *effect, glyph)) {
                sink = sink + glyph.width + glyph.advanceX;
            }
        }
        sink = sink + font->GetMetricsGlyph(c, 30.0f).advanceX + font->GetKerning(c, 'V', 14.0f);
    }
    std::vector<std::string> lines;
    font->WrapText(14.0f, "AVo oAV VA\noo", 0, 40.0f, &lines, nullptr);
    // Each input leaves nothing behind (no face, an empty atlas), so the
    // fuzzer's leak check has nothing to chase.
    font->LoadFromMemory(nullptr, 0);
    FontManager::Get().Rebuild();
    return 0;
}
