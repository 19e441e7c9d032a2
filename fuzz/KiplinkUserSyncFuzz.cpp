// Any text as the reply of a user's sync (or merge) to a user with filled
// transaction lists, a profile and game data; then the lists go out again.
#include "fuzz/KiplinkMemoryPlatform.h"
#include "kiplink/Source/Transaction.h"
#include "kiplink/Source/UserImpl.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KiplinkFuzz::Quiet();
    Kiplink::RefPtr<KiplinkFuzz::MemoryPlatform> platform(new KiplinkFuzz::MemoryPlatform);
    auto root = Kiplink::RefPtr<Kiplink::KiplinkProviderImpl>::Adopt(KiplinkFuzz::MakeRoot(platform.Get()));
    {
        auto user = Kiplink::RefPtr<Kiplink::IUser>::Adopt(root->CreateUser());
        auto* impl = static_cast<Kiplink::UserImpl*>(user.Get());
        user->SetLoginResult("token", "fuzz-id", true);
        for (int i = 0; i < 4; ++i) {
            user->BeginTransaction();
            user->SetMeta("a.b", "x");
            auto batch = Kiplink::RefPtr<Kiplink::TransactionBatch>::Adopt(impl->GetOpenTransaction());
            batch->Add(new Kiplink::Transaction_InventoryAdd(root.Get(), "sword", i - 1));
            batch->Add(new Kiplink::Transaction_AchievementAdd(root.Get(), "first.slice", 2));
            user->EndTransaction();
            if (i == 1) {
                user->Synchronize();  // two batches out, two pending
            }
        }
        Kiplink::IValue* reply = Kiplink::CreateValue();
        reply->Parse(std::string(reinterpret_cast<const char*>(data), size).c_str());
        const Kiplink::IValue& constReply = *reply;
        const Kiplink::IValue* error = reply->IsObject() ? constReply.GetMemberByString("error") : nullptr;
        const Kiplink::IValue* result = reply->IsObject() ? constReply.GetMemberByString("result") : nullptr;
        if (error != nullptr && result != nullptr) {
            impl->ApplySyncReply(*error, *result);
        }
        reply->Release();
        user->GetMeta("a.b");
        user->GetLinkedAccountCount();
        user->GetLinkedAccount(0);
        user->Synchronize();
    }
    root.Reset();
    return 0;
}
