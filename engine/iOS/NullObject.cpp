// The null object, built on first use.
#include "engine/iOS/NullObject.h"

namespace Varnok {

NullObject& NullObject::Get() {
    static NullObject object;
    return object;
}

}  // namespace Varnok
