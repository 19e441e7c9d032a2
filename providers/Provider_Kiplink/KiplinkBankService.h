// The online service's virtual currencies behind the engine's bank service:
// balances live in the library user's transactional state, so every change
// is a library transaction that the next sync carries to the server.
#pragma once

#include "engine/services/IBankService.h"
#include "kiplink/Public/IBank.h"
#include "kiplink/Public/RefCounted.h"
#include "providers/Provider_Kiplink/KiplinkDelegateList.h"

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class KiplinkBankService final : public IBankService {
public:
    // The root must exist: the bank provider is taken here.
    explicit KiplinkBankService(Kiplink::IKiplinkProvider* root);
    ~KiplinkBankService() override;

    bool Initialise() override { return true; }
    const AsciiString& GetProviderName() const override;
    // Every copy runs on each currency or bank change, whoever's bank it is.
    void AddBankUpdateListener(Delegate0<void> listener) override;
    void RemoveBankUpdateListener(Delegate0<void> listener) override;
    int GetCurrencyBalance(User* user, const char* currencyId) override;
    int ModifyCurrency(User* user, const char* currencyId, int amount) override;
    int GetCurrencyCount() override;
    const char* GetCurrencyId(int index) override;

private:
    class Listener;

    Kiplink::RefPtr<Kiplink::IBank> BankOf(const User* user) const;

    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Kiplink::RefPtr<Kiplink::IBankProvider> m_banks;
    Kiplink::RefPtr<Listener> m_listener;  // made by the first listener added
};

}  // namespace Varnok
