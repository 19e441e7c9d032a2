// Out of line so that the wrapper's vtable lives in one place.
#include "engine/core/ServiceValueHandle.h"

namespace Varnok {

IServiceValue::~IServiceValue() = default;

}  // namespace Varnok
