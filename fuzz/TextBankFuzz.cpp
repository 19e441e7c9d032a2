// Text-bank key and string files from arbitrary bytes. The first byte picks
// the file kind (bit 0: string file) and the shaping flag (bit 1); the rest
// is the file. A loaded table is read whole: every text walked to its end,
// and names cut from the file searched for.
#include "engine/text/TextBank.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const uint8_t mode = data[0];
    // A copy of exactly the file's size, so that an overread is caught.
    std::vector<uint8_t> file(data + 1, data + size);
    Varnok::TextBank bank;
    bank.Init();
    bank.SetShaping((mode & 2) != 0);
    const bool strings = (mode & 1) != 0;
    const bool loaded = strings ? bank.LoadStringsFromBytes(file.data(), file.size(), "fuzz")
                                : bank.LoadKeysFromBytes(file.data(), file.size(), "fuzz");
    if (!loaded) {
        return 0;
    }
    volatile size_t sink = 0;
    for (uint32_t i = 0; i < bank.GetStringCount(); ++i) {
        const Varnok::TextBankString* text = bank.GetString(i);
        sink = sink + std::strlen(text->text) + text->codePoints;
    }
    // Names taken from the file itself reach keys as well as misses.
    for (size_t at = 0; at + 1 < file.size() && at < 4096; at += 7) {
        const char* name = reinterpret_cast<const char*>(file.data() + at);
        if (std::memchr(name, 0, file.size() - at) != nullptr) {
            sink = sink + (bank.Find(name) != nullptr ? 1 : 0) + (bank.FindText(name) != nullptr ? 1 : 0);
        }
    }
    return 0;
}
