// Path data from anywhere: the recorded path replays call for call, its
// bounds are ordered, and it draws into a small raster.
#include "engine/text/vector/SvgDocument.h"
#include "engine/text/vector/SvgPathData.h"
#include "engine/text/vector/VectorImage.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class CountingSink final : public Varnok::SvgPathSink {
public:
    void MoveTo(float, float) override { ++calls; }
    void LineTo(float, float) override { ++calls; }
    void QuadTo(float, float, float, float) override { ++calls; }
    void CubicTo(float, float, float, float, float, float) override { ++calls; }
    void ArcTo(float, float, float, bool, bool, float, float) override { ++calls; }
    void Close() override { ++calls; }
    void End() override { ++calls; }
    size_t calls = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    if (size > (1u << 16)) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);  // stops at a zero byte
    SvgDocument document;
    SvgPath* path = document.Create<SvgPath>();
    document.AddChild(path);
    BuildSvgPath(text.c_str(), path->GetStore());
    document.FinishLoading();

    const SvgPathStore& store = path->GetStore();
    CountingSink sink;
    store.Replay(sink);
    if (sink.calls != store.GetCommands().size()) {
        __builtin_trap();
    }
    const SvgBounds& b = store.GetBounds();
    if (b.minX > b.maxX || b.minY > b.maxY) {
        __builtin_trap();
    }
    VectorImage image;
    image.SetDocument(&document);
    const SvgBounds unit{0.0f, 0.0f, 100.0f, 100.0f};
    image.SetSourceRect(&unit);
    const std::unique_ptr<VectorRasterImage> raster = image.Rasterize(VectorRasterParams{16, 16, {}});
    if (!raster || raster->GetBytes().size() != 16 * 16 * 4) {
        __builtin_trap();
    }
    return 0;
}
