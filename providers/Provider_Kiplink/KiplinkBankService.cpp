// Balances and their changes through the client library's bank provider.
#include "providers/Provider_Kiplink/KiplinkBankService.h"

#include "engine/services/User.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

namespace Varnok {

class KiplinkBankService::Listener final : public Kiplink::IBankProviderCallbacks {
public:
    void OnCurrenciesUpdated(Kiplink::IBankProvider*) override { delegates.CallAll(); }
    void OnBankUpdated(Kiplink::IBank*) override { delegates.CallAll(); }

    KiplinkDelegateList delegates;
};

KiplinkBankService::KiplinkBankService(Kiplink::IKiplinkProvider* root)
    : m_root(root),
      m_banks(Kiplink::RefPtr<Kiplink::IBankProvider>::Adopt(root != nullptr ? root->GetBankProvider() : nullptr)) {}

KiplinkBankService::~KiplinkBankService() {
    if (m_listener && m_banks) {
        m_banks->RemoveCallbacks(m_listener.Get());
    }
}

const AsciiString& KiplinkBankService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

void KiplinkBankService::AddBankUpdateListener(Delegate0<void> listener) {
    if (listener.IsEmpty()) {
        return;
    }
    if (!m_listener) {
        m_listener = new Listener;
    }
    if (m_banks) {
        m_banks->AddCallbacks(m_listener.Get());  // the set keeps one registration
    }
    m_listener->delegates.Add(listener);
}

void KiplinkBankService::RemoveBankUpdateListener(Delegate0<void> listener) {
    if (!listener.IsEmpty() && m_listener) {
        m_listener->delegates.RemoveAll(listener);
    }
}

Kiplink::RefPtr<Kiplink::IBank> KiplinkBankService::BankOf(const User* user) const {
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    if (libraryUser == nullptr || !m_banks) {
        return {};
    }
    return Kiplink::RefPtr<Kiplink::IBank>::Adopt(m_banks->GetBank(libraryUser));
}

int KiplinkBankService::GetCurrencyBalance(User* user, const char* currencyId) {
    Kiplink::RefPtr<Kiplink::IBank> bank = BankOf(user);
    return bank ? bank->GetCurrencyById(currencyId) : 0;
}

int KiplinkBankService::ModifyCurrency(User* user, const char* currencyId, int amount) {
    Kiplink::RefPtr<Kiplink::IBank> bank = BankOf(user);
    if (!bank || currencyId == nullptr) {
        return 0;
    }
    auto currency = Kiplink::RefPtr<Kiplink::ICurrency>::Adopt(m_banks->GetCurrencyById(currencyId));
    if (!currency) {
        return 0;
    }
    // Spending is open to every currency, earning only to earnable ones.
    if (amount == 0 || (amount > 0 && !currency->IsEarnable())) {
        return bank->GetCurrency(currency.Get());
    }
    const bool opened = !user->IsInTransaction();
    if (opened) {
        user->BeginTransaction();
    }
    const int balance = bank->ModifyCurrency(currency.Get(), amount);
    if (opened) {
        user->EndTransaction();
    }
    return balance;
}

int KiplinkBankService::GetCurrencyCount() { return m_banks ? m_banks->GetCurrencyCount() : 0; }

const char* KiplinkBankService::GetCurrencyId(int index) {
    if (!m_banks) {
        return nullptr;
    }
    auto currency = Kiplink::RefPtr<Kiplink::ICurrency>::Adopt(m_banks->GetCurrency(index));
    // The provider keeps its currencies, so the id outlives this reference.
    return currency ? currency->GetCurrencyId() : nullptr;
}

}  // namespace Varnok
