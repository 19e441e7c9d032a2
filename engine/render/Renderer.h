// The engine's one rendering device: frame begin and end, the GL state that
// drawing code sets and reads back, the viewport and the texture settings.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/core/Mutex.h"
#include "engine/render/RenderTarget.h"

#include <cstdint>

namespace Varnok {

class VarnokGame;

// Engine compare codes (depth and alpha tests).
constexpr int kCompareNever = 0;
constexpr int kCompareLess = 1;
constexpr int kCompareEqual = 2;
constexpr int kCompareLessEqual = 3;
constexpr int kCompareGreater = 4;
constexpr int kCompareNotEqual = 5;
constexpr int kCompareGreaterEqual = 6;
constexpr int kCompareAlways = 7;

// Engine blend factor codes.
constexpr int kBlendZero = 1;
constexpr int kBlendOne = 2;
constexpr int kBlendSrcColour = 3;
constexpr int kBlendOneMinusSrcColour = 4;
constexpr int kBlendSrcAlpha = 5;
constexpr int kBlendOneMinusSrcAlpha = 6;
constexpr int kBlendDstAlpha = 7;
constexpr int kBlendOneMinusDstAlpha = 8;
constexpr int kBlendDstColour = 9;
constexpr int kBlendOneMinusDstColour = 10;
constexpr int kBlendSrcAlphaSaturate = 11;

// Cull modes: which winding faces the viewer; back faces are culled.
constexpr int kCullOff = 0;
constexpr int kCullClockwise = 1;
constexpr int kCullCounterClockwise = 2;

// Texture wrap settings.
constexpr int kWrapRepeat = 0;
constexpr int kWrapClamp = 1;

// Pixels; width x1 - x0, height y1 - y0.
struct ViewportRect {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
};

class Renderer {
public:
    // Without a target the renderer draws into framebuffer 0, sized as the
    // screen size (once set) or else the current viewport.
    explicit Renderer(RenderTarget* target = nullptr) : m_target(target) {}
    virtual ~Renderer() = default;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The one renderer (an OpenGL ES 2.0 one), built on the first call.
    static Renderer& Get();

    // Not owned; null returns to framebuffer 0. The owner clears it before
    // the target goes.
    void SetTarget(RenderTarget* target) { m_target = target; }
    RenderTarget* GetTarget() const { return m_target; }

    // The renderer mutex (recursive). Held from BeginFrame to Present, and by
    // the shell and texture upload around their GL work.
    void Lock() { m_mutex.Lock(); }
    void Unlock() { m_mutex.Unlock(); }

    // Sets the GL defaults and builds the built-in shader programs. The
    // arguments are not used. Requires: a current GL context.
    virtual void Init(VarnokGame* game, const char* title, int reserved) = 0;
    // Locks the mutex; outside a frame also clears colour, depth and stencil.
    virtual void BeginFrame() = 0;
    virtual void EndFrame() = 0;
    // Releases the lock that BeginFrame took.
    virtual void Present() = 0;

    // The colour that programs receive as their display colour.
    virtual void SetColour(const Colour& colour) = 0;
    virtual Colour GetColour() const { return m_colour; }

    // Also makes the viewport (0, 0, width, height).
    virtual void SetScreenSize(int width, int height);

    virtual void SetDepthTest(bool enabled) = 0;
    virtual void SetDepthWrite(bool enabled) = 0;
    virtual void SetDepthFunc(int compareCode) { (void)compareCode; }
    // The fixed-function alpha test: kept for callers to read back only.
    virtual void SetAlphaTest(bool enabled) { (void)enabled; }
    virtual void SetAlphaFunc(int compareCode, uint8_t reference) {
        (void)compareCode;
        (void)reference;
    }
    virtual bool GetDepthTest() const { return false; }
    virtual bool GetDepthWrite() const { return false; }
    virtual int GetDepthFunc() const { return kCompareLessEqual; }
    virtual bool GetAlphaTest() const { return false; }
    virtual int GetAlphaFunc() const { return kCompareGreater; }
    virtual uint8_t GetAlphaRef() const { return 0; }
    virtual void SetCullMode(int mode) { (void)mode; }
    virtual int GetCullMode() const { return kCullCounterClockwise; }
    virtual void SetBlendFunc(int sourceCode, int destinationCode) {
        (void)sourceCode;
        (void)destinationCode;
    }
    virtual int GetBlendSrc() const { return kBlendSrcAlpha; }
    virtual int GetBlendDst() const { return kBlendOneMinusSrcAlpha; }
    virtual void SetBlendEnable(bool enabled) { (void)enabled; }
    virtual bool GetBlendEnable() const { return false; }

