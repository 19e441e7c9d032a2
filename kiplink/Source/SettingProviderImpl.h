// The settings of the static data, and the client scripts: one Lua table per
// script id that each script fills through the global "meta" and that store
// items naming the script look their methods up in.
#pragma once

#include "kiplink/Public/ISettingProvider.h"

#include <map>
#include <string>

namespace Kiplink {

class LuaObjectRef;
class LuaVM;

class SettingProviderImpl final : public ISettingProvider {
public:
    SettingProviderImpl();
    ~SettingProviderImpl() override;

    void AddCallbacks(ISettingProviderCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(ISettingProviderCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override {}
    IValue* GetSettings() override;
    void Load() override {}

    // A deep copy of any value (null too), then OnSettingsLoaded.
    void LoadSettings(const IValue& settings);

private:
    IValue* m_settings;
    ListenerSet<ISettingProviderCallbacks> m_listeners;
};

// Owned by the root; its tables must be released before the Lua state.
class ScriptRegistry {
public:
    explicit ScriptRegistry(LuaVM* vm) : m_vm(vm) {}
    ScriptRegistry(const ScriptRegistry&) = delete;
    ScriptRegistry& operator=(const ScriptRegistry&) = delete;

    // The script's table, made empty on first use.
    RefPtr<LuaObjectRef> GetScriptTable(const std::string& scriptId);
    // {"<id>": {"scriptClientCode": "<lua>"}}: each runs in member order with
    // "meta" set to its own table; "meta" is gone afterwards. A failing
    // script is logged by the Lua state and the others still run.
    void LoadScripts(const IValue& record);

    size_t GetScriptCount() const { return m_tables.size(); }

private:
    LuaVM* m_vm;
    std::map<std::string, RefPtr<LuaObjectRef>> m_tables;
};

}  // namespace Kiplink
