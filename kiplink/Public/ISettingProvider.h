// The free-form "Settings" value of the signed static data, as the game reads
// it through the engine's setting service.
#pragma once

#include "kiplink/Public/IValue.h"
#include "kiplink/Public/RefCounted.h"

namespace Kiplink {

class ISettingProvider;

class ISettingProviderCallbacks : public RefCounted {
public:
    virtual void OnSettingsLoaded(ISettingProvider* provider) = 0;
};

class ISettingProvider : public RefCounted {
public:
    virtual void AddCallbacks(ISettingProviderCallbacks* listener) = 0;
    virtual void RemoveCallbacks(ISettingProviderCallbacks* listener) = 0;
    virtual void Update() = 0;
    // The settings with a reference added: null (the value) until the first
    // static data arrives.
    virtual IValue* GetSettings() = 0;
    virtual void Load() = 0;
};

}  // namespace Kiplink
