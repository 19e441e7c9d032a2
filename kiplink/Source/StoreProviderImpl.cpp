#include "kiplink/Source/StoreProviderImpl.h"

#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/RecordFields.h"
#include "kiplink/Source/SettingProviderImpl.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace Kiplink {

namespace {

RefPtr<LuaObjectRef> NewDataTable(LuaVM* vm) {
    RefPtr<LuaObjectRef> table;
    if (vm != nullptr) {
        vm->NewTable();
        (void)vm->NewRegistryRef(-1, &table);
        vm->Pop(1);
    }
    return table;
}

// The text of a number or a string key, as a map key.
bool KeyText(const IValue& key, std::string* out) {
    if (!key.IsString() && !key.IsNumber()) {
        return false;
    }
    uint32_t length = 0;
    const char* text = key.AsStringWithLength(&length);
    out->assign(text, length);
    return true;
}

}  // namespace

// ---- prices

const char* StorePrice::GetCurrency(uint32_t index) const {
    return index < m_currencies.size() ? m_currencies[index].c_str() : nullptr;
}

bool StorePrice::GetCost(const char* currency, int32_t* outCost) const {
    if (currency == nullptr) {
        return false;
    }
    auto found = m_costs.find(currency);
    if (found == m_costs.end()) {
        return false;
    }
    *outCost = found->second;
    return true;
}

void StorePrice::AddCost(const std::string& currency, int32_t cost) {
    if (m_costs.count(currency) == 0) {
        m_currencies.push_back(currency);
    }
    m_costs[currency] = cost;
}

// ---- items

StoreItemImpl::StoreItemImpl(StoreProviderImpl* store, LuaVM* vm, std::string referenceId)
    : m_store(store), m_dataTable(NewDataTable(vm)), m_referenceId(std::move(referenceId)),
      m_metaData(CreateValue()) {}

StoreItemImpl::~StoreItemImpl() {
    m_metaData->Release();
    if (m_scriptData != nullptr) {
        m_scriptData->Release();
    }
}

const char* StoreItemImpl::GetTag(uint32_t index) const {
    return index < m_tags.size() ? m_tags[index].c_str() : nullptr;
}

bool StoreItemImpl::HasTag(const char* tag) const {
    if (tag == nullptr) {
        return false;
    }
    for (const std::string& own : m_tags) {
        if (own == tag) {
            return true;
        }
    }
    return false;
}

IStoreItem* StoreItemImpl::GetBundledItem() const {
    if (!IsBundle()) {
        return nullptr;
    }
    // The category wins when both are named.
    if (!m_bundleOfCategory.empty()) {
        return m_store->GetRandomItemWithTag(m_bundleOfCategory.c_str());
    }
    return m_store->GetItem(m_bundleOfItem.c_str());
}

bool StoreItemImpl::GetDisplayCost(const char* providerId, const char*, char* buffer, size_t size) const {
    if (providerId == nullptr || providerId[0] == '\0' || buffer == nullptr) {
        return false;
    }
    RefPtr<PaymentProvider> provider = RefPtr<PaymentProvider>::Adopt(m_store->GetPaymentProvider(providerId));
    if (!provider) {
        return false;
    }
    const char* price = provider->GetDisplayPriceForItem(this);
    const size_t length = std::strlen(price);
    if (length >= size) {
        return false;
    }
    std::memcpy(buffer, price, length + 1);
    return true;
}

const char* StoreItemImpl::GetProductSku(const char* providerId) const {
    if (providerId == nullptr) {
        return nullptr;
    }
    RefPtr<PaymentProvider> provider = RefPtr<PaymentProvider>::Adopt(m_store->GetPaymentProvider(providerId));
    // The provider lives in the store: its text outlives this handle.
    return provider ? provider->GetSkuForItem(this) : nullptr;
}

int32_t StoreItemImpl::GetPaymentMethods() const {
    return (m_virtualPrice ? kPaymentVirtualCurrency : 0) | (m_realMoney ? kPaymentRealMoney : 0);
}

const StorePrice* StoreItemImpl::GetPrice(uint32_t index) const {
    return index < m_prices.size() ? m_prices[index].Get() : nullptr;
}

const char* StoreItemImpl::GetPriceCurrency(uint32_t index) const {
    const StorePrice* price = GetPrice(index);
    return price != nullptr ? price->GetCurrency(0) : nullptr;
}

