// Each user's cloud objects: the cache of own and other players' objects,
// the "cloudObject" requests that fetch and update the others, and the
// provider that keeps one sync object per user with the definitions from
// the static data.
#pragma once

#include "kiplink/Public/ICloud.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Source/CloudObject.h"
#include "kiplink/Source/Request.h"

#include <map>
#include <string>
#include <vector>

namespace Kiplink {

class CloudProviderImpl;
class KiplinkProviderImpl;
class TransactionBatch;

class CloudObjectDefinition : public RefCounted {
public:
    bool ownerIsUser = false;
    std::map<uint32_t, uint32_t> access;  // kind (1: friends) to level
};

class CloudObjectSync final : public ICloudObjectSync {
public:
    CloudObjectSync(KiplinkProviderImpl* root, CloudProviderImpl* provider, IUser* user);
    void AddCallbacks(ICloudObjectSyncCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(ICloudObjectSyncCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override {}
    ICloudObject* GetOwnObject(const char* objectId) override;
    ICloudObject* GetObject(const IValue& player, const char* objectId) override;
    void UpdateObject(ICloudObject* object, uint32_t* outRequestId) override;
    void UpdateObjects(ICloudObject* const* objects, int count, uint32_t* outRequestId) override;

    // The user's sync: own objects' local edits as transactions of batch,
    // and their CRCs by owner and id into crcs (left alone when none).
    void CollectForSync(TransactionBatch& batch, IValue& crcs);
    // The user's derived state changed: own objects take their copies.
    void ApplyState(const IValue& state);

    void OnUpdateReply(RequestContext& context, const IValue& error, const IValue& result);

private:
    // Cached, or made when the id has a definition; null otherwise.
    CloudObject* Lookup(const std::string& ownerId, const std::string& objectId, bool own);
    void SendUpdate(const char* method, ICloudObject* const* objects, int count, uint32_t id);
    void Notify(uint32_t requestId, KIPLINKERROR error, const char* text);

    KiplinkProviderImpl* m_root;    // not referenced
    CloudProviderImpl* m_provider;  // not referenced: it holds this object
    RefPtr<IUser> m_user;
    ListenerSet<ICloudObjectSyncCallbacks> m_listeners;
    std::map<std::string, std::map<std::string, RefPtr<CloudObject>>> m_cache;  // owner, id
};

class CloudProviderImpl final : public ICloudProvider {
public:
    explicit CloudProviderImpl(KiplinkProviderImpl* root) : m_root(root) {}
    ~CloudProviderImpl() override;
    void AddCallbacks(ICloudProviderCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(ICloudProviderCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override {}
    ICloudObjectSync* GetSyncObject(IUser* user) override;

    // The user's sync object when one was made; no reference added.
    CloudObjectSync* FindSyncObject(IUser* user) const;
    void LoadDefinitions(const IValue& definitions);
    const CloudObjectDefinition* FindDefinition(const std::string& objectId) const;

private:
    KiplinkProviderImpl* m_root;
    ListenerSet<ICloudProviderCallbacks> m_listeners;
    std::map<IUser*, RefPtr<CloudObjectSync>> m_syncs;  // each holds its user
    std::map<std::string, RefPtr<CloudObjectDefinition>> m_definitions;
};

}  // namespace Kiplink
