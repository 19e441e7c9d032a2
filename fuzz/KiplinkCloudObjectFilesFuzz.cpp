// Any text as a cloud object's stored file, as a server copy handed to it,
// and as the server's own stored copy and the list it runs: the object loads,
// edits, takes its edits and folds them; the server runs and hashes.
#include "fuzz/KiplinkMemoryPlatform.h"
#include "kiplink/Source/CloudObject.h"
#include "kiplink/Source/Transaction.h"
#include "kiplink/Source/UserImpl.h"
#include "tools/kiplink_server/ServerCloudOps.h"

#include <json/json.h>

#include <string>

using Kiplink::RefPtr;

namespace {

void Client(const std::string& text, bool own) {
    static KiplinkFuzz::MemoryPlatform* s_platform = [] {
        auto* platform = new KiplinkFuzz::MemoryPlatform;
        platform->Reference();
        return platform;
    }();
    static Kiplink::KiplinkProviderImpl* s_root = KiplinkFuzz::MakeRoot(s_platform);
    static Kiplink::IUser* s_user = s_root->CreateUser();
    const std::string path =
        s_root->GetUserDataPath(s_user->GetGUID(), Kiplink::CloudObjectFileName("owner", "profile"));
    s_platform->PutEncrypted(path, "{\"data\":" + text + "}");

    RefPtr<Kiplink::CloudObject> object(new Kiplink::CloudObject(s_root, s_user, "owner", "profile", own));
    auto data = RefPtr<Kiplink::IValue>::Adopt(object->GetData());
    (void)object->ModifyInt(&(*data)["n"], 0, 3);
    (void)object->SetString(&(*data)["t"], 0, "x");
    (void)object->AppendCapped(&(*data)["l"], 15, *data->GetNull(), 2);
    if (!own) {
        (void)object->TakeLocalOps();
    }
    RefPtr<Kiplink::IValue> copy = RefPtr<Kiplink::IValue>::Adopt(Kiplink::CreateValue());
    copy->Parse(text.c_str());
    object->SetServerData(*copy);
    RefPtr<Kiplink::Transaction> update(object->MakeUpdateTransaction());
    s_platform->files.erase(path);
}

void Server(const std::string& text) {
    Json::Value parsed;
    if (!Json::Reader().parse(text, parsed)) {
        return;
    }
    (void)Varnok::Tools::ServerCloudHash(parsed);
    Json::Value data = parsed.isObject() ? parsed["data"] : Json::Value();
    Json::Value meta = parsed.isObject() ? parsed["meta"] : Json::Value();
    (void)Varnok::Tools::RunServerCloudOps(parsed, data, meta, 1000);
    Json::Value stored = parsed;
    Varnok::Tools::UpdateServerCloudCopy(stored, "owner", "profile",
                                         parsed.isObject() ? parsed["ops"] : parsed, 1000);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 1) {
        return 0;
    }
    KiplinkFuzz::Quiet();
    const std::string text(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    Client(text, (bytes[0] & 1) != 0);
    Server(text);
    return 0;
}
