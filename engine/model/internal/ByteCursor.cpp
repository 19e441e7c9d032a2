// The keyed-format string shared by binary models and material descriptions.
#include "engine/model/internal/ByteCursor.h"

namespace Varnok {

bool ReadKeyedString(ByteCursor& cursor, AsciiString& outText) {
    const uint32_t length = cursor.ReadU32();
    if (cursor.HasFailed() || length >= kMaxKeyedString) {
        cursor.Fail();
        outText = "";
        return false;
    }
    const uint8_t* chars = cursor.Take(length + 1);  // with its zero byte
    if (chars == nullptr) {
        outText = "";
        return false;
    }
    outText.Assign(reinterpret_cast<const char*>(chars), static_cast<int>(length));
    return true;
}

}  // namespace Varnok
