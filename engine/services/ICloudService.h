// Named cloud objects of users, kept by the online service.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class ICloudService;

class ICloudServiceAggregate : public ServiceInterfaceBase<ICloudService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("ICloudService");
        return s_serviceName;
    }
};

class ICloudService : public ICloudServiceAggregate {
public:
    using BaseAggregateType = ICloudServiceAggregate;
    using ServiceType = ICloudService;
    void Update() override {}
    using UpdateDelegate = Delegate3<void, User*, ICloudObject*, const char*>;
    using FetchDelegate = Delegate2<void, User*, const char*>;

    virtual ICloudObject* GetCloudObject(User* user, const char* name) = 0;
    // Another player's object, found by the profile's online-service id.
    virtual ICloudObject* GetPlayerCloudObject(User* user, IPlayerProfile* player,
                                               const char* name) = 0;
    // Sends one object's changes.
    virtual void UpdateCloudObject(User* user, ICloudObject* object, UpdateDelegate onDone) = 0;
    virtual void GetCloudObjects(User* user, ICloudObject** objects, int count,
                                 FetchDelegate onDone) = 0;
};

class CloudServiceAggregate final : public ServiceAggregateBase<ICloudServiceAggregate, ICloudService> {
};

template <>
struct ServiceAggregateFor<ICloudService> {
    using Type = CloudServiceAggregate;
};

}  // namespace Varnok
