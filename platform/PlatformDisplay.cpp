// Display selection, the read-back and depth discard shared by both back
// ends, and the quit signals.
#include "platform/PlatformDisplay.h"

#include "engine/core/Log.h"
#include "platform/OffscreenFramebuffer.h"

#include <GLES2/gl2.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace Varnok {
namespace {

std::atomic<bool> s_quitSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnQuitSignal(int) {
    s_quitSignalled.store(true);
}

constexpr unsigned kDepthAttachment = GL_DEPTH_ATTACHMENT;

}  // namespace

bool PlatformDisplay::ReadPixels(std::vector<uint8_t>& outRgba) const {
    return ReadFramebufferRgba(Width(), Height(), outRgba);
}

void PlatformDisplay::DiscardDepth() {
    if (!m_discardLookedUp) {
        m_discardLookedUp = true;
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        if (extensions != nullptr && strstr(extensions, "GL_EXT_discard_framebuffer") != nullptr) {
            m_discard = reinterpret_cast<DiscardFunction>(GetProcAddress("glDiscardFramebufferEXT"));
        }
    }
    if (m_discard != nullptr) {
        m_discard(GL_FRAMEBUFFER, 1, &kDepthAttachment);
    }
}

bool PlatformDisplay::TakeQuitSignal() {
    return s_quitSignalled.exchange(false);
}

void InstallQuitSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = &OnQuitSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM}) {
        if (sigaction(signal, &action, nullptr) != 0) {
            Log("Display: cannot catch signal %d", signal);
        }
    }
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
