// Any text as one of a user's stored files (its transaction lists, login,
// profile or game data); the user loads, rebuilds its state, answers its
// accessors and synchronises.
#include "fuzz/KiplinkMemoryPlatform.h"
#include "kiplink/Source/UserImpl.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kFiles[] = {"UserTransactionsPending.json", "UserTransactionsSent.json",
                                         "UserTransactionsVerified.json", "UserLocalData.json",
                                         "UserProfileData.json", "UserData.json"};
    if (size < 1) {
        return 0;
    }
    KiplinkFuzz::Quiet();
    Kiplink::RefPtr<KiplinkFuzz::MemoryPlatform> platform(new KiplinkFuzz::MemoryPlatform);
    const char* guid = "0123456789abcdef0123456789abcdef";
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string folder = "save/Game/fam/Users/" + std::string(guid) + "/";
    platform->PutEncrypted(folder + kFiles[data[0] % 6], "{\"data\":" + text + "}");
    platform->PutEncrypted(folder + "UserLocalData.json", R"({"data":{"kiplinkId":"id","authToken":"t"}})");
    if (data[0] % 6 == 3) {
        platform->PutEncrypted(folder + kFiles[3], "{\"data\":" + text + "}");
    }
    auto root = Kiplink::RefPtr<Kiplink::KiplinkProviderImpl>::Adopt(KiplinkFuzz::MakeRoot(platform.Get()));
    {
        auto user = Kiplink::RefPtr<Kiplink::IUser>::Adopt(root->GetUser(guid));
        user->GetKiplinkID();
        user->GetDisplayName();
        user->IsRegisteredUser();
        user->GetCountry();
        user->GetLinkedAccountCount();
        user->GetLinkedAccount(1);
        user->GetEmailSubscription("news");
        user->GetMeta("a.b");
        user->SetMeta("a.b", "y");
        user->Synchronize();
    }
    root.Reset();
    return 0;
}
