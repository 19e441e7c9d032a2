// ComponentBackgroundControl's class record.
#include "game/screens/ComponentBackgroundControl.h"

namespace Varnok {

const ComponentClassInfo& ComponentBackgroundControl::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentBackgroundControl", ComponentClassInfo::kNextFreeId,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentBackgroundControl::ComponentBackgroundControl() {
    SetClassInfo(GetStaticClassInfo());
}

}  // namespace Varnok
