// The ordered list of everything shown over the play field that is not a
// plain UI component: menu screens, HUD pop-ups, the countdown timer, the
// swipe hint. List order is update and draw order. Owned by the game record.
// Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Varnok {

class ScreenItem;

class ScreenList {
public:
    ScreenList() = default;
    // Clear, then gone.
    ~ScreenList();
    ScreenList(const ScreenList&) = delete;
    ScreenList& operator=(const ScreenList&) = delete;

    // Takes ownership (unless the item is persistent). atFront 1 puts it first.
    void Add(ScreenItem* item, int atFront = 0);
    // Starts a HUD frame, then updates every visible unfinished item; finished
    // ones (visible or not) are removed: their callback runs and they are
    // deleted unless persistent. Items added meanwhile are reached too.
    void UpdateAll(float stepSeconds);
    void PreRenderAll(float stepSeconds);
    // DrawBack then Draw of each visible item sharing a bit with the mask.
    void RenderLayer(uint32_t layerMask);
    void ResetAll();
    void NotifyGameplayStopped();
    void NotifyBeforeSave();
    // On application suspend: the scrolling lists (type 8) let go of their
    // touches.
    void NotifySuspend();
    // Items that accept the close request leave the list (not deleted).
    void CloseClosable();
    // Removes every item; deletes those that are not persistent.
    void Clear();

    int Count() const { return static_cast<int>(m_items.size()); }
    ScreenItem* GetAt(int index) const { return m_items[static_cast<size_t>(index)]; }
    bool Contains(const ScreenItem* item) const;

    float m_tint[3] = {1.0f, 1.0f, 1.0f};       // for items that use the list tint
    float m_worldTint[3] = {1.0f, 1.0f, 1.0f};  // colour factors of the splatters
    float m_popupAlpha = 1.0f;                  // 1 at the start of every update
    float m_timeScale = 1.0f;                   // below 1 while time runs slow

private:
    void Remove(ScreenItem* item);

    std::vector<ScreenItem*> m_items;
};

}  // namespace Varnok
