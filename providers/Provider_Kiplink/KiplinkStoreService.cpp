// Catalogue adapters, the store's look-ups and the two ways an item starts a
// purchase.
#include "providers/Provider_Kiplink/KiplinkStoreService.h"

#include "engine/services/IBankService.h"
#include "engine/services/IInventoryService.h"
#include "engine/services/IPurchaseService.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/UserStore.h"
#include "kiplink/Public/IBank.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Source/StoreProviderImpl.h"
#include "providers/Provider_Kiplink/KiplinkPurchaseService.h"
#include "providers/Provider_Kiplink/KiplinkStorePurchase.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

#include <cstring>
#include <set>
#include <string>

namespace Varnok {

namespace {

constexpr int kCostTypeRealMoney = Kiplink::kPaymentRealMoney;
constexpr size_t kDisplayCostSize = 32;

}  // namespace

// ---- payment methods

int KiplinkPaymentMethod::GetCurrencyCount() const {
    return m_price ? static_cast<int>(m_price->GetCurrencyCount()) : 0;
}

const char* KiplinkPaymentMethod::GetCurrencyId(int index) const {
    return m_price && index >= 0 ? m_price->GetCurrency(static_cast<uint32_t>(index)) : nullptr;
}

bool KiplinkPaymentMethod::GetCost(const char* currencyId, int* outCost) const {
    int32_t cost = 0;
    if (!m_price || currencyId == nullptr || !m_price->GetCost(currencyId, &cost)) {
        return false;
    }
    if (outCost != nullptr) {
        *outCost = cost;
    }
    return true;
}

// ---- items

KiplinkStoreItem::KiplinkStoreItem(KiplinkStoreService* service, Kiplink::IStoreItem* item)
    : m_service(service), m_item(item) {}

KiplinkStoreItem::~KiplinkStoreItem() = default;

const char* KiplinkStoreItem::GetTag(int index) const {
    return index >= 0 ? m_item->GetTag(static_cast<uint32_t>(index)) : nullptr;
}

IStoreItem* KiplinkStoreItem::GetBundledItem() { return m_service->AdapterFor(m_item->GetBundledItem()); }

int KiplinkStoreItem::GetCostType() const {
    const int32_t methods = m_item->GetPaymentMethods();
    return methods >= Kiplink::kPaymentNone && methods <= Kiplink::kPaymentBoth ? methods : Kiplink::kPaymentNone;
}

IPaymentMethod* KiplinkStoreItem::GetPaymentMethod(int index) {
    const Kiplink::StorePrice* price = index >= 0 ? m_item->GetPrice(static_cast<uint32_t>(index)) : nullptr;
    if (price == nullptr) {
        return nullptr;
    }
    std::unique_ptr<KiplinkPaymentMethod>& held = m_methods[index];
    if (held && held->GetPrice() == price) {
        return held.get();
    }
    // A reloaded catalogue gave the index a new price; whoever holds the old
    // adapter keeps a working one.
    if (held) {
        m_retired.push_back(std::move(held));
    }
    held = std::make_unique<KiplinkPaymentMethod>(price);
    return held.get();
}

int KiplinkStoreItem::GetCurrencyCount() const {
    const int prices = GetPaymentMethodCount();
    return (GetCostType() & kCostTypeRealMoney) != 0 ? prices - 1 : prices;
}

const char* KiplinkStoreItem::GetCurrencyId(int index) const {
    return index >= 0 ? m_item->GetPriceCurrency(static_cast<uint32_t>(index)) : nullptr;
}

IPaymentMethod* KiplinkStoreItem::FindPaymentMethod(const char* const* currencyIds, int count) {
    std::set<std::string> wanted;
    for (int i = 0; currencyIds != nullptr && i < count; ++i) {
        if (currencyIds[i] != nullptr) {
            wanted.insert(currencyIds[i]);
        }
    }
    IPaymentMethod* best = nullptr;
    int bestScore = 0;
    for (int c = 0; c < GetPaymentMethodCount(); ++c) {
        IPaymentMethod* method = GetPaymentMethod(c);
        const int currencies = method != nullptr ? method->GetCurrencyCount() : 0;
        if (currencies <= bestScore) {
            continue;  // cannot beat the best even if every currency matched
        }
        int leading = 0;
        while (leading < currencies) {
            const char* id = method->GetCurrencyId(leading);
            if (id == nullptr || wanted.count(id) == 0) {
                break;
            }
            ++leading;
        }
        if (leading > bestScore) {
            best = method;
            bestScore = leading;
        }
    }
    return best;
}

void KiplinkStoreItem::QueryProduct(const char* productId, StoreProductDelegate onDone) {
    ServiceManager* manager = m_service->GetManager();
    auto* purchases = manager != nullptr ? manager->GetServiceAggregate<IPurchaseService>() : nullptr;
    IPurchaseService* seller = purchases != nullptr ? purchases->FindServiceForProduct(productId) : nullptr;
    if (seller != nullptr) {
        seller->QueryProduct(this, productId, onDone);
    }
}

void KiplinkStoreItem::GetDisplayCost(const char* paymentProviderId, const char* currencyId,
                                      std::string& out) const {
    if (paymentProviderId == nullptr) {
        return;
    }
    char buffer[kDisplayCostSize] = {'\0'};
    (void)m_item->GetDisplayCost(paymentProviderId, currencyId, buffer, kDisplayCostSize - 1);
    out = buffer;
}

const char* KiplinkStoreItem::GetProductSku(const char* paymentProviderId) const {
    return m_item->GetProductSku(paymentProviderId);
}

IStorePurchase* KiplinkStoreItem::Purchase(User* user, StorePurchaseDelegate onDone, const char* currencyId) {
    ServiceManager* manager = m_service->GetManager();
    auto* purchases = manager != nullptr ? manager->GetServiceAggregate<IPurchaseService>() : nullptr;
    if (purchases == nullptr) {
        return nullptr;
    }
    std::string paidIn = currencyId != nullptr ? currencyId : "";
    KiplinkPurchaseService* seller = KiplinkPurchaseService::FindServiceForCurrency(purchases, currencyId);
    // Otherwise any currency the item is priced in that some service takes.
    for (int i = 0; seller == nullptr && i < GetCurrencyCount(); ++i) {
        const char* id = GetCurrencyId(i);
        if (id != nullptr && (seller = KiplinkPurchaseService::FindServiceForCurrency(purchases, id)) != nullptr) {
            paidIn = id;
        }
    }
    if (seller == nullptr) {
        return nullptr;
    }
    KiplinkStorePurchaseDef def;
    def.root = m_service->GetRoot();
    def.manager = manager;
    def.user = user;
    def.item = this;
    def.currencyId = paidIn;
    def.onDone = onDone;
    auto purchase = std::make_unique<KiplinkStorePurchase>(std::move(def));
    IStorePurchase* started = purchase.get();
    m_service->KeepPurchase(std::move(purchase));
    seller->Purchase(started);  // synchronous: the delegate has heard by now
    return started;
}

IStorePurchase* KiplinkStoreItem::Purchase(User* user, IPaymentMethod* method, StorePurchaseDelegate onDone) {
    ServiceManager* manager = m_service->GetManager();
    const int maximum = GetMaximumCount();
    if (maximum != -1) {
        auto* inventory = manager != nullptr ? manager->GetService<IInventoryService>() : nullptr;
        if (inventory != nullptr && inventory->GetItemCount(user, GetId()) >= maximum) {
            onDone(nullptr, STOREPURCHASE::OwnsMaximum);
            return nullptr;
        }
    }
    if (method == nullptr) {
        // A single price is the obvious choice; between several the caller
        // must say.
        if (GetPaymentMethodCount() != 1) {
            return nullptr;
        }
        method = GetPaymentMethod(0);
    }
    auto* purchases = manager != nullptr ? manager->GetServiceAggregate<IPurchaseService>() : nullptr;
    IPurchaseService* seller = purchases != nullptr ? purchases->FindServiceForPaymentMethod(method) : nullptr;
    if (seller == nullptr) {
        return nullptr;
    }
    KiplinkStorePurchaseDef def;
    def.root = m_service->GetRoot();
    def.manager = manager;
    def.user = user;
    def.item = this;
    def.method = method;
    def.onDone = onDone;
    auto purchase = std::make_unique<KiplinkStorePurchase>(std::move(def));
    IStorePurchase* started = purchase.get();
    m_service->KeepPurchase(std::move(purchase));
    seller->Purchase(started);
    return started;
}

IStorePurchase* KiplinkStoreItem::CreateExternalPurchase(const char* object, const char* identifier,
                                                         const char* receipt) {
    ServiceManager* manager = m_service->GetManager();
    UserStore* store = manager != nullptr ? manager->GetUserStore() : nullptr;
    User* user = nullptr;
    if (store != nullptr && store->GetSlotCount() > 0) {
        SmartPtr<UserHandleShare> slot = store->GetUserHandle(0);
        user = slot.Get() != nullptr ? slot->GetUser() : nullptr;
    }
    KiplinkStorePurchaseDef def;
    def.root = m_service->GetRoot();
    def.manager = manager;
    def.user = user;
    def.item = this;
    auto* purchase = new KiplinkStorePurchase(std::move(def));  // the caller's
    purchase->SetTransactionInfo(object, identifier, receipt);
    return purchase;
}

// ---- categories

KiplinkStoreCategory::KiplinkStoreCategory(KiplinkStoreService* service, Kiplink::StoreCategory* category)
    : m_service(service), m_category(category) {}

KiplinkStoreCategory::~KiplinkStoreCategory() = default;

int KiplinkStoreCategory::GetItemCount() const { return static_cast<int>(m_category->GetItemCount()); }

IStoreItem* KiplinkStoreCategory::GetItemByIndex(int index) {
    return index >= 0 ? m_service->AdapterFor(m_category->GetItem(static_cast<uint32_t>(index))) : nullptr;
}

IStoreItem* KiplinkStoreCategory::GetItem(const char* itemId) {
    return m_service->AdapterFor(m_category->GetItemById(itemId));
}

const char* KiplinkStoreCategory::GetId() const { return m_category->GetCategoryId(); }

// ---- the service

class KiplinkStoreService::Listener final : public Kiplink::IStoreProviderCallbacks {
public:
    void OnStoreUpdated(Kiplink::IStoreProvider*) override { delegates.CallAll(); }

