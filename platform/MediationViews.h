// The UIKit side of the advertising stand-ins: views with a frame, a scale
// about their centre, an alpha, a hidden flag, subviews and pixels of their
// own; buttons; full-screen modal screens; the root view controller; and the
// frame queue through which the stand-ins answer on a later frame.
#pragma once

#include "providers/Provider_MoPub/MediationClient.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

// Work due on a later frame. An entry whose owner has gone is skipped.
class MediationFrameQueue {
public:
    using Life = std::shared_ptr<char>;

    static Life MakeLife() { return std::make_shared<char>(0); }
    // Runs `work` at the frame `frames` (at least 1) after this one, unless
    // the owner's life has ended by then.
    void Post(const Life& owner, int frames, std::function<void()> work);
    // The next frame: every entry now due, in the order posted; entries
    // posted meanwhile wait for a later frame.
    void Advance();
    int GetFrame() const { return m_frame; }
    bool IsEmpty() const { return m_entries.empty(); }

private:
    struct Entry {
        int dueFrame;
        std::weak_ptr<char> owner;
        std::function<void()> work;
    };
    std::vector<Entry> m_entries;
    int m_frame = 0;
};

// The geometry, pixels and tree of one view. Views are made by the
// stand-ins only, so every AdView here is a StandInViewNode too.
class StandInViewNode {
public:
    virtual ~StandInViewNode();

    // The view's own picture: straight RGBA rows, stretched over its bounds
    // above its background colour. Empty for none.
    void SetContent(std::vector<uint8_t> rgba, int width, int height);
    void SetBackground(uint32_t rgba) { m_background = rgba; }

    AdRect Frame() const;
    void SetFrameRect(const AdRect& frame);
    void AddChild(StandInViewNode& child);
    void Detach();
    // Draws the subtree with its top-left at (originX, originY) of the bitmap
    // and the given scale, the node's own scale and alpha included.
    void Draw(uint8_t* rgba, int width, int height, float originX, float originY, float scaleX,
              float scaleY, float alpha) const;
    // The hit test of the base class, in the superview's points.
    AdView* BaseHit(float x, float y);

    virtual AdView& Self() = 0;

    float m_boundsWidth = 0.0f;
    float m_boundsHeight = 0.0f;
    float m_centerX = 0.0f;
    float m_centerY = 0.0f;
    float m_scaleX = 1.0f;
    float m_scaleY = 1.0f;
    float m_alpha = 1.0f;
    bool m_hidden = false;
    StandInViewNode* m_superview = nullptr;
    std::vector<StandInViewNode*> m_subviews;

private:
    uint32_t m_background = 0;  // RGBA; 0 draws nothing
    std::vector<uint8_t> m_content;
    int m_contentWidth = 0;
    int m_contentHeight = 0;
};

StandInViewNode* AsNode(AdView* view);

// The AdView operations over a node, for any interface derived from AdView.
template <typename Interface>
class StandInView : public Interface, public StandInViewNode {
public:
    explicit StandInView(const AdRect& frame) { SetFrameRect(frame); }
    AdView& Self() override { return *this; }

    float GetFrameWidth() const override { return Frame().width; }
    float GetFrameHeight() const override { return Frame().height; }
    bool IsHidden() const override { return m_hidden; }
    void SetHidden(bool hidden) override { m_hidden = hidden; }
    void RenderLayer(uint8_t* rgba, int width, int height) const override {
        if (!m_hidden) {
            Draw(rgba, width, height, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f);
        }
    }
    AdRect GetFrame() const override { return Frame(); }
    void SetFrame(const AdRect& frame) override { SetFrameRect(frame); }
    float GetCenterX() const override { return m_centerX; }
    float GetCenterY() const override { return m_centerY; }
    void SetCenter(float x, float y) override {
        m_centerX = x;
        m_centerY = y;
    }
    float GetScaleX() const override { return m_scaleX; }
    float GetScaleY() const override { return m_scaleY; }
    void SetScale(float scaleX, float scaleY) override {
        m_scaleX = scaleX;
        m_scaleY = scaleY;
    }
    float GetAlpha() const override { return m_alpha; }
    void SetAlpha(float alpha) override { m_alpha = alpha; }
    int GetSubviewCount() const override { return static_cast<int>(m_subviews.size()); }
    AdView* GetSubview(int index) const override {
        return index >= 0 && index < GetSubviewCount() ? &m_subviews[static_cast<size_t>(index)]->Self()
                                                       : nullptr;
    }
    AdView* GetSuperview() const override { return m_superview != nullptr ? &m_superview->Self() : nullptr; }
    void AddSubview(AdView& view) override {
        if (StandInViewNode* node = AsNode(&view)) {
            AddChild(*node);
        }
    }
    void RemoveFromSuperview() override { Detach(); }
    AdView* HitTest(float x, float y) override { return BaseHit(x, y); }
};

class StandInPlainView final : public StandInView<AdView> {
public:
    using StandInView<AdView>::StandInView;
};

class StandInButton final : public StandInView<AdButton> {
public:
    using StandInView<AdButton>::StandInView;
    void SetImage(const char* bundleFileName) override { m_image = bundleFileName != nullptr ? bundleFileName : ""; }
    void SetTouchUpInsideAction(Delegate0<void> action) override { m_action = action; }
    const std::string& GetImage() const { return m_image; }
    // A touch that began and ended inside the button.
    void TouchUpInside() const { m_action(); }

private:
    std::string m_image;
    Delegate0<void> m_action;
};

// A full-screen picture shown modally: a network's ad or the mediation's own.
class StandInModalScreen final : public AdModalScreen {
public:
    StandInModalScreen(const AdRect& bounds, uint32_t rgba);
    AdView* GetScreenView() override { return &m_view; }

private:
    StandInPlainView m_view;
};

class StandInRootViewController final : public AdRootViewController {
public:
    explicit StandInRootViewController(const AdRect& viewFrame) : m_view(viewFrame) {}
    AdView* GetView() override { return &m_view; }
    void PresentModal(AdModalScreen& screen, bool animated) override;
    void DismissModal(bool animated) override;
    AdModalScreen* GetPresentedModal() override { return m_modals.empty() ? nullptr : m_modals.back(); }
    int GetModalCount() const { return static_cast<int>(m_modals.size()); }

    // What a finger at (x, y) of the screen lands on: the topmost modal
    // screen's view, else the root view; null for nothing.
    AdView* HitTestScreen(float x, float y);
    // The screen as it looks: the root view, then the modal screens.
    void RenderScreen(uint8_t* rgba, int width, int height);

private:
    StandInPlainView m_view;
    std::vector<AdModalScreen*> m_modals;  // bottom first; not owned
};

}  // namespace Varnok
