// A text bound to one integer: the text (after the string-table lookup) is a
// printf-style format and the label shows it applied to the value. Owners
// write m_value, then call RefreshText.
#pragma once

#include "engine/ui/ComponentText.h"
#include "game/screens/BoundedFormat.h"

namespace Varnok {

class ComponentTextValue : public ComponentText {
public:
    static constexpr size_t kTextBytes = kBoundedTextBytes;  // 31 characters shown at most

    ComponentTextValue();
    static const ComponentClassInfo& GetStaticClassInfo();

    // The format with the value through the bounded formatter: the first
    // integer conversion takes the value, everything else shows as written,
    // cut to 31 bytes on a character boundary.
    AsciiString GetDisplayText() const override;
    static AsciiString Format(const char* format, int value);

    int m_value = 1;
};

}  // namespace Varnok
