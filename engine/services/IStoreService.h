// The online service's store: items and their groups.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IStoreService;

class IStoreServiceAggregate : public ServiceInterfaceBase<IStoreService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IStoreService");
        return s_serviceName;
    }
    virtual void AddStoreUpdateListener(Delegate0<void> listener) = 0;
    virtual void RemoveStoreUpdateListener(Delegate0<void> listener) = 0;
};

class IStoreService : public IStoreServiceAggregate {
public:
    using BaseAggregateType = IStoreServiceAggregate;
    using ServiceType = IStoreService;
    void Update() override {}
    virtual int GetItemCount() = 0;
    virtual IStoreItem* GetItemByIndex(int index) = 0;
    virtual IStoreItem* GetItem(const char* itemId) = 0;
    virtual IStoreItemGroup* GetItemGroup(const char* groupId) = 0;
    virtual int GetGroupItemCount(const char* groupId) = 0;
    virtual IStoreItem* GetItemInGroup(const char* groupId, int index) = 0;
    virtual int GetItemGroupCount() = 0;
    virtual const char* GetItemGroupIdByIndex(int index) = 0;
    // The first item whose metadata under the key equals the value.
    virtual IStoreItem* FindItemByMetaData(const char* key, const char* value) = 0;
    // Items without limits may always be bought.
    virtual bool CanBuyItem(User* user, IStoreItem* item) = 0;
};

class StoreServiceAggregate final : public ServiceAggregateBase<IStoreServiceAggregate, IStoreService> {
public:
    void AddStoreUpdateListener(Delegate0<void> listener) override {
        ForEachEnabled([&](IStoreService& s) { s.AddStoreUpdateListener(listener); });
    }
    void RemoveStoreUpdateListener(Delegate0<void> listener) override {
        ForEachEnabled([&](IStoreService& s) { s.RemoveStoreUpdateListener(listener); });
    }
};

template <>
struct ServiceAggregateFor<IStoreService> {
    using Type = StoreServiceAggregate;
};

}  // namespace Varnok
