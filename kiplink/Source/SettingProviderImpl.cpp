#include "kiplink/Source/SettingProviderImpl.h"

#include "kiplink/Source/Lua/LuaObjectRef.h"
#include "kiplink/Source/Lua/LuaVM.h"

namespace Kiplink {

SettingProviderImpl::SettingProviderImpl() : m_settings(CreateValue()) {}

SettingProviderImpl::~SettingProviderImpl() { m_settings->Release(); }

IValue* SettingProviderImpl::GetSettings() {
    m_settings->Reference();
    return m_settings;
}

void SettingProviderImpl::LoadSettings(const IValue& settings) {
    m_settings->SetAsValue(settings);
    m_listeners.Notify(&ISettingProviderCallbacks::OnSettingsLoaded, static_cast<ISettingProvider*>(this));
}

RefPtr<LuaObjectRef> ScriptRegistry::GetScriptTable(const std::string& scriptId) {
    auto found = m_tables.find(scriptId);
    if (found != m_tables.end()) {
        return found->second;
    }
    if (m_vm == nullptr) {
        return RefPtr<LuaObjectRef>();
    }
    m_vm->NewTable();
    RefPtr<LuaObjectRef> table;
    (void)m_vm->NewRegistryRef(-1, &table);
    m_vm->Pop(1);
    m_tables[scriptId] = table;
    return table;
}

void ScriptRegistry::LoadScripts(const IValue& record) {
    if (m_vm == nullptr || !record.IsObject()) {
        return;
    }
    RefPtr<LuaObjectRef> globals;
    (void)m_vm->GetGlobals(&globals);
    IValue& readable = const_cast<IValue&>(record);  // GetMemberName only reads
    for (uint32_t i = 0; i < record.GetMemberCount(); ++i) {
        const IValue& name = *readable.GetMemberName(i);
        const IValue& script = *record.GetMemberAt(i);
        if (!name.IsString() || !script.IsObject()) {
            continue;
        }
        const IValue* code = nullptr;
        for (uint32_t m = 0; m < script.GetMemberCount(); ++m) {
            const IValue& key = *const_cast<IValue&>(script).GetMemberName(m);
            if (key.IsString() && std::string(key.AsString("")) == "scriptClientCode") {
                code = script.GetMemberAt(m);
            }
        }
        if (code == nullptr || !code->IsString()) {
            continue;
        }
        const std::string id = name.AsString("");
        const std::string text = code->AsString("");
        RefPtr<LuaObjectRef> table = GetScriptTable(id);
        globals->SetFieldRef("meta", *table);
        (void)m_vm->RunString(text.c_str());
        globals->SetFieldNil("meta");
    }
}

}  // namespace Kiplink
