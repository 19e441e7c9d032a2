// Paying for store items from the user's library bank.
#include "providers/Provider_Kiplink/KiplinkPurchaseService.h"

#include "engine/services/User.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/IStore.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

#include <cstring>

namespace Varnok {

namespace {

constexpr const char* kRealMoney = "real";
constexpr const char* kInvalidUser = "invalid user";
constexpr const char* kNoVirtualCost = "cannot buy item. No virtual currency cost";
constexpr const char* kInsufficientBalance = "insufficient balance";

}  // namespace

KiplinkPurchaseService::KiplinkPurchaseService(Kiplink::IKiplinkProvider* root)
    : m_root(root),
      m_banks(Kiplink::RefPtr<Kiplink::IBankProvider>::Adopt(root != nullptr ? root->GetBankProvider() : nullptr)) {}

KiplinkPurchaseService::~KiplinkPurchaseService() = default;

const AsciiString& KiplinkPurchaseService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

KiplinkPurchaseService* KiplinkPurchaseService::FindServiceForCurrency(IPurchaseServiceAggregate* purchases,
                                                                       const char* currencyId) {
    if (purchases == nullptr) {
        return nullptr;
    }
    for (IPurchaseService* service : purchases->GetServices()) {
        auto* own = dynamic_cast<KiplinkPurchaseService*>(service);
        if (own != nullptr && own->SupportsCurrency(currencyId)) {
            return own;
        }
    }
    return nullptr;
}

bool KiplinkPurchaseService::SupportsCurrency(const char* currencyId) const {
    if (currencyId == nullptr || currencyId[0] == '\0' || !m_banks) {
        return false;
    }
    return Kiplink::RefPtr<Kiplink::ICurrency>::Adopt(m_banks->GetCurrencyById(currencyId)).Get() != nullptr;
}

bool KiplinkPurchaseService::SupportsProduct(const char* productId) {
    if (productId == nullptr || productId[0] == '\0' || m_root == nullptr) {
        return false;
    }
    auto store = Kiplink::RefPtr<Kiplink::IStoreProvider>::Adopt(m_root->GetStoreProvider());
    return store && Kiplink::RefPtr<Kiplink::IStoreItem>::Adopt(store->GetItem(productId)).Get() != nullptr;
}

bool KiplinkPurchaseService::SupportsPaymentMethod(const IPaymentMethod* method) {
    if (method == nullptr) {
        return false;
    }
    const int count = method->GetCurrencyCount();
    if (count == 1 && method->GetCurrencyId(0) != nullptr && std::strcmp(method->GetCurrencyId(0), kRealMoney) == 0) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!SupportsCurrency(method->GetCurrencyId(i))) {
            return false;
        }
    }
    return true;
}

void KiplinkPurchaseService::QueryProduct(IStoreItem* item, const char* productId, ProductDelegate onDone) {
    onDone(item, productId, 0);
}

const char* KiplinkPurchaseService::CheckPrice(IStorePurchase& purchase, Kiplink::IBank& bank) const {
    if (const IPaymentMethod* method = purchase.GetPaymentMethod()) {
        for (int i = 0; i < method->GetCurrencyCount(); ++i) {
            const char* currency = method->GetCurrencyId(i);
            int cost = -1;
            if (!method->GetCost(currency, &cost) || cost < 0) {
                return kNoVirtualCost;
            }
            if (bank.GetCurrencyById(currency) < cost) {
                return kInsufficientBalance;
            }
        }
        return nullptr;
    }
    const char* currency = purchase.GetCurrencyId();
    const int cost = purchase.GetItem() != nullptr ? purchase.GetItem()->GetCost(currency) : -1;
    if (cost < 0) {
        return kNoVirtualCost;
    }
    return bank.GetCurrencyById(currency) < cost ? kInsufficientBalance : nullptr;
}

void KiplinkPurchaseService::Purchase(IStorePurchase* purchase) {
    if (purchase == nullptr) {
        return;
    }
    purchase->SetPaymentMethod(STOREPAYMENTMETHOD::VirtualCurrency);
    purchase->SetState(STOREPURCHASE::Initiated);
    User* user = purchase->GetUser();
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    auto bank = Kiplink::RefPtr<Kiplink::IBank>::Adopt(libraryUser != nullptr && m_banks ? m_banks->GetBank(libraryUser)
                                                                                        : nullptr);
    const char* error = !bank ? kInvalidUser : CheckPrice(*purchase, *bank);
    if (error != nullptr) {
        bank.Reset();
        purchase->SetErrorMessage(error);
        purchase->SetState(STOREPURCHASE::Failed);
        return;
    }
    // Payment and grant are one user transaction: the grant in SetState
    // ends it.
    user->BeginTransaction();
    if (const IPaymentMethod* method = purchase->GetPaymentMethod()) {
        for (int i = 0; i < method->GetCurrencyCount(); ++i) {
            const char* currency = method->GetCurrencyId(i);
            int cost = 0;
            if (method->GetCost(currency, &cost)) {
                bank->ModifyCurrencyById(currency, -cost);
            }
        }
    } else if (purchase->GetCurrencyId() != nullptr) {
        bank->ModifyCurrencyById(purchase->GetCurrencyId(), -purchase->GetItem()->GetCost(purchase->GetCurrencyId()));
    }
    bank.Reset();
    purchase->SetState(STOREPURCHASE::Succeeded);
}

}  // namespace Varnok
