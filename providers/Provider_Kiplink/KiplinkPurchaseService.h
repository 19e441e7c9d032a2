// The online service's purchase service: pays for store items in virtual
// currency from the user's library bank. Real money is an outside store's
// business; a method of the single currency "real" is not taken here.
#pragma once

#include "engine/services/IPurchaseService.h"
#include "kiplink/Public/IBank.h"
#include "kiplink/Public/RefCounted.h"
#include "providers/Provider_Kiplink/KiplinkStoreTypes.h"

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class KiplinkPurchaseService final : public IPurchaseService {
public:
    static constexpr const char* kPaymentProviderId = "Kiplink";

    explicit KiplinkPurchaseService(Kiplink::IKiplinkProvider* root);
    ~KiplinkPurchaseService() override;

    // The first of the aggregate's services, enabled or not, that pays in
    // that currency; only this provider's services pay in currencies.
    static KiplinkPurchaseService* FindServiceForCurrency(IPurchaseServiceAggregate* purchases,
                                                          const char* currencyId);

    bool Initialise() override { return true; }
    const AsciiString& GetProviderName() const override;
    // The catalogue knows the item of that id.
    bool SupportsProduct(const char* productId) override;
    bool SupportsPaymentMethod(const IPaymentMethod* method) override;
    const char* GetName() override { return kPaymentProviderId; }
    // Answers at once: the online service has nothing to look up.
    void QueryProduct(IStoreItem* item, const char* productId, ProductDelegate onDone) override;
    void Purchase(IStorePurchase* purchase) override;

    // The bank knows the currency.
    bool SupportsCurrency(const char* currencyId) const;

private:
    // The text of the first check the price fails, or null.
    const char* CheckPrice(IStorePurchase& purchase, Kiplink::IBank& bank) const;

    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Kiplink::RefPtr<Kiplink::IBankProvider> m_banks;
};

}  // namespace Varnok
