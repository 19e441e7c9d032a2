// The second value handle: the one through which callers change a service
// value. Made from a ServiceValueHandle by the value's own service, so that
// the engine never needs to know the service's value type.
#pragma once

#include "engine/core/ServiceValueHandle.h"

#include <cstdint>

namespace Varnok {

class ServiceValueRef {
public:
    ServiceValueRef() = default;
    // Holds the wrapper (or nothing), adding a reference.
    explicit ServiceValueRef(IServiceValue* value) : m_value(value) {}
    virtual ~ServiceValueRef();

    ServiceValueRef(const ServiceValueRef&) = default;
    ServiceValueRef& operator=(const ServiceValueRef&) = default;
    ServiceValueRef(ServiceValueRef&&) noexcept = default;
    ServiceValueRef& operator=(ServiceValueRef&&) noexcept = default;

    // A reference to the handle's value, made by its wrapper; empty for an
    // empty handle.
    static ServiceValueRef FromHandle(const ServiceValueHandle& handle);

    IServiceValue* Get() const { return m_value.Get(); }
    bool IsEmpty() const { return m_value.Get() == nullptr; }

    // Requires: a held value. Each forwards to the wrapper.
    void AppendString(const char* text);  // text onto a string value
    void SetStringRange(const char* bytes, uint32_t length);
    void SetString(const char* text);
    void SetInt(int32_t number);
    void SetUInt(uint32_t number);

private:
    SmartPtr<IServiceValue> m_value;
};

}  // namespace Varnok
