// Rotation answers and touch forwarding of the provider-installed root.
#include "engine/iOS/RootViewController.h"

#include "engine/iOS/EAGLView.h"
#include "engine/iOS/ScreenOrientation.h"
#include "engine/iOS/VarnokGame.h"

namespace Varnok {

bool RootViewController::shouldAutorotateToInterfaceOrientation(int platformOrientation) const {
    if (m_glView == nullptr || m_glView->game() == nullptr) {
        return false;
    }
    return EngineOrientationFromPlatform(platformOrientation) == m_glView->game()->GetOrientation();
}

int RootViewController::supportedInterfaceOrientations() const {
    if (m_glView == nullptr || m_glView->game() == nullptr) {
        return kOrientationMaskLandscapeRight;
    }
    const int mask = OrientationMask(m_glView->game()->GetOrientation());
    return mask != 0 ? mask : kOrientationMaskLandscape;
}

void RootViewController::touchesBegan(const PlatformTouchSet& touches, const PlatformTouchEvent& event) {
    if (m_glView != nullptr) {
        m_glView->touchesBegan(touches, event);
    }
}

void RootViewController::touchesMoved(const PlatformTouchSet& touches, const PlatformTouchEvent& event) {
    if (m_glView != nullptr) {
        m_glView->touchesMoved(touches, event);
    }
}

void RootViewController::touchesEnded(const PlatformTouchSet& touches, const PlatformTouchEvent& event) {
    if (m_glView != nullptr) {
        m_glView->touchesEnded(touches, event);
    }
}

void RootViewController::touchesCancelled(const PlatformTouchSet& touches, const PlatformTouchEvent& event) {
    if (m_glView != nullptr) {
        m_glView->touchesCancelled(touches, event);
    }
}

}  // namespace Varnok
