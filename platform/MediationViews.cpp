// Drawing, hit testing and the view tree of the advertising stand-ins.
#include "platform/MediationViews.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Varnok {

void MediationFrameQueue::Post(const Life& owner, int frames, std::function<void()> work) {
    m_entries.push_back(Entry{m_frame + std::max(frames, 1), owner, std::move(work)});
}

void MediationFrameQueue::Advance() {
    ++m_frame;
    std::vector<Entry> due;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->dueFrame <= m_frame) {
            due.push_back(std::move(*it));
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
    for (Entry& entry : due) {
        // The owner may go during an earlier entry's work.
        if (!entry.owner.expired()) {
            entry.work();
        }
    }
}

// ---- Views ----

StandInViewNode::~StandInViewNode() {
    Detach();
    for (StandInViewNode* child : m_subviews) {
        child->m_superview = nullptr;
    }
}

StandInViewNode* AsNode(AdView* view) {
    return dynamic_cast<StandInViewNode*>(view);
}

void StandInViewNode::SetContent(std::vector<uint8_t> rgba, int width, int height) {
    if (rgba.size() != size_t(std::max(width, 0)) * std::max(height, 0) * 4) {
        rgba.clear();
        width = 0;
        height = 0;
    }
    m_content = std::move(rgba);
    m_contentWidth = width;
    m_contentHeight = height;
}

AdRect StandInViewNode::Frame() const {
    const float width = m_boundsWidth * m_scaleX;
    const float height = m_boundsHeight * m_scaleY;
    return AdRect{m_centerX - width * 0.5f, m_centerY - height * 0.5f, width, height};
}

void StandInViewNode::SetFrameRect(const AdRect& frame) {
    m_boundsWidth = m_scaleX != 0.0f ? frame.width / m_scaleX : frame.width;
    m_boundsHeight = m_scaleY != 0.0f ? frame.height / m_scaleY : frame.height;
    m_centerX = frame.x + frame.width * 0.5f;
    m_centerY = frame.y + frame.height * 0.5f;
}

void StandInViewNode::AddChild(StandInViewNode& child) {
    if (&child == this) {
        return;
    }
    child.Detach();
    child.m_superview = this;
    m_subviews.push_back(&child);
}

void StandInViewNode::Detach() {
    if (m_superview == nullptr) {
        return;
    }
    auto& siblings = m_superview->m_subviews;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    m_superview = nullptr;
}

namespace {

void BlendOver(uint8_t* dst, const uint8_t* straight, float alpha) {
    const float a = straight[3] / 255.0f * alpha;
    if (a <= 0.0f) {
        return;
    }
    for (int c = 0; c < 3; ++c) {
        const float value = straight[c] * a + dst[c] * (1.0f - a);
        dst[c] = static_cast<uint8_t>(std::min(255.0f, value + 0.5f));
    }
    dst[3] = static_cast<uint8_t>(std::min(255.0f, a * 255.0f + dst[3] * (1.0f - a) + 0.5f));
}

}  // namespace

void StandInViewNode::Draw(uint8_t* rgba, int width, int height, float originX, float originY,
                           float scaleX, float scaleY, float alpha) const {
    const float opacity = alpha * std::clamp(m_alpha, 0.0f, 1.0f);
    const float sx = scaleX * m_scaleX;
    const float sy = scaleY * m_scaleY;
    const float drawnWidth = m_boundsWidth * sx;
    const float drawnHeight = m_boundsHeight * sy;
    if (opacity > 0.0f && drawnWidth > 0.0f && drawnHeight > 0.0f) {
        const int x0 = std::max(0, static_cast<int>(std::floor(originX)));
        const int y0 = std::max(0, static_cast<int>(std::floor(originY)));
        const int x1 = std::min(width, static_cast<int>(std::ceil(originX + drawnWidth)));
        const int y1 = std::min(height, static_cast<int>(std::ceil(originY + drawnHeight)));
        const uint8_t background[4] = {uint8_t(m_background >> 24), uint8_t(m_background >> 16),
                                       uint8_t(m_background >> 8), uint8_t(m_background)};
        for (int y = y0; y < y1; ++y) {
            const float v = (y + 0.5f - originY) / drawnHeight;
            if (v < 0.0f || v >= 1.0f) {
                continue;
            }
            for (int x = x0; x < x1; ++x) {
                const float u = (x + 0.5f - originX) / drawnWidth;
                if (u < 0.0f || u >= 1.0f) {
                    continue;
                }
                uint8_t* dst = rgba + (size_t(y) * width + x) * 4;
                if (m_background != 0) {
                    BlendOver(dst, background, opacity);
                }
                if (!m_content.empty()) {
                    const int cx = std::min(m_contentWidth - 1, static_cast<int>(u * m_contentWidth));
                    const int cy = std::min(m_contentHeight - 1, static_cast<int>(v * m_contentHeight));
                    BlendOver(dst, &m_content[(size_t(cy) * m_contentWidth + cx) * 4], opacity);
                }
            }
        }
    }
    for (const StandInViewNode* child : m_subviews) {
        if (child->m_hidden) {
            continue;
        }
        const AdRect frame = child->Frame();
        child->Draw(rgba, width, height, originX + frame.x * sx, originY + frame.y * sy, sx, sy, opacity);
    }
}

AdView* StandInViewNode::BaseHit(float x, float y) {
    if (m_hidden || m_alpha < 0.01f) {
        return nullptr;
    }
    const AdRect frame = Frame();
    if (frame.width <= 0.0f || frame.height <= 0.0f) {
        return nullptr;
    }
    const float localX = (x - frame.x) / m_scaleX;
    const float localY = (y - frame.y) / m_scaleY;
    if (localX < 0.0f || localY < 0.0f || localX >= m_boundsWidth || localY >= m_boundsHeight) {
        return nullptr;
    }
    for (auto it = m_subviews.rbegin(); it != m_subviews.rend(); ++it) {
        if (AdView* hit = (*it)->Self().HitTest(localX, localY)) {
            return hit;
        }
    }
    return &Self();
}

// ---- Screens ----

StandInModalScreen::StandInModalScreen(const AdRect& bounds, uint32_t rgba) : m_view(bounds) {
    m_view.SetBackground(rgba);
}

void StandInRootViewController::PresentModal(AdModalScreen& screen, bool /*animated*/) {
    m_modals.push_back(&screen);
}

void StandInRootViewController::DismissModal(bool /*animated*/) {
    if (!m_modals.empty()) {
        m_modals.pop_back();
    }
}

AdView* StandInRootViewController::HitTestScreen(float x, float y) {
    AdView* top = m_modals.empty() ? &m_view : m_modals.back()->GetScreenView();
    return top != nullptr ? top->HitTest(x, y) : nullptr;
}

void StandInRootViewController::RenderScreen(uint8_t* rgba, int width, int height) {
    const AdRect frame = m_view.GetFrame();
    m_view.Draw(rgba, width, height, frame.x, frame.y, 1.0f, 1.0f, 1.0f);
    for (AdModalScreen* screen : m_modals) {
        if (StandInViewNode* node = AsNode(screen->GetScreenView())) {
            const AdRect screenFrame = node->Frame();
            node->Draw(rgba, width, height, screenFrame.x, screenFrame.y, 1.0f, 1.0f, 1.0f);
        }
    }
}

}  // namespace Varnok
