// The root's store, settings and scripts: made with the Lua state (whose
// exports they are reached through), fed by every complete static-data set,
// released before the Lua state goes.
#include "kiplink/Source/KiplinkProviderImpl.h"

#include "kiplink/Source/BankProviderImpl.h"
#include "kiplink/Source/InventoryProviderImpl.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/SettingProviderImpl.h"
#include "kiplink/Source/StaticDataManager.h"
#include "kiplink/Source/StoreProviderImpl.h"

namespace Kiplink {

namespace {

const IValue& DataOf(const StaticDataManager& data, int type) {
    const SignedDataFile* file = data.GetFile(type);
    static const IValue* const s_null = CreateValue();  // lives for the process
    return file != nullptr ? file->GetData() : *s_null;
}

}  // namespace

void KiplinkProviderImpl::CreateStoreProviders() {
    m_scripts = std::make_unique<ScriptRegistry>(m_lua.Get());
    m_store = new StoreProviderImpl(m_lua.Get(), m_scripts.get());
    m_settings = new SettingProviderImpl();
    m_bank = new BankProviderImpl(this);
    m_inventory = new InventoryProviderImpl(this);
    m_purchases = new PurchaseProviderImpl(this);
    RegisterLuaExports(this, *m_lua);
}

void KiplinkProviderImpl::ReleaseStoreProviders() {
    m_purchases.Reset();
    m_inventory.Reset();
    m_bank.Reset();
    m_store.Reset();
    m_settings.Reset();
    m_scripts.reset();
}

IStoreProvider* KiplinkProviderImpl::GetStoreProvider() {
    if (!m_store) {
        return nullptr;
    }
    m_store->Reference();
    return m_store.Get();
}

IBankProvider* KiplinkProviderImpl::GetBankProvider() {
    if (m_bank) {
        m_bank->Reference();
    }
    return m_bank.Get();
}

IInventoryProvider* KiplinkProviderImpl::GetInventoryProvider() {
    if (m_inventory) {
        m_inventory->Reference();
    }
    return m_inventory.Get();
}

IPurchaseProvider* KiplinkProviderImpl::GetPurchaseProvider() {
    if (m_purchases) {
        m_purchases->Reference();
    }
    return m_purchases.Get();
}

ISettingProvider* KiplinkProviderImpl::GetSettingProvider() {
    if (!m_settings) {
        return nullptr;
    }
    m_settings->Reference();
    return m_settings.Get();
}

void KiplinkProviderImpl::ApplyStoreStaticData(const StaticDataManager& data, bool itemLayout) {
    if (!m_store) {
        return;
    }
    m_bank->LoadCurrencies(DataOf(data, kStaticCurrencies), itemLayout);
    if (itemLayout) {
        // Scripts first, so that an item's first read finds its script's
        // functions already in place.
        m_scripts->LoadScripts(DataOf(data, kStaticScripts));
        m_store->LoadItems(DataOf(data, kStaticItems), DataOf(data, kStaticPaymentProviders),
                           DataOf(data, kStaticItemGroups));
        m_settings->LoadSettings(DataOf(data, kStaticSettings));
        return;
    }
    m_store->LoadCatalogue(DataOf(data, kStaticCatalogue), DataOf(data, kStaticCategories),
                           DataOf(data, kStaticPaymentProviders));
    const IValue& settings = DataOf(data, kStaticSettings);
    if (!settings.IsNull()) {
        m_settings->LoadSettings(settings);
    }
}

}  // namespace Kiplink
