// Display selection and the read-back shared by both back ends.
#include "platform/PlatformDisplay.h"

#include "engine/core/Log.h"

#include <GLES2/gl2.h>

#include <cstdlib>
#include <cstring>

namespace Varnok {

bool PlatformDisplay::ReadPixels(std::vector<uint8_t>& outRgba) const {
    const int w = Width();
    const int h = Height();
    if (w <= 0 || h <= 0) {
        return false;
    }
    const size_t row = static_cast<size_t>(w) * 4;
    std::vector<uint8_t> raw(row * static_cast<size_t>(h));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    if (glGetError() != GL_NO_ERROR) {
        return false;
    }
    // GL's origin is the bottom row; pictures start at the top.
    outRgba.resize(raw.size());
    for (int y = 0; y < h; ++y) {
        memcpy(&outRgba[static_cast<size_t>(y) * row], &raw[static_cast<size_t>(h - 1 - y) * row], row);
    }
    return true;
}

std::unique_ptr<PlatformDisplay> OpenBestDisplay(const DisplayDef& def, bool forceHeadless) {
    const bool haveScreen = getenv("DISPLAY") != nullptr || getenv("WAYLAND_DISPLAY") != nullptr;
    if (!forceHeadless && haveScreen) {
        std::unique_ptr<PlatformDisplay> window = CreateSdlDisplay();
        if (window->Open(def)) {
            return window;
        }
        Log("Display: no window could be opened, running headless");
    }
    std::unique_ptr<PlatformDisplay> headless = CreateHeadlessDisplay();
    if (headless->Open(def)) {
        return headless;
    }
    return nullptr;
}

}  // namespace Varnok
