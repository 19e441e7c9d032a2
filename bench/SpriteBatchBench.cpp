// How many 16 x 16 textured, tinted, blended sprites the layered 2D batch
// draws in one frame at 60 frames per second into a 960 x 640 headless
// framebuffer, next to SDL2's own 2D renderer drawing the same sprites on the
// same machine: its software renderer on an SDL_Surface and, when the
// offscreen video driver can make a GL ES context, its opengles2 renderer.
// Each frame ends with glFinish (or, for the software renderer, with the
// pixels written), so all the drawing work is counted. For every contender
// the sprite count is searched for the largest that still takes at most
// 1/60 s a frame (median of several frames).
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture2D.h"
#include "bench/HeadlessRenderScene.h"

#include <GLES2/gl2.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr int kWidth = 960;
constexpr int kHeight = 640;
constexpr int kSpriteSize = 16;
constexpr int kTextureSize = 32;
constexpr int kMaxSprites = 1 << 18;
constexpr double kFrameBudget = 1.0 / 60.0;
constexpr int kWarmUpFrames = 2;
constexpr int kTimedFrames = 9;

struct SpriteSpec {
    int x, y;  // bottom-left corner, pixels
    uint8_t r, g, b;
};

std::vector<SpriteSpec> s_sprites;
std::vector<uint8_t> s_discPixels;  // RGBA, row 0 first

// A soft white disc: every sprite blends.
void MakeSceneData() {
    for (int y = 0; y < kTextureSize; ++y) {
        for (int x = 0; x < kTextureSize; ++x) {
            const float dx = x - 15.5f;
            const float dy = y - 15.5f;
            const float fade = 1.0f - (dx * dx + dy * dy) / (16.0f * 16.0f);
            const uint8_t alpha = static_cast<uint8_t>(fade > 0 ? 255 * fade : 0);
            s_discPixels.insert(s_discPixels.end(), {255, 255, 255, alpha});
        }
    }
    uint32_t state = 12345;
    auto next = [&state](int range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<uint32_t>(range));
    };
    s_sprites.resize(kMaxSprites);
    for (int i = 0; i < kMaxSprites; ++i) {
        SpriteSpec& s = s_sprites[i];
        s.x = next(kWidth - kSpriteSize);
        s.y = next(kHeight - kSpriteSize);
        s.r = 255;
        s.g = static_cast<uint8_t>(i % 256);
        s.b = static_cast<uint8_t>(255 - i % 256);
    }
}

// Median seconds a frame of `count` sprites takes.
double FrameSeconds(const std::function<void(int)>& drawFrame, int count) {
    for (int i = 0; i < kWarmUpFrames; ++i) {
        drawFrame(count);
    }
    std::vector<double> times;
    for (int i = 0; i < kTimedFrames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        drawFrame(count);
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + kTimedFrames / 2, times.end());
    return times[kTimedFrames / 2];
}

// The largest count whose frame fits the budget, to within about 2%.
int SpritesAt60(const char* name, const std::function<void(int)>& drawFrame) {
    int low = 0;
    int high = 256;
    while (high <= kMaxSprites && FrameSeconds(drawFrame, high) <= kFrameBudget) {
        low = high;
        high *= 2;
    }
    if (high > kMaxSprites) {
        std::printf("%s: still within budget at %d sprites (the cap)\n", name, low);
        return low;
    }
    while (high - low > std::max(16, low / 50)) {
        const int middle = low + (high - low) / 2;
        if (FrameSeconds(drawFrame, middle) <= kFrameBudget) {
            low = middle;
        } else {
            high = middle;
        }
    }
    const double ms = low > 0 ? FrameSeconds(drawFrame, low) * 1000.0 : 0.0;
    std::printf("%s: %d sprites a frame at 60 fps (%.2f ms a frame)\n", name, low, ms);
    return low;
}

// ---- The layered batch over the engine's headless display ----

struct BatchScene {
    VarnokBench::HeadlessRenderScene gl;
    SmartPtr<Texture> texture;
    std::unique_ptr<SpriteLayerBatch> batch;
};
BatchScene* s_batchScene = nullptr;

bool SetUpBatchScene() {
    s_batchScene = new BatchScene;
    BatchScene& scene = *s_batchScene;
    if (!scene.gl.Open(kWidth, kHeight, "SpriteBatchBench")) {
        return false;
    }
    Renderer& renderer = Renderer::Get();
    renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
    renderer.SetDepthTest(false);
    renderer.SetCullMode(kCullOff);

    TextureDescription description;
    description.pixelFormat = PixelDescriptor{PixelEncoding::Uncompressed,
                                              0,
                                              0x3000,
                                              {{8, PixelChannelId::Alpha},
                                               {8, PixelChannelId::Blue},
                                               {8, PixelChannelId::Green},
                                               {8, PixelChannelId::Red}}};
    description.width = kTextureSize;
    description.height = kTextureSize;
    description.apparentWidth = kTextureSize;
    description.apparentHeight = kTextureSize;
    scene.texture = Texture2D::Create(
        SmartPtr<TextureSource>(new MemoryBlockTextureSource(description, s_discPixels.data(),
                                                             s_discPixels.size(), true)),
        0, TextureCreateMode::Scale);
    // One UI layer big enough for every count tried, in pixel units.
    scene.batch = std::make_unique<SpriteLayerBatch>(1, std::vector<int32_t>{kMaxSprites});
    return scene.texture.Get() != nullptr;
}

