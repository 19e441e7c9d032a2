// KiplinkValue: each operation forwards to the library value; every answered
// member is wrapped with a reference of its own.
#include "providers/Provider_Kiplink/KiplinkValue.h"

#include "kiplink/Public/IValue.h"

namespace Varnok {

namespace {

// The library's shared null, reachable from any value or a fresh one.
Kiplink::IValue* SharedNull() {
    static Kiplink::IValue* s_maker = Kiplink::CreateValue();
    return s_maker->GetNull();
}

ServiceValueHandle HandleOf(const Kiplink::IValue* value) {
    return value != nullptr ? ServiceValueHandle(KiplinkValue::Wrap(value)) : ServiceValueHandle();
}

ServiceValueRef RefOf(const Kiplink::IValue* value) {
    return value != nullptr ? ServiceValueRef(KiplinkValue::Wrap(value)) : ServiceValueRef();
}

Kiplink::IValue* LibraryValueOfWrapper(IServiceValue* value) {
    auto* wrapper = dynamic_cast<KiplinkValue*>(value);
    return wrapper != nullptr ? wrapper->GetLibraryValue() : nullptr;
}

}  // namespace

KiplinkValue* KiplinkValue::Wrap(const Kiplink::IValue* value) {
    // Member access of the library hands out members it holds without a
    // reference; the wrapper's own reference is what lets a member outlive
    // its container. Const members are wrapped for reading and as targets of
    // cloud edits, which take them const again.
    Kiplink::IValue* held = const_cast<Kiplink::IValue*>(value != nullptr ? value : SharedNull());
    held->Reference();
    return new KiplinkValue(held);
}

KiplinkValue* KiplinkValue::Adopt(Kiplink::IValue* value) {
    if (value == nullptr) {
        return Wrap(nullptr);
    }
    return new KiplinkValue(value);
}

KiplinkValue::~KiplinkValue() { m_value->Release(); }

Kiplink::IValue* KiplinkValue::LibraryValueOf(const ServiceValueHandle& handle) {
    return LibraryValueOfWrapper(handle.Get());
}

Kiplink::IValue* KiplinkValue::LibraryValueOf(const ServiceValueRef& ref) { return LibraryValueOfWrapper(ref.Get()); }

ServiceValueHandle KiplinkValue::GetNull() { return HandleOf(m_value->GetNull()); }
ServiceValueRef KiplinkValue::Create() { return ServiceValueRef(Adopt(m_value->Create())); }
ServiceValueRef KiplinkValue::Clone() { return ServiceValueRef(Adopt(m_value->Clone())); }
ServiceValueRef KiplinkValue::MakeRef() { return RefOf(m_value); }

bool KiplinkValue::IsNull() const { return m_value->IsNull(); }
bool KiplinkValue::IsBool() const { return m_value->IsBool(); }
bool KiplinkValue::IsNumber() const { return m_value->IsNumber(); }
bool KiplinkValue::IsString() const { return m_value->IsString(); }
bool KiplinkValue::IsArray() const { return m_value->IsArray(); }
bool KiplinkValue::IsObject() const { return m_value->IsObject(); }

const char* KiplinkValue::AsStringWithLength(uint32_t* outLength) const {
    return m_value->AsStringWithLength(outLength);
}
const char* KiplinkValue::AsString(const char* defaultValue) const { return m_value->AsString(defaultValue); }
int32_t KiplinkValue::AsInt(int32_t defaultValue) const { return m_value->AsInt(defaultValue); }
uint32_t KiplinkValue::AsUInt(uint32_t defaultValue) const { return m_value->AsUInt(defaultValue); }
float KiplinkValue::AsFloat(float defaultValue) const { return m_value->AsFloat(defaultValue); }
bool KiplinkValue::AsBool(bool defaultValue) const { return m_value->AsBool(defaultValue); }

ServiceValueHandle KiplinkValue::GetMemberName(uint32_t index) { return HandleOf(m_value->GetMemberName(index)); }
ServiceValueRef KiplinkValue::GetMemberByString(const char* name) { return RefOf(m_value->GetMemberByString(name)); }
ServiceValueRef KiplinkValue::GetMemberByInt(int32_t index) { return RefOf(m_value->GetMemberByInt(index)); }
ServiceValueRef KiplinkValue::GetMemberAt(uint32_t index) { return RefOf(m_value->GetMemberAt(index)); }
ServiceValueHandle KiplinkValue::GetMemberHandleByString(const char* name) {
    return HandleOf(m_value->GetMemberByString(name));
}
ServiceValueHandle KiplinkValue::GetMemberHandleByInt(int32_t index) { return HandleOf(m_value->GetMemberByInt(index)); }
ServiceValueHandle KiplinkValue::GetMemberHandleAt(uint32_t index) { return HandleOf(m_value->GetMemberAt(index)); }
uint32_t KiplinkValue::GetMemberCount() const { return m_value->GetMemberCount(); }

void KiplinkValue::AppendString(const char* text) { m_value->AppendString(text); }
void KiplinkValue::AppendInt(int32_t number) { m_value->AppendInt(number); }
void KiplinkValue::AppendUInt(uint32_t number) { m_value->AppendUInt(number); }
void KiplinkValue::AppendFloat(float number) { m_value->AppendFloat(number); }
void KiplinkValue::AppendBool(bool flag) { m_value->AppendBool(flag); }
void KiplinkValue::AppendValue(const ServiceValueHandle& value) {
    if (const Kiplink::IValue* other = LibraryValueOf(value)) {
        m_value->AppendValue(*other);
    }
}
void KiplinkValue::AppendValue(const ServiceValueRef& value) {
    if (const Kiplink::IValue* other = LibraryValueOf(value)) {
        m_value->AppendValue(*other);
    }
}
void KiplinkValue::AppendText(const char* text) { m_value->AppendText(text); }

void KiplinkValue::SetAsStringWithLength(const char* bytes, uint32_t length) {
    m_value->SetAsStringWithLength(bytes, length);
}
void KiplinkValue::SetAsString(const char* text) { m_value->SetAsString(text); }
void KiplinkValue::SetAsInt(int32_t number) { m_value->SetAsInt(number); }
void KiplinkValue::SetAsUInt(uint32_t number) { m_value->SetAsUInt(number); }
void KiplinkValue::SetAsFloat(float number) { m_value->SetAsFloat(number); }
void KiplinkValue::SetAsBool(bool flag) { m_value->SetAsBool(flag); }
void KiplinkValue::SetAsValue(const ServiceValueRef& value) {
    if (const Kiplink::IValue* other = LibraryValueOf(value)) {
        m_value->SetAsValue(*other);
    }
}
void KiplinkValue::SetAsValue(const ServiceValueHandle& value) {
    if (const Kiplink::IValue* other = LibraryValueOf(value)) {
        m_value->SetAsValue(*other);
    }
}

bool KiplinkValue::Equals(const ServiceValueHandle& other) const {
    const Kiplink::IValue* value = LibraryValueOf(other);
    return value != nullptr && *m_value == *value;
}

ServiceValueRef KiplinkValue::operator[](const char* name) { return GetMemberByString(name); }
ServiceValueRef KiplinkValue::operator[](int32_t index) { return GetMemberByInt(index); }
ServiceValueHandle KiplinkValue::MemberHandle(const char* name) { return GetMemberHandleByString(name); }
ServiceValueHandle KiplinkValue::MemberHandle(int32_t index) { return GetMemberHandleByInt(index); }

}  // namespace Varnok
