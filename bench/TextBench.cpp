// Text on screen against SDL2_ttf with the same font (the bundle's DejaVu
// Sans at 16 points, 100 dpi on both sides) and the same strings, headless
// in a 960 x 640 framebuffer. Three comparisons, each contender in a fresh
// process (bench/SideBySide.h):
//  - 100 lines that change every frame: our layouts rebuilt and drawn, against
//    TTF_RenderUTF8_Blended, a texture upload and one quad per line;
//  - the same 100 lines unchanged: our built layouts drawn again, against 100
//    cached SDL2_ttf textures drawn as quads;
//  - the first rendering of 500 distinct glyphs into our atlas, against
//    TTF_RenderGlyph32_Blended of the same 500 (reported).
// Frames are cleared, drawn and waited for (glFinish). The SDL2_ttf side draws
// with plain GL calls and the engine's unlit program, the leanest way a user
// of that library would.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/ImmediateVertex.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/TextureAtlas.h"
#include "engine/text/Font.h"
#include "engine/text/FontManager.h"
#include "engine/text/TextLayout.h"
#include "bench/HeadlessRenderScene.h"
#include "bench/SideBySide.h"

#include <GLES2/gl2.h>
#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr int kWidth = 960;
constexpr int kHeight = 640;
constexpr int kLineCount = 100;
constexpr float kPointSize = 16.0f;
constexpr unsigned kDpi = 100;
constexpr int kWarmUpFrames = 10;
constexpr int kTimedFrames = 41;
constexpr int kFirstGlyphCount = 500;
const char* const kFontPath = "fontstruetype/miserable.ttf";

std::string BundleFontPath() {
    return std::string(VARNOK_BUNDLE_DIR) + "/" + kFontPath;
}

// The text of line i in frame f: changes every frame, same length.
void LineText(int line, int frame, char* out, size_t size) {
    std::snprintf(out, size, "Line %03d: score %07d, combo x%02d, time %05d", line,
                  (frame * 7919 + line * 104729) % 10000000, (frame + line) % 100, frame);
}

float LineY(int line) {
    return static_cast<float>(kHeight - 6 - (line % 50) * 12);
}

float LineX(int line) {
    return line < 50 ? 4.0f : 484.0f;
}

VarnokBench::HeadlessRenderScene* OpenScene() {
    auto* scene = new VarnokBench::HeadlessRenderScene;
    if (!scene->Open(kWidth, kHeight, "TextBench")) {
        std::fprintf(stderr, "no headless GL context\n");
        return nullptr;
    }
    Renderer::Get().SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
    Renderer::Get().SetDepthTest(false);
    Renderer::Get().SetCullMode(kCullOff);
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.Reset();
    transforms.SetOrthographic(kHeight, 0, 0, kWidth, -1, 1);
    transforms.Apply(false);
    return scene;
}

template <typename DrawFrame>
double MedianFrameMs(DrawFrame drawFrame) {
    return VarnokBench::MedianFrameMs(kWidth, kHeight, kWarmUpFrames, kTimedFrames,
                                      VarnokBench::LitRule::RedAboveHalf, drawFrame);
}

// Our side: the bundle mounted, the font manager up, 100 layouts.
struct OurText {
    std::vector<std::unique_ptr<TextLayout>> layouts;

    bool Open() {
        FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true),
                                      FileSystemKey("bundle"), 1);
        if (!FontManager::Get().Init(1.0f, 1.0f, FontManager::Rgba32, false)) {
            return false;
        }
        Font* font = FontManager::Get().GetFont(kFontPath);
        if (font == nullptr || !font->HasFace()) {
            std::fprintf(stderr, "%s is missing from the bundle\n", kFontPath);
            return false;
        }
        char text[128];
        for (int i = 0; i < kLineCount; ++i) {
            LineText(i, 0, text, sizeof(text));
            layouts.push_back(std::make_unique<TextLayout>(font, text, kPointSize, kColourWhite, 0.0f,
                                                           GlyphEffect(), nullptr, 0));
        }
        return true;
    }

    void Draw() {
        for (int i = 0; i < kLineCount; ++i) {
            layouts[i]->Draw(Vector3{LineX(i), LineY(i), 0.0f}, 1.0f, 1.0f, 0.0f, kTextAlignTop, nullptr);
        }
    }
};

