// Milliseconds a frame of the layered 2D batch drawing a fixed number of
// blended sprites from one 32 x 32 RGBA texture into a 960 x 640 headless
// framebuffer, next to SDL2's own 2D renderer drawing the same sprites at the
// same places: its opengles2 renderer under the offscreen video driver (a
// hidden window, the same Mesa GL ES as ours) and, as a second peer, its
// software renderer on an SDL_Surface. Every frame is cleared, drawn and
// waited for (glFinish; the software renderer is done when it returns), so
// all the drawing work is counted. Each contender runs in a fresh process of
// its own (bench/SideBySide.h) and, after timing, reads its frame back and
// counts the pixels its sprites covered against a count worked out here from
// the texture's alpha, so that every side is seen to draw the same picture.
//
//   SpriteBatchBench [--workload plain|tinted] [--rounds N]
// Without --workload both workloads run, one comparison each:
//   plain:  10,000 untinted 32 x 32 sprites (the texture at 1:1);
//   tinted: 10,000 16 x 16 sprites, each with its own colour.
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/PixelFormat.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture2D.h"
#include "bench/HeadlessRenderScene.h"
#include "bench/SideBySide.h"

#include <GLES2/gl2.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <time.h>

namespace {

using namespace Varnok;

constexpr int kWidth = 960;
constexpr int kHeight = 640;
constexpr int kTextureSize = 32;
constexpr int kWarmUpFrames = 10;
constexpr int kTimedFrames = 41;
// A pixel counts as covered when any of its colour channels is above this
// over the black clear colour.
constexpr int kCoveredThreshold = 0;
// How far a contender's covered count may stray from the reference: the
// sides filter the disc's rim a little differently (the batch insets its
// texture rectangle by half a texel), nothing more.
constexpr double kCoverageTolerance = 0.02;

struct Workload {
    const char* name;
    int spriteCount;
    int spriteSize;  // pixels, square
    bool tinted;
};

constexpr Workload kWorkloads[] = {
    {"plain", 10000, 32, false},
    {"tinted", 10000, 16, true},
};

struct SpriteSpec {
    int x, y;  // bottom-left corner, pixels, y up
    uint8_t r, g, b;
};

struct Scene {
    Workload workload{};
    std::vector<SpriteSpec> sprites;
    std::vector<uint8_t> discPixels;  // RGBA, row 0 first
};

Scene s_scene;

// A soft white disc: every sprite blends, and its rim fades to nothing.
void MakeScene(const Workload& workload) {
    s_scene.workload = workload;
    for (int y = 0; y < kTextureSize; ++y) {
        for (int x = 0; x < kTextureSize; ++x) {
            const float dx = x - 15.5f;
            const float dy = y - 15.5f;
            const float fade = 1.0f - (dx * dx + dy * dy) / (16.0f * 16.0f);
            const uint8_t alpha = static_cast<uint8_t>(fade > 0 ? 255 * fade : 0);
            s_scene.discPixels.insert(s_scene.discPixels.end(), {255, 255, 255, alpha});
        }
    }
    uint32_t state = 12345;
    auto next = [&state](int range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<uint32_t>(range));
    };
    s_scene.sprites.resize(workload.spriteCount);
    for (int i = 0; i < workload.spriteCount; ++i) {
        SpriteSpec& s = s_scene.sprites[i];
        s.x = next(kWidth - workload.spriteSize);
        s.y = next(kHeight - workload.spriteSize);
        s.r = 255;
        s.g = workload.tinted ? static_cast<uint8_t>(i % 256) : 255;
        s.b = workload.tinted ? static_cast<uint8_t>(255 - i % 256) : 255;
    }
}

std::string DescribeWorkload(const Workload& w) {
    char text[512];
    std::snprintf(text, sizeof(text),
                  "%d blended %dx%d sprites (%s) from one %dx%d RGBA texture, %dx%d headless; "
                  "every frame cleared, drawn and waited for; median of %d frames after %d "
                  "warm-up frames",
                  w.spriteCount, w.spriteSize, w.spriteSize,
                  w.tinted ? "each tinted its own colour" : "untinted", kTextureSize,
                  kTextureSize, kWidth, kHeight, kTimedFrames, kWarmUpFrames);
    return text;
}

