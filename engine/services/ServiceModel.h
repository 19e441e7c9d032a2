// The base classes of the service framework: services, providers and the
// builders that make providers. Interfaces and their aggregates derive from
// IService (see the I<X>Service.h headers); providers from IProvider.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Delegate.h"

#include <map>
#include <vector>

namespace Varnok {

class ServiceManagerBackend;
class User;

// Named no-argument callbacks that services and providers may keep; the
// framework itself adds none.
class ServiceCallbackMap {
public:
    virtual ~ServiceCallbackMap();

protected:
    std::map<AsciiString, Delegate0<void>, AsciiStringLess> m_callbacks;
};

// The base of every service and every aggregate. Made disabled and online.
class IService : public ServiceCallbackMap {
public:
    ~IService() override;

    [[nodiscard]] virtual bool Initialise() = 0;
    virtual void Update() = 0;
    virtual const AsciiString& GetLogData() const = 0;
    // The name of the provider that owns the service: the first part of its key.
    virtual const AsciiString& GetProviderName() const = 0;
    // An optional third part of the service's key; empty for most services.
    virtual const AsciiString& GetCustomName() const = 0;
    virtual void OnEnabled() {}
    virtual void OnDisabled() {}
    // Calls OnEnabled or OnDisabled only when the value changes.
    virtual void SetEnabled(bool enabled);
    virtual bool IsEnabled() const { return m_enabled; }
    virtual void SetOnline(bool online) { m_online = online; }
    // Enabled and online.
    virtual bool IsOnline() const { return m_enabled && m_online; }
    virtual int GetServiceCount() const { return 0; }
    virtual IService* GetService(int /*index*/) const { return nullptr; }

private:
    bool m_enabled = false;
    bool m_online = true;
};

// The base of every provider. Made disabled and online.
class IProvider : public ServiceCallbackMap {
public:
    ~IProvider() override;

    // Reads the provider's configuration, creates, initialises, registers and
    // enables its services.
    [[nodiscard]] virtual bool Initialise() = 0;
    // The characters of the provider's static name.
    virtual const char* GetName() const = 0;
    virtual void OnUserCreated(User* /*user*/) {}
    virtual void OnUserDestroyed(User* /*user*/) {}
    virtual void Update() = 0;
    virtual void Connect() {}
    virtual bool IsConnecting() { return false; }
    virtual bool IsConnected() { return false; }
    virtual void OnEnabled() {}
    virtual void OnDisabled() {}
    virtual void SetEnabled(bool enabled);
    virtual bool IsEnabled() const { return m_enabled; }
    virtual void SetOnline(bool online) { m_online = online; }
    virtual bool IsOnline() const { return m_enabled && m_online; }

private:
    bool m_enabled = false;
    bool m_online = true;
};

// Each provider has one static builder, handed to
// ServiceManager::AddProviderBuilder by the provider's registration function.
class IProviderBuilder {
public:
    virtual ~IProviderBuilder();
    // A new provider holding the backend (disabled, online, no services yet);
    // the caller owns it.
    virtual IProvider* CreateProvider(ServiceManagerBackend* backend) = 0;
    virtual const char* GetName() const = 0;
};

// Set once an interface's aggregate was asked for and was missing, so that
// the warning is written once per interface.
template <typename AggregateInterface>
bool& GetAggregateWarnFlag() {
    static bool s_warned = false;
    return s_warned;
}

}  // namespace Varnok