double OursChanging() {
    if (OpenScene() == nullptr) {
        return -1.0;
    }
    static OurText ours;
    if (!ours.Open()) {
        return -1.0;
    }
    return MedianFrameMs([](int frame) {
        char text[128];
        for (int i = 0; i < kLineCount; ++i) {
            LineText(i, frame, text, sizeof(text));
            ours.layouts[i]->SetText(text);
            ours.layouts[i]->Build();
        }
        ours.Draw();
    });
}

double OursUnchanged() {
    if (OpenScene() == nullptr) {
        return -1.0;
    }
    static OurText ours;
    if (!ours.Open()) {
        return -1.0;
    }
    return MedianFrameMs([](int) { ours.Draw(); });
}

// The SDL2_ttf side: the font, one GL texture per line and a quad buffer.
struct SdlText {
    TTF_Font* font = nullptr;
    GLuint textures[kLineCount] = {};
    int widths[kLineCount] = {};
    int heights[kLineCount] = {};
    GLuint buffer = 0;

    bool Open() {
        if (TTF_Init() != 0) {
            std::fprintf(stderr, "TTF_Init: %s\n", TTF_GetError());
            return false;
        }
        font = TTF_OpenFontDPI(BundleFontPath().c_str(), static_cast<int>(kPointSize), kDpi, kDpi);
        if (font == nullptr) {
            std::fprintf(stderr, "TTF_OpenFontDPI: %s\n", TTF_GetError());
            return false;
        }
        glGenTextures(kLineCount, textures);
        glGenBuffers(1, &buffer);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        return true;
    }

