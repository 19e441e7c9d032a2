// One entry of the screen list: a small object above the play field (a menu
// screen, a HUD pop-up, the countdown timer...) with an update, a layered
// draw, a colour, a position and a removal protocol. Items are made with
// new, opened, then added to the list, which owns them from then on.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/Delegate.h"
#include "engine/core/MathUtil.h"

#include <cstdint>

namespace Varnok {

class ScreenItem;

using ScreenItemRemoved = Delegate1<void, ScreenItem*>;

// The list's draw passes, by layer bit.
namespace ScreenLayer {
enum : uint32_t {
    Default = 0x1,     // after the fruit rays, impacts and particles
    Powers = 0x8,      // after the powers
    World = 0x40,      // after the world objects
    Blasts = 0x80,     // after the afterglows and blasts
    Top = 0x200,       // over the UI
};
}  // namespace ScreenLayer

class ScreenItem {
public:
    ScreenItem();
    virtual ~ScreenItem() = default;
    ScreenItem(const ScreenItem&) = delete;
    ScreenItem& operator=(const ScreenItem&) = delete;

    virtual void Open() {}
    virtual void Close() {}
    virtual void Reset() {}
    virtual void PreRender(float /*stepSeconds*/) {}
    virtual void RenderBack(const float /*tint*/[3]) {}
    virtual void Render(const float /*tint*/[3]) {}
    virtual void DrawBack(const float tint[3], uint32_t /*layerMask*/) { RenderBack(tint); }
    virtual void Draw(const float tint[3], uint32_t /*layerMask*/) { Render(tint); }
    virtual void Update(float /*stepSeconds*/) {}
    // 1 when the item accepts: unless close-locked it finishes and stops
    // being persistent.
    virtual int RequestClose();
    virtual int GetTypeId() const { return 0; }
    virtual void OnGameplayStopped() {}
    virtual void OnBeforeSave() {}
    // x: anchor x times the logical width plus the offset; y: anchor y times
    // 320 plus the offset; z: the offset's.
    virtual Vector3 GetLogicalPosition() const;
    // Drops a touch in progress; the list asks the items of type 8 (the
    // shop's scrolling lists) when the application is suspended.
    virtual void CancelTouches() {}

    bool m_closeLocked = false;
    Vector3 m_offset;  // logical units
    Vector3 m_anchor;  // fractions of the logical screen; z unused
    Vector3 m_scale{1.0f, 1.0f, 1.0f};
    float m_rotation = 0.0f;  // degrees
    bool m_visible = true;
    bool m_persistent = false;  // removed from the list without being deleted
    bool m_finished = false;    // the list removes it at its next update
    uint32_t m_layerMask = ScreenLayer::Default;
    ScreenItemRemoved m_onRemoved;
    Colour m_colour{255, 255, 255, 255};
    bool m_useListTint = true;
    Vector2 m_quadMin{0.0f, 0.0f};
    Vector2 m_quadMax{1.0f, 1.0f};
};

}  // namespace Varnok
