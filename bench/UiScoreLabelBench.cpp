// An 8-digit score label whose text changes every frame: a ComponentText on
// a UI screen refreshed and drawn through the UI, against SDL2_ttf rendering
// the same string in the same font and size every frame
// (TTF_RenderUTF8_Blended, a GL texture upload and one quad). The bundle's
// DejaVu Sans at 32 points, 100 dpi on both sides, headless in 480 x 320;
// frames are cleared, drawn and waited for (glFinish). Each side in its own
// process.
#include "bench/HeadlessRenderScene.h"
#include "bench/SideBySide.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/ImmediateVertex.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/text/FontManager.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/ComponentText.h"
#include "engine/ui/UIManager.h"

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

constexpr int kWidth = 480;
constexpr int kHeight = 320;
constexpr int kLayer = 3;
constexpr float kPointSize = 32.0f;
constexpr unsigned kDpi = 100;
constexpr int kWarmUpFrames = 20;
constexpr int kTimedFrames = 1001;
const char* const kFontPath = "fontstruetype/miserable.ttf";

// Frame f's score: eight digits, most of them changing every frame.
void Score(int frame, char* out, size_t size) {
    std::snprintf(out, size, "%08d", (frame * 7919 + 12345678) % 100000000);
}

bool OpenScene(VarnokBench::HeadlessRenderScene& scene) {
    if (!scene.Open(kWidth, kHeight, "UiScoreLabelBench")) {
        std::fprintf(stderr, "no headless GL context\n");
        return false;
    }
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true),
                                  FileSystemKey("bundle"), 1);
    Renderer& renderer = Renderer::Get();
    renderer.SetViewport(0, kHeight, 0, kWidth);
    renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
    renderer.SetDepthTest(false);
    renderer.SetDepthWrite(false);
    renderer.SetCullMode(kCullOff);
    return true;
}

template <typename DrawFrame>
double MedianFrameMs(DrawFrame drawFrame) {
    return VarnokBench::MedianFrameMs(kWidth, kHeight, kWarmUpFrames, kTimedFrames,
                                      VarnokBench::LitRule::RedAboveHalf, drawFrame);
}

double Ours() {
    static VarnokBench::HeadlessRenderScene scene;
    if (!OpenScene(scene)) {
        return -1.0;
    }
    if (!FontManager::Get().Init(1.0f, 1.0f, FontManager::Rgba32, false)) {
        std::fprintf(stderr, "no fonts\n");
        return -1.0;
    }
    UIProjectSettings settings;
    settings.simple2DGlobalTransformIndex = 0;
    settings.workspaceWidth = kWidth;
    settings.workspaceHeight = kHeight;
    settings.defaultFontPath = AsciiString(kFontPath);
    UIManager& ui = UIManager::Get();
    ui.Init(settings, AsciiString("~base"));
    auto* screen = new ComponentScreen();
    screen->SetId(AsciiString("bench"));
    ui.GetRoot()->AddChild(screen, -1);
    screen->SetLayer(kLayer);
    static ComponentText* label = new ComponentText();
    label->SetId(AsciiString("score"));
    screen->AddChild(label, -1);
    label->FindProperty<Vector3>(AsciiString("position"))->Set(Vector3{20.0f, 20.0f, 0.0f});
    label->FindProperty<float>(AsciiString("width"))->Set(300.0f);
    label->FindProperty<float>(AsciiString("height"))->Set(60.0f);
    label->FindProperty<float>(AsciiString("fontSize"))->Set(kPointSize);
    label->FindProperty<float>(AsciiString("strokeSize"))->Set(0.0f);
    label->FindProperty<float>(AsciiString("softShadowSize"))->Set(0.0f);
    label->FindProperty<AsciiString>(AsciiString("alignment"))->Set(AsciiString("topLeft"));
    screen->MarkLoaded();
    static char text[16];
    return MedianFrameMs([&ui](int frame) {
        Score(frame, text, sizeof(text));
        label->SetText(AsciiString(text));
        ui.Update(1.0f / 60.0f);
        ui.Draw(kLayer);
    });
}

