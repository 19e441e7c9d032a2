// The store: items, item groups, categories and payment providers read from
// the static data in either layout. The item layout ("Items",
// "PaymentProviders", "ItemGroups") prices in cents; the catalogue layout
// ("Categories", "Catalogue", "PaymentProviders") gives display prices as
// texts and items their categories and bundles.
#pragma once

#include "kiplink/Public/IStore.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"

#include <map>
#include <string>
#include <vector>

namespace Kiplink {

class LuaVM;
class ScriptRegistry;
class StoreProviderImpl;

enum class CatalogueFormat { Items, Catalogue };

class StoreItemImpl final : public IStoreItem {
public:
    // store: not referenced, outlives the item's use (it holds the item).
    StoreItemImpl(StoreProviderImpl* store, LuaVM* vm, std::string referenceId);
    ~StoreItemImpl() override;

    const char* GetReferenceId() const override { return m_referenceId.c_str(); }
    const char* GetName() const override { return m_name.c_str(); }
    const char* GetDescription() const override { return m_description.c_str(); }
    uint32_t GetTagCount() const override { return static_cast<uint32_t>(m_tags.size()); }
    const char* GetTag(uint32_t index) const override;
    bool HasTag(const char* tag) const override;
    const IValue* GetMetaData() const override { return m_metaData; }
    int32_t GetMaximumCount() const override { return m_maximumCount; }
    int32_t GetDefaultQuantity() const override { return m_defaultQuantity; }
    bool IsBundle() const override { return !m_bundleOfItem.empty() || !m_bundleOfCategory.empty(); }
    IStoreItem* GetBundledItem() const override;
    int32_t GetBundleCount() const override { return m_quantityInPack; }
    bool GetDisplayCost(const char* providerId, const char* currency, char* buffer,
                        size_t size) const override;
    const char* GetProductSku(const char* providerId) const override;
    int32_t GetPaymentMethods() const override;
    uint32_t GetPriceCount() const override { return static_cast<uint32_t>(m_prices.size()); }
    const StorePrice* GetPrice(uint32_t index) const override;
    const char* GetPriceCurrency(uint32_t index) const override;
    int32_t GetCost(const char* currency) const override;
    int32_t GetBundleWeight() const override { return m_bundleWeight; }
    const IValue* GetScriptData() const override { return m_scriptData; }
    LuaObjectRef* GetDataTable() const override { return m_dataTable.Get(); }

    // Re-reads the item from its record; the tags are replaced.
    void Read(const IValue& record, CatalogueFormat format, ScriptRegistry* scripts);
    const std::string& GetCategoryId() const { return m_categoryId; }
    void SetCategoryId(const std::string& id) { m_categoryId = id; }
    bool IsVirtualCurrencyItem() const { return m_virtualCurrency; }
    int32_t GetPaymentOptionCount() const { return m_paymentOptions; }

private:
    void ReadItemRecord(const IValue& record, ScriptRegistry* scripts);
    void ReadCatalogueRecord(const IValue& record);

    StoreProviderImpl* m_store;
    RefPtr<LuaObjectRef> m_dataTable;
    std::string m_referenceId;
    std::vector<std::string> m_tags;
    std::string m_name;
    std::string m_description;
    std::string m_scriptId;
    IValue* m_scriptData = nullptr;  // owned, null until a record has one
    IValue* m_metaData;              // owned
    bool m_virtualCurrency = false;
    bool m_bundle = false;
    int32_t m_maximumCount = -1;
    int32_t m_defaultQuantity = -1;
    std::string m_bundleOfItem;
    std::string m_bundleOfCategory;
    int32_t m_quantityInPack = -1;
    int32_t m_bundleWeight = 0;
    bool m_realMoney = false;
    bool m_virtualPrice = false;
    int32_t m_paymentOptions = 0;
    std::vector<RefPtr<StorePrice>> m_prices;
    CatalogueFormat m_format = CatalogueFormat::Items;
    std::string m_categoryId;  // the category it joined, "" for none
};

class ItemGroupImpl final : public IItemGroup {
public:
    ItemGroupImpl(LuaVM* vm, std::string referenceId);

