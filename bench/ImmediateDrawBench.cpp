// Immediate drawing of 10,000 textured 16 x 16 quads a frame into a 960 x 640
// headless framebuffer, against the floor of the same quads drawn with plain
// GL ES 2.0 calls from one buffer, and both drawn one quad a call. Every frame
// ends with glFinish, so the GPU work is counted. Each way of drawing runs in
// a fresh process of its own (bench/SideBySide.h); the figure is the median
// frame time.
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/PixelFormat.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture2D.h"
#include "bench/HeadlessRenderScene.h"
#include "bench/SideBySide.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr int kWidth = 960;
constexpr int kHeight = 640;
constexpr int kQuadCount = 10000;
constexpr float kQuadSize = 16.0f;

struct Scene {
    VarnokBench::HeadlessRenderScene gl;
    SmartPtr<Texture> texture;
    std::vector<ImmediateVertex> strips;     // 4 a quad, for one draw each
    std::vector<ImmediateVertex> triangles;  // 6 a quad, for one list
};

constexpr int kWarmUpFrames = 10;
constexpr int kTimedFrames = 41;

Scene* s_scene = nullptr;

ImmediateVertex Corner(float x, float y, float u, float v, uint8_t tint) {
    ImmediateVertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.r = 255;
    vertex.g = tint;
    vertex.b = 255 - tint;
    vertex.a = 255;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

bool SetUpScene() {
    s_scene = new Scene;
    if (!s_scene->gl.Open(kWidth, kHeight, "ImmediateDrawBench")) {
        return false;
    }
    Renderer::Get().SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);

    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.Reset();
    transforms.SetOrthographic(kHeight, 0, 0, kWidth, -1, 1);
    transforms.Apply(false);

    // A 32 x 32 soft disc: blending stays on for every quad.
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const float dx = x - 15.5f;
            const float dy = y - 15.5f;
            const float fade = 1.0f - (dx * dx + dy * dy) / (16.0f * 16.0f);
            const uint8_t alpha = static_cast<uint8_t>(fade > 0 ? 255 * fade : 0);
            pixels.insert(pixels.end(), {255, 255, 255, alpha});
        }
    }
    const TextureDescription description = RgbaDescription(32, 32);
    s_scene->texture = Texture2D::Create(SmartPtr<TextureSource>(new MemoryBlockTextureSource(
                                             description, pixels.data(), pixels.size(), true)),
                                         0, TextureCreateMode::Scale);

    // Quads spread over the screen on a fixed pseudo-random walk.
    uint32_t state = 12345;
    auto next = [&state](int range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>((state >> 8) % static_cast<uint32_t>(range));
    };
    for (int i = 0; i < kQuadCount; ++i) {
        const float x = next(kWidth - static_cast<int>(kQuadSize));
        const float y = next(kHeight - static_cast<int>(kQuadSize));
        const uint8_t tint = static_cast<uint8_t>(i % 256);
        const ImmediateVertex topLeft = Corner(x, y + kQuadSize, 0, 0, tint);
        const ImmediateVertex bottomLeft = Corner(x, y, 0, 1, tint);
        const ImmediateVertex topRight = Corner(x + kQuadSize, y + kQuadSize, 1, 0, tint);
        const ImmediateVertex bottomRight = Corner(x + kQuadSize, y, 1, 1, tint);
        s_scene->strips.insert(s_scene->strips.end(), {topLeft, bottomLeft, topRight, bottomRight});
        s_scene->triangles.insert(s_scene->triangles.end(), {topLeft, bottomLeft, topRight,
                                                             topRight, bottomLeft, bottomRight});
    }
    return true;
}

