// Buying store items.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IPurchaseService;

class IPurchaseServiceAggregate : public ServiceInterfaceBase<IPurchaseService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IPurchaseService");
        return s_serviceName;
    }
    // The first service, enabled or not, whose SupportsProduct answers true.
    virtual IPurchaseService* FindServiceForProduct(const char* productId) = 0;
    // The first service, enabled or not, whose SupportsPaymentMethod answers true.
    virtual IPurchaseService* FindServiceForPaymentMethod(const IPaymentMethod* method) = 0;
};

class IPurchaseService : public IPurchaseServiceAggregate {
public:
    using BaseAggregateType = IPurchaseServiceAggregate;
    using ServiceType = IPurchaseService;
    void Update() override {}
    using ProductDelegate = Delegate3<void, IStoreItem*, const char*, int>;

    // A single service is no aggregate: it finds nothing.
    IPurchaseService* FindServiceForProduct(const char* /*productId*/) override { return nullptr; }
    IPurchaseService* FindServiceForPaymentMethod(const IPaymentMethod* /*method*/) override {
        return nullptr;
    }
    // An empty id answers false.
    virtual bool SupportsProduct(const char* productId) = 0;
    virtual bool SupportsPaymentMethod(const IPaymentMethod* method) = 0;
    virtual const char* GetName() = 0;
    virtual void QueryProduct(IStoreItem* item, const char* productId, ProductDelegate onDone) = 0;
    virtual void Purchase(IStorePurchase* purchase) = 0;
    virtual bool RestorePurchases(Delegate1<void, bool> /*onDone*/) { return false; }
};

class PurchaseServiceAggregate final : public ServiceAggregateBase<IPurchaseServiceAggregate, IPurchaseService> {
public:
    IPurchaseService* FindServiceForProduct(const char* productId) override {
        return FirstOwner([&](IPurchaseService& s) { return s.SupportsProduct(productId); });
    }
    IPurchaseService* FindServiceForPaymentMethod(const IPaymentMethod* method) override {
        return FirstOwner([&](IPurchaseService& s) { return s.SupportsPaymentMethod(method); });
    }
};

template <>
struct ServiceAggregateFor<IPurchaseService> {
    using Type = PurchaseServiceAggregate;
};

}  // namespace Varnok
