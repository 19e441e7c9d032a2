// One 320 x 50 advertising banner's new pixels into its GL texture, as the
// advertising glue puts them there (MemoryBlockTextureSource::SetData under
// a Texture2D made as the banner's is), against a plain glTexSubImage2D of
// the same pixels into a texture made once. One headless GL ES 2.0 context
// a side; every upload ends with glFinish so the GPU's copy is counted, and
// two pictures alternate so that no upload repeats the one before it. Each
// side runs in a fresh process of its own (bench/SideBySide.h); the figure is
// the median time of one upload.
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/PixelFormat.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture2D.h"
#include "bench/HeadlessRenderScene.h"
#include "bench/SideBySide.h"

#include <GLES2/gl2.h>

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using namespace Varnok;

constexpr int kBannerWidth = 320;
constexpr int kBannerHeight = 50;
constexpr int kWarmUpUploads = 20;
constexpr int kTimedUploads = 401;

// Two banner pictures: stripes whose phase differs.
std::vector<uint8_t> Picture(int phase) {
    std::vector<uint8_t> pixels(size_t(kBannerWidth) * kBannerHeight * 4);
    for (int y = 0; y < kBannerHeight; ++y) {
        for (int x = 0; x < kBannerWidth; ++x) {
            uint8_t* p = &pixels[(size_t(y) * kBannerWidth + x) * 4];
            p[0] = static_cast<uint8_t>((x + phase) * 3);
            p[1] = static_cast<uint8_t>(y * 5 + phase);
            p[2] = static_cast<uint8_t>(((x / 8 + phase) % 2) * 255);
            p[3] = 255;
        }
    }
    return pixels;
}

// The median time of one upload in microseconds, or -1 without a context.
template <typename Upload>
double MeasureUploads(Upload upload) {
    const std::vector<uint8_t> pictures[2] = {Picture(0), Picture(1)};
    std::vector<double> times;
    for (int i = 0; i < kWarmUpUploads + kTimedUploads; ++i) {
        const auto start = std::chrono::steady_clock::now();
        upload(pictures[i % 2]);
        glFinish();
        const auto end = std::chrono::steady_clock::now();
        if (i >= kWarmUpUploads) {
            times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        }
    }
    return Bench::internal::Median(times);
}

double MeasureEngine() {
    VarnokBench::HeadlessRenderScene gl;
    if (!gl.Open(kBannerWidth, kBannerHeight, "BannerUploadBench")) {
        std::fprintf(stderr, "no headless GL context\n");
        return -1.0;
    }
    const std::vector<uint8_t> zeros(size_t(kBannerWidth) * kBannerHeight * 4, 0);
    SmartPtr<MemoryBlockTextureSource> source(new MemoryBlockTextureSource(
        RgbaDescription(kBannerWidth, kBannerHeight), zeros.data(), zeros.size(), true));
    SmartPtr<Texture> texture = Texture2D::Create(source, 0, TextureCreateMode::Scale);
    if (!texture || texture->GetGLId() == 0) {
        std::fprintf(stderr, "the banner texture was not made\n");
        return -1.0;
    }
    const double figure = MeasureUploads([&](const std::vector<uint8_t>& pixels) {
        source->SetData(pixels.data(), pixels.size(), true);
    });
    texture = nullptr;
    return figure;
}

double MeasurePlainGl() {
    VarnokBench::HeadlessRenderScene gl;
    if (!gl.Open(kBannerWidth, kBannerHeight, "BannerUploadBench")) {
        std::fprintf(stderr, "no headless GL context\n");
        return -1.0;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kBannerWidth, kBannerHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    const double figure = MeasureUploads([&](const std::vector<uint8_t>& pixels) {
        glBindTexture(GL_TEXTURE_2D, name);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kBannerWidth, kBannerHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                        pixels.data());
    });
    glDeleteTextures(1, &name);
    return figure;
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "one 320 x 50 RGBA banner upload (two pictures alternating), glFinish after each, "
        "median of 401 after 20 warm-up";
    comparison.unit = "us per upload";
    comparison.rounds = 7;
    comparison.contenders = {
        {"MemoryBlockTextureSource::SetData", &MeasureEngine},
        {"glTexSubImage2D", &MeasurePlainGl},
    };
    return Bench::RunSideBySide(argc, argv, comparison);
}