    const char* GetReferenceId() const override { return m_referenceId.c_str(); }
    const char* GetName() const override { return m_name.c_str(); }
    uint32_t GetItemCount() const override { return static_cast<uint32_t>(m_items.size()); }
    const char* GetItem(uint32_t index) const override;
    LuaObjectRef* GetDataTable() const override { return m_dataTable.Get(); }

    void Read(const IValue& record);

private:
    RefPtr<LuaObjectRef> m_dataTable;
    std::string m_referenceId;
    std::string m_name;
    std::vector<std::string> m_items;
};

class StoreCategory final : public RefCounted {
public:
    explicit StoreCategory(std::string id) : m_id(std::move(id)) {}

    uint32_t GetItemCount() const { return static_cast<uint32_t>(m_items.size()); }
    IStoreItem* GetItem(uint32_t index) const;          // with a reference, null out of range
    IStoreItem* GetItemById(const char* id) const;     // with a reference, or null
    const char* GetCategoryId() const { return m_id.c_str(); }
    const char* GetName() const { return m_name.c_str(); }
    int32_t GetPosition() const { return m_position; }

    void Read(const IValue& record);
    // Replaces an item of the same id.
    void Join(IStoreItem* item);
    void Leave(const std::string& itemId);

private:
    std::string m_id;
    std::string m_name;
    std::string m_description;
    int32_t m_position = -1;
    std::vector<RefPtr<IStoreItem>> m_items;
};

class PaymentProvider final : public RefCounted {
public:
    // "" when the key has no entry.
    const char* GetDisplayPrice(const char* key) const;
    const char* GetDisplayPriceForItem(const IStoreItem* item) const;
    const char* GetSku(const char* key) const;
    const char* GetSkuForItem(const IStoreItem* item) const;
    // 0 when the key has none.
    int32_t GetPriceCents(const char* key) const;

    void Read(const IValue& record, CatalogueFormat format);

private:
    struct Entry {
        std::string displayPrice;
        std::string sku;
        int32_t cents = 0;
    };
    const Entry* Find(const char* key) const;

    std::map<std::string, Entry> m_entries;
};

class StoreProviderImpl final : public IStoreProvider {
public:
    // vm and scripts may be null (no Lua data tables, no script links); both
    // must outlive the store.
    StoreProviderImpl(LuaVM* vm, ScriptRegistry* scripts);
    ~StoreProviderImpl() override;

    void AddCallbacks(IStoreProviderCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IStoreProviderCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override {}
    uint32_t GetItemCount() const override { return static_cast<uint32_t>(m_itemOrder.size()); }
    IStoreItem* GetItemByIndex(uint32_t index) const override;
    IItemGroup* GetItemGroup(const char* referenceId) const override;
    IStoreItem* GetItem(const char* id) const override;
    IStoreItem* GetRandomItemWithTag(const char* tag) const override;
    StoreCategory* GetCategory(const char* categoryId) const override;
    uint32_t GetItemGroupCount() const override { return static_cast<uint32_t>(m_groupOrder.size()); }
    const char* GetItemGroupIdByIndex(uint32_t index) const override;
    PaymentProvider* GetPaymentProvider(const char* providerId) const override;

    // The item layout, then OnStoreUpdated.
    void LoadItems(const IValue& items, const IValue& paymentProviders, const IValue& itemGroups);
    // The catalogue layout, then OnStoreUpdated.
    void LoadCatalogue(const IValue& catalogue, const IValue& categories, const IValue& paymentProviders);

private:
    void ReadItems(const IValue& items, CatalogueFormat format);
    void ReadPaymentProviders(const IValue& providers, CatalogueFormat format);
    void ReadItemGroups(const IValue& groups);
    void ReadCategories(const IValue& categories);
    void PlaceInCategory(StoreItemImpl* item);

    LuaVM* m_vm;
    ScriptRegistry* m_scripts;
    ListenerSet<IStoreProviderCallbacks> m_listeners;
    std::map<std::string, RefPtr<StoreItemImpl>> m_items;
    std::vector<StoreItemImpl*> m_itemOrder;  // held by m_items
    std::map<std::string, RefPtr<ItemGroupImpl>> m_groups;
    std::vector<std::string> m_groupOrder;
    std::map<std::string, RefPtr<StoreCategory>> m_categories;
    std::map<std::string, RefPtr<PaymentProvider>> m_paymentProviders;
};

}  // namespace Kiplink
