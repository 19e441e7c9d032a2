// A text bound to one integer: the text (after the string-table lookup) is a
// printf-style format and the label shows it applied to the value. Owners
// write m_value, then call RefreshText.
#pragma once

#include "engine/ui/ComponentText.h"

namespace Varnok {

class ComponentTextValue : public ComponentText {
public:
    static constexpr int kTextBytes = 32;  // 31 characters shown at most

    ComponentTextValue();
    static const ComponentClassInfo& GetStaticClassInfo();

    // The format with the value. Only the first integer conversion (%d, %i,
    // %u with flags, width and precision) takes the value; "%%" is a percent
    // sign; any other conversion is shown as written, so a text from a data
    // file can never read arguments that are not there.
    AsciiString GetDisplayText() const override;
    static AsciiString Format(const char* format, int value);

    int m_value = 1;
};

}  // namespace Varnok
