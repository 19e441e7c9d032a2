// Surfaceless Mesa EGL: a GL ES 2.0 context with no window, and a virtual
// clock so that a run with the same input gives the same frames.
#include "platform/PlatformDisplay.h"

#include "engine/core/Log.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES2/gl2.h>

namespace Varnok {
namespace {

constexpr uint64_t kTickNanoseconds = 1000000000ull / 60;

class HeadlessDisplay final : public PlatformDisplay {
public:
    ~HeadlessDisplay() override {
        if (m_display != EGL_NO_DISPLAY) {
            eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            if (m_context != EGL_NO_CONTEXT) {
                eglDestroyContext(m_display, m_context);
            }
            // No eglTerminate: it unloads the driver, and leak reports from
            // an unloaded library can no longer be told apart from ours.
        }
    }

    bool Open(const DisplayDef& def) override {
        m_width = def.width;
        m_height = def.height;
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (getPlatformDisplay == nullptr) {
            Log("HeadlessDisplay: eglGetPlatformDisplayEXT is missing");
            return false;
        }
        m_display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        EGLint major = 0;
        EGLint minor = 0;
        if (m_display == EGL_NO_DISPLAY || !eglInitialize(m_display, &major, &minor)) {
            Log("HeadlessDisplay: cannot initialise the surfaceless EGL display (0x%x)", eglGetError());
            m_display = EGL_NO_DISPLAY;
            return false;
        }
        eglBindAPI(EGL_OPENGL_ES_API);
        const EGLint configAttribs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT, EGL_SURFACE_TYPE, 0,
                                        EGL_NONE};
        EGLConfig config = nullptr;
        EGLint count = 0;
        eglChooseConfig(m_display, configAttribs, &config, 1, &count);
        const EGLint contextAttribs[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
        m_context = eglCreateContext(m_display, count > 0 ? config : EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT,
                                     contextAttribs);
        if (m_context == EGL_NO_CONTEXT) {
            Log("Failed to create ES context");
            return false;
        }
        if (!MakeCurrent()) {
            Log("Failed to set ES context current");
            return false;
        }
        return true;
    }

    bool IsOffscreen() const override { return true; }

    bool MakeCurrent() override {
        return eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_context) == EGL_TRUE;
    }

    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    // No swap to wait on: the frame ends when the GPU has drawn it.
    void Present() override { glFinish(); }
    void* GetProcAddress(const char* name) const override {
        return reinterpret_cast<void*>(eglGetProcAddress(name));
    }
    void WaitForTick() override { m_now += kTickNanoseconds; }
    uint64_t NowNanoseconds() const override { return m_now; }
    void PollEvents(PlatformEventSink& sink) override {
        if (TakeQuitSignal()) {
            sink.OnQuit();
        }
    }

private:
    EGLDisplay m_display = EGL_NO_DISPLAY;
    EGLContext m_context = EGL_NO_CONTEXT;
    int m_width = 0;
    int m_height = 0;
    uint64_t m_now = kTickNanoseconds;  // never 0, which callers may read as "unset"
};

}  // namespace

std::unique_ptr<PlatformDisplay> CreateHeadlessDisplay() {
    return std::make_unique<HeadlessDisplay>();
}

}  // namespace Varnok
