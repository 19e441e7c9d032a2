#include "kiplink/Source/FriendsImpl.h"

#include "kiplink/Source/DataFiles.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/UserImpl.h"
#include "kiplink/Source/ValuePath.h"

#include <algorithm>

namespace Kiplink {

namespace {

const char* const kGlobalCache = "globalFriends.json";
const char* const kProductCache = "productFriends.json";

}  // namespace

FriendsImpl::FriendsImpl(KiplinkProviderImpl* root, IUser* user)
    : m_root(root), m_user(user), m_pool(root->GetPlayerPools().GetPoolImpl(user)) {
    for (bool product : {false, true}) {
        RefPtr<EncryptedJsonFile> file(new EncryptedJsonFile(
            root->Platform(), root->GetUserDataPath(user->GetGUID(), product ? kProductCache : kGlobalCache)));
        if (file->Load()) {
            Rebuild(product, static_cast<const EncryptedJsonFile&>(*file).GetData());
        }
    }
}

IUser* FriendsImpl::GetUser() {
    if (m_user) {
        m_user->Reference();
    }
    return m_user.Get();
}

void FriendsImpl::Send(const char* method, uint32_t* outCallId, bool product) {
    if (!m_user || m_root == nullptr) {
        return;
    }
    const uint32_t callId = NextCallId(outCallId);
    RequestContext context("friends", method);
    const char* token = m_user->GetAuthToken();
    const char* deviceId = m_root->Platform() != nullptr ? m_root->Platform()->GetDeviceInfo(kDeviceId) : nullptr;
    context.Params().AppendString(token != nullptr ? token : "");
    context.Params().AppendString(deviceId != nullptr ? deviceId : "");
    context.Params().AppendString(m_root->GetBuildId());
    if (product) {
        SendRequest(context, m_root, this, &FriendsImpl::OnProductReply, callId);
    } else {
        SendRequest(context, m_root, this, &FriendsImpl::OnGlobalReply, callId);
    }
}

void FriendsImpl::GetGlobalFriends(uint32_t* outCallId) { Send("getGlobalFriends", outCallId, false); }

void FriendsImpl::GetProductFamilyFriends(uint32_t* outCallId) { Send("getProductFamilyFriends", outCallId, true); }

void FriendsImpl::OnGlobalReply(RequestContext& context, const IValue& error, const IValue& result) {
    OnReply(false, context, error, result);
}

void FriendsImpl::OnProductReply(RequestContext& context, const IValue& error, const IValue& result) {
    OnReply(true, context, error, result);
}

void FriendsImpl::OnReply(bool product, RequestContext& context, const IValue& error, const IValue& result) {
    RefPtr<FriendsImpl> self(this);
    auto handler = product ? &IFriendsCallbacks::OnUpdateProduct : &IFriendsCallbacks::OnUpdateGlobal;
    if (!error.IsNull()) {
        m_listeners.Notify(handler, context.GetTag(), static_cast<IFriends*>(this), "response failed");
        // Users come only from the root, which makes UserImpl.
        static_cast<UserImpl*>(m_user.Get())->CheckReplyError(error);
        return;
    }
    Rebuild(product, result);
    RefPtr<EncryptedJsonFile> file(new EncryptedJsonFile(
        m_root->Platform(), m_root->GetUserDataPath(m_user->GetGUID(), product ? kProductCache : kGlobalCache)));
    file->GetData().SetAsValue(result);
    file->Save();
    m_listeners.Notify(handler, context.GetTag(), static_cast<IFriends*>(this), static_cast<const char*>(nullptr));
}

void FriendsImpl::Rebuild(bool product, const IValue& result) {
    if (!result.IsArray()) {
        return;
    }
    List& list = product ? m_product : m_global;
    list.clear();
    for (uint32_t i = 0; i < result.GetMemberCount(); ++i) {
        const IValue& record = *result.GetMemberByInt(static_cast<int32_t>(i));
        if (!record.IsObject()) {
            continue;
        }
        const char* id = FindString(record, "kiplinkId");
        UserProfileImpl* profile = id != nullptr ? m_pool->FindProfile("kiplinkId", id) : nullptr;
        RefPtr<UserProfileImpl> held(profile);
        if (!held) {  // a pooled player keeps its details: friends replies do not rename
            held = new UserProfileImpl(m_root);
            held->Fill(record);
            held = m_pool->Add(held.Get());
        }
        list.push_back(held);
        if (product && std::none_of(m_global.begin(), m_global.end(),
                                    [&](const RefPtr<UserProfileImpl>& g) { return g.Get() == held.Get(); })) {
            m_global.push_back(held);
        }
    }
}

IUserProfile* FriendsImpl::FindGlobalFriend(const char* field, const char* text) {
    if (field == nullptr || text == nullptr) {
        return nullptr;
    }
    UserProfileImpl* found = m_pool->FindProfile(field, text);
    for (const RefPtr<UserProfileImpl>& profile : m_global) {
        if (profile.Get() == found && found != nullptr) {
            found->Reference();
            return found;
        }
    }
    return nullptr;
}

IUserProfile* FriendsImpl::GetProductFamilyFriend(int index) {
    if (index < 0 || index >= GetProductFamilyFriendCount()) {
        return nullptr;
    }
    m_product[index]->Reference();
    return m_product[index].Get();
}

IUserProfile* FriendsImpl::GetGlobalFriend(int index) {
    if (index < 0 || index >= GetGlobalFriendCount()) {
        return nullptr;
    }
    m_global[index]->Reference();
    return m_global[index].Get();
}

IFriends* FriendsProviderImpl::GetFriends(IUser* user) {
    if (user == nullptr) {
        return nullptr;
    }
    Entry& entry = m_friends[user];
    if (!entry.friends) {
        entry.user = user;
        entry.friends = new FriendsImpl(m_root, user);
    }
    entry.friends->Reference();
    return entry.friends.Get();
}

}  // namespace Kiplink
