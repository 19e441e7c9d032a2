// Any bytes as an enciphered local file: read either as stored (any bytes)
// or as the ciphertext of the input taken as plaintext, so the parser sees
// both garbage and near-JSON.
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/Crypto.h"
#include "kiplink/Source/DataFiles.h"
#include "kiplink/Source/Log.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (Kiplink::SetLogSink([](const char*) {}), true);
    (void)quiet;
    Kiplink::IValue* value = Kiplink::CreateValue();
    Kiplink::ParseEncryptedJson(std::string(reinterpret_cast<const char*>(data), size), value);
    std::string stored;
    Kiplink::EncryptToString(Kiplink::GetStorageCipher(), data, size, &stored);
    if (Kiplink::ParseEncryptedJson(stored, value)) {
        Kiplink::TextBuffer* text = value->ToText();
        text->Release();
    }
    value->Release();
    return 0;
}
