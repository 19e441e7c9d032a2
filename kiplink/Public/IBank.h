// Currencies from the signed static data and each user's balances, kept in
// the user's transactional state under "bank".
#pragma once

#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

class IBank;
class IBankProvider;
class IUser;

// Definitions never change through a listener; the slots keep the shape
// every counted object of the library has.
class ICurrencyCallbacks : public RefCounted {};

class ICurrency : public RefCounted {
public:
    virtual void AddCallbacks(ICurrencyCallbacks* listener) = 0;
    virtual void RemoveCallbacks(ICurrencyCallbacks* listener) = 0;
    virtual const char* GetCurrencyId() const = 0;
    virtual const char* GetName() const = 0;
    virtual const char* GetDescription() const = 0;
    virtual bool IsEarnable() const = 0;
    virtual int32_t GetInitialGiftAmount() const = 0;
};

class IBankCallbacks : public RefCounted {
public:
    virtual void OnBankUpdated(IBank* bank) = 0;
};

class IBank : public RefCounted {
public:
    virtual void AddCallbacks(IBankCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IBankCallbacks* listener) = 0;
    virtual IUser* GetUser() = 0;  // with a reference
    // 0 for an unknown currency or a null object.
    virtual int32_t GetCurrencyById(const char* currencyId) const = 0;
    virtual int32_t GetCurrency(const ICurrency* currency) const = 0;
    // Adds a "bank" transaction to the user's open batch; answers the new
    // balance (unchanged when the change would go below 0).
    virtual int32_t ModifyCurrencyById(const char* currencyId, int32_t amount) = 0;
    virtual int32_t ModifyCurrency(const ICurrency* currency, int32_t amount) = 0;
};

class IBankProviderCallbacks : public RefCounted {
public:
    virtual void OnCurrenciesUpdated(IBankProvider*) {}
    virtual void OnBankUpdated(IBank*) {}
};

// Every getter answers its object with a reference added, or null.
class IBankProvider : public RefCounted {
public:
    virtual void AddCallbacks(IBankProviderCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IBankProviderCallbacks* listener) = 0;
    virtual void Update() = 0;
    virtual IBank* GetBank(IUser* user) = 0;
    virtual int32_t GetCurrencyCount() const = 0;
    virtual ICurrency* GetCurrency(int32_t index) const = 0;
    virtual ICurrency* GetCurrencyById(const char* currencyId) const = 0;
};

}  // namespace Kiplink
