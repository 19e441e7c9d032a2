// The renderer over OpenGL ES 2.0, with the cache of the GL state it sets.
#pragma once

#include "engine/render/Renderer.h"

#include <optional>

namespace Varnok {

// Every setter acts on GL at once. The cache always holds what GL has, so a
// caller can save a setting and restore it later; the alpha test, which GL ES
// 2.0 lacks, lives in the cache only.
class GlesRenderer : public Renderer {
public:
    // Takes the viewport from the render target. Makes no GL call.
    explicit GlesRenderer(RenderTarget* target = nullptr);

    void Init(VarnokGame* game, const char* title, int reserved) override;
    void BeginFrame() override;
    void EndFrame() override;
    void Present() override;

    // Nothing when the colour is the current one.
    void SetColour(const Colour& colour) override;

    void SetDepthTest(bool enabled) override;
    void SetDepthWrite(bool enabled) override;
    // A code above 7 is kept but GL gets GL_LESS.
    void SetDepthFunc(int compareCode) override;
    void SetAlphaTest(bool enabled) override;
    void SetAlphaFunc(int compareCode, uint8_t reference) override;
    bool GetDepthTest() const override { return m_depthTest; }
    bool GetDepthWrite() const override { return m_depthWrite; }
    int GetDepthFunc() const override { return m_depthFunc; }
    bool GetAlphaTest() const override { return m_alphaTest; }
    int GetAlphaFunc() const override { return m_alphaFunc; }
    uint8_t GetAlphaRef() const override { return m_alphaRef; }
    // Any mode but the three changes nothing.
    void SetCullMode(int mode) override;
    int GetCullMode() const override { return m_cullMode; }
    void SetBlendFunc(int sourceCode, int destinationCode) override;
    int GetBlendSrc() const override { return m_blendSrc; }
    int GetBlendDst() const override { return m_blendDst; }
    // Only a change reaches GL.
    void SetBlendEnable(bool enabled) override;
    bool GetBlendEnable() const override { return m_blendEnabled; }

    void SetViewport(int y0, int y1, int x0, int x1) override;
    int GetDeviceClass() const override;

    void ClearDepth() override;
    void SetClearColour(const Colour& colour) override;
    // Asked once, then kept.
    bool IsRetina() override;

    uint32_t GetMagFilter() const override;
    uint32_t GetMinFilter() const override;
    uint32_t GetWrapS() const override;
    uint32_t GetWrapT() const override;
    uint32_t GetDefaultFramebuffer() const override;
    // Mode 1 clamps, 0 repeats; any other mode is kept but not sent to GL.
    void SetWrapS(int textureStage, int mode) override;
    void SetWrapT(int textureStage, int mode) override;

    // The shell turns it a quarter for one of the landscape orientations;
    // BeginFrame then swaps the framebuffer's width and height.
    void SetOrientationMatrix(const Matrix4& matrix) { m_orientation = matrix; }
    const Matrix4& GetOrientationMatrix() const { return m_orientation; }

private:
    bool IsOrientationIdentity() const;

    Matrix4 m_orientation;
    int m_frameLocks = 0;  // locks that BeginFrame took and Present has not released

    // The GL state cache. The starting values are GL's own defaults.
    bool m_blendEnabled = false;
    bool m_depthWrite = true;
    bool m_alphaTest = false;
    bool m_depthTest = false;
    int m_cullMode = kCullOff;
    uint8_t m_alphaRef = 0;
    int m_depthFunc = kCompareLess;
    int m_alphaFunc = kCompareGreater;
    int m_blendSrc = kBlendOne;
    int m_blendDst = kBlendZero;
    std::optional<bool> m_retina;
};

}  // namespace Varnok
