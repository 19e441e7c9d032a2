// The engine's popup overlay: a message layer over the frame with a sliding
// panel (PopupOverlayView), a table of stock messages, three button
// callbacks, a listener and a selection word. Nothing in this game asks it
// to appear, so it stays hidden; the shell still asks it about every touch.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/iOS/PopupOverlayView.h"

#include <cstdint>
#include <map>
#include <string>

namespace Varnok {

class PopupOverlay {
public:
    static constexpr int kButtonCount = 3;
    // Called with the index of the chosen button.
    using Listener = Delegate1<void, int32_t>;
    using ButtonAction = Delegate0<void>;

    // Made on first use; main thread only.
    static PopupOverlay& Get();

    PopupOverlay();
    virtual ~PopupOverlay() = default;
    PopupOverlay(const PopupOverlay&) = delete;
    PopupOverlay& operator=(const PopupOverlay&) = delete;

    bool IsVisible() const { return m_visible; }
    // While requested, steps the view: visible while it answers true, no
    // longer requested once it answers false. Not requested: hidden.
    // Always true.
    virtual bool Update(float elapsedSeconds);
    // Requires: visible and a current GL context.
    void Draw();
    // x and y normalised across the view (0..1, origin top-left). Passed to
    // the view only while visible; false when not.
    bool OnTouchMoved(uint32_t touchId, float x, float y);
    bool OnTouchEnded(uint32_t touchId, float x, float y);

    // Lets go of the view's textures and font and hides the overlay.
    void Hide();
    // Lets go of the view's textures and font (at shutdown).
    virtual void ReleaseResources();

    void SetSelection(int32_t value) { m_selection = value; }
    int32_t GetSelection() const { return m_selection; }
    void SetListener(const Listener& listener);
    const Listener& GetListener() const { return m_listener; }
    // "" for an index without a message.
    const std::string& GetMessage(int32_t index) const;
    void SetMessage(int32_t index, const std::string& text);
    // Puts the do-nothing action back into button 0..2; others are ignored.
    void ResetButton(int32_t index);
    // Requires: index 0..2.
    const ButtonAction& GetButtonAction(int32_t index) const { return m_buttons[index].action; }
    bool GetButtonFlag(int32_t index) const { return m_buttons[index].flag; }

    PopupOverlayView& GetView() { return m_view; }

private:
    struct Button {
        ButtonAction action;
        bool flag = false;
    };

    // Overlay units: viewport pixels from the centre, y upwards.
    static void ToOverlayUnits(float x, float y, float& outX, float& outY);

    Listener m_listener;
    int32_t m_selection = 0;
    std::map<int32_t, std::string> m_messages;
    Button m_buttons[kButtonCount];
    bool m_visible = false;
    bool m_requested = false;
    PopupOverlayView m_view;
};

// A stub the results screen calls after getting the overlay.
inline int ReturnFalse() {
    return 0;
}

}  // namespace Varnok