int32_t StoreItemImpl::GetCost(const char* currency) const {
    if (currency == nullptr) {
        return -1;
    }
    for (const auto& price : m_prices) {
        int32_t cost = 0;
        if (price->GetCost(currency, &cost)) {
            return cost;
        }
    }
    return -1;
}

void StoreItemImpl::Read(const IValue& record, CatalogueFormat format, ScriptRegistry* scripts) {
    m_prices.clear();
    m_paymentOptions = 0;
    m_format = format;
    // A re-read replaces the tags: the first one is the category, and a
    // reload must be able to move the item.
    m_tags.clear();
    if (format == CatalogueFormat::Items) {
        m_quantityInPack = 0;
        m_bundleOfItem.clear();
        m_bundleOfCategory.clear();
        m_bundleWeight = 0;
        ReadItemRecord(record, scripts);
    } else {
        ReadCatalogueRecord(record);
    }
}

void StoreItemImpl::ReadItemRecord(const IValue& record, ScriptRegistry* scripts) {
    (void)FieldText(record, "itemName", &m_name);
    if (const IValue* tags = FindField(record, "itemTags"); tags != nullptr && tags->IsArray()) {
        for (uint32_t i = 0; i < tags->GetMemberCount(); ++i) {
            const IValue& tag = *tags->GetMemberAt(i);
            if (tag.IsString()) {
                m_tags.emplace_back(tag.AsString(""));
            }
        }
    }
    (void)FieldInt(record, "itemDefaultQty", &m_defaultQuantity);
    (void)FieldInt(record, "itemMaxQty", &m_maximumCount);
    if (FieldText(record, "itemScriptId", &m_scriptId) && scripts != nullptr && m_dataTable) {
        RefPtr<LuaObjectRef> script = scripts->GetScriptTable(m_scriptId);
        if (script) {
            m_dataTable->SetFieldRef("__data", *script);
        }
    }
    if (const IValue* data = FindField(record, "itemScriptData"); data != nullptr && data->IsObject()) {
        if (m_scriptData == nullptr) {
            m_scriptData = CreateValue();
        }
        m_scriptData->SetAsValue(*data);
    }
    if (const IValue* meta = FindField(record, "itemMetaData"); meta != nullptr && meta->IsObject()) {
        m_metaData->SetAsValue(*meta);
    }
    (void)FieldBool(record, "itemPurchasedWithVirtualCurrency", &m_virtualCurrency);
    (void)FieldBool(record, "isBundle", &m_bundle);
    const IValue* pricing = FindField(record, "itemPricing");
    for (uint32_t i = 0; pricing != nullptr && i < pricing->GetMemberCount() && pricing->IsArray(); ++i) {
        const IValue& option = *pricing->GetMemberAt(i);
        for (uint32_t m = 0; m < option.GetMemberCount() && option.IsObject(); ++m) {
            const IValue& member = *option.GetMemberAt(m);
            if (member.IsString() && std::strcmp(member.AsString(""), "real") == 0) {
                m_realMoney = true;
                RefPtr<StorePrice> price(new StorePrice);
                price->AddCost("real", 0);
                m_prices.push_back(price);
            } else if (member.IsArray()) {
                for (uint32_t e = 0; e < member.GetMemberCount(); ++e) {
                    const IValue& entry = *member.GetMemberAt(e);
                    int32_t amount = 0;
                    std::string currency;
                    if (FieldInt(entry, "amount", &amount) && FieldText(entry, "currency", &currency)) {
                        RefPtr<StorePrice> price(new StorePrice);
                        price->AddCost(currency, amount);
                        m_prices.push_back(price);
                        m_virtualPrice = true;
                        ++m_paymentOptions;
                    }
                }
            }
        }
    }
}

