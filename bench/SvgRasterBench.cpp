// The sample SVG files loaded and rasterised at 64, 256 and 1024 pixels: the
// engine (TinyXML, the SVG loader, AGG) against librsvg drawing into a cairo
// image surface, each in its own process.
#include "bench/SideBySide.h"
#include "engine/core/XmlDocument.h"
#include "engine/text/vector/SvgLoader.h"
#include "engine/text/vector/VectorImage.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const kFiles[] = {"badge.svg", "gradients.svg", "paths.svg",
                              "star.svg",  "strokes.svg",   "use.svg"};
const int kSizes[] = {64, 256, 1024};
constexpr int kWarmUpPasses = 2;
constexpr int kPasses = 15;

// Read before the clock starts, so neither side pays for the disk.
std::vector<std::string> ReadFiles() {
    std::vector<std::string> files;
    for (const char* name : kFiles) {
        std::ifstream file(std::string(VARNOK_SOURCE_DATA_DIR) + "/svg/" + name, std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return files;
}

// The median time of one pass (every file at every size, each loaded afresh),
// in milliseconds; `draw` answers a checksum byte so the work cannot vanish.
template <typename Draw>
double MeasurePasses(Draw draw) {
    const std::vector<std::string> files = ReadFiles();
    std::vector<double> times;
    unsigned checksum = 0;
    for (int pass = 0; pass < kWarmUpPasses + kPasses; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        for (const std::string& file : files) {
            for (int size : kSizes) {
                checksum += draw(file, size);
            }
        }
        const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        if (pass >= kWarmUpPasses) {
            times.push_back(spent.count());
        }
    }
    std::printf("  (checksum %u)\n", checksum);
    return Bench::internal::Median(times);
}

unsigned EngineDraw(const std::string& file, int size) {
    TiXmlDocument xml;
    if (!Varnok::ParseXmlDocument(xml, file.data(), file.size())) {
        return 0;
    }
    Varnok::VectorImage image;
    image.SetDocument(Varnok::SvgLoader::Load(xml.RootElement()));
    const auto raster = image.Rasterize(
        Varnok::VectorRasterParams{static_cast<uint32_t>(size), static_cast<uint32_t>(size), {}});
    return raster ? raster->GetBytes()[raster->GetBytes().size() / 2] : 0;
}

unsigned LibrsvgDraw(const std::string& file, int size) {
    RsvgHandle* handle = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(file.data()),
                                                   file.size(), nullptr);
    if (handle == nullptr) {
        return 0;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    const RsvgRectangle viewport{0, 0, static_cast<double>(size), static_cast<double>(size)};
    rsvg_handle_render_document(handle, cr, &viewport, nullptr);
    cairo_surface_flush(surface);
    const unsigned byte =
        cairo_image_surface_get_data(surface)[cairo_image_surface_get_stride(surface) * (size / 2)];
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    g_object_unref(handle);
    return byte;
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "6 sample SVG files (data/svg) each parsed from memory and rasterised to a new image at "
        "64, 256 and 1024 px square (18 loads and rasters a pass); median pass of 15 after 2 warm-up "
        "passes";
    comparison.unit = "ms per pass";
    comparison.lowerIsBetter = true;
    comparison.rounds = 5;
    comparison.contenders = {
        {"engine (TinyXML + SvgLoader + AGG)", [] { return MeasurePasses(EngineDraw); }},
        {"librsvg + cairo image surface", [] { return MeasurePasses(LibrsvgDraw); }},
    };
    return Bench::RunSideBySide(argc, argv, comparison);
}
