// Markup parsing and line breaking on arbitrary bytes, with the bundle's
// Latin font and its CJK fallback: the tags are stripped, the text is
// wrapped at a width taken from the input, every byte position is asked for
// a break, and the start of the text is laid out. The output is never longer
// than the input and every wrapped line makes progress.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/TextureAtlas.h"
#include "engine/text/Font.h"
#include "engine/text/FontManager.h"
#include "engine/text/LineBreak.h"
#include "engine/text/MarkupColourMap.h"
#include "engine/text/TextLayout.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

Varnok::Font* TheFont() {
    static Varnok::Font* s_font = [] {
        using namespace Varnok;
        FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true),
                                      FileSystemKey("bundle"), 0);
        FontManager& manager = FontManager::Get();
        if (!manager.Init(1.0f, 1.0f, FontManager::Rgba32, false)) {
            __builtin_trap();
        }
        Font* latin = manager.GetFont("fontstruetype/miserable.ttf");
        Font* cjk = manager.GetFont("fontstruetype/gangofchinese.ttf");
        if (!latin->HasFace() || !cjk->HasFace()) {
            __builtin_trap();  // the bundle's fonts must be there
        }
        latin->AddFallback(cjk);
        return latin;
    }();
    return s_font;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    if (size < 3) {
        return 0;
    }
    Font* font = TheFont();
    LineBreak::SetOptions(data[0] & (LineBreak::kKinsokuRules | LineBreak::kHangulLikeLatin));
    const float width = data[1] == 255 ? -1.0f : static_cast<float>(data[1]) * 2.0f;
    const int spacing = static_cast<int>(data[2] >> 4) - 8;
    std::string text(reinterpret_cast<const char*>(data + 3), size - 3);

    MarkupColourMap markup;
    markup.DefineColour("red", kColourRed);
    markup.DefineColour("gold", Colour{255, 200, 0, 255});
    const size_t before = text.size();
    markup.Parse(text);
    if (text.size() > before) {
        __builtin_trap();
    }

    std::vector<std::string> lines;
    std::vector<int> starts;
    font->WrapText(12.0f, text.c_str(), spacing, width, &lines, &starts);
    for (size_t i = 1; i < starts.size(); ++i) {
        if (starts[i] <= starts[i - 1]) {
            __builtin_trap();  // a line that took nothing would loop forever
        }
    }
    std::string line = text;  // with any NULs the input had
    std::string rest;
    float lineWidth = 0.0f;
    bool cut = false;
    int consumed = 0;
    font->TakeLine(line, rest, 12.0f, spacing, width, &lineWidth, &cut, &consumed);
    if (line.size() + rest.size() > text.size()) {
        __builtin_trap();
    }
    const char* start = text.c_str();
    volatile int breaks = 0;
    for (const char* p = start; *p != 0; ++p) {
        breaks = breaks + (LineBreak::CanBreakBefore(p, static_cast<unsigned char>(*p), start) ? 1 : 0);
    }

    TextLayout layout(font, text.substr(0, 48).c_str(), 12.0f, kColourWhite,
                      static_cast<float>(spacing), GlyphEffect(), &markup, 0);
    layout.AddColourStop(kColourRed, 0.5f);
    layout.ClipPolygon({{0, -20}, {40, -20}, {40, 10}, {0, 10}}, Vector2{});
    LineBreak::SetOptions(LineBreak::kDefaultOptions);
    if (FontManager::Get().GetAtlas()->PageCount() > 2) {
        FontManager::Get().Rebuild();
    }
    return 0;
}
