// The fragment of a URL that returns from a Facebook login.
#include "providers/Klui/Facebook.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);  // stops at a 0 byte below
    for (const auto& [name, value] : Klui::ParseUrlFragment(url.c_str())) {
        // A pair is one "=" between two parts of one "&" piece.
        if (name.find_first_of("&=") != std::string::npos ||
            value.find_first_of("&=") != std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