void StoreItemImpl::ReadCatalogueRecord(const IValue& record) {
    std::string category;
    if (FieldText(record, "categoryId", &category)) {
        m_tags.push_back(category);
    }
    (void)FieldText(record, "name", &m_name);
    (void)FieldText(record, "description", &m_description);
    std::string method;
    if (FieldText(record, "paymentMethod", &method)) {
        m_realMoney = method == "realMoneyOnly" || method == "coinsOrRealMoneyOnly";
        m_virtualPrice = method == "coinsOnly" || method == "coinsOrRealMoneyOnly";
        m_paymentOptions = method == "coinsOrRealMoneyOnly" ? 2 : (m_realMoney || m_virtualPrice) ? 1 : 0;
    }
    std::string parameters;
    if (FieldText(record, "customParameters", &parameters)) {
        m_metaData->SetAsString(parameters.c_str());
    }
    (void)FieldInt(record, "qtyInPack", &m_quantityInPack);
    (void)FieldInt(record, "maximumCount", &m_maximumCount);
    (void)FieldInt(record, "minimumCount", &m_defaultQuantity);
    std::string currency;
    int32_t cost = 0;
    if (FieldText(record, "isBoughtWithCurrencyId", &currency) && FieldInt(record, "cost", &cost)) {
        RefPtr<StorePrice> price(new StorePrice);
        price->AddCost(currency, cost);
        m_prices.push_back(price);
    }
    (void)FieldText(record, "bundleOfCatalogueId", &m_bundleOfItem);
    (void)FieldText(record, "bundleOfCategoryId", &m_bundleOfCategory);
    (void)FieldInt(record, "bundleCategoryWeight", &m_bundleWeight);
}

// ---- item groups

ItemGroupImpl::ItemGroupImpl(LuaVM* vm, std::string referenceId)
    : m_dataTable(NewDataTable(vm)), m_referenceId(std::move(referenceId)) {}

const char* ItemGroupImpl::GetItem(uint32_t index) const {
    return index < m_items.size() ? m_items[index].c_str() : nullptr;
}

void ItemGroupImpl::Read(const IValue& record) {
    (void)FieldText(record, "name", &m_name);
    const IValue* items = FindField(record, "items");
    for (uint32_t i = 0; items != nullptr && items->IsArray() && i < items->GetMemberCount(); ++i) {
        std::string id;
        if (FieldText(*items->GetMemberAt(i), "referenceId", &id)) {
            m_items.push_back(id);
        }
    }
}

// ---- categories

IStoreItem* StoreCategory::GetItem(uint32_t index) const {
    if (index >= m_items.size()) {
        return nullptr;
    }
    m_items[index]->Reference();
    return m_items[index].Get();
}

IStoreItem* StoreCategory::GetItemById(const char* id) const {
    if (id == nullptr) {
        return nullptr;
    }
    for (const auto& item : m_items) {
        if (std::strcmp(item->GetReferenceId(), id) == 0) {
            item->Reference();
            return item.Get();
        }
    }
    return nullptr;
}

void StoreCategory::Read(const IValue& record) {
    (void)FieldText(record, "name", &m_name);
    (void)FieldText(record, "description", &m_description);
    (void)FieldInt(record, "position", &m_position);
}

void StoreCategory::Join(IStoreItem* item) {
    for (auto& held : m_items) {
        if (std::strcmp(held->GetReferenceId(), item->GetReferenceId()) == 0) {
            held = item;
            return;
        }
    }
    m_items.emplace_back(item);
}

void StoreCategory::Leave(const std::string& itemId) {
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if (itemId == (*it)->GetReferenceId()) {
            m_items.erase(it);
            return;
        }
    }
}

// ---- payment providers

const PaymentProvider::Entry* PaymentProvider::Find(const char* key) const {
    if (key == nullptr) {
        return nullptr;
    }
    auto found = m_entries.find(key);
    return found != m_entries.end() ? &found->second : nullptr;
}

const char* PaymentProvider::GetDisplayPrice(const char* key) const {
    const Entry* entry = Find(key);
    return entry != nullptr ? entry->displayPrice.c_str() : "";
}

const char* PaymentProvider::GetDisplayPriceForItem(const IStoreItem* item) const {
    return item != nullptr ? GetDisplayPrice(item->GetReferenceId()) : "";
}

const char* PaymentProvider::GetSku(const char* key) const {
    const Entry* entry = Find(key);
    return entry != nullptr ? entry->sku.c_str() : "";
}

const char* PaymentProvider::GetSkuForItem(const IStoreItem* item) const {
    return item != nullptr ? GetSku(item->GetReferenceId()) : "";
}

int32_t PaymentProvider::GetPriceCents(const char* key) const {
    const Entry* entry = Find(key);
    return entry != nullptr ? entry->cents : 0;
}

