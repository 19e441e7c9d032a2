// Runs any operation list over any data and compacts it: the first line is
// the list, the rest the data (both JSON). Nothing may crash or grow without
// bound; a compacted list compacts again and runs over a fresh copy (its
// regrouping may change which faults it meets, so only safety is checked).
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/CloudOps.h"
#include "kiplink/Source/Log.h"

#include <cstddef>
#include <cstdint>
#include <string>

using Kiplink::IValue;
using Kiplink::RefPtr;

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

RefPtr<IValue> Parsed(const std::string& text) {
    RefPtr<IValue> value = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    value->Parse(text.c_str());
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Kiplink::SetLogSink([](const char*) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    const size_t newline = text.find('\n');
    const std::string listText = text.substr(0, newline);
    const std::string dataText = newline == std::string::npos ? "{}" : text.substr(newline + 1);

    RefPtr<IValue> list = Parsed(listText);
    RefPtr<IValue> data = Parsed(dataText);
    RefPtr<IValue> meta = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    RefPtr<IValue> original = RefPtr<IValue>::Adopt(data->Clone());
    (void)Kiplink::RunCloudOps(*list, *data, *meta, 1000);
    (void)Kiplink::CloudValueHash(*data);
    (void)Kiplink::CloudValueHash(*meta);

    RefPtr<IValue> compacted = RefPtr<IValue>::Adopt(list->Clone());
    if (Kiplink::CompactCloudOps(*compacted)) {
        RefPtr<IValue> again = RefPtr<IValue>::Adopt(compacted->Clone());
        Check(Kiplink::CompactCloudOps(*again));
        RefPtr<IValue> freshMeta = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
        (void)Kiplink::RunCloudOps(*compacted, *original, *freshMeta, 1000);
    }
    return 0;
}
