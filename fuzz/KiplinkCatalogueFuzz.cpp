// Reads any JSON as each catalogue file of both static-data layouts, the
// settings and the scripts, twice (a reload re-reads the same items), then
// walks every lookup of what was read.
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/SettingProviderImpl.h"
#include "kiplink/Source/StoreProviderImpl.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using Kiplink::IValue;
using Kiplink::RefPtr;

namespace {

RefPtr<IValue> Parsed(const std::string& text) {
    RefPtr<IValue> value = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    value->Parse(text.c_str());
    return value;
}

void Walk(Kiplink::StoreProviderImpl& store) {
    char buffer[8];
    for (uint32_t i = 0; i < store.GetItemCount(); ++i) {
        RefPtr<Kiplink::IStoreItem> item = RefPtr<Kiplink::IStoreItem>::Adopt(store.GetItemByIndex(i));
        for (uint32_t t = 0; t <= item->GetTagCount(); ++t) {
            RefPtr<Kiplink::IStoreItem> drawn =
                RefPtr<Kiplink::IStoreItem>::Adopt(store.GetRandomItemWithTag(item->GetTag(t)));
        }
        RefPtr<Kiplink::IStoreItem> bundled = RefPtr<Kiplink::IStoreItem>::Adopt(item->GetBundledItem());
        RefPtr<Kiplink::IStoreItem> byMeta =
            RefPtr<Kiplink::IStoreItem>::Adopt(store.GetItem(item->GetMetaData()->AsString("")));
        (void)item->GetDisplayCost("appstore", "", buffer, sizeof buffer);
        (void)item->GetProductSku("appstore");
        for (uint32_t p = 0; p <= item->GetPriceCount(); ++p) {
            (void)item->GetPriceCurrency(p);
        }
        (void)item->GetCost("coins");
    }
    for (uint32_t g = 0; g < store.GetItemGroupCount(); ++g) {
        RefPtr<Kiplink::IItemGroup> group =
            RefPtr<Kiplink::IItemGroup>::Adopt(store.GetItemGroup(store.GetItemGroupIdByIndex(g)));
        for (uint32_t i = 0; group && i <= group->GetItemCount(); ++i) {
            (void)group->GetItem(i);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Kiplink::SetLogSink([](const char*) {});
    std::srand(1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    RefPtr<IValue> data = Parsed(std::string(reinterpret_cast<const char*>(bytes), size));
    static Kiplink::LuaVM* s_vm = [] {
        auto* vm = new Kiplink::LuaVM();  // one state for the run: scripts are the slow part
        vm->Reference();
        return vm;
    }();
    Kiplink::ScriptRegistry scripts(nullptr);  // the script text itself is Lua's to parse
    RefPtr<Kiplink::StoreProviderImpl> store(new Kiplink::StoreProviderImpl(s_vm, &scripts));
    for (int pass = 0; pass < 2; ++pass) {
        store->LoadItems(*data, *data, *data);
        store->LoadCatalogue(*data, *data, *data);
    }
    Walk(*store);
    RefPtr<Kiplink::SettingProviderImpl> settings(new Kiplink::SettingProviderImpl);
    settings->LoadSettings(*data);
    return 0;
}
