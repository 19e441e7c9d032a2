#include "kiplink/Source/BankProviderImpl.h"

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/Transaction.h"
#include "kiplink/Source/UserImpl.h"
#include "kiplink/Source/ValuePath.h"

namespace Kiplink {

// ---- Currencies ----

void CurrencyImpl::Fill(const IValue& record, bool itemLayout) {
    if (const char* id = FindString(record, itemLayout ? "referenceId" : "currencyId")) {
        m_currencyId = id;
    }
    if (const char* name = FindString(record, itemLayout ? "currencyName" : "name")) {
        m_name = name;
    }
    if (!itemLayout) {
        if (const char* description = FindString(record, "description")) {
            m_description = description;
        }
    }
    const IValue* earnable = FindMember(record, itemLayout ? "currencyEarnable" : "earnable");
    if (earnable != nullptr && earnable->IsBool()) {
        m_earnable = earnable->AsBool(false);
    } else if (itemLayout && earnable != nullptr && earnable->IsNumber()) {
        m_earnable = earnable->AsFloat(0.0f) != 0.0f;
    }
    const IValue* gift = FindMember(record, itemLayout ? "currencyInitialGiftAmount" : "initialGiftAmount");
    if (gift != nullptr && gift->IsNumber()) {
        m_initialGiftAmount = gift->AsInt(0);
    }
}

// ---- Banks ----

BankImpl::BankImpl(KiplinkProviderImpl* root, IUser* user)
    : m_root(root), m_user(user), m_lua(root->GetLuaVM()) {
    if (m_lua) {
        m_lua->NewTable();
        m_dataTable = new LuaRegistryRef(m_lua.Get(), -1);
        m_lua->Pop(1);
    }
}

IUser* BankImpl::GetUser() {
    m_user->Reference();
    return m_user.Get();
}

int32_t BankImpl::GetCurrencyById(const char* currencyId) const {
    if (currencyId == nullptr || currencyId[0] == '\0') {
        return 0;
    }
    const auto& state = static_cast<const UserImpl&>(*m_user).GetState();
    const IValue* bank = FindMember(state, "bank");
    const IValue* entry = bank != nullptr ? FindPath(*bank, SplitDottedKey(currencyId)) : nullptr;
    const IValue* qty = entry != nullptr ? FindMember(*entry, "qty") : nullptr;
    return qty != nullptr ? qty->AsInt(0) : 0;
}

int32_t BankImpl::GetCurrency(const ICurrency* currency) const {
    return currency != nullptr ? GetCurrencyById(currency->GetCurrencyId()) : 0;
}

int32_t BankImpl::ModifyCurrencyById(const char* currencyId, int32_t amount) {
    auto& user = static_cast<UserImpl&>(*m_user);  // users come only from the root
    user.Record(new Transaction_BankAdd(m_root, currencyId != nullptr ? currencyId : "", amount));
    RefPtr<BankImpl> self(this);  // a listener may drop the last other reference
    m_listeners.Notify(&IBankCallbacks::OnBankUpdated, static_cast<IBank*>(this));
    return GetCurrencyById(currencyId);
}

int32_t BankImpl::ModifyCurrency(const ICurrency* currency, int32_t amount) {
    return currency != nullptr ? ModifyCurrencyById(currency->GetCurrencyId(), amount) : 0;
}

void BankForwarder::OnBankUpdated(IBank* bank) {
    if (m_provider != nullptr) {
        m_provider->ForwardBank(bank);
    }
}

// ---- Provider ----

BankProviderImpl::~BankProviderImpl() {
    if (m_forwarder) {
        m_forwarder->Detach();  // banks a caller still holds keep it
    }
}

void BankProviderImpl::ForwardBank(IBank* bank) { m_listeners.Notify(&IBankProviderCallbacks::OnBankUpdated, bank); }

IBank* BankProviderImpl::GetBank(IUser* user) {
    if (user == nullptr) {
        return nullptr;
    }
    RefPtr<BankImpl>& bank = m_banks[user];
    if (!bank) {
        if (!m_forwarder) {
            m_forwarder = new BankForwarder(this);
        }
        bank = new BankImpl(m_root, user);
        bank->AddCallbacks(m_forwarder.Get());
    }
    bank->Reference();
    return bank.Get();
}

ICurrency* BankProviderImpl::GetCurrency(int32_t index) const {
    if (index < 0 || index >= GetCurrencyCount()) {
        return nullptr;
    }
    m_ordered[index]->Reference();
    return m_ordered[index].Get();
}

ICurrency* BankProviderImpl::GetCurrencyById(const char* currencyId) const {
    auto found = currencyId != nullptr ? m_byId.find(currencyId) : m_byId.end();
    if (found == m_byId.end()) {
        return nullptr;
    }
    found->second->Reference();
    return found->second.Get();
}

void BankProviderImpl::LoadCurrencies(const IValue& records, bool itemLayout) {
    const char* key = itemLayout ? "referenceId" : "currencyId";
    for (uint32_t i = 0; records.IsArray() && i < records.GetMemberCount(); ++i) {
        const IValue& record = *records.GetMemberAt(i);
        const char* id = FindString(record, key);
        if (id == nullptr) {
            continue;
        }
        RefPtr<CurrencyImpl>& held = m_byId[id];
        if (!held) {
            held = new CurrencyImpl();
            m_ordered.push_back(held);
        }
        held->Fill(record, itemLayout);
    }
    m_listeners.Notify(&IBankProviderCallbacks::OnCurrenciesUpdated, static_cast<IBankProvider*>(this));
}

}  // namespace Kiplink
