// The catalogue of purchasable items as the signed static data describes it:
// items with names, tags, quantities, bundles and prices, the item groups and
// categories that organise them, and the payment providers with their product
// ids and display prices.
#pragma once

#include "kiplink/Public/IValue.h"
#include "kiplink/Public/RefCounted.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Kiplink {

class LuaObjectRef;

// One way to pay: the currencies it lists and the cost in each.
class StorePrice : public RefCounted {
public:
    uint32_t GetCurrencyCount() const { return static_cast<uint32_t>(m_currencies.size()); }
    // Null out of range.
    const char* GetCurrency(uint32_t index) const;
    bool GetCost(const char* currency, int32_t* outCost) const;

    void AddCost(const std::string& currency, int32_t cost);

private:
    std::vector<std::string> m_currencies;
    std::map<std::string, int32_t> m_costs;
};

enum PaymentMethods : int32_t {
    kPaymentNone = 0,
    kPaymentVirtualCurrency = 1,
    kPaymentRealMoney = 2,
    kPaymentBoth = 3,
};

class IStoreItem : public RefCounted {
public:
    virtual const char* GetReferenceId() const = 0;
    virtual const char* GetName() const = 0;
    virtual const char* GetDescription() const = 0;
    virtual uint32_t GetTagCount() const = 0;
    virtual const char* GetTag(uint32_t index) const = 0;  // null out of range
    virtual bool HasTag(const char* tag) const = 0;         // false for null
    // Borrowed: lives as long as the item.
    virtual const IValue* GetMetaData() const = 0;
    virtual int32_t GetMaximumCount() const = 0;
    virtual int32_t GetDefaultQuantity() const = 0;
    virtual bool IsBundle() const = 0;
    // With a reference, or null: a bundle of a category draws one of its
    // items, a bundle of one item answers that item.
    virtual IStoreItem* GetBundledItem() const = 0;
    virtual int32_t GetBundleCount() const = 0;
    // The provider's display price copied into buffer when it fits with its
    // terminator; currency is not used.
    virtual bool GetDisplayCost(const char* providerId, const char* currency, char* buffer,
                                size_t size) const = 0;
    // Null when the store has no such provider; "" when it has no SKU.
    virtual const char* GetProductSku(const char* providerId) const = 0;
    virtual int32_t GetPaymentMethods() const = 0;
    virtual uint32_t GetPriceCount() const = 0;
    virtual const StorePrice* GetPrice(uint32_t index) const = 0;  // borrowed, null out of range
    virtual const char* GetPriceCurrency(uint32_t index) const = 0;
    // The cost of the first price that lists the currency; -1 when none does.
    virtual int32_t GetCost(const char* currency) const = 0;
    virtual int32_t GetBundleWeight() const = 0;
    // Borrowed; null when the record had none.
    virtual const IValue* GetScriptData() const = 0;
    // The item's own Lua table (its script's table under "__data"); null
    // without a Lua state.
    virtual LuaObjectRef* GetDataTable() const = 0;
};

class IItemGroup : public RefCounted {
public:
    virtual const char* GetReferenceId() const = 0;
    virtual const char* GetName() const = 0;
    virtual uint32_t GetItemCount() const = 0;
    virtual const char* GetItem(uint32_t index) const = 0;  // an item id, null out of range
    virtual LuaObjectRef* GetDataTable() const = 0;
};

class IStoreProvider;

class IStoreProviderCallbacks : public RefCounted {
public:
    // After every catalogue load.
    virtual void OnStoreUpdated(IStoreProvider* store) = 0;
};

class StoreCategory;
class PaymentProvider;

// Every lookup answers its object with a reference added, or null.
class IStoreProvider : public RefCounted {
public:
    virtual void AddCallbacks(IStoreProviderCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IStoreProviderCallbacks* listener) = 0;
    virtual void Update() = 0;
    virtual uint32_t GetItemCount() const = 0;
    virtual IStoreItem* GetItemByIndex(uint32_t index) const = 0;
    virtual IItemGroup* GetItemGroup(const char* referenceId) const = 0;
    // By reference id, else the first item (in id order) whose metadata is
    // that text without regard to case.
    virtual IStoreItem* GetItem(const char* id) const = 0;
    // A weighted draw among the items with the tag (the C library's rand()).
    virtual IStoreItem* GetRandomItemWithTag(const char* tag) const = 0;
    virtual StoreCategory* GetCategory(const char* categoryId) const = 0;
    virtual uint32_t GetItemGroupCount() const = 0;
    virtual const char* GetItemGroupIdByIndex(uint32_t index) const = 0;  // null out of range
    virtual PaymentProvider* GetPaymentProvider(const char* providerId) const = 0;
};

}  // namespace Kiplink
