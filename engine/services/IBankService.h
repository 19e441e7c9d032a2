// Virtual currencies of the online service.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IBankService;

class IBankServiceAggregate : public ServiceInterfaceBase<IBankService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IBankService");
        return s_serviceName;
    }
    // Called when a bank or the currency list changes.
    virtual void AddBankUpdateListener(Delegate0<void> listener) = 0;
    virtual void RemoveBankUpdateListener(Delegate0<void> listener) = 0;
};

class IBankService : public IBankServiceAggregate {
public:
    using BaseAggregateType = IBankServiceAggregate;
    using ServiceType = IBankService;
    void Update() override {}
    // 0 without a user or bank.
    virtual int GetCurrencyBalance(User* user, const char* currencyId) = 0;
    // Adds the amount and answers the new balance; 0, or a positive amount of a
    // currency that cannot be earned, only answers the balance.
    virtual int ModifyCurrency(User* user, const char* currencyId, int amount) = 0;
    virtual int GetCurrencyCount() = 0;
    virtual const char* GetCurrencyId(int index) = 0;
};

class BankServiceAggregate final : public ServiceAggregateBase<IBankServiceAggregate, IBankService> {
public:
    void AddBankUpdateListener(Delegate0<void> listener) override {
        ForEachEnabled([&](IBankService& s) { s.AddBankUpdateListener(listener); });
    }
    void RemoveBankUpdateListener(Delegate0<void> listener) override {
        ForEachEnabled([&](IBankService& s) { s.RemoveBankUpdateListener(listener); });
    }
};

template <>
struct ServiceAggregateFor<IBankService> {
    using Type = BankServiceAggregate;
};

}  // namespace Varnok
