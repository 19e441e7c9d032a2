// Puts right-to-left Arabic text into visual left-to-right order and gives
// its letters their joined forms, so that the text code can lay it out like
// any other left-to-right string.
#pragma once

#include <string>

namespace Varnok {

class ArabicTextShaper {
public:
    // The process-wide shaper, made on first use. It keeps no state, so any
    // thread may use it.
    static ArabicTextShaper& Get();

    virtual ~ArabicTextShaper() = default;

    // Replaces inOutResult with the reordered, shaped UTF-8 form of `text`
    // and returns true. Reordering is a simple run rule, not the full
    // bidirectional algorithm: runs of Arabic letters and neutrals are
    // reversed (parentheses mirrored), other runs keep their reading order.
    // Empty, null or malformed text, or a failure inside ICU, leaves
    // inOutResult as it was and returns false.
    virtual bool Transform(const char* text, std::string& inOutResult) const;
};

}  // namespace Varnok
