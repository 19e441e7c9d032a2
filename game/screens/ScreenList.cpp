// The screen list's walks. The item vector keeps its storage between frames:
// removal compacts it in place.
#include "game/screens/ScreenList.h"

#include "game/screens/GameHud.h"
#include "game/screens/ScreenItem.h"

#include <algorithm>

namespace Varnok {

ScreenList::~ScreenList() {
    Clear();
}

void ScreenList::Add(ScreenItem* item, int atFront) {
    if (item == nullptr) {
        return;
    }
    if (atFront == 1) {
        m_items.insert(m_items.begin(), item);
    } else {
        m_items.push_back(item);
    }
}

void ScreenList::Remove(ScreenItem* item) {
    if (item->m_onRemoved) {
        item->m_onRemoved(item);
    }
    if (!item->m_persistent) {
        delete item;
    }
}

void ScreenList::UpdateAll(float stepSeconds) {
    GameHud::BeginFrame();
    m_popupAlpha = 1.0f;
    size_t kept = 0;
    // By index: an update may append items, which this walk reaches too.
    for (size_t read = 0; read < m_items.size(); ++read) {
        ScreenItem* item = m_items[read];
        if (item->m_visible && !item->m_finished) {
            item->Update(stepSeconds);
        }
        if (item->m_finished) {
            Remove(item);
        } else {
            m_items[kept++] = item;
        }
    }
    m_items.resize(kept);
}

void ScreenList::PreRenderAll(float stepSeconds) {
    for (ScreenItem* item : m_items) {
        if (item->m_visible) {
            item->PreRender(stepSeconds);
        }
    }
}

void ScreenList::RenderLayer(uint32_t layerMask) {
    static const float kUnitTint[3] = {1.0f, 1.0f, 1.0f};
    for (ScreenItem* item : m_items) {
        if (!item->m_visible || (item->m_layerMask & layerMask) == 0) {
            continue;
        }
        const float* tint = item->m_useListTint ? m_tint : kUnitTint;
        item->DrawBack(tint, layerMask);
        item->Draw(tint, layerMask);
    }
}

void ScreenList::ResetAll() {
    for (ScreenItem* item : m_items) {
        item->Reset();
    }
}

void ScreenList::NotifyGameplayStopped() {
    for (ScreenItem* item : m_items) {
        item->OnGameplayStopped();
    }
}

void ScreenList::NotifyBeforeSave() {
    for (ScreenItem* item : m_items) {
        item->OnBeforeSave();
    }
}

void ScreenList::NotifySuspend() {
    constexpr int kScrollingListType = 8;
    for (ScreenItem* item : m_items) {
        if (item->GetTypeId() == kScrollingListType) {
            item->CancelTouches();
        }
    }
}

void ScreenList::CloseClosable() {
    size_t kept = 0;
    for (size_t read = 0; read < m_items.size(); ++read) {
        ScreenItem* item = m_items[read];
        if (item->RequestClose() == 1) {
            if (item->m_onRemoved) {
                item->m_onRemoved(item);
            }
        } else {
            m_items[kept++] = item;
        }
    }
    m_items.resize(kept);
}

void ScreenList::Clear() {
    std::vector<ScreenItem*> items;
    items.swap(m_items);
    for (ScreenItem* item : items) {
        Remove(item);
    }
}

bool ScreenList::Contains(const ScreenItem* item) const {
    return std::find(m_items.begin(), m_items.end(), item) != m_items.end();
}

}  // namespace Varnok