// Pixels that some sprite covers where the texture, sampled at that pixel,
// is not fully transparent (y up, as the sprites are placed).
int ReferenceCoveredPixels() {
    const int size = s_scene.workload.spriteSize;
    std::vector<uint8_t> covered(static_cast<size_t>(kWidth) * kHeight, 0);
    for (const SpriteSpec& s : s_scene.sprites) {
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const int tx = x * kTextureSize / size;
                const int ty = y * kTextureSize / size;
                if (s_scene.discPixels[(ty * kTextureSize + tx) * 4 + 3] != 0) {
                    covered[static_cast<size_t>(s.y + y) * kWidth + s.x + x] = 1;
                }
            }
        }
    }
    return static_cast<int>(std::count(covered.begin(), covered.end(), 1));
}

// Prints the side's covered-pixel count next to the reference; false when
// the side drew a different picture.
bool CheckCoverage(const char* side, const uint8_t* pixels, int pitch, int bytesPerPixel) {
    int count = 0;
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(y) * pitch;
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = row + x * bytesPerPixel;
            if (p[0] > kCoveredThreshold || p[1] > kCoveredThreshold || p[2] > kCoveredThreshold) {
                ++count;
            }
        }
    }
    const int reference = ReferenceCoveredPixels();
    const double off = reference > 0 ? std::abs(count - reference) / double(reference) : 1.0;
    std::printf("  %s: covered %d pixels (reference %d, off by %.2f%%)\n", side, count, reference,
                100.0 * off);
    if (off > kCoverageTolerance) {
        std::printf("  %s drew a different picture; its time is not counted\n", side);
        return false;
    }
    return true;
}

double CpuMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

double Median(std::vector<double>& values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median milliseconds of a frame. Also prints the range and two medians of
// processor time a frame: of this thread, which issues the drawing, and of
// the whole process, the GL's rasterising threads too. On a busy machine
// they show the work done where the wall clock mostly shows the waiting.
double FrameMs(const char* side, const std::function<void()>& drawFrame) {
    for (int i = 0; i < kWarmUpFrames; ++i) {
        drawFrame();
    }
    std::vector<double> times;
    std::vector<double> threadTimes;
    std::vector<double> processTimes;
    for (int i = 0; i < kTimedFrames; ++i) {
        const double threadStart = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        const double processStart = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        const auto start = std::chrono::steady_clock::now();
        drawFrame();
        times.push_back(std::chrono::duration<double, std::milli>(
                            std::chrono::steady_clock::now() - start)
                            .count());
        threadTimes.push_back(CpuMs(CLOCK_THREAD_CPUTIME_ID) - threadStart);
        processTimes.push_back(CpuMs(CLOCK_PROCESS_CPUTIME_ID) - processStart);
    }
    const double median = Median(times);
    std::printf("  %s: frames %.2f-%.2f ms, median %.2f; processor ms a frame: drawing thread "
                "%.2f, whole process %.2f\n",
                side, times.front(), times.back(), median, Median(threadTimes),
                Median(processTimes));
    return median;
}

// ---- The layered batch over the engine's headless display ----

double MeasureBatch() {
    VarnokBench::HeadlessRenderScene gl;
    if (!gl.Open(kWidth, kHeight, "SpriteBatchBench")) {
        std::printf("  batch: no headless GL context\n");
        return -1.0;
    }
    Renderer& renderer = Renderer::Get();
    renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
    renderer.SetDepthTest(false);
    renderer.SetCullMode(kCullOff);
    glClearColor(0, 0, 0, 1);

    const TextureDescription description = RgbaDescription(kTextureSize, kTextureSize);
    // The engine's own texture path: uploaded as any loaded texture is.
    const SmartPtr<Texture> texture = Texture2D::Create(
        SmartPtr<TextureSource>(new MemoryBlockTextureSource(
            description, s_scene.discPixels.data(), s_scene.discPixels.size(), true)),
        0, TextureCreateMode::Scale);
    if (!texture) {
        return -1.0;
    }
    const Workload& w = s_scene.workload;
    // One UI layer in pixel units, as the UI would configure it.
    SpriteLayerBatch batch(1, std::vector<int32_t>{w.spriteCount});
    batch.SetCurrentLayer(0);
    const auto drawFrame = [&] {
        glClear(GL_COLOR_BUFFER_BIT);
        batch.Reset();
        batch.LayerMatrix(0) = BuildOrthographicMatrix(kHeight, 0, 0, kWidth, -1, 1);
        for (const SpriteSpec& s : s_scene.sprites) {
            BatchSprite sprite;
            sprite.x = s.x + w.spriteSize * 0.5f;
            sprite.y = s.y + w.spriteSize * 0.5f;
            sprite.width = static_cast<float>(w.spriteSize);
            sprite.height = static_cast<float>(w.spriteSize);
            sprite.colour = Colour(s.r, s.g, s.b, 255);
            batch.AddItem(texture, sprite);
        }
        batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});
        glFinish();
    };
    const double ms = FrameMs("batch", drawFrame);
    std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return CheckCoverage("batch", pixels.data(), kWidth * 4, 4) ? ms : -1.0;
}

