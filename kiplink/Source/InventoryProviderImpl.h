// One inventory per user reading the user's state under "inventory", the
// forwarder that passes an inventory's events on to the provider's
// listeners, and the purchase provider that records "iap" changes.
#pragma once

#include "kiplink/Public/IInventory.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"

#include <map>
#include <string>

namespace Kiplink {

class InventoryProviderImpl;
class KiplinkProviderImpl;
class LuaVM;

class InventoryImpl final : public IInventory {
public:
    // user: one of the root's users.
    InventoryImpl(KiplinkProviderImpl* root, IUser* user);
    void AddCallbacks(IInventoryCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IInventoryCallbacks* listener) override { m_listeners.Remove(listener); }
    IUser* GetUser() override;
    int32_t GetItemCountById(const char* catalogueId) const override;
    int32_t GetItemCount(const IStoreItem* item) const override;
    int32_t ModifyItemCountById(const char* catalogueId, int32_t amount) override;
    int32_t ModifyItemCount(const IStoreItem* item, int32_t amount) override;
    int32_t GetInventoryCount() const override;
    const char* GetInventoryItem(int32_t index) const override;

    LuaObjectRef* GetDataTable() const { return m_dataTable.Get(); }

private:
    // The amount after the item's "OnAddedToInventory" answered, or as given.
    int32_t AmountAfterScript(const char* catalogueId, int32_t amount);

    KiplinkProviderImpl* m_root;  // not referenced
    RefPtr<IUser> m_user;
    RefPtr<LuaVM> m_lua;  // kept alive until the table below is released
    RefPtr<LuaObjectRef> m_dataTable;
    ListenerSet<IInventoryCallbacks> m_listeners;
};

class InventoryForwarder final : public IInventoryCallbacks {
public:
    explicit InventoryForwarder(InventoryProviderImpl* provider) : m_provider(provider) {}
    void OnInventoryUpdated(IInventory* inventory) override;
    void Detach() { m_provider = nullptr; }

private:
    InventoryProviderImpl* m_provider;  // not referenced; null once it is gone
};

class InventoryProviderImpl final : public IInventoryProvider {
public:
    explicit InventoryProviderImpl(KiplinkProviderImpl* root) : m_root(root) {}
    ~InventoryProviderImpl() override;
    void AddCallbacks(IInventoryProviderCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IInventoryProviderCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override {}
    IInventory* GetInventory(IUser* user) override;
    void Load() override {}

    void ForwardInventory(IInventory* inventory);

private:
    KiplinkProviderImpl* m_root;
    ListenerSet<IInventoryProviderCallbacks> m_listeners;
    std::map<IUser*, RefPtr<InventoryImpl>> m_inventories;  // each holds its user
    RefPtr<InventoryForwarder> m_forwarder;
};

class PurchaseProviderImpl final : public IPurchaseProvider {
public:
    explicit PurchaseProviderImpl(KiplinkProviderImpl* root) : m_root(root) {}
    void AddCallbacks(IPurchaseProviderCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IPurchaseProviderCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override {}
    bool AddPurchase(IUser* user, const char* catalogueId, const char* obj, const char* transactionIdentifier,
                     const char* receipt) override;

private:
    KiplinkProviderImpl* m_root;
    ListenerSet<IPurchaseProviderCallbacks> m_listeners;
};

}  // namespace Kiplink
