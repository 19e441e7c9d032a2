// "buildNumber.xml" as the about screen reads it, from arbitrary bytes.
#include "game/screens/AboutScreen.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)Varnok::AboutScreen::VersionTextFromBytes(reinterpret_cast<const char*>(data), size);
    return 0;
}
