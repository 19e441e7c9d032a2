// Input bindings files from anywhere: every line the parser keeps must bind
// an action to at least one input in at least one state.
#include "engine/core/InputBindingsParser.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) {
        return 0;  // lengths are 32-bit; a megabyte reaches every state
    }
    const std::vector<Varnok::InputBindingLine> lines =
        Varnok::ParseInputBindings(data, static_cast<int32_t>(size), "fuzz input");
    for (const Varnok::InputBindingLine& line : lines) {
        if (line.action == 0 || line.inputs.empty() || line.states == 0) {
            __builtin_trap();
        }
    }
    return 0;
}
