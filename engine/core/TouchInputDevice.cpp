// Touch slots: recording platform touches, latching them once per update and
// emitting their events.
#include "engine/core/TouchInputDevice.h"

#include <atomic>

namespace Varnok {

namespace {

std::atomic<TouchInputDevice*> s_current{nullptr};
std::atomic<uint32_t> s_touchCounter{0};

// Ids start at 1 and skip 0 when the counter wraps: 0 marks a free slot.
uint32_t NewTouchId() {
    uint32_t id = 0;
    while (id == 0) {
        id = s_touchCounter.fetch_add(1) + 1;
    }
    return id;
}

}  // namespace

void TouchPoint::EndFrame() {
    if (down != 0 || wasDown != 0) {
        previousX = x;
        previousY = y;
        wasDown = down;
    } else {
        key = 0;
        id = 0;
    }
}

bool TouchIterator::Next() {
    for (int i = m_index + 1; i >= 0 && i < kTouchSlotCount; ++i) {
        if (m_table[i].id != 0) {
            m_index = i;
            return true;
        }
    }
    m_index = kTouchSlotCount;
    return false;
}

TouchPoint* TouchIterator::Current() const {
    if (m_index < 0 || m_index >= kTouchSlotCount) {
        return nullptr;
    }
    return &m_table[m_index];
}

TouchInputDevice::TouchInputDevice() = default;

TouchInputDevice::~TouchInputDevice() {
    TouchInputDevice* self = this;
    s_current.compare_exchange_strong(self, nullptr);
}

TouchInputDevice* TouchInputDevice::Get() {
    return s_current.load();
}

void TouchInputDevice::SetCurrent(TouchInputDevice* device) {
    s_current.store(device);
}

void TouchInputDevice::Update(float /*elapsedSeconds*/) {
    Latch();
    Emit();
}

void TouchInputDevice::ResetTouches() {
    for (TouchPoint& slot : m_pending) {
        slot.id = 0;
        slot.key = 0;
        slot.down = 0;
        slot.wasDown = 0;
        slot.x = slot.y = 0.0f;
        slot.previousX = slot.previousY = 0.0f;
    }
}

void TouchInputDevice::CreateTouchIterator(TouchIterator::Holder& holder) {
    holder.CopyConstruct(TouchIterator(m_current));
}

void TouchInputDevice::OnTouch(uint32_t key, bool down, float x, float y) {
    RecordTouch(key, down, x, y);
}

const TouchPoint& TouchInputDevice::GetSlot(int slot) const {
    static const TouchPoint kFreeSlot;
    if (slot < 0 || slot >= kTouchSlotCount) {
        return kFreeSlot;
    }
    return m_current[slot];
}

void TouchInputDevice::RecordTouch(uint32_t key, bool down, float x, float y) {
    int freeSlot = -1;
    for (int n = 0; n < kTouchSlotCount; ++n) {
        const int i = (m_searchStart + n) % kTouchSlotCount;
        TouchPoint& slot = m_pending[i];
        // Only held slots are matched: a free slot's key of 0 is no identity,
        // and the platform may well call a touch 0.
        if (slot.id != 0 && slot.key == key) {
            if (down) {
                slot.x = x;
                slot.y = y;
                slot.down = 1;
            } else {
                slot.down = 0;
            }
            return;
        }
        if (slot.id == 0) {
            freeSlot = i;  // the last free one in scan order wins
        }
    }
    if (freeSlot < 0 || !down) {
        return;  // a 17th simultaneous touch, or the end of a touch never seen
    }
    m_searchStart = (m_searchStart + 1) % kTouchSlotCount;
    const uint32_t id = NewTouchId();
    m_pendingNewestId = id;
    TouchPoint& slot = m_pending[freeSlot];
    slot.id = id;
    slot.key = key;
    slot.down = 1;
    // The first delta runs from where this slot's last touch ended.
    slot.previousX = slot.x;
    slot.previousY = slot.y;
    slot.x = x;
    slot.y = y;
}

void TouchInputDevice::Latch() {
    m_newestId = m_pendingNewestId;
    m_activeCount = 0;
    for (int i = 0; i < kTouchSlotCount; ++i) {
        m_current[i] = m_pending[i];
        if (m_current[i].id != 0) {
            ++m_activeCount;
        }
        m_pending[i].EndFrame();
    }
}

void TouchInputDevice::Emit() {
    for (int i = 0; i < kTouchSlotCount; ++i) {
        const TouchPoint& slot = m_current[i];
        const uint32_t button = InputCode::kTouch1 + static_cast<uint32_t>(i);
        if (slot.IsDown()) {
            SendAxisEvent(InputCode::kTouchAxisX1 + static_cast<uint32_t>(i), InputEvent::kMoved,
                          slot.x, slot.x - slot.previousX, 0);
            SendAxisEvent(InputCode::kTouchAxisY1 + static_cast<uint32_t>(i), InputEvent::kMoved,
                          slot.y, slot.y - slot.previousY, 0);
            if (!slot.WasDown()) {
                SendButtonEvent(button, InputEvent::kPressed, 1.0f, 0);
                SendPointerEvent(&slot, slot.id, InputEvent::kPressed, 0);
            }
            SendButtonEvent(button, InputEvent::kDown, 1.0f, 0);
            SendPointerEvent(&slot, slot.id, InputEvent::kDown, 0);
        } else {
            if (slot.WasDown()) {
                SendButtonEvent(button, InputEvent::kReleased, 1.0f, 0);
                SendPointerEvent(&slot, slot.id, InputEvent::kReleased, 0);
            }
            SendButtonEvent(button, InputEvent::kUp, 1.0f, 0);
        }
    }
}

void TouchInputDeviceIOS::Update(float /*elapsedSeconds*/) {
    {
        MutexLock lock(m_mutex);
        Latch();
    }
    Emit();  // works on the latched table only, which touches never write
}

void TouchInputDeviceIOS::OnTouch(uint32_t key, bool down, float x, float y) {
    MutexLock lock(m_mutex);
    RecordTouch(key, down, x, y);
}

}  // namespace Varnok
