// The variable registry and the conversions of a handle's reads.
#include "engine/services/RegisteredVariables.h"

#include <cstdlib>
#include <cstring>

namespace Varnok {

RegisteredVariables& RegisteredVariables::Get() {
    static RegisteredVariables s_variables;
    return s_variables;
}

SmartPtr<RegisteredValue> RegisteredVariables::Store(const char* name, RegisteredValue::Type type,
                                                     const void* data) {
    SmartPtr<RegisteredValue> value(new RegisteredValue(type, data));
    if (name != nullptr && data != nullptr) {
        m_values[AsciiString(name)] = value;
    }
    return value;
}

SmartPtr<RegisteredValue> RegisteredVariables::Register(const char* name, const int32_t* variable) {
    return Store(name, RegisteredValue::Int, variable);
}
SmartPtr<RegisteredValue> RegisteredVariables::Register(const char* name, const uint32_t* variable) {
    return Store(name, RegisteredValue::UInt, variable);
}
SmartPtr<RegisteredValue> RegisteredVariables::Register(const char* name, const float* variable) {
    return Store(name, RegisteredValue::Float, variable);
}
SmartPtr<RegisteredValue> RegisteredVariables::Register(const char* name,
                                                        const AsciiString* variable) {
    return Store(name, RegisteredValue::String, variable);
}
SmartPtr<RegisteredValue> RegisteredVariables::Register(const char* name, const bool* variable) {
    return Store(name, RegisteredValue::Bool, variable);
}

void RegisteredVariables::Unregister(const char* name) {
    m_values.erase(AsciiString(name));
}

SmartPtr<RegisteredValue> RegisteredVariables::Find(const AsciiString& name) const {
    const auto found = m_values.find(name);
    return found != m_values.end() ? found->second.Lock() : SmartPtr<RegisteredValue>();
}

RegisteredVariable::RegisteredVariable(const char* name) : m_name(name) {
    Bind();
}

bool RegisteredVariable::Bind() {
    if (m_value.Lock().Get() != nullptr) {
        return true;
    }
    SmartPtr<RegisteredValue> found = RegisteredVariables::Get().Find(m_name);
    if (found.Get() == nullptr) {
        return false;
    }
    m_value = found;
    return true;
}

bool RegisteredVariable::SetName(const char* name) {
    m_value.Clear();
    m_name = name;
    return Bind();
}

bool RegisteredVariable::GetBool() const {
    const SmartPtr<RegisteredValue> value = m_value.Lock();
    if (value.Get() == nullptr) {
        return false;
    }
    const void* data = value->GetData();
    switch (value->GetType()) {
        case RegisteredValue::Int: return *static_cast<const int32_t*>(data) != 0;
        case RegisteredValue::UInt: return *static_cast<const uint32_t*>(data) != 0;
        case RegisteredValue::Float: return *static_cast<const float*>(data) != 0.0f;
        case RegisteredValue::String:
            return std::strcmp(static_cast<const AsciiString*>(data)->c_str(), "true") == 0;
        case RegisteredValue::Bool: return *static_cast<const bool*>(data);
    }
    return false;
}

int32_t RegisteredVariable::GetInt() const {
    const SmartPtr<RegisteredValue> value = m_value.Lock();
    if (value.Get() == nullptr) {
        return 0;
    }
    const void* data = value->GetData();
    switch (value->GetType()) {
        case RegisteredValue::Int: return *static_cast<const int32_t*>(data);
        case RegisteredValue::UInt: return static_cast<int32_t>(*static_cast<const uint32_t*>(data));
        case RegisteredValue::Float: {
            // Truncated toward zero; values beyond the 32-bit range saturate
            // rather than overflow.
            const float f = *static_cast<const float*>(data);
            if (!(f == f)) {
                return 0;
            }
            if (f >= 2147483647.0f) {
                return INT32_MAX;
            }
            if (f <= -2147483648.0f) {
                return INT32_MIN;
            }
            return static_cast<int32_t>(f);
        }
        case RegisteredValue::String: {
            const long n = std::strtol(static_cast<const AsciiString*>(data)->c_str(), nullptr, 10);
            return n > INT32_MAX ? INT32_MAX : (n < INT32_MIN ? INT32_MIN : static_cast<int32_t>(n));
        }
        case RegisteredValue::Bool: return *static_cast<const bool*>(data) ? 1 : 0;
    }
    return 0;
}

AsciiString RegisteredVariable::GetString() const {
    const SmartPtr<RegisteredValue> value = m_value.Lock();
    AsciiString text("");
    if (value.Get() == nullptr) {
        return text;
    }
    const void* data = value->GetData();
    switch (value->GetType()) {
        case RegisteredValue::Int: text.AppendInt(*static_cast<const int32_t*>(data)); break;
        case RegisteredValue::UInt: text.AppendUInt(*static_cast<const uint32_t*>(data)); break;
        case RegisteredValue::Float: text.AppendFloat(*static_cast<const float*>(data)); break;
        case RegisteredValue::String: text = *static_cast<const AsciiString*>(data); break;
        case RegisteredValue::Bool: text = *static_cast<const bool*>(data) ? "true" : "false"; break;
    }
    return text;
}

}  // namespace Varnok
