// The sample pictures drawn by librsvg and by the engine's rasteriser agree:
// the mean difference per channel stays small where only solid fills are used.
#include "engine/core/XmlDocument.h"
#include "tests/engine/text/vector/SvgTestSupport.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <librsvg/rsvg.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace Varnok {
namespace {

constexpr int kSize = 256;

std::string ReadSample(const char* name) {
    std::ifstream file(std::string(VARNOK_SOURCE_DATA_DIR) + "/svg/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Premultiplied B, G, R, A bytes, as cairo keeps them.
std::vector<uint8_t> DrawWithLibrsvg(const std::string& bytes) {
    std::vector<uint8_t> pixels;
    GError* error = nullptr;
    RsvgHandle* handle = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(bytes.data()),
                                                   bytes.size(), &error);
    if (handle == nullptr) {
        ADD_FAILURE() << (error != nullptr ? error->message : "librsvg refused the file");
        g_clear_error(&error);
        return pixels;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    cairo_t* cr = cairo_create(surface);
    const RsvgRectangle viewport{0, 0, kSize, kSize};
    EXPECT_TRUE(rsvg_handle_render_document(handle, cr, &viewport, &error));
    g_clear_error(&error);
    cairo_surface_flush(surface);
    const uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < kSize; ++y) {
        pixels.insert(pixels.end(), data + y * stride, data + y * stride + kSize * 4);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    g_object_unref(handle);
    return pixels;
}

std::vector<uint8_t> DrawWithEngine(const std::string& bytes) {
    TiXmlDocument xml;
    EXPECT_TRUE(ParseXmlDocument(xml, bytes.data(), bytes.size()));
    VectorImage image;
    image.SetDocument(SvgLoader::Load(xml.RootElement()));
    std::vector<uint8_t> pixels = image.Rasterize(VectorRasterParams{kSize, kSize, {}})->GetBytes();
    for (size_t i = 0; i < pixels.size(); i += 4) {
        const int alpha = pixels[i + 3];
        for (int c = 0; c < 3; ++c) {
            pixels[i + c] = static_cast<uint8_t>((pixels[i + c] * alpha + 127) / 255);
        }
    }
    return pixels;
}

TEST(SvgCrossCheck, SolidFillSamplesAgreeWithLibrsvg) {
    const struct {
        const char* file;
        double maxMean;  // per channel, 0..255
    } samples[] = {
        // Curves are flattened in user units (half a unit is 1.28 pixels here),
        // so curved edges differ most.
        {"paths.svg", 3.0},
        {"star.svg", 0.5},
        {"use.svg", 1.0},
        // Line ends are always round here, butt in librsvg.
        {"strokes.svg", 2.5},
    };
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.file);
        const std::string bytes = ReadSample(sample.file);
        ASSERT_FALSE(bytes.empty());
        const std::vector<uint8_t> theirs = DrawWithLibrsvg(bytes);
        const std::vector<uint8_t> ours = DrawWithEngine(bytes);
        ASSERT_EQ(theirs.size(), ours.size());
        double sums[4] = {};
        int worst = 0;
        for (size_t i = 0; i < ours.size(); ++i) {
            const int difference = std::abs(int(ours[i]) - int(theirs[i]));
            sums[i % 4] += difference;
            worst = std::max(worst, difference);
        }
        const double pixels = double(kSize) * kSize;
        std::printf("%-12s mean difference B %.3f G %.3f R %.3f A %.3f, largest %d\n", sample.file,
                    sums[0] / pixels, sums[1] / pixels, sums[2] / pixels, sums[3] / pixels, worst);
        for (double sum : sums) {
            EXPECT_LE(sum / pixels, sample.maxMean);
        }
    }
}

}  // namespace
}  // namespace Varnok