void PaymentProvider::Read(const IValue& record, CatalogueFormat format) {
    if (const IValue* skus = FindField(record, "skusLookup"); skus != nullptr && skus->IsObject()) {
        for (uint32_t i = 0; i < skus->GetMemberCount(); ++i) {
            std::string key;
            const IValue& value = *skus->GetMemberAt(i);
            if (KeyText(*const_cast<IValue*>(skus)->GetMemberName(i), &key) && !value.IsNull()) {
                m_entries[key].sku = value.AsString("");
            }
        }
    }
    if (const IValue* prices = FindField(record, "prices"); prices != nullptr && prices->IsObject()) {
        for (uint32_t i = 0; i < prices->GetMemberCount(); ++i) {
            std::string key;
            const IValue& value = *prices->GetMemberAt(i);
            if (!KeyText(*const_cast<IValue*>(prices)->GetMemberName(i), &key) || value.IsNull()) {
                continue;
            }
            Entry& entry = m_entries[key];
            if (format == CatalogueFormat::Catalogue) {
                entry.displayPrice = value.AsString("");
            } else if (value.IsNumber()) {
                entry.cents = value.AsInt(0);
                char text[32];
                std::snprintf(text, sizeof text, "%.02f", static_cast<double>(static_cast<float>(entry.cents) / 100.0f));
                entry.displayPrice = text;
            }
        }
    }
}

// ---- the store

StoreProviderImpl::StoreProviderImpl(LuaVM* vm, ScriptRegistry* scripts) : m_vm(vm), m_scripts(scripts) {}

StoreProviderImpl::~StoreProviderImpl() = default;

IStoreItem* StoreProviderImpl::GetItemByIndex(uint32_t index) const {
    if (index >= m_itemOrder.size()) {
        return nullptr;
    }
    m_itemOrder[index]->Reference();
    return m_itemOrder[index];
}

IItemGroup* StoreProviderImpl::GetItemGroup(const char* referenceId) const {
    if (referenceId == nullptr) {
        return nullptr;
    }
    auto found = m_groups.find(referenceId);
    if (found == m_groups.end()) {
        return nullptr;
    }
    found->second->Reference();
    return found->second.Get();
}

IStoreItem* StoreProviderImpl::GetItem(const char* id) const {
    if (id == nullptr) {
        return nullptr;
    }
    auto found = m_items.find(id);
    if (found != m_items.end()) {
        found->second->Reference();
        return found->second.Get();
    }
    for (const auto& entry : m_items) {
        const IValue* meta = entry.second->GetMetaData();
        if (!meta->IsString()) {
            break;
        }
        if (strcasecmp(meta->AsString(""), id) == 0) {
            entry.second->Reference();
            return entry.second.Get();
        }
    }
    return nullptr;
}

IStoreItem* StoreProviderImpl::GetRandomItemWithTag(const char* tag) const {
    std::vector<StoreItemImpl*> tagged;
    int64_t total = 0;
    for (const auto& entry : m_items) {
        if (entry.second->HasTag(tag)) {
            tagged.push_back(entry.second.Get());
            // A negative weight counts as none: it would make the draw miss
            // every item.
            total += entry.second->GetBundleWeight() > 0 ? entry.second->GetBundleWeight() : 0;
        }
    }
    if (tagged.empty()) {
        return nullptr;
    }
    const bool even = total == 0;
    if (even) {
        total = static_cast<int64_t>(tagged.size());
    }
    const int64_t draw = std::rand() % total;
    int64_t sum = 0;
    for (StoreItemImpl* item : tagged) {
        const int32_t weight = item->GetBundleWeight();
        sum += even ? 1 : (weight > 0 ? weight : 0);
        if (draw < sum) {
            item->Reference();
            return item;
        }
    }
    return nullptr;
}

StoreCategory* StoreProviderImpl::GetCategory(const char* categoryId) const {
    if (categoryId == nullptr) {
        return nullptr;
    }
    auto found = m_categories.find(categoryId);
    if (found == m_categories.end()) {
        return nullptr;
    }
    found->second->Reference();
    return found->second.Get();
}

const char* StoreProviderImpl::GetItemGroupIdByIndex(uint32_t index) const {
    return index < m_groupOrder.size() ? m_groupOrder[index].c_str() : nullptr;
}

PaymentProvider* StoreProviderImpl::GetPaymentProvider(const char* providerId) const {
    if (providerId == nullptr) {
        return nullptr;
    }
    auto found = m_paymentProviders.find(providerId);
    if (found == m_paymentProviders.end()) {
        return nullptr;
    }
    found->second->Reference();
    return found->second.Get();
}

