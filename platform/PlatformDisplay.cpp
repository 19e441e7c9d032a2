// Display selection and the read-back shared by both back ends.
#include "platform/PlatformDisplay.h"

#include "engine/core/Log.h"
#include "platform/OffscreenFramebuffer.h"

#include <cstdlib>

namespace Varnok {

bool PlatformDisplay::ReadPixels(std::vector<uint8_t>& outRgba) const {
    return ReadFramebufferRgba(Width(), Height(), outRgba);
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
