// Typed text from anywhere: the first byte is the field's byte limit, the
// rest what the keyboard proposes. The kept text is a prefix within the
// limit that never ends inside a character of a well-formed text, and the
// mask shows one star per character kept.
#include "engine/ui/ComponentTextInput.h"
#include "engine/ui/UIUtil.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Well-formed for this check: lead bytes followed by their continuation
// bytes (overlong forms and surrogates do not matter to a cut).
bool WellFormed(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const size_t size = lead < 0x80 ? 1 : lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (size == 0 || i + size > text.size()) {
            return false;
        }
        for (size_t k = 1; k < size; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += size;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    if (size == 0) {
        return 0;
    }
    const int limit = static_cast<int8_t>(data[0]);  // negative counts as 0
    const size_t bytes = static_cast<size_t>(limit < 0 ? 0 : limit);
    // The engine's strings end at a zero byte, as the keyboard's do.
    std::string typed(reinterpret_cast<const char*>(data + 1), size - 1);
    typed = typed.c_str();

    if (UIUtil::Utf8CutPoint(typed.c_str(), typed.size(), bytes) > std::min(bytes, typed.size())) {
        __builtin_trap();
    }

    ComponentTextInput field;
    field.GetOrAddProperty<bool>(AsciiString("charsLimitEnabled"), false)->Set(true);
    field.GetOrAddProperty<int>(AsciiString("charsLimit"), 0)->Set(limit);
    field.GetOrAddProperty<bool>(AsciiString("maskText"), false)->Set(true);
    field.OnKeyboardTextChanged(AsciiString(typed.c_str()));
    const std::string kept = field.GetInputText().c_str();
    if (kept.size() > bytes || typed.compare(0, kept.size(), kept) != 0) {
        __builtin_trap();  // within the limit, and a prefix of what was typed
    }
    if (WellFormed(typed) && !WellFormed(kept)) {
        __builtin_trap();  // a character was cut
    }
    size_t characters = 0;
    for (char c : kept) {
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    const AsciiString shown = field.FindProperty<AsciiString>(AsciiString("text"))->Get();
    if (static_cast<size_t>(shown.Length()) != characters) {
        __builtin_trap();
    }
    return 0;
}