void StoreProviderImpl::LoadItems(const IValue& items, const IValue& paymentProviders, const IValue& itemGroups) {
    ReadItems(items, CatalogueFormat::Items);
    ReadPaymentProviders(paymentProviders, CatalogueFormat::Items);
    ReadItemGroups(itemGroups);
    m_listeners.Notify(&IStoreProviderCallbacks::OnStoreUpdated, static_cast<IStoreProvider*>(this));
}

void StoreProviderImpl::LoadCatalogue(const IValue& catalogue, const IValue& categories,
                                      const IValue& paymentProviders) {
    ReadCategories(categories);
    ReadItems(catalogue, CatalogueFormat::Catalogue);
    ReadPaymentProviders(paymentProviders, CatalogueFormat::Catalogue);
    m_listeners.Notify(&IStoreProviderCallbacks::OnStoreUpdated, static_cast<IStoreProvider*>(this));
}

void StoreProviderImpl::ReadItems(const IValue& items, CatalogueFormat format) {
    const char* keyName = format == CatalogueFormat::Items ? "referenceId" : "catalogueId";
    for (uint32_t i = 0; items.IsArray() && i < items.GetMemberCount(); ++i) {
        const IValue* record = items.GetMemberAt(i);
        if (format == CatalogueFormat::Catalogue) {
            record = FindField(*record, "value");
        }
        std::string id;
        if (record == nullptr || !record->IsObject() || !FieldText(*record, keyName, &id)) {
            continue;
        }
        auto found = m_items.find(id);
        StoreItemImpl* item = nullptr;
        if (found == m_items.end()) {
            RefPtr<StoreItemImpl> fresh(new StoreItemImpl(this, m_vm, id));
            m_items[id] = fresh;
            m_itemOrder.push_back(fresh.Get());
            item = fresh.Get();
        } else {
            item = found->second.Get();
        }
        item->Read(*record, format, m_scripts);
        PlaceInCategory(item);
    }
}

void StoreProviderImpl::PlaceInCategory(StoreItemImpl* item) {
    const std::string first = item->GetTagCount() > 0 ? item->GetTag(0) : "";
    if (first == item->GetCategoryId() && !first.empty()) {
        return;
    }
    if (!item->GetCategoryId().empty()) {
        auto old = m_categories.find(item->GetCategoryId());
        if (old != m_categories.end()) {
            old->second->Leave(item->GetReferenceId());
        }
    }
    item->SetCategoryId("");
    auto joined = first.empty() ? m_categories.end() : m_categories.find(first);
    if (joined != m_categories.end()) {
        joined->second->Join(item);
        item->SetCategoryId(first);
    }
}

void StoreProviderImpl::ReadPaymentProviders(const IValue& providers, CatalogueFormat format) {
    for (uint32_t i = 0; providers.IsArray() && i < providers.GetMemberCount(); ++i) {
        const IValue& record = *providers.GetMemberAt(i);
        std::string id;
        if (!FieldText(record, "paymentProviderId", &id)) {
            continue;
        }
        RefPtr<PaymentProvider>& provider = m_paymentProviders[id];
        if (!provider) {
            provider = new PaymentProvider;
        }
        provider->Read(record, format);
    }
}

void StoreProviderImpl::ReadItemGroups(const IValue& groups) {
    m_groups.clear();
    m_groupOrder.clear();
    for (uint32_t i = 0; groups.IsArray() && i < groups.GetMemberCount(); ++i) {
        const IValue& record = *groups.GetMemberAt(i);
        std::string id;
        if (!FieldText(record, "referenceId", &id) || m_groups.count(id) != 0) {
            continue;
        }
        RefPtr<ItemGroupImpl> group(new ItemGroupImpl(m_vm, id));
        group->Read(record);
        m_groups[id] = group;
        m_groupOrder.push_back(id);
    }
}

void StoreProviderImpl::ReadCategories(const IValue& categories) {
    for (uint32_t i = 0; categories.IsArray() && i < categories.GetMemberCount(); ++i) {
        const IValue& record = *categories.GetMemberAt(i);
        std::string id;
        if (!FieldText(record, "categoryId", &id)) {
            continue;
        }
        RefPtr<StoreCategory>& category = m_categories[id];
        if (!category) {
            category = new StoreCategory(id);
        }
        category->Read(record);
    }
}

}  // namespace Kiplink