// The median frame time in milliseconds, or -1 without a GL context.
template <typename DrawFrame>
double MeasureFrames(DrawFrame drawFrame) {
    if (!SetUpScene()) {
        std::fprintf(stderr, "no headless GL context\n");
        return -1.0;
    }
    std::vector<double> times;
    for (int frame = 0; frame < kWarmUpFrames + kTimedFrames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        glClear(GL_COLOR_BUFFER_BIT);
        drawFrame();
        glFinish();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (frame >= kWarmUpFrames) {
            times.push_back(ms);
        }
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// One immediate draw per quad, the texture bound once for all of them.
double ImmediatePerQuad() {
    return MeasureFrames([] {
        s_scene->texture->Bind();
        const ImmediateVertex* quad = s_scene->strips.data();
        for (int i = 0; i < kQuadCount; ++i, quad += 4) {
            DrawTexturedTriangleStrip(quad, 4, true, nullptr, SmartPtr<Texture>());
        }
        s_scene->texture->Unbind();
    });
}

// All quads in one immediate triangle list.
double ImmediateOneList() {
    return MeasureFrames([] {
        DrawTexturedTriangles(s_scene->triangles.data(), kQuadCount * 6, true, nullptr,
                              s_scene->texture);
    });
}

// The floor: the same program and texture, one buffer upload, one draw.
double PlainGlOneBuffer() {
    static GLuint buffer = 0;
    return MeasureFrames([] {
        if (buffer == 0) {
            glGenBuffers(1, &buffer);
        }
        s_scene->texture->Bind();
        Renderer::Get().SetColour(kColourWhite);
        if (!ShaderProgramCache::Get().Use(ShaderProgramCache::kUnlitProgram)) {
            return;
        }
        Renderer::Get().SetBlendEnable(true);
        const ShaderLocations& l = ShaderProgramCache::Get().GetCurrentProgram()->GetLocations();
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(s_scene->triangles.size() * sizeof(ImmediateVertex)),
                     s_scene->triangles.data(), GL_STREAM_DRAW);
        const GLsizei stride = sizeof(ImmediateVertex);
        glVertexAttribPointer(l.position, 3, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(kImmediatePositionOffset));
        glVertexAttribPointer(l.uv, 2, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(kImmediateUvOffset));
        glVertexAttribPointer(l.vertexColour, 4, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(kImmediateColourOffset));
        glDrawArrays(GL_TRIANGLES, 0, kQuadCount * 6);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        s_scene->texture->Unbind();
    });
}

// What one GL draw per quad costs by itself: the ring of buffers filled the
// way immediate drawing fills it, without any of the engine around it.
double PlainGlPerQuad() {
    static GLuint buffers[ImmediatePrimitiveRenderer::kRingSize] = {};
    return MeasureFrames([] {
        if (buffers[0] == 0) {
            glGenBuffers(ImmediatePrimitiveRenderer::kRingSize, buffers);
        }
        s_scene->texture->Bind();
        Renderer::Get().SetColour(kColourWhite);
        if (!ShaderProgramCache::Get().Use(ShaderProgramCache::kUnlitProgram)) {
            return;
        }
        Renderer::Get().SetBlendEnable(true);
        const ShaderLocations& l = ShaderProgramCache::Get().GetCurrentProgram()->GetLocations();
        const GLsizei stride = sizeof(ImmediateVertex);
        const ImmediateVertex* quad = s_scene->strips.data();
        for (int i = 0; i < kQuadCount; ++i, quad += 4) {
            glBindBuffer(GL_ARRAY_BUFFER, buffers[i % ImmediatePrimitiveRenderer::kRingSize]);
            glBufferData(GL_ARRAY_BUFFER, 4 * stride, quad, GL_STREAM_DRAW);
            glVertexAttribPointer(l.position, 3, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(kImmediatePositionOffset));
            glVertexAttribPointer(l.uv, 2, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(kImmediateUvOffset));
            glVertexAttribPointer(l.vertexColour, 4, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(kImmediateColourOffset));
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        s_scene->texture->Unbind();
    });
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "10000 textured, tinted, blended 16x16 quads from one 32x32 RGBA texture, 960x640 headless; "
        "every frame cleared, drawn and waited for (glFinish); median of 41 frames after 10 warm-up frames";
    comparison.unit = "ms per frame";
    comparison.lowerIsBetter = true;
    comparison.rounds = 3;
    comparison.contenders = {{"immediate, one list", ImmediateOneList},
                             {"plain GL, one buffer", PlainGlOneBuffer},
                             {"immediate, one call a quad", ImmediatePerQuad},
                             {"plain GL, one call a quad", PlainGlPerQuad}};
    return Bench::RunSideBySide(argc, argv, comparison);
}
