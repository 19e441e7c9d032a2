// One purchase of a store item: its state, the grant of the item when it
// succeeds (the library's "iap" record and the items, in the same user
// transaction as the payment) and the result delegate.
#pragma once

#include "providers/Provider_Kiplink/KiplinkStoreTypes.h"

#include <string>

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class ServiceManager;

struct KiplinkStorePurchaseDef {
    Kiplink::IKiplinkProvider* root = nullptr;  // not referenced
    ServiceManager* manager = nullptr;          // finds the inventory service; may be null
    User* user = nullptr;
    IStoreItem* item = nullptr;
    std::string currencyId;                     // empty when paid with a method
    IPaymentMethod* method = nullptr;           // null when paid with a currency
    StorePurchaseDelegate onDone;
};

class KiplinkStorePurchase final : public IStorePurchase {
public:
    explicit KiplinkStorePurchase(KiplinkStorePurchaseDef def) : m_def(std::move(def)) {}

    IStoreItem* GetItem() const override { return m_def.item; }
    User* GetUser() const override { return m_def.user; }
    const char* GetCurrencyId() const override { return m_def.currencyId.c_str(); }
    IPaymentMethod* GetPaymentMethod() const override { return m_def.method; }
    const char* GetErrorMessage() const override { return m_error.c_str(); }
    bool IsComplete() const override;
    // Raises "iap_progress" for real-money purchases; success grants the
    // item; success and failure call the delegate once.
    void SetState(STOREPURCHASE state) override;
    STOREPURCHASE GetState() const override { return m_state; }
    void SetErrorMessage(const char* message) override { m_error = message != nullptr ? message : ""; }
    void SetPaymentMethod(STOREPAYMENTMETHOD method) override { m_paymentKind = method; }
    void SetTransactionInfo(const char* object, const char* identifier, const char* receipt) override;
    void SetTimeoutRemaining(int seconds) override { m_timeoutRemaining = seconds; }
    int GetTimeoutRemaining() const override { return m_timeoutRemaining; }
    // A bundle draws once here and grants its whole count of that item.
    void GrantWithoutNotice() override;

private:
    void FireProgress() const;
    // Records the purchase and adds the items; ends the user's transaction.
    void Grant(bool drawEachUnit);

    KiplinkStorePurchaseDef m_def;
    STOREPAYMENTMETHOD m_paymentKind = STOREPAYMENTMETHOD::NotSet;
    STOREPURCHASE m_state = STOREPURCHASE::NotStarted;
    std::string m_transactionObject;
    std::string m_transactionIdentifier;
    std::string m_transactionReceipt;
    std::string m_error;
    int m_timeoutRemaining = 0;
};

}  // namespace Varnok
