// The touch screen as an input device: up to 16 simultaneous touches kept in
// slots, recorded as the platform reports them and emitted once per update as
// touch button, touch axis and pointer events.
#pragma once

#include "engine/core/InputDevice.h"
#include "engine/core/Mutex.h"
#include "engine/core/StackAllocatedPointer.h"

#include <cstdint>

namespace Varnok {

constexpr int kTouchSlotCount = 16;

// One touch slot. Positions are normalised view coordinates, 0..1 across.
struct TouchPoint {
    // Steps the slot to the next frame: a touch that is or was down keeps its
    // position as the previous one; one released a frame ago frees the slot.
    void EndFrame();
    bool IsDown() const { return (down & 1) != 0; }
    bool WasDown() const { return (wasDown & 1) != 0; }

    uint32_t key = 0;  // the platform's stable identity of the touch
    uint32_t id = 0;   // from the global touch counter; 0: the slot is free
    float previousX = 0.0f;
    float previousY = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    uint16_t down = 0;     // 1 while the finger is on the screen; only bit 0 counts
    uint16_t wasDown = 0;  // down as of the previous frame
    uint8_t flag = 1;      // carried with the slot; nothing reads it
};

// Walks the slots of a table that hold a touch.
class TouchIterator {
public:
    using Holder = StackAllocatedPointer<TouchIterator, 32>;

    explicit TouchIterator(TouchPoint* table) : m_table(table) {}
    virtual ~TouchIterator() = default;

    // Moves to the next held slot; false (and past the end) when there is none.
    virtual bool Next();
    // The slot at the position; null before the first Next and past the end.
    virtual TouchPoint* Current() const;
    virtual void Reset() { m_index = -1; }
    virtual bool Equals(const TouchIterator& other) const {
        return m_table == other.m_table && m_index == other.m_index;
    }
    virtual void Clone(Holder& target) const { target.CopyConstruct(*this); }

private:
    TouchPoint* m_table;  // kTouchSlotCount slots; not owned
    int m_index = -1;     // -1 before the first slot, kTouchSlotCount past the last
};

class TouchInputDevice : public InputDevice {
public:
    static constexpr int kKind = 13;

    TouchInputDevice();
    ~TouchInputDevice() override;

    // The registered touch device (the one CreateDevices made), or null.
    static TouchInputDevice* Get();
    static void SetCurrent(TouchInputDevice* device);

    // Latches the touches recorded since the last update and emits, for every
    // slot, its axis and button events and the matching pointer events.
    void Update(float elapsedSeconds) override;
    void Reset() override { ResetTouches(); }
    int GetKind() const override { return kKind; }

    // Frees every recorded slot; the emitted table changes at the next update.
    void ResetTouches();
    // Slots holding a touch as of the last update.
    int GetActiveTouchCount() const { return m_activeCount; }
    // Puts an iterator over the emitted table, before its first slot, into holder.
    void CreateTouchIterator(TouchIterator::Holder& holder);

    // Records one platform touch: down true for began and moved, false for
    // ended and cancelled; x and y normalised to the view. `key` is any stable
    // identity of the touch (0 included). A 17th simultaneous touch and the
    // release of an unknown touch are ignored.
    virtual void OnTouch(uint32_t key, bool down, float x, float y);

    // A slot of the emitted table, as of the last update; a number outside
    // 0..15 reads as a free slot.
    const TouchPoint& GetSlot(int slot) const;
    uint32_t GetNewestTouchId() const { return m_newestId; }

protected:
    // Copies the recorded table to the emitted one and steps the recorded one.
    void Latch();
    void Emit();
    void RecordTouch(uint32_t key, bool down, float x, float y);

private:
    TouchPoint m_current[kTouchSlotCount];  // pointer events point in here
    uint32_t m_newestId = 1;
    TouchPoint m_pending[kTouchSlotCount];  // written by OnTouch
    uint32_t m_pendingNewestId = 1;
    int m_activeCount = 0;
    int m_searchStart = 0;  // rotating first slot of the free-slot search, 0..15
};

// The device CreateDevices makes: the platform's touches may arrive while an
// update runs, so recording and latching share one lock.
class TouchInputDeviceIOS : public TouchInputDevice {
public:
    void Update(float elapsedSeconds) override;
    void OnTouch(uint32_t key, bool down, float x, float y) override;

private:
    Mutex m_mutex;  // guards the recorded table
};

}  // namespace Varnok
