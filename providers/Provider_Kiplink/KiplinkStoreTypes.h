// The store's data objects as the online provider defines them: items, item
// groups, ways of paying and purchases in progress. The engine's service
// interfaces only name them; the objects belong to the store service.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/services/ServiceTypes.h"

#include <cstdint>
#include <string>

namespace Varnok {

class IPurchaseService;

enum class STOREPURCHASE : int32_t {
    NotStarted = 0,
    Initiated = 1,
    Succeeded = 2,
    Failed = 3,
    // Given to a result delegate with no purchase: the user already owns the
    // item's maximum count. A purchase object never holds it.
    OwnsMaximum = 4,
};

enum class STOREPAYMENTMETHOD : int32_t {
    NotSet = 0,
    VirtualCurrency = 1,
    RealMoney = 2,  // set by an outside store; only then is "iap_progress" raised
};

using StorePurchaseDelegate = Delegate2<void, IStorePurchase*, STOREPURCHASE>;
// (item, product id, status): 0 when the product is known.
using StoreProductDelegate = Delegate3<void, IStoreItem*, const char*, int>;

// A set of (currency, cost) pairs that together pay for an item once.
class IPaymentMethod {
public:
    virtual ~IPaymentMethod() = default;
    virtual int GetCurrencyCount() const = 0;
    virtual const char* GetCurrencyId(int index) const = 0;  // null out of range
    // True, with the cost, when the method lists the currency.
    virtual bool GetCost(const char* currencyId, int* outCost) const = 0;
};

class IStorePurchase {
public:
    virtual ~IStorePurchase() = default;
    virtual IStoreItem* GetItem() const = 0;
    virtual User* GetUser() const = 0;
    virtual const char* GetCurrencyId() const = 0;  // "" when bought with a payment method
    virtual IPaymentMethod* GetPaymentMethod() const = 0;
    virtual const char* GetErrorMessage() const = 0;
    // Succeeded or failed.
    virtual bool IsComplete() const = 0;
    // A complete purchase, or the state it already has, ignores the call.
    virtual void SetState(STOREPURCHASE state) = 0;
    virtual STOREPURCHASE GetState() const = 0;
    virtual void SetErrorMessage(const char* message) = 0;
    virtual void SetPaymentMethod(STOREPAYMENTMETHOD method) = 0;
    virtual void SetTransactionInfo(const char* object, const char* identifier, const char* receipt) = 0;
    virtual void SetTimeoutRemaining(int seconds) = 0;
    virtual int GetTimeoutRemaining() const = 0;
    // Succeeds at once and grants the item, telling nobody.
    virtual void GrantWithoutNotice() = 0;
};

class IStoreItem {
public:
    virtual ~IStoreItem() = default;
    virtual const char* GetCategoryId() const = 0;
    virtual const char* GetId() const = 0;
    virtual const char* GetName() const = 0;
    virtual int GetTagCount() const = 0;
    virtual const char* GetTag(int index) const = 0;
    virtual bool HasTag(const char* tag) const = 0;
    virtual int GetMaximumCount() const = 0;  // -1: no maximum
    virtual int GetDefaultQuantity() const = 0;
    virtual bool IsBundle() const = 0;
    // A bundle of a category draws anew on every call; null for no bundle.
    virtual IStoreItem* GetBundledItem() = 0;
    virtual int GetBundleCount() const = 0;
    // Bit 1 virtual currency, bit 2 real money.
    virtual int GetCostType() const = 0;
    virtual int GetPaymentMethodCount() const = 0;
    // Lives as long as the item; null out of range.
    virtual IPaymentMethod* GetPaymentMethod(int index) = 0;
    // Prices less the real-money one.
    virtual int GetCurrencyCount() const = 0;
    virtual const char* GetCurrencyId(int index) const = 0;
    virtual int GetCost(const char* currencyId) const = 0;  // -1: no price lists it
    // The method with the most leading currencies among the ids, the
    // earliest on ties; null when no method starts with one of them.
    virtual IPaymentMethod* FindPaymentMethod(const char* const* currencyIds, int count) = 0;
    // Asks the purchase service that sells the product; nothing when none does.
    virtual void QueryProduct(const char* productId, StoreProductDelegate onDone) = 0;
    // Leaves out untouched for a null payment provider.
    virtual void GetDisplayCost(const char* paymentProviderId, const char* currencyId, std::string& out) const = 0;
    virtual const char* GetProductSku(const char* paymentProviderId) const = 0;
    // Null when no purchase was made; the store service owns the purchase.
    virtual IStorePurchase* Purchase(User* user, StorePurchaseDelegate onDone, const char* currencyId) = 0;
    virtual IStorePurchase* Purchase(User* user, IPaymentMethod* method, StorePurchaseDelegate onDone) = 0;
    // A purchase of an outside store for the user of slot 0; the caller owns it.
    virtual IStorePurchase* CreateExternalPurchase(const char* object, const char* identifier,
                                                   const char* receipt) = 0;
};

class IStoreItemGroup {
public:
    virtual ~IStoreItemGroup() = default;
    virtual int GetItemCount() const = 0;
    virtual IStoreItem* GetItemByIndex(int index) = 0;
    virtual IStoreItem* GetItem(const char* itemId) = 0;
    virtual const char* GetId() const = 0;
};

}  // namespace Varnok
