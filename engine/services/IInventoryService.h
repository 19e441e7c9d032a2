// Items that users hold in the online service.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IInventoryService;

class IInventoryServiceAggregate : public ServiceInterfaceBase<IInventoryService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IInventoryService");
        return s_serviceName;
    }
    virtual void AddInventoryUpdateListener(Delegate0<void> listener) = 0;
    virtual void RemoveInventoryUpdateListener(Delegate0<void> listener) = 0;
};

class IInventoryService : public IInventoryServiceAggregate {
public:
    using BaseAggregateType = IInventoryServiceAggregate;
    using ServiceType = IInventoryService;
    void Update() override {}
    virtual int GetItemCount(User* user, const char* itemId) = 0;
    // Adds the amount and answers the new count.
    virtual int ModifyItemCount(User* user, const char* itemId, int amount) = 0;
    virtual int GetInventoryCount(User* user) = 0;
    virtual const char* GetInventoryItem(User* user, int index) = 0;
};

class InventoryServiceAggregate final : public ServiceAggregateBase<IInventoryServiceAggregate, IInventoryService> {
public:
    void AddInventoryUpdateListener(Delegate0<void> listener) override {
        ForEachEnabled([&](IInventoryService& s) { s.AddInventoryUpdateListener(listener); });
    }
    void RemoveInventoryUpdateListener(Delegate0<void> listener) override {
        ForEachEnabled([&](IInventoryService& s) { s.RemoveInventoryUpdateListener(listener); });
    }
};

template <>
struct ServiceAggregateFor<IInventoryService> {
    using Type = InventoryServiceAggregate;
};

}  // namespace Varnok
