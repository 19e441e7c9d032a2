// Any reply body under any content type: the client's decoding must refuse
// or parse it, never crash, loop or allocate past its bound. The first byte
// picks the content type.
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/Wire.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (Kiplink::SetLogSink([](const char*) {}), true);
    (void)quiet;
    if (size == 0) {
        return 0;
    }
    static const char* const kTypes[] = {"application/x-kiplink", "APPLICATION/X-KIPLINK", "application/json",
                                         "", nullptr, "application/x-kiplink; charset=utf-8"};
    const char* type = kTypes[data[0] % 6];
    const char* why = nullptr;
    Kiplink::IValue* reply = Kiplink::DecodeReply(data + 1, size - 1, type, &why);
    if (reply != nullptr) {
        Kiplink::TextBuffer* text = reply->ToText();
        text->Release();
        reply->Release();
    }
    return 0;
}
