// Turning a platform image, or a view's drawing, into an RGBA8 bitmap.
#pragma once

#include <cstdint>
#include <memory>

namespace Varnok {

// A platform image as plain pixels: rows top to bottom, 4 bytes a pixel (RGBA).
struct RgbaImage {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

// A view as a capture sees it: its frame's size, its hidden flag and a layer
// that draws itself.
class CapturableView {
public:
    virtual ~CapturableView() = default;
    virtual float GetFrameWidth() const = 0;
    virtual float GetFrameHeight() const = 0;
    virtual bool IsHidden() const = 0;
    virtual void SetHidden(bool hidden) = 0;
    // Draws the layer with its transform over the bitmap: width x height
    // pixels, rows top first, RGBA with premultiplied alpha.
    virtual void RenderLayer(uint8_t* rgba, int width, int height) const = 0;
};

class UIImageHelper {
public:
    // The view drawn into a new zeroed bitmap of its frame's size truncated
    // to whole pixels (each side rounded up to a power of two when asked),
    // the sizes going to the out-pointers. A hidden view is shown for the
    // drawing and hidden again. Null (and a log line) for an empty or too
    // large frame.
    static std::unique_ptr<uint8_t[]> ConvertViewToBitmapRGBA8(CapturableView& view, int* outWidth,
                                                               int* outHeight, bool powerOfTwo);

    // The image stretched into a bitmap whose sides are its own rounded up to
    // powers of two; the rounded sizes go to the out-pointers when given.
    // Null (and a log line) when the image is empty or too large.
    static std::unique_ptr<uint8_t[]> ConvertImageToBitmapRGBA8(const RgbaImage& image,
                                                                int* outWidth, int* outHeight);
};

}  // namespace Varnok
