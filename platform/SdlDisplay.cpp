// An SDL2 window with a GL ES 2.0 context: vsync paces the ticks, the mouse
// and touch screens become touches, and window focus, minimise and close
// become the application's life-cycle callbacks.
#include "platform/PlatformDisplay.h"

#include "engine/core/Log.h"

#include <SDL2/SDL.h>

#include <ctime>

namespace Varnok {
namespace {

constexpr uint64_t kTickNanoseconds = 1000000000ull / 60;
constexpr uint32_t kMouseTouchId = 1;
constexpr uint32_t kFingerTouchIdBase = 0x100;

uint64_t MonotonicNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

class SdlDisplay final : public PlatformDisplay {
public:
    ~SdlDisplay() override {
        if (m_context != nullptr) {
            SDL_GL_DeleteContext(m_context);
        }
        if (m_window != nullptr) {
            SDL_DestroyWindow(m_window);
        }
        if (m_initialised) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }

    bool Open(const DisplayDef& def) override {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            Log("SdlDisplay: %s", SDL_GetError());
            return false;
        }
        m_initialised = true;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");  // fingers arrive once, as fingers
        m_window = SDL_CreateWindow(def.title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, def.width,
                                    def.height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
        if (m_window == nullptr) {
            Log("SdlDisplay: %s", SDL_GetError());
            return false;
        }
        m_context = SDL_GL_CreateContext(m_window);
        if (m_context == nullptr) {
            Log("Failed to create ES context");
            return false;
        }
        if (!MakeCurrent()) {
            Log("Failed to set ES context current");
            return false;
        }
        SDL_GL_SetSwapInterval(1);
        m_lastTick = MonotonicNanoseconds();
        return true;
    }

    bool IsOffscreen() const override { return false; }

    bool MakeCurrent() override { return SDL_GL_MakeCurrent(m_window, m_context) == 0; }

    int Width() const override {
        int w = 0;
        int h = 0;
        SDL_GL_GetDrawableSize(m_window, &w, &h);
        return w;
    }

    int Height() const override {
        int w = 0;
        int h = 0;
        SDL_GL_GetDrawableSize(m_window, &w, &h);
        return h;
    }

    void Present() override { SDL_GL_SwapWindow(m_window); }

    void* GetProcAddress(const char* name) const override { return SDL_GL_GetProcAddress(name); }

    // Swapping blocks on vsync where the driver honours it; where it does not
    // (a virtual X server), sleep to the next 1/60 s so the loop keeps time.
    void WaitForTick() override {
        const uint64_t now = MonotonicNanoseconds();
        const uint64_t next = m_lastTick + kTickNanoseconds;
        if (now < next) {
            const uint64_t wait = next - now;
            timespec ts{static_cast<time_t>(wait / 1000000000ull), static_cast<long>(wait % 1000000000ull)};
            nanosleep(&ts, nullptr);
            m_lastTick = next;
        } else {
            m_lastTick = now;
        }
    }

    uint64_t NowNanoseconds() const override { return MonotonicNanoseconds(); }

    void PollEvents(PlatformEventSink& sink) override {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            Dispatch(event, sink);
        }
        if (TakeQuitSignal()) {
            sink.OnQuit();
        }
    }

private:
    void Dispatch(const SDL_Event& event, PlatformEventSink& sink) {
        int w = 1;
        int h = 1;
        SDL_GetWindowSize(m_window, &w, &h);
        switch (event.type) {
            case SDL_QUIT:
                sink.OnQuit();
                break;
            case SDL_WINDOWEVENT:
                DispatchWindow(event.window.event, sink);
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (event.button.button == SDL_BUTTON_LEFT) {
                    m_mouseDown = event.type == SDL_MOUSEBUTTONDOWN;
                    sink.OnTouch(Touch(kMouseTouchId, m_mouseDown ? PlatformTouch::Began : PlatformTouch::Ended,
                                       static_cast<float>(event.button.x) / static_cast<float>(w),
                                       static_cast<float>(event.button.y) / static_cast<float>(h)));
                }
                break;
            case SDL_MOUSEMOTION:
                if (m_mouseDown) {
                    sink.OnTouch(Touch(kMouseTouchId, PlatformTouch::Moved,
                                       static_cast<float>(event.motion.x) / static_cast<float>(w),
                                       static_cast<float>(event.motion.y) / static_cast<float>(h)));
                }
                break;
            case SDL_FINGERDOWN:
            case SDL_FINGERMOTION:
            case SDL_FINGERUP: {
                const PlatformTouch::Phase phase = event.type == SDL_FINGERDOWN   ? PlatformTouch::Began
                                                   : event.type == SDL_FINGERUP ? PlatformTouch::Ended
                                                                                : PlatformTouch::Moved;
                const uint32_t id = kFingerTouchIdBase + static_cast<uint32_t>(event.tfinger.fingerId & 0xFFFF);
                sink.OnTouch(Touch(id, phase, event.tfinger.x, event.tfinger.y));
                break;
            }
            case SDL_TEXTINPUT:
                sink.OnTextInput(event.text.text);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                sink.OnKey(event.key.keysym.sym, event.type == SDL_KEYDOWN);
                break;
            default:
                break;
        }
    }

    static void DispatchWindow(uint8_t what, PlatformEventSink& sink) {
        switch (what) {
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                sink.OnFocusChanged(true);
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                sink.OnFocusChanged(false);
                break;
            case SDL_WINDOWEVENT_MINIMIZED:
                sink.OnMinimised(true);
                break;
            case SDL_WINDOWEVENT_RESTORED:
                sink.OnMinimised(false);
                break;
            case SDL_WINDOWEVENT_CLOSE:
                sink.OnQuit();
                break;
            default:
                break;
        }
    }

    static PlatformTouch Touch(uint32_t id, PlatformTouch::Phase phase, float x, float y) {
        PlatformTouch touch;
        touch.id = id;
        touch.phase = phase;
        touch.x = x;
        touch.y = y;
        return touch;
    }

    SDL_Window* m_window = nullptr;
    SDL_GLContext m_context = nullptr;
    bool m_initialised = false;
    bool m_mouseDown = false;
    uint64_t m_lastTick = 0;
};

}  // namespace

std::unique_ptr<PlatformDisplay> CreateSdlDisplay() {
    return std::make_unique<SdlDisplay>();
}

}  // namespace Varnok
