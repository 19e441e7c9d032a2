// News items of the online service.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class INewsService;

class INewsServiceAggregate : public ServiceInterfaceBase<INewsService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("INewsService");
        return s_serviceName;
    }
    // Error text, null on success, and the user.
    using NewsDelegate = Delegate2<void, const char*, User*>;

    // Called when the user's news are current.
    virtual void SetNewsCallback(NewsDelegate onNews) = 0;
    // The news saved by the last synchronisation, reported to the news callback.
    virtual void LoadCachedNews(User* user) = 0;
    // Answers at once while the news are still valid, else synchronises first.
    virtual void RefreshNews(User* user) = 0;
    virtual void ClearNews(User* user) = 0;
};

class INewsService : public INewsServiceAggregate {
public:
    using BaseAggregateType = INewsServiceAggregate;
    using ServiceType = INewsService;
    virtual int GetNewsCount(User* user) = 0;
    virtual INews* GetNews(User* user, int index) = 0;
    // Called when a synchronisation ends.
    virtual void SetSyncCallback(NewsDelegate onSync) = 0;
};

class NewsServiceAggregate final : public ServiceAggregateBase<INewsServiceAggregate, INewsService> {
public:
    void SetNewsCallback(NewsDelegate onNews) override {
        ForEachEnabled([&](INewsService& s) { s.SetNewsCallback(onNews); });
    }
    void LoadCachedNews(User* user) override {
        ForEachEnabled([&](INewsService& s) { s.LoadCachedNews(user); });
    }
    void RefreshNews(User* user) override {
        ForEachEnabled([&](INewsService& s) { s.RefreshNews(user); });
    }
    void ClearNews(User* user) override {
        ForEachEnabled([&](INewsService& s) { s.ClearNews(user); });
    }
};

template <>
struct ServiceAggregateFor<INewsService> {
    using Type = NewsServiceAggregate;
};

}  // namespace Varnok
