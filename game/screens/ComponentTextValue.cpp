// ComponentTextValue's class record and its formatting.
#include "game/screens/ComponentTextValue.h"

#include "game/screens/BoundedFormat.h"


namespace Varnok {

const ComponentClassInfo& ComponentTextValue::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentTextValue", ComponentClassInfo::kNextFreeId,
                                           &ComponentText::GetStaticClassInfo());
    return s_info;
}

ComponentTextValue::ComponentTextValue() {
    SetClassInfo(GetStaticClassInfo());
}

AsciiString ComponentTextValue::GetDisplayText() const {
    const AsciiString format = ComponentText::GetDisplayText();
    return Format(format.c_str(), m_value);
}

AsciiString ComponentTextValue::Format(const char* format, int value) {
    char text[kTextBytes];
    FormatBounded(text, format, value);
    return AsciiString(text);
}

}  // namespace Varnok
