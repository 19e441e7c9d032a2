// Each user's items, kept in the user's transactional state under
// "inventory", and the purchases recorded beside them.
#pragma once

#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

class IInventory;
class IPurchaseProvider;
class IStoreItem;
class IUser;

class IInventoryCallbacks : public RefCounted {
public:
    virtual void OnInventoryUpdated(IInventory* inventory) = 0;
};

class IInventory : public RefCounted {
public:
    virtual void AddCallbacks(IInventoryCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IInventoryCallbacks* listener) = 0;
    virtual IUser* GetUser() = 0;  // with a reference
    virtual int32_t GetItemCountById(const char* catalogueId) const = 0;
    virtual int32_t GetItemCount(const IStoreItem* item) const = 0;  // 0 for null
    // Adds an "inventory" transaction to the user's open batch after the
    // item's "OnAddedToInventory" script had its say on the amount; an
    // amount of 0 changes nothing. Answers the new count.
    virtual int32_t ModifyItemCountById(const char* catalogueId, int32_t amount) = 0;
    virtual int32_t ModifyItemCount(const IStoreItem* item, int32_t amount) = 0;
    virtual int32_t GetInventoryCount() const = 0;
    // The catalogue id of the entry at index, or null.
    virtual const char* GetInventoryItem(int32_t index) const = 0;
};

class IInventoryProviderCallbacks : public RefCounted {
public:
    virtual void OnInventoryUpdated(IInventory* inventory) = 0;
};

class IInventoryProvider : public RefCounted {
public:
    virtual void AddCallbacks(IInventoryProviderCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IInventoryProviderCallbacks* listener) = 0;
    virtual void Update() = 0;
    virtual IInventory* GetInventory(IUser* user) = 0;  // with a reference, or null
    virtual void Load() = 0;
};

class IPurchaseProviderCallbacks : public RefCounted {};

class IPurchaseProvider : public RefCounted {
public:
    virtual void AddCallbacks(IPurchaseProviderCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IPurchaseProviderCallbacks* listener) = 0;
    virtual void Update() = 0;
    // Records an "iap" transaction in the user's open batch (in a batch of
    // its own when none is open); false for a null user.
    virtual bool AddPurchase(IUser* user, const char* catalogueId, const char* obj,
                             const char* transactionIdentifier, const char* receipt) = 0;
};

}  // namespace Kiplink