// What a user of SDL2_ttf would do: render the string, upload it, draw it.
double Sdl() {
    static VarnokBench::HeadlessRenderScene scene;
    if (!OpenScene(scene)) {
        return -1.0;
    }
    if (TTF_Init() != 0) {
        std::fprintf(stderr, "TTF_Init: %s\n", TTF_GetError());
        return -1.0;
    }
    static TTF_Font* font = TTF_OpenFontDPI((std::string(VARNOK_BUNDLE_DIR) + "/" + kFontPath).c_str(),
                                            static_cast<int>(kPointSize), kDpi, kDpi);
    if (font == nullptr) {
        std::fprintf(stderr, "TTF_OpenFontDPI: %s\n", TTF_GetError());
        return -1.0;
    }
    static GLuint texture = 0;
    static GLuint buffer = 0;
    glGenTextures(1, &texture);
    glGenBuffers(1, &buffer);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.Reset();
    transforms.SetOrthographic(kHeight, 0, 0, kWidth, -1, 1);
    transforms.Apply(false);
    static char text[16];
    return MedianFrameMs([](int frame) {
        Score(frame, text, sizeof(text));
        SDL_Surface* surface = TTF_RenderUTF8_Blended(font, text, SDL_Color{255, 255, 255, 255});
        if (surface == nullptr) {
            return;
        }
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        // ARGB8888 and white text: the channel order does not change what shows.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, surface->w, surface->h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     surface->pixels);
        const float w = static_cast<float>(surface->w);
        const float h = static_cast<float>(surface->h);
        SDL_FreeSurface(surface);
        Renderer::Get().SetColour(kColourWhite);
        if (!ShaderProgramCache::Get().Use(ShaderProgramCache::kUnlitProgram)) {
            return;
        }
        Renderer::Get().SetBlendEnable(true);
        RenderTransforms::Get().World().Set(Matrix4{});
        RenderTransforms::Get().Apply(false);
        const ShaderLocations& l = ShaderProgramCache::Get().GetCurrentProgram()->GetLocations();
        const float x = 20.0f;
        const float top = static_cast<float>(kHeight) - 20.0f;
        ImmediateVertex quad[4];
        const float corners[4][4] = {{x, top, 0, 0}, {x, top - h, 0, 1}, {x + w, top, 1, 0}, {x + w, top - h, 1, 1}};
        for (int k = 0; k < 4; ++k) {
            quad[k].x = corners[k][0];
            quad[k].y = corners[k][1];
            quad[k].u = corners[k][2];
            quad[k].v = corners[k][3];
            quad[k].r = quad[k].g = quad[k].b = quad[k].a = 255.0f;
        }
        const GLsizei stride = sizeof(ImmediateVertex);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof(quad), quad, GL_STREAM_DRAW);
        glVertexAttribPointer(l.position, 3, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(kImmediatePositionOffset));
        glVertexAttribPointer(l.uv, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(kImmediateUvOffset));
        glVertexAttribPointer(l.vertexColour, 4, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(kImmediateColourOffset));
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    });
}

// The frame without text: clear and wait. Both sides pay it; it shows how
// much of each figure the label itself takes.
double ClearOnly() {
    static VarnokBench::HeadlessRenderScene scene;
    if (!OpenScene(scene)) {
        return -1.0;
    }
    return MedianFrameMs([](int) {});
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload = "an 8-digit score label changed, laid out and drawn every frame (DejaVu Sans 32 pt, 480 x 320)";
    comparison.unit = "ms per frame";
    comparison.contenders = {{"ComponentText through the UI", &Ours},
                             {"SDL2_ttf TTF_RenderUTF8_Blended + texture upload + quad", &Sdl},
                             {"the frame alone (clear and glFinish, no text)", &ClearOnly}};
    return Bench::RunSideBySide(argc, argv, comparison);
}
