// The plain view controller a service provider asks the application delegate
// to install as the window's root: it answers rotation from the game alone
// and forwards touches to the GL view.
#pragma once

#include "engine/iOS/PlatformObjects.h"

namespace Varnok {

class EAGLView;

class RootViewController {
public:
    // glView may be null; not owned.
    explicit RootViewController(EAGLView* view) : m_glView(view) {}

    // True only for the game's orientation; false without a GL view or game.
    bool shouldAutorotateToInterfaceOrientation(int platformOrientation) const;
    // The game's orientation mask: 8 without a game, 24 for a value outside
    // the four orientations.
    int supportedInterfaceOrientations() const;

    void touchesBegan(const PlatformTouchSet& touches, const PlatformTouchEvent& event);
    void touchesMoved(const PlatformTouchSet& touches, const PlatformTouchEvent& event);
    void touchesEnded(const PlatformTouchSet& touches, const PlatformTouchEvent& event);
    void touchesCancelled(const PlatformTouchSet& touches, const PlatformTouchEvent& event);

    EAGLView* glView() const { return m_glView; }  // may be null

private:
    EAGLView* m_glView;
};

}  // namespace Varnok
