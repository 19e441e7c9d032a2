// The engine-side wrapper of one client-library value: what the online
// services put inside the service value handles, forwarding every operation
// to the library value it holds.
#pragma once

#include "engine/core/ServiceValueHandle.h"
#include "engine/core/ServiceValueRef.h"

namespace Kiplink {
class IValue;
}

namespace Varnok {

class KiplinkValue final : public IServiceValue {
public:
    // Takes a reference of its own on value (a member, the shared null, a
    // value someone else owns). Null stands for the library's shared null.
    static KiplinkValue* Wrap(const Kiplink::IValue* value);
    // Keeps the reference that value already carries for it (a value the
    // library has just made: Create, Clone, GetData).
    static KiplinkValue* Adopt(Kiplink::IValue* value);
    ~KiplinkValue() override;

    // The library value of a handle or reference, or null when it holds none
    // or a value of another service.
    static Kiplink::IValue* LibraryValueOf(const ServiceValueHandle& handle);
    static Kiplink::IValue* LibraryValueOf(const ServiceValueRef& ref);
    Kiplink::IValue* GetLibraryValue() const { return m_value; }

    ServiceValueHandle GetNull() override;
    ServiceValueRef Create() override;
    ServiceValueRef Clone() override;
    ServiceValueRef MakeRef() override;

    bool IsNull() const override;
    bool IsBool() const override;
    bool IsNumber() const override;
    bool IsString() const override;
    bool IsArray() const override;
    bool IsObject() const override;

    const char* AsStringWithLength(uint32_t* outLength) const override;
    const char* AsString(const char* defaultValue) const override;
    int32_t AsInt(int32_t defaultValue) const override;
    uint32_t AsUInt(uint32_t defaultValue) const override;
    float AsFloat(float defaultValue) const override;
    bool AsBool(bool defaultValue) const override;

    ServiceValueHandle GetMemberName(uint32_t index) override;
    ServiceValueRef GetMemberByString(const char* name) override;
    ServiceValueRef GetMemberByInt(int32_t index) override;
    ServiceValueRef GetMemberAt(uint32_t index) override;  // empty past the end
    ServiceValueHandle GetMemberHandleByString(const char* name) override;
    ServiceValueHandle GetMemberHandleByInt(int32_t index) override;
    ServiceValueHandle GetMemberHandleAt(uint32_t index) override;
    uint32_t GetMemberCount() const override;

    void AppendString(const char* text) override;
    void AppendInt(int32_t number) override;
    void AppendUInt(uint32_t number) override;
    void AppendFloat(float number) override;
    void AppendBool(bool flag) override;
    void AppendValue(const ServiceValueHandle& value) override;
    void AppendValue(const ServiceValueRef& value) override;
    void AppendText(const char* text) override;

    void SetAsStringWithLength(const char* bytes, uint32_t length) override;
    void SetAsString(const char* text) override;
    void SetAsInt(int32_t number) override;
    void SetAsUInt(uint32_t number) override;
    void SetAsFloat(float number) override;
    void SetAsBool(bool flag) override;
    void SetAsValue(const ServiceValueRef& value) override;
    void SetAsValue(const ServiceValueHandle& value) override;

    bool Equals(const ServiceValueHandle& other) const override;

    ServiceValueRef operator[](const char* name) override;
    ServiceValueRef operator[](int32_t index) override;
    ServiceValueHandle MemberHandle(const char* name) override;
    ServiceValueHandle MemberHandle(int32_t index) override;

private:
    explicit KiplinkValue(Kiplink::IValue* value) : m_value(value) {}

    Kiplink::IValue* m_value;  // one reference, released by the destructor
};

}  // namespace Varnok
