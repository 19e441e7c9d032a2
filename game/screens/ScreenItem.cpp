// The screen item's defaults.
#include "game/screens/ScreenItem.h"

#include "game/rules/GameFunctions.h"

namespace Varnok {
namespace {

void NothingRemoved(ScreenItem* /*item*/) {}

}  // namespace

ScreenItem::ScreenItem() : m_onRemoved(&NothingRemoved) {}

int ScreenItem::RequestClose() {
    if (m_closeLocked) {
        return 0;
    }
    m_finished = true;
    m_persistent = false;
    return 1;
}

Vector3 ScreenItem::GetLogicalPosition() const {
    Vector3 position;
    ScreenRelativeToLogical(position, m_offset, m_anchor);
    return position;
}

}  // namespace Varnok