    KiplinkDelegateList delegates;
};

KiplinkStoreService::KiplinkStoreService(Kiplink::IKiplinkProvider* root, Provider_Kiplink* owner)
    : m_root(root),
      m_owner(owner),
      m_store(Kiplink::RefPtr<Kiplink::IStoreProvider>::Adopt(root != nullptr ? root->GetStoreProvider() : nullptr)) {}

KiplinkStoreService::~KiplinkStoreService() {
    if (m_listener && m_store) {
        m_store->RemoveCallbacks(m_listener.Get());
    }
    // Purchases point at items and their payment methods: they go first.
    m_purchases.clear();
    m_items.clear();
    m_categories.clear();
}

const AsciiString& KiplinkStoreService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

ServiceManager* KiplinkStoreService::GetManager() const {
    ServiceManagerBackend* backend = m_owner != nullptr ? m_owner->GetBackend() : nullptr;
    return backend != nullptr ? backend->GetManager() : nullptr;
}

void KiplinkStoreService::AddStoreUpdateListener(Delegate0<void> listener) {
    if (!m_listener) {
        m_listener = new Listener;
    }
    if (m_store) {
        m_store->AddCallbacks(m_listener.Get());
    }
    m_listener->delegates.Add(listener);
}

void KiplinkStoreService::RemoveStoreUpdateListener(Delegate0<void> listener) {
    if (!listener.IsEmpty() && m_listener) {
        m_listener->delegates.RemoveAll(listener);
    }
}

KiplinkStoreItem* KiplinkStoreService::AdapterFor(Kiplink::IStoreItem* arrived) {
    if (arrived == nullptr) {
        return nullptr;
    }
    auto item = Kiplink::RefPtr<Kiplink::IStoreItem>::Adopt(arrived);
    std::unique_ptr<KiplinkStoreItem>& held = m_items[arrived];
    if (!held) {
        held = std::make_unique<KiplinkStoreItem>(this, arrived);
    }
    return held.get();
}

void KiplinkStoreService::KeepPurchase(std::unique_ptr<IStorePurchase> purchase) {
    m_purchases.push_back(std::move(purchase));
}

int KiplinkStoreService::GetItemCount() { return m_store ? static_cast<int>(m_store->GetItemCount()) : 0; }

IStoreItem* KiplinkStoreService::GetItemByIndex(int index) {
    return m_store && index >= 0 ? AdapterFor(m_store->GetItemByIndex(static_cast<uint32_t>(index))) : nullptr;
}

IStoreItem* KiplinkStoreService::GetItem(const char* itemId) {
    return m_store && itemId != nullptr ? AdapterFor(m_store->GetItem(itemId)) : nullptr;
}

IStoreItemGroup* KiplinkStoreService::GetItemGroup(const char* groupId) {
    if (!m_store || groupId == nullptr) {
        return nullptr;
    }
    auto category = Kiplink::RefPtr<Kiplink::StoreCategory>::Adopt(m_store->GetCategory(groupId));
    if (!category) {
        return nullptr;
    }
    std::unique_ptr<KiplinkStoreCategory>& held = m_categories[category.Get()];
    if (!held) {
        held = std::make_unique<KiplinkStoreCategory>(this, category.Get());
    }
    return held.get();
}

int KiplinkStoreService::GetGroupItemCount(const char* groupId) {
    auto group = Kiplink::RefPtr<Kiplink::IItemGroup>::Adopt(m_store && groupId != nullptr ? m_store->GetItemGroup(groupId)
                                                                                          : nullptr);
    return group ? static_cast<int>(group->GetItemCount()) : 0;
}

IStoreItem* KiplinkStoreService::GetItemInGroup(const char* groupId, int index) {
    auto group = Kiplink::RefPtr<Kiplink::IItemGroup>::Adopt(m_store && groupId != nullptr ? m_store->GetItemGroup(groupId)
                                                                                          : nullptr);
    if (!group || index < 0) {
        return nullptr;
    }
    const char* itemId = group->GetItem(static_cast<uint32_t>(index));
    return itemId != nullptr ? GetItem(itemId) : nullptr;
}

int KiplinkStoreService::GetItemGroupCount() { return m_store ? static_cast<int>(m_store->GetItemGroupCount()) : 0; }

const char* KiplinkStoreService::GetItemGroupIdByIndex(int index) {
    return m_store && index >= 0 ? m_store->GetItemGroupIdByIndex(static_cast<uint32_t>(index)) : nullptr;
}

IStoreItem* KiplinkStoreService::FindItemByMetaData(const char* key, const char* value) {
    if (key == nullptr || value == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < GetItemCount(); ++i) {
        auto* item = static_cast<KiplinkStoreItem*>(GetItemByIndex(i));
        const Kiplink::IValue* meta = item != nullptr ? item->GetLibraryItem()->GetMetaData() : nullptr;
        const Kiplink::IValue* member = meta != nullptr && meta->IsObject() ? meta->GetMemberByString(key) : nullptr;
        if (member != nullptr && member->IsString() && std::strcmp(member->AsString(""), value) == 0) {
            return item;
        }
    }
    return nullptr;
}

bool KiplinkStoreService::CanBuyItem(User* user, IStoreItem* item) {
    if (item == nullptr) {
        return false;
    }
    const int maximum = item->GetMaximumCount();
    if (maximum == -1) {
        return true;
    }
    ServiceManager* manager = GetManager();
    auto* inventory = manager != nullptr ? manager->GetService<IInventoryService>() : nullptr;
    if (user == nullptr || inventory == nullptr) {
        return false;
    }
    return inventory->GetItemCount(user, item->GetId()) < maximum;
}

IStoreItem* KiplinkStoreService::FindItemByProductSku(const char* paymentProviderId, const char* sku) {
    if (sku == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < GetItemCount(); ++i) {
        IStoreItem* item = GetItemByIndex(i);
        const char* own = item != nullptr ? item->GetProductSku(paymentProviderId) : nullptr;
        if (own != nullptr && std::strcmp(own, sku) == 0) {
            return item;
        }
    }
    return nullptr;
}

bool KiplinkStoreService::CanUserAfford(User* user, IStoreItem* item) {
    if (item == nullptr) {
        return false;
    }
    const int costType = item->GetCostType();
    if (costType == Kiplink::kPaymentNone || (costType & kCostTypeRealMoney) != 0) {
        return true;
    }
    const int currencies = item->GetCurrencyCount();
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    if (currencies == 0 || libraryUser == nullptr || m_root == nullptr) {
        return false;
    }
    auto banks = Kiplink::RefPtr<Kiplink::IBankProvider>::Adopt(m_root->GetBankProvider());
    auto bank = Kiplink::RefPtr<Kiplink::IBank>::Adopt(banks ? banks->GetBank(libraryUser) : nullptr);
    if (!bank) {
        return false;
    }
    for (int i = 0; i < currencies; ++i) {
        const char* id = item->GetCurrencyId(i);
        if (id != nullptr && bank->GetCurrencyById(id) >= item->GetCost(id)) {
            return true;
        }
    }
    return false;
}

}  // namespace Varnok
