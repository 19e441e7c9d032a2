// Currency definitions from the static data, one bank per user reading the
// user's state under "bank", and the forwarder that passes a bank's events
// on to the provider's listeners.
#pragma once

#include "kiplink/Public/IBank.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"

#include <map>
#include <string>
#include <vector>

namespace Kiplink {

class BankProviderImpl;
class KiplinkProviderImpl;
class LuaVM;

class CurrencyImpl final : public ICurrency {
public:
    void AddCallbacks(ICurrencyCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(ICurrencyCallbacks* listener) override { m_listeners.Remove(listener); }
    const char* GetCurrencyId() const override { return m_currencyId.c_str(); }
    const char* GetName() const override { return m_name.c_str(); }
    const char* GetDescription() const override { return m_description.c_str(); }
    bool IsEarnable() const override { return m_earnable; }
    int32_t GetInitialGiftAmount() const override { return m_initialGiftAmount; }

    // Members absent or of another type leave their field as it was.
    void Fill(const IValue& record, bool itemLayout);

private:
    ListenerSet<ICurrencyCallbacks> m_listeners;
    std::string m_currencyId;
    std::string m_name;
    std::string m_description;
    bool m_earnable = false;
    int32_t m_initialGiftAmount = 0;
};

class BankImpl final : public IBank {
public:
    // user: one of the root's users.
    BankImpl(KiplinkProviderImpl* root, IUser* user);
    void AddCallbacks(IBankCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IBankCallbacks* listener) override { m_listeners.Remove(listener); }
    IUser* GetUser() override;
    int32_t GetCurrencyById(const char* currencyId) const override;
    int32_t GetCurrency(const ICurrency* currency) const override;
    int32_t ModifyCurrencyById(const char* currencyId, int32_t amount) override;
    int32_t ModifyCurrency(const ICurrency* currency, int32_t amount) override;

    // The scripts' own table for this bank; null without a Lua state.
    LuaObjectRef* GetDataTable() const { return m_dataTable.Get(); }

private:
    KiplinkProviderImpl* m_root;  // not referenced
    RefPtr<IUser> m_user;
    RefPtr<LuaVM> m_lua;  // kept alive until the table below is released
    RefPtr<LuaObjectRef> m_dataTable;
    ListenerSet<IBankCallbacks> m_listeners;
};

// Passes bank events on to its provider while the provider lives: a bank a
// caller still holds may report after the provider is gone.
class BankForwarder final : public IBankCallbacks {
public:
    explicit BankForwarder(BankProviderImpl* provider) : m_provider(provider) {}
    void OnBankUpdated(IBank* bank) override;
    void Detach() { m_provider = nullptr; }

private:
    BankProviderImpl* m_provider;  // not referenced; null once it is gone
};

class BankProviderImpl final : public IBankProvider {
public:
    explicit BankProviderImpl(KiplinkProviderImpl* root) : m_root(root) {}
    ~BankProviderImpl() override;
    void AddCallbacks(IBankProviderCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IBankProviderCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override {}
    IBank* GetBank(IUser* user) override;
    int32_t GetCurrencyCount() const override { return static_cast<int32_t>(m_ordered.size()); }
    ICurrency* GetCurrency(int32_t index) const override;
    ICurrency* GetCurrencyById(const char* currencyId) const override;

    // The static data's currency records; listeners hear of every load.
    void LoadCurrencies(const IValue& records, bool itemLayout);
    void ForwardBank(IBank* bank);

private:
    KiplinkProviderImpl* m_root;
    ListenerSet<IBankProviderCallbacks> m_listeners;
    std::map<std::string, RefPtr<CurrencyImpl>> m_byId;
    std::vector<RefPtr<CurrencyImpl>> m_ordered;
    std::map<IUser*, RefPtr<BankImpl>> m_banks;  // each bank holds its user
    RefPtr<BankForwarder> m_forwarder;
};

}  // namespace Kiplink
