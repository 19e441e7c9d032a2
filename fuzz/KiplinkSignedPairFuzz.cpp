// Any file beside any 128-byte signature (the first 128 input bytes): the
// check and everything behind it must refuse or open it without a fault; the
// unframing behind the check also gets the file directly, as the fuzzer
// cannot forge signatures.
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/DataFiles.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/Wire.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (Kiplink::SetLogSink([](const char*) {}), true);
    (void)quiet;
    const size_t signatureBytes = size < 128 ? size : 128;
    const std::string signature(reinterpret_cast<const char*>(data), signatureBytes);
    const std::string file(reinterpret_cast<const char*>(data) + signatureBytes, size - signatureBytes);
    Kiplink::IValue* value = Kiplink::CreateValue();
    std::string hash;
    const char* why = nullptr;
    // Only the seeds' genuine pairs verify; whatever verifies must also
    // have unframed and parsed.
    if (Kiplink::OpenSignedData(file, signature, value, &hash, &why) && hash.size() != 40) {
        __builtin_trap();
    }
    value->Release();
    std::string text;
    Kiplink::UnframeBody(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &text, &why);
    return 0;
}
