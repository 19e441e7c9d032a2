// The pool of HUD pop-ups: made once at the game's set-up, appended to the
// screen list as persistent items and handed out in turn from a ring cursor.
// Main thread only.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"

namespace Varnok {

class HudPopup;
class ScreenList;

class GameHud {
public:
    static constexpr int kPopupCount = 12;  // what the game flow asks for
    static constexpr float kExpireSeconds = 0.06916667f;

    // Destroys a pool made before, then makes count pop-ups on the list.
    static void Create(int count, ScreenList& screens);
    // Deletes the pop-ups. Requires: the list let go of them first (its
    // Clear keeps persistent items alive).
    static void Destroy();
    // The pop-up at the cursor when it is hidden; else the next hidden one
    // after the cursor; after a full lap, the busy one at the cursor. Null
    // without a pool.
    static HudPopup* NextFreePopup();
    // Caps the time left of every visible pop-up.
    static void ExpireActivePopups();
    // A new list update: the rising pop-ups counted in the frame before give
    // this frame's factor (their count plus 0.5), and the count starts again.
    static void BeginFrame();
    // A rising pop-up counts itself in its update.
    static void NoteRising();
    // Multiplies the rising pop-ups' time step: 1.0 until a frame has been
    // counted, then the rising pop-ups of the frame before plus 0.5, so a
    // crowded HUD clears faster.
    static float FrameFactor();
    // The list the pool was made on; null without a pool.
    static const ScreenList* GetList();

    // The shared pictures, loaded once when the pool is made.
    enum Picture { kDroppedFruit, kBean, kBeanBonus, kCritical, kUltraRare, kPictureCount };
    static const SmartPtr<Texture>& GetPicture(Picture picture);

    static int GetCount();
    static HudPopup* GetPopup(int index);
    static int GetCursor();
};

}  // namespace Varnok
