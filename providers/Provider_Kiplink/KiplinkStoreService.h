// The online service's catalogue behind the engine's store service. Each
// library item and category gets one engine adapter for the service's
// lifetime, so adapters compare by pointer; the purchases items start
// through a purchase service are kept here too.
#pragma once

#include "engine/services/IStoreService.h"
#include "kiplink/Public/IStore.h"
#include "kiplink/Public/RefCounted.h"
#include "providers/Provider_Kiplink/KiplinkDelegateList.h"
#include "providers/Provider_Kiplink/KiplinkStoreTypes.h"

#include <map>
#include <memory>
#include <vector>

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class KiplinkStoreService;
class Provider_Kiplink;
class ServiceManager;

// One price of an item.
class KiplinkPaymentMethod final : public IPaymentMethod {
public:
    explicit KiplinkPaymentMethod(const Kiplink::StorePrice* price) : m_price(price) {}

    int GetCurrencyCount() const override;
    const char* GetCurrencyId(int index) const override;
    bool GetCost(const char* currencyId, int* outCost) const override;
    const Kiplink::StorePrice* GetPrice() const { return m_price.Get(); }

private:
    Kiplink::RefPtr<const Kiplink::StorePrice> m_price;
};

class KiplinkStoreItem final : public IStoreItem {
public:
    // Adds its own reference to the library item.
    KiplinkStoreItem(KiplinkStoreService* service, Kiplink::IStoreItem* item);
    ~KiplinkStoreItem() override;

    const char* GetCategoryId() const override { return m_item->GetTag(0); }
    const char* GetId() const override { return m_item->GetReferenceId(); }
    const char* GetName() const override { return m_item->GetName(); }
    int GetTagCount() const override { return static_cast<int>(m_item->GetTagCount()); }
    const char* GetTag(int index) const override;
    bool HasTag(const char* tag) const override { return m_item->HasTag(tag); }
    int GetMaximumCount() const override { return m_item->GetMaximumCount(); }
    int GetDefaultQuantity() const override { return m_item->GetDefaultQuantity(); }
    bool IsBundle() const override { return m_item->IsBundle(); }
    IStoreItem* GetBundledItem() override;
    int GetBundleCount() const override { return m_item->GetBundleCount(); }
    int GetCostType() const override;
    int GetPaymentMethodCount() const override { return static_cast<int>(m_item->GetPriceCount()); }
    IPaymentMethod* GetPaymentMethod(int index) override;
    int GetCurrencyCount() const override;
    const char* GetCurrencyId(int index) const override;
    int GetCost(const char* currencyId) const override { return m_item->GetCost(currencyId); }
    IPaymentMethod* FindPaymentMethod(const char* const* currencyIds, int count) override;
    void QueryProduct(const char* productId, StoreProductDelegate onDone) override;
    void GetDisplayCost(const char* paymentProviderId, const char* currencyId, std::string& out) const override;
    const char* GetProductSku(const char* paymentProviderId) const override;
    IStorePurchase* Purchase(User* user, StorePurchaseDelegate onDone, const char* currencyId) override;
    IStorePurchase* Purchase(User* user, IPaymentMethod* method, StorePurchaseDelegate onDone) override;
    IStorePurchase* CreateExternalPurchase(const char* object, const char* identifier,
                                           const char* receipt) override;

    Kiplink::IStoreItem* GetLibraryItem() const { return m_item.Get(); }

private:
    KiplinkStoreService* m_service;
    Kiplink::RefPtr<Kiplink::IStoreItem> m_item;
    // The current adapter of each price index. A purchase may hold an
    // adapter, so one replaced after a catalogue reload waits in m_retired
    // until the item goes.
    std::map<int, std::unique_ptr<KiplinkPaymentMethod>> m_methods;
    std::vector<std::unique_ptr<KiplinkPaymentMethod>> m_retired;
};

class KiplinkStoreCategory final : public IStoreItemGroup {
public:
    KiplinkStoreCategory(KiplinkStoreService* service, Kiplink::StoreCategory* category);
    ~KiplinkStoreCategory() override;

    int GetItemCount() const override;
    IStoreItem* GetItemByIndex(int index) override;
    IStoreItem* GetItem(const char* itemId) override;
    const char* GetId() const override;

private:
    KiplinkStoreService* m_service;
    Kiplink::RefPtr<Kiplink::StoreCategory> m_category;
};

class KiplinkStoreService final : public IStoreService {
public:
    // The root must exist: the store provider is taken here. owner: where the
    // purchase and inventory services are found; may be null (then nothing
    // can be bought).
    KiplinkStoreService(Kiplink::IKiplinkProvider* root, Provider_Kiplink* owner);
    ~KiplinkStoreService() override;

    bool Initialise() override { return true; }
    const AsciiString& GetProviderName() const override;
    void AddStoreUpdateListener(Delegate0<void> listener) override;
    void RemoveStoreUpdateListener(Delegate0<void> listener) override;
    int GetItemCount() override;
    IStoreItem* GetItemByIndex(int index) override;
    IStoreItem* GetItem(const char* itemId) override;
    IStoreItemGroup* GetItemGroup(const char* groupId) override;
    int GetGroupItemCount(const char* groupId) override;
    IStoreItem* GetItemInGroup(const char* groupId, int index) override;
    int GetItemGroupCount() override;
    const char* GetItemGroupIdByIndex(int index) override;
    IStoreItem* FindItemByMetaData(const char* key, const char* value) override;
    // False for a null item or user; true without a maximum; else whether the
    // user owns fewer than the maximum.
    bool CanBuyItem(User* user, IStoreItem* item) override;

    // The first item, in index order, with that SKU at the payment provider.
    IStoreItem* FindItemByProductSku(const char* paymentProviderId, const char* sku);
    // True for an item without a virtual-currency price; otherwise whether the
    // user's balance covers the first currency of one of its prices.
    bool CanUserAfford(User* user, IStoreItem* item);

    // The adapter of a library item that arrived with a reference, which is
    // taken over; null stays null.
    KiplinkStoreItem* AdapterFor(Kiplink::IStoreItem* arrived);
    // Keeps a purchase made through a purchase service until the store goes.
    void KeepPurchase(std::unique_ptr<IStorePurchase> purchase);
    size_t GetPurchaseCount() const { return m_purchases.size(); }

    Kiplink::IKiplinkProvider* GetRoot() const { return m_root; }
    ServiceManager* GetManager() const;

private:
    class Listener;

    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Provider_Kiplink* m_owner;
    Kiplink::RefPtr<Kiplink::IStoreProvider> m_store;
    std::map<const Kiplink::IStoreItem*, std::unique_ptr<KiplinkStoreItem>> m_items;
    std::map<const Kiplink::StoreCategory*, std::unique_ptr<KiplinkStoreCategory>> m_categories;
    std::vector<std::unique_ptr<IStorePurchase>> m_purchases;
    Kiplink::RefPtr<Listener> m_listener;
};

}  // namespace Varnok
