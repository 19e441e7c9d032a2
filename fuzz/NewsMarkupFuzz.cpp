// The news screen's link markup reader over arbitrary text.
#include "game/screens/NewsScreen.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string stripped = Varnok::NewsScreen::StripMarkup(text.c_str());
    // No '[' survives, and the result never grows.
    if (stripped.find('[') != std::string::npos || stripped.size() > text.size()) {
        __builtin_trap();
    }
    return 0;
}
