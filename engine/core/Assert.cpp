// The failure path of VARNOK_ASSERT.
#include "engine/core/Assert.h"

#include "engine/core/Log.h"

#include <cstdlib>

namespace Varnok {

void AssertionFailed(const char* file, int line, const char* condition) {
    Log("%s:%d: VARNOK_ASSERT(%s) failed", file, line, condition);
    std::abort();
}

}  // namespace Varnok
