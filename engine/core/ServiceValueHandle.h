// A handle on a value that a service hands out (settings, item metadata,
// achievement data, cloud-object data). The value's operations belong to the
// service that made it; a handle only shares it and may hold none.
#pragma once

#include "engine/core/ServiceValue.h"
#include "engine/core/SmartPtr.h"

namespace Varnok {

class ServiceValueHandle {
public:
    ServiceValueHandle() = default;
    // Holds the wrapper (or nothing), adding a reference.
    explicit ServiceValueHandle(IServiceValue* value) : m_value(value) {}
    virtual ~ServiceValueHandle();

    ServiceValueHandle(const ServiceValueHandle&) = default;
    ServiceValueHandle& operator=(const ServiceValueHandle&) = default;
    ServiceValueHandle(ServiceValueHandle&&) noexcept = default;
    ServiceValueHandle& operator=(ServiceValueHandle&&) noexcept = default;

    // The held wrapper (not counted), or null for an empty handle.
    IServiceValue* Get() const { return m_value.Get(); }
    bool IsEmpty() const { return m_value.Get() == nullptr; }

private:
    SmartPtr<IServiceValue> m_value;
};

}  // namespace Varnok
