// A handle on a value that a service hands out (settings, item metadata,
// achievement data). The value's operations belong to the service that made
// it; a handle only shares it and may hold none.
#pragma once

#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"

namespace Varnok {

// The counted wrapper behind a handle, implemented by the service that owns
// the value.
class IServiceValue : public ReferenceCounter {
public:
    ~IServiceValue() override;
};

class ServiceValueHandle {
public:
    ServiceValueHandle() = default;
    explicit ServiceValueHandle(IServiceValue* value) : m_value(value) {}

    // The held wrapper, or null for an empty handle.
    IServiceValue* Get() const { return m_value.Get(); }
    bool IsEmpty() const { return m_value.Get() == nullptr; }

private:
    SmartPtr<IServiceValue> m_value;
};

}  // namespace Varnok
