// Out of line so that the value interface's and the handles' vtables live in
// one place.
#include "engine/core/ServiceValueHandle.h"

#include "engine/core/Assert.h"
#include "engine/core/ServiceValueRef.h"

namespace Varnok {

IServiceValue::~IServiceValue() = default;

ServiceValueHandle::~ServiceValueHandle() = default;

ServiceValueRef::~ServiceValueRef() = default;

ServiceValueRef ServiceValueRef::FromHandle(const ServiceValueHandle& handle) {
    IServiceValue* value = handle.Get();
    return value != nullptr ? value->MakeRef() : ServiceValueRef();
}

void ServiceValueRef::AppendString(const char* text) {
    VARNOK_ASSERT(Get() != nullptr);
    Get()->AppendText(text);
}

void ServiceValueRef::SetStringRange(const char* bytes, uint32_t length) {
    VARNOK_ASSERT(Get() != nullptr);
    Get()->SetAsStringWithLength(bytes, length);
}

void ServiceValueRef::SetString(const char* text) {
    VARNOK_ASSERT(Get() != nullptr);
    Get()->SetAsString(text);
}

void ServiceValueRef::SetInt(int32_t number) {
    VARNOK_ASSERT(Get() != nullptr);
    Get()->SetAsInt(number);
}

void ServiceValueRef::SetUInt(uint32_t number) {
    VARNOK_ASSERT(Get() != nullptr);
    Get()->SetAsUInt(number);
}

}  // namespace Varnok