    // Renders the line with SDL2_ttf and uploads it into the line's texture.
    void Render(int line, const char* text) {
        SDL_Surface* surface = TTF_RenderUTF8_Blended(font, text, SDL_Color{255, 255, 255, 255});
        if (surface == nullptr) {
            return;
        }
        glBindTexture(GL_TEXTURE_2D, textures[line]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        // ARGB8888 surfaces; the text is white, so the channel order does not
        // matter for what is drawn.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, surface->w, surface->h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     surface->pixels);
        widths[line] = surface->w;
        heights[line] = surface->h;
        SDL_FreeSurface(surface);
    }

    void Draw() {
        Renderer::Get().SetColour(kColourWhite);
        if (!ShaderProgramCache::Get().Use(ShaderProgramCache::kUnlitProgram)) {
            return;
        }
        Renderer::Get().SetBlendEnable(true);
        RenderTransforms::Get().World().Set(Matrix4{});
        RenderTransforms::Get().Apply(false);
        const ShaderLocations& l = ShaderProgramCache::Get().GetCurrentProgram()->GetLocations();
        const GLsizei stride = sizeof(ImmediateVertex);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        for (int i = 0; i < kLineCount; ++i) {
            const float x = LineX(i);
            const float top = LineY(i);
            const float w = static_cast<float>(widths[i]);
            const float h = static_cast<float>(heights[i]);
            ImmediateVertex quad[4];
            const float corners[4][4] = {{x, top, 0, 0}, {x, top - h, 0, 1}, {x + w, top, 1, 0},
                                         {x + w, top - h, 1, 1}};
            for (int k = 0; k < 4; ++k) {
                quad[k].x = corners[k][0];
                quad[k].y = corners[k][1];
                quad[k].u = corners[k][2];
                quad[k].v = corners[k][3];
                quad[k].r = quad[k].g = quad[k].b = quad[k].a = 255.0f;
            }
            glBindTexture(GL_TEXTURE_2D, textures[i]);
            glBufferData(GL_ARRAY_BUFFER, sizeof(quad), quad, GL_STREAM_DRAW);
            glVertexAttribPointer(l.position, 3, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(kImmediatePositionOffset));
            glVertexAttribPointer(l.uv, 2, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(kImmediateUvOffset));
            glVertexAttribPointer(l.vertexColour, 4, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(kImmediateColourOffset));
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
};

double SdlChanging() {
    if (OpenScene() == nullptr) {
        return -1.0;
    }
    static SdlText sdl;
    if (!sdl.Open()) {
        return -1.0;
    }
    return MedianFrameMs([](int frame) {
        char text[128];
        for (int i = 0; i < kLineCount; ++i) {
            LineText(i, frame, text, sizeof(text));
            sdl.Render(i, text);
        }
        sdl.Draw();
    });
}

double SdlCached() {
    if (OpenScene() == nullptr) {
        return -1.0;
    }
    static SdlText sdl;
    if (!sdl.Open()) {
        return -1.0;
    }
    char text[128];
    for (int i = 0; i < kLineCount; ++i) {
        LineText(i, 0, text, sizeof(text));
        sdl.Render(i, text);
    }
    return MedianFrameMs([](int) { sdl.Draw(); });
}

// 500 distinct code points the font has: Latin, Greek and Cyrillic letters.
std::vector<uint32_t> FirstGlyphs(TTF_Font* sdlFont, Font* ourFont) {
    std::vector<uint32_t> glyphs;
    for (uint32_t c = 0x21; c < 0x2000 && static_cast<int>(glyphs.size()) < kFirstGlyphCount; ++c) {
        const bool has = sdlFont != nullptr ? TTF_GlyphIsProvided32(sdlFont, c) != 0
                                            : ourFont->MapsCharacter(c);
        if (has) {
            glyphs.push_back(c);
        }
    }
    return glyphs;
}

double OursFirstGlyphs() {
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true),
                                  FileSystemKey("bundle"), 1);
    if (!FontManager::Get().Init(1.0f, 1.0f, FontManager::Rgba32, false)) {
        return -1.0;
    }
    Font* font = FontManager::Get().GetFont(kFontPath);
    if (font == nullptr || !font->HasFace()) {
        return -1.0;
    }
    const std::vector<uint32_t> glyphs = FirstGlyphs(nullptr, font);
    const auto start = std::chrono::steady_clock::now();
    int made = 0;
    for (uint32_t c : glyphs) {
        Glyph glyph;
        made += font->GetGlyph(c, kPointSize, GlyphEffect(), glyph) ? 1 : 0;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("  ours: %d glyphs into %d atlas page(s)\n", made,
                FontManager::Get().GetAtlas() != nullptr ? FontManager::Get().GetAtlas()->PageCount() : 0);
    return ms;
}

double SdlFirstGlyphs() {
    if (TTF_Init() != 0) {
        return -1.0;
    }
    TTF_Font* font = TTF_OpenFontDPI(BundleFontPath().c_str(), static_cast<int>(kPointSize), kDpi, kDpi);
    if (font == nullptr) {
        return -1.0;
    }
    const std::vector<uint32_t> glyphs = FirstGlyphs(font, nullptr);
    const auto start = std::chrono::steady_clock::now();
    int made = 0;
    for (uint32_t c : glyphs) {
        if (SDL_Surface* surface = TTF_RenderGlyph32_Blended(font, c, SDL_Color{255, 255, 255, 255})) {
            ++made;
            SDL_FreeSurface(surface);
        }
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("  SDL2_ttf: %d glyph surfaces\n", made);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string frameNote =
        "960x640 headless, DejaVu Sans 16 pt at 100 dpi on both sides, lines of 46 characters; "
        "every frame cleared, drawn and waited for (glFinish); median of 41 frames after 10 warm-up";
    Bench::Comparison changing;
    changing.workload = "100 lines changing every frame, laid out and drawn; " + frameNote;
    changing.unit = "ms per frame";
    changing.rounds = 5;
    changing.contenders = {{"ours: layouts rebuilt", OursChanging},
                           {"SDL2_ttf: Blended+upload+quad", SdlChanging}};

    Bench::Comparison unchanged;
    unchanged.workload = "the same 100 lines unchanged, drawn again; " + frameNote;
    unchanged.unit = "ms per frame";
    unchanged.rounds = 5;
    unchanged.contenders = {{"ours: built layouts", OursUnchanged},
                            {"SDL2_ttf: 100 cached textures", SdlCached}};

    Bench::Comparison first;
    first.workload = "first rendering of 500 distinct glyphs (no upload), DejaVu Sans 16 pt at 100 dpi";
    first.unit = "ms for 500 glyphs";
    first.rounds = 5;
    first.contenders = {{"ours: into the atlas", OursFirstGlyphs},
                        {"SDL2_ttf: RenderGlyph32_Blended", SdlFirstGlyphs}};

    const Bench::Comparison* comparisons[] = {&changing, &unchanged, &first};
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--side") {
            for (const Bench::Comparison* comparison : comparisons) {
                for (const Bench::Contender& contender : comparison->contenders) {
                    if (contender.name == argv[i + 1]) {
                        return Bench::RunSideBySide(argc, argv, *comparison);
                    }
                }
            }
        }
    }
    int result = 0;
    for (const Bench::Comparison* comparison : comparisons) {
        result |= Bench::RunSideBySide(argc, argv, *comparison);
        std::printf("\n");
    }
    return result;
}