    // Called by the game when it shuts down.
    virtual void Shutdown() {}

    // Note the order: vertical bounds first. Asks the target for a
    // framebuffer of the new size.
    virtual void SetViewport(int y0, int y1, int x0, int x1) {
        (void)y0;
        (void)y1;
        (void)x0;
        (void)x1;
    }
    virtual ViewportRect GetViewport() const { return m_viewport; }
    virtual float GetAspectRatio() const;         // width / height of the viewport
    virtual float GetInverseAspectRatio() const;  // height / width
    // 4 on a tablet, 2 otherwise.
    virtual int GetDeviceClass() const { return 2; }
    virtual int GetScreenWidth() const { return m_screenWidth; }
    virtual int GetScreenHeight() const { return m_screenHeight; }
    virtual int GetViewportWidth() const { return m_viewport.x1 - m_viewport.x0; }
    virtual int GetViewportHeight() const { return m_viewport.y1 - m_viewport.y0; }
    virtual Vector3 GetNullVector() const { return Vector3{}; }

    virtual void ClearDepth() = 0;
    virtual void SetClearColour(const Colour& colour) { (void)colour; }
    virtual void SetPackedColour(uint32_t argb) { m_packedColour = argb; }
    virtual uint32_t GetPackedColour() const { return m_packedColour; }
    virtual bool IsRetina() { return false; }
    // The game's flow checks it before it draws.
    virtual bool IsReady() const { return true; }

    // GL enums from the texture settings.
    virtual uint32_t GetMagFilter() const { return 0; }
    virtual uint32_t GetMinFilter() const { return 0; }
    virtual uint32_t GetWrapS() const { return 0; }
    virtual uint32_t GetWrapT() const { return 0; }
    // Texture upload generates mipmaps when set, else uses linear filters.
    bool GetGenerateMipmaps() const { return m_generateMipmaps; }
    virtual uint32_t GetDefaultFramebuffer() const { return 0; }

    virtual float GetReferenceAspectRatio() const { return 4.0f / 3.0f; }
    // The code when it lies in 2..13, else 1.
    virtual int NormaliseBlendCode(int code) const;
    // An engine blend code to its GL factor; GL_ZERO outside 1..11.
    virtual uint32_t MapBlendFactor(int code) const;
    virtual int NormaliseBlendCodeAlt(int code) const;
    // textureStage is ignored. Acts on the bound 2D texture at once.
    virtual void SetWrapS(int textureStage, int mode) {
        (void)textureStage;
        (void)mode;
    }
    virtual void SetWrapT(int textureStage, int mode) {
        (void)textureStage;
        (void)mode;
    }

    bool IsInFrame() const { return m_inFrame; }

protected:
    // The target's framebuffer size, or the default (see the constructor).
    int QueryFramebufferWidth() const;
    int QueryFramebufferHeight() const;

    RenderTarget* m_target = nullptr;
    Colour m_clearColour = kColourBlack;
    Colour m_colour = kColourWhite;
    ViewportRect m_viewport{0, 0, 640, 480};
    uint32_t m_packedColour = 0xFF000000u;
    bool m_inFrame = false;
    Mutex m_mutex;
    int m_magFilter = 1;  // 0 nearest, else linear
    int m_minFilter = 3;  // 0..5: nearest, linear, then the four mipmap modes
    int m_wrapS = kWrapRepeat;
    int m_wrapT = kWrapRepeat;
    int m_screenWidth = 0;
    int m_screenHeight = 0;
    bool m_generateMipmaps = true;
};

}  // namespace Varnok