void DrawBatchFrame(int count) {
    BatchScene& scene = *s_batchScene;
    glClear(GL_COLOR_BUFFER_BIT);
    SpriteLayerBatch& batch = *scene.batch;
    batch.SetCurrentLayer(0);
    batch.Reset();
    batch.LayerMatrix(0) = BuildOrthographicMatrix(kHeight, 0, 0, kWidth, -1, 1);
    for (int i = 0; i < count; ++i) {
        const SpriteSpec& s = s_sprites[i];
        BatchSprite sprite;
        sprite.x = s.x + kSpriteSize * 0.5f;
        sprite.y = s.y + kSpriteSize * 0.5f;
        sprite.width = kSpriteSize;
        sprite.height = kSpriteSize;
        sprite.colour = Colour(s.r, s.g, s.b, 255);
        batch.AddItem(scene.texture, sprite);
    }
    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});
    glFinish();
}

// ---- SDL2's 2D renderer ----

struct SdlScene {
    SDL_Window* window = nullptr;
    SDL_Surface* surface = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool finishGl = false;
};

SDL_Texture* MakeSdlTexture(SDL_Renderer* renderer) {
    SDL_Surface* disc = SDL_CreateRGBSurfaceWithFormatFrom(
        s_discPixels.data(), kTextureSize, kTextureSize, 32, kTextureSize * 4,
        SDL_PIXELFORMAT_ABGR8888);  // bytes red, green, blue, alpha
    if (disc == nullptr) {
        return nullptr;
    }
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, disc);
    SDL_FreeSurface(disc);
    if (texture != nullptr) {
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
    }
    return texture;
}

void DrawSdlFrame(SdlScene& scene, int count) {
    SDL_SetRenderDrawColor(scene.renderer, 0, 0, 0, 255);
    SDL_RenderClear(scene.renderer);
    for (int i = 0; i < count; ++i) {
        const SpriteSpec& s = s_sprites[i];
        SDL_SetTextureColorMod(scene.texture, s.r, s.g, s.b);
        const SDL_Rect target{s.x, kHeight - kSpriteSize - s.y, kSpriteSize, kSpriteSize};
        SDL_RenderCopy(scene.renderer, scene.texture, nullptr, &target);
    }
    SDL_RenderFlush(scene.renderer);
    if (scene.finishGl) {
        glFinish();
    }
}

void FreeSdlScene(SdlScene& scene) {
    if (scene.texture != nullptr) {
        SDL_DestroyTexture(scene.texture);
    }
    if (scene.renderer != nullptr) {
        SDL_DestroyRenderer(scene.renderer);
    }
    if (scene.surface != nullptr) {
        SDL_FreeSurface(scene.surface);
    }
    if (scene.window != nullptr) {
        SDL_DestroyWindow(scene.window);
    }
    scene = SdlScene{};
}

bool SetUpSdlSoftware(SdlScene& scene) {
    scene.surface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32,
                                                   SDL_PIXELFORMAT_ARGB8888);
    if (scene.surface == nullptr) {
        return false;
    }
    scene.renderer = SDL_CreateSoftwareRenderer(scene.surface);
    scene.texture = scene.renderer != nullptr ? MakeSdlTexture(scene.renderer) : nullptr;
    return scene.texture != nullptr;
}

// A hidden window under the offscreen video driver (EGL, no display needed).
bool SetUpSdlGles2(SdlScene& scene) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengles2");
    scene.window = SDL_CreateWindow("SpriteBatchBench", 0, 0, kWidth, kHeight,
                                    SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (scene.window == nullptr) {
        return false;
    }
    scene.renderer = SDL_CreateRenderer(scene.window, -1, SDL_RENDERER_ACCELERATED);
    if (scene.renderer == nullptr) {
        return false;
    }
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(scene.renderer, &info) != 0 ||
        std::string(info.name) != "opengles2") {
        return false;
    }
    scene.texture = MakeSdlTexture(scene.renderer);
    scene.finishGl = true;
    return scene.texture != nullptr;
}

}  // namespace

int main() {
    MakeSceneData();

    int batchCount = 0;
    if (SetUpBatchScene()) {
        batchCount = SpritesAt60("SpriteLayerBatch (GL ES 2.0, headless EGL)", DrawBatchFrame);
    } else {
        std::printf("SpriteLayerBatch: no headless GL context\n");
    }

    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::printf("SDL2: cannot start video: %s\n", SDL_GetError());
        return batchCount > 0 ? 0 : 1;
    }
    int softwareCount = 0;
    SdlScene software;
    if (SetUpSdlSoftware(software)) {
        softwareCount = SpritesAt60("SDL2 software renderer on an SDL_Surface",
                                    [&software](int count) { DrawSdlFrame(software, count); });
    } else {
        std::printf("SDL2 software renderer: %s\n", SDL_GetError());
    }
    FreeSdlScene(software);

    int gles2Count = 0;
    SdlScene gles2;
    if (SetUpSdlGles2(gles2)) {
        gles2Count = SpritesAt60("SDL2 opengles2 renderer (offscreen driver, hidden window)",
                                 [&gles2](int count) { DrawSdlFrame(gles2, count); });
    } else {
        std::printf("SDL2 opengles2 renderer unavailable headless: %s\n", SDL_GetError());
    }
    FreeSdlScene(gles2);
    SDL_Quit();

    if (batchCount > 0 && softwareCount > 0) {
        std::printf("batch / SDL2 software: %.2f\n",
                    static_cast<double>(batchCount) / softwareCount);
    }
    if (batchCount > 0 && gles2Count > 0) {
        std::printf("batch / SDL2 opengles2: %.2f\n", static_cast<double>(batchCount) / gles2Count);
    }
    return 0;
}
