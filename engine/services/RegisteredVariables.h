// Live program values that data files name: a registrant puts a typed
// variable under a name and keeps the returned value alive; handles bind to
// it by name through weak references and read it afresh on every read, so a
// value that goes away leaves its handles unbound, never dangling.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/WeakPtr.h"

#include <cstdint>
#include <map>

namespace Varnok {

// A registered variable: its type and where it lives.
class RegisteredValue : public ReferenceCounter {
public:
    enum Type : int32_t { Int = 0, UInt = 1, Float = 2, String = 3, Bool = 4 };

    RegisteredValue(Type type, const void* data) : m_type(type), m_data(data) {}

    Type GetType() const { return m_type; }
    const void* GetData() const { return m_data; }

private:
    Type m_type;
    const void* m_data;  // the registrant's variable; outlives this value
};

// The one registry; main thread only.
class RegisteredVariables {
public:
    static RegisteredVariables& Get();

    // Puts the variable under the name, replacing an earlier registration.
    // The variable must outlive the returned value; the registry holds it
    // weakly, so dropping the returned pointer unregisters it.
    SmartPtr<RegisteredValue> Register(const char* name, const int32_t* variable);
    SmartPtr<RegisteredValue> Register(const char* name, const uint32_t* variable);
    SmartPtr<RegisteredValue> Register(const char* name, const float* variable);
    SmartPtr<RegisteredValue> Register(const char* name, const AsciiString* variable);
    SmartPtr<RegisteredValue> Register(const char* name, const bool* variable);
    void Unregister(const char* name);

    // The live value under the name, or null.
    SmartPtr<RegisteredValue> Find(const AsciiString& name) const;

private:
    SmartPtr<RegisteredValue> Store(const char* name, RegisteredValue::Type type, const void* data);

    std::map<AsciiString, WeakPtr<RegisteredValue>, AsciiStringLess> m_values;
};

// A handle on a registered variable by name.
class RegisteredVariable {
public:
    RegisteredVariable() = default;
    explicit RegisteredVariable(const char* name);

    // True when still bound, or when the name now finds a live value.
    bool Bind();
    // Drops the binding, takes the name and binds again.
    bool SetName(const char* name);
    const AsciiString& GetName() const { return m_name; }

    // Reads through a bound handle; an unbound one answers false, 0 and "".
    bool GetBool() const;
    int32_t GetInt() const;
    AsciiString GetString() const;

private:
    AsciiString m_name;
    WeakPtr<RegisteredValue> m_value;
};

}  // namespace Varnok
