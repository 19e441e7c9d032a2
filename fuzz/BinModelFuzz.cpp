// Keyed binary model files from untrusted bytes: must refuse or load, never crash.
#include "engine/model/BinModel.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Varnok::SmartPtr<Varnok::BinModelData> model =
        Varnok::LoadBinModelFromBytes(data, size, "fuzz");
    (void)model;
    return 0;
}
