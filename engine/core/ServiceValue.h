// The value a service hands across the service boundary (settings, item
// metadata, cloud-object data). The engine never sees the service's own value
// type: a provider wraps each of its values in an object of this interface,
// and callers hold it through ServiceValueHandle or ServiceValueRef.
#pragma once

#include "engine/core/ReferenceCounter.h"

#include <cstdint>

namespace Varnok {

class ServiceValueHandle;
class ServiceValueRef;

// Every operation that answers a value answers a new wrapper of the member or
// copy; a wrapper of a member keeps that member alive on its own, so it stays
// valid after the container's handles are gone.
class IServiceValue : public ReferenceCounter {
public:
    ~IServiceValue() override;

    // The service's shared null value.
    virtual ServiceValueHandle GetNull() = 0;
    // A new null value of the same service.
    virtual ServiceValueRef Create() = 0;
    // A deep copy.
    virtual ServiceValueRef Clone() = 0;
    // A second wrapper of the same value.
    virtual ServiceValueRef MakeRef() = 0;

    virtual bool IsNull() const = 0;
    virtual bool IsBool() const = 0;
    virtual bool IsNumber() const = 0;
    virtual bool IsString() const = 0;
    virtual bool IsArray() const = 0;
    virtual bool IsObject() const = 0;

    virtual const char* AsStringWithLength(uint32_t* outLength) const = 0;
    virtual const char* AsString(const char* defaultValue) const = 0;
    virtual int32_t AsInt(int32_t defaultValue) const = 0;
    virtual uint32_t AsUInt(uint32_t defaultValue) const = 0;
    virtual float AsFloat(float defaultValue) const = 0;
    virtual bool AsBool(bool defaultValue) const = 0;

    // The key at an insertion position.
    virtual ServiceValueHandle GetMemberName(uint32_t index) = 0;
    // Missing members are created as null, as the service's values do.
    virtual ServiceValueRef GetMemberByString(const char* name) = 0;
    virtual ServiceValueRef GetMemberByInt(int32_t index) = 0;
    virtual ServiceValueRef GetMemberAt(uint32_t index) = 0;
    virtual ServiceValueHandle GetMemberHandleByString(const char* name) = 0;
    virtual ServiceValueHandle GetMemberHandleByInt(int32_t index) = 0;
    virtual ServiceValueHandle GetMemberHandleAt(uint32_t index) = 0;
    virtual uint32_t GetMemberCount() const = 0;

    // Array appends: each adds one element.
    virtual void AppendString(const char* text) = 0;
    virtual void AppendInt(int32_t number) = 0;
    virtual void AppendUInt(uint32_t number) = 0;
    virtual void AppendFloat(float number) = 0;
    virtual void AppendBool(bool flag) = 0;
    virtual void AppendValue(const ServiceValueHandle& value) = 0;
    virtual void AppendValue(const ServiceValueRef& value) = 0;
    // Appends the text to a string value; other values are left alone.
    virtual void AppendText(const char* text) = 0;

    virtual void SetAsStringWithLength(const char* bytes, uint32_t length) = 0;
    virtual void SetAsString(const char* text) = 0;
    virtual void SetAsInt(int32_t number) = 0;
    virtual void SetAsUInt(uint32_t number) = 0;
    virtual void SetAsFloat(float number) = 0;
    virtual void SetAsBool(bool flag) = 0;
    // A deep copy of the other value; an empty handle changes nothing.
    virtual void SetAsValue(const ServiceValueRef& value) = 0;
    virtual void SetAsValue(const ServiceValueHandle& value) = 0;

    // False for an empty handle or a value of another service.
    virtual bool Equals(const ServiceValueHandle& other) const = 0;

    virtual ServiceValueRef operator[](const char* name) = 0;
    virtual ServiceValueRef operator[](int32_t index) = 0;
    virtual ServiceValueHandle MemberHandle(const char* name) = 0;
    virtual ServiceValueHandle MemberHandle(int32_t index) = 0;
};

}  // namespace Varnok