// ---- SDL2's 2D renderer ----

struct SdlScene {
    SDL_Window* window = nullptr;
    SDL_Surface* surface = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    void (*finish)() = nullptr;  // glFinish of SDL's context; null for software

    ~SdlScene() {
        if (texture != nullptr) {
            SDL_DestroyTexture(texture);
        }
        if (renderer != nullptr) {
            SDL_DestroyRenderer(renderer);
        }
        if (surface != nullptr) {
            SDL_FreeSurface(surface);
        }
        if (window != nullptr) {
            SDL_DestroyWindow(window);
        }
        SDL_Quit();
    }
};

bool MakeSdlTexture(SdlScene& scene) {
    SDL_Surface* disc = SDL_CreateRGBSurfaceWithFormatFrom(
        s_scene.discPixels.data(), kTextureSize, kTextureSize, 32, kTextureSize * 4,
        SDL_PIXELFORMAT_ABGR8888);  // bytes red, green, blue, alpha
    if (disc == nullptr) {
        return false;
    }
    scene.texture = SDL_CreateTextureFromSurface(scene.renderer, disc);
    SDL_FreeSurface(disc);
    if (scene.texture == nullptr) {
        return false;
    }
    SDL_SetTextureBlendMode(scene.texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(scene.texture, SDL_ScaleModeLinear);
    return true;
}

bool StartSdlVideo() {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::printf("  SDL2: cannot start video: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

double MeasureSdl(SdlScene& scene, const char* side) {
    const Workload& w = s_scene.workload;
    if (!w.tinted) {
        SDL_SetTextureColorMod(scene.texture, 255, 255, 255);
    }
    const auto drawFrame = [&] {
        SDL_SetRenderDrawColor(scene.renderer, 0, 0, 0, 255);
        SDL_RenderClear(scene.renderer);
        for (const SpriteSpec& s : s_scene.sprites) {
            if (w.tinted) {
                SDL_SetTextureColorMod(scene.texture, s.r, s.g, s.b);
            }
            const SDL_Rect target{s.x, kHeight - w.spriteSize - s.y, w.spriteSize, w.spriteSize};
            SDL_RenderCopy(scene.renderer, scene.texture, nullptr, &target);
        }
        SDL_RenderFlush(scene.renderer);
        if (scene.finish != nullptr) {
            scene.finish();
        }
    };
    const double ms = FrameMs(side, drawFrame);
    std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 4);
    if (SDL_RenderReadPixels(scene.renderer, nullptr, SDL_PIXELFORMAT_ABGR8888, pixels.data(),
                             kWidth * 4) != 0) {
        std::printf("  %s: cannot read the frame back: %s\n", side, SDL_GetError());
        return -1.0;
    }
    return CheckCoverage(side, pixels.data(), kWidth * 4, 4) ? ms : -1.0;
}

double MeasureSdlSoftware() {
    if (!StartSdlVideo()) {
        return -1.0;
    }
    SdlScene scene;
    scene.surface =
        SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
    if (scene.surface == nullptr) {
        return -1.0;
    }
    scene.renderer = SDL_CreateSoftwareRenderer(scene.surface);
    if (scene.renderer == nullptr || !MakeSdlTexture(scene)) {
        std::printf("  SDL2 software renderer: %s\n", SDL_GetError());
        return -1.0;
    }
    return MeasureSdl(scene, "SDL2 software");
}

// A hidden window under the offscreen video driver (EGL, no display needed).
double MeasureSdlGles2() {
    if (!StartSdlVideo()) {
        return -1.0;
    }
    SdlScene scene;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengles2");
    scene.window = SDL_CreateWindow("SpriteBatchBench", 0, 0, kWidth, kHeight,
                                    SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (scene.window != nullptr) {
        scene.renderer = SDL_CreateRenderer(scene.window, -1, SDL_RENDERER_ACCELERATED);
    }
    SDL_RendererInfo info;
    if (scene.renderer == nullptr || SDL_GetRendererInfo(scene.renderer, &info) != 0 ||
        std::strcmp(info.name, "opengles2") != 0) {
        std::printf("  SDL2 opengles2 renderer unavailable headless: %s\n", SDL_GetError());
        return -1.0;
    }
    scene.finish = reinterpret_cast<void (*)()>(SDL_GL_GetProcAddress("glFinish"));
    if (scene.finish == nullptr || !MakeSdlTexture(scene)) {
        std::printf("  SDL2 opengles2: %s\n", SDL_GetError());
        return -1.0;
    }
    return MeasureSdl(scene, "SDL2 opengles2");
}

Bench::Comparison MakeComparison(const Workload& workload, int rounds) {
    Bench::Comparison comparison;
    comparison.workload = DescribeWorkload(workload);
    comparison.unit = "ms per frame";
    comparison.lowerIsBetter = true;
    comparison.rounds = rounds;
    comparison.contenders = {
        {"SpriteLayerBatch", MeasureBatch},
        {"SDL2 opengles2", MeasureSdlGles2},
        {"SDL2 software", MeasureSdlSoftware},
    };
    return comparison;
}

const Workload* FindWorkload(const char* name) {
    for (const Workload& w : kWorkloads) {
        if (std::strcmp(w.name, name) == 0) {
            return &w;
        }
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const Workload* chosen = nullptr;
    int rounds = 5;
    bool isChild = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--workload") == 0 && i + 1 < argc) {
            chosen = FindWorkload(argv[++i]);
            if (chosen == nullptr) {
                std::fprintf(stderr, "no workload named %s (plain, tinted)\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--side") == 0) {
            isChild = true;
        }
    }
    if (chosen != nullptr || isChild) {
        const Workload& workload = chosen != nullptr ? *chosen : kWorkloads[0];
        MakeScene(workload);
        return Bench::RunSideBySide(argc, argv, MakeComparison(workload, rounds));
    }
    // Both workloads, one comparison each; the children are told which.
    int status = 0;
    for (const Workload& workload : kWorkloads) {
        std::vector<std::string> args(argv, argv + argc);
        args.insert(args.end(), {"--workload", workload.name});
        std::vector<char*> childArgv;
        for (std::string& arg : args) {
            childArgv.push_back(arg.data());
        }
        childArgv.push_back(nullptr);
        MakeScene(workload);
        status |= Bench::RunSideBySide(static_cast<int>(args.size()), childArgv.data(),
                                       MakeComparison(workload, rounds));
        s_scene = Scene{};
        std::printf("\n");
        std::fflush(stdout);
    }
    return status;
}
