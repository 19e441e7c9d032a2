// Cloud objects: JSON documents the service keeps for one owner, edited here
// by operation lists that merge with other devices' edits; each user's sync
// object that fetches and updates them, and the provider of those.
#pragma once

#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/IValue.h"
#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

class ICloudObjectSync;

class ICloudObjectCallbacks : public RefCounted {};

// Every edit names a target value inside the current data (from GetData and
// member access) and answers false when the target is not in it, the mode
// or operand is not accepted, or the edit cannot be applied.
class ICloudObject : public RefCounted {
public:
    virtual void AddCallbacks(ICloudObjectCallbacks* listener) = 0;
    virtual void RemoveCallbacks(ICloudObjectCallbacks* listener) = 0;
    virtual IValue* GetData() = 0;  // with a reference
    // Sets modes: 0 if unchanged since read, 1 if lower, 2 if higher, 3 if
    // newer. SetMembers sets each member of the object on its own.
    virtual bool SetMembers(const IValue* target, int mode, const IValue& members) = 0;
    virtual bool Set(const IValue* target, int mode, const IValue& value) = 0;
    virtual bool SetInt(const IValue* target, int mode, int32_t value) = 0;
    virtual bool SetFloat(const IValue* target, int mode, float value) = 0;
    virtual bool SetUInt(const IValue* target, int mode, uint32_t value) = 0;
    virtual bool SetBool(const IValue* target, int mode, bool value) = 0;
    virtual bool SetString(const IValue* target, int mode, const char* value) = 0;
    virtual bool SetStringWithLength(const IValue* target, int mode, const char* value, uint32_t length) = 0;
    // Modes 5 (NOT), 11 (remove first), 12 (remove last), 16 (toggle).
    virtual bool ModifyUnary(const IValue* target, int mode) = 0;
    virtual bool Modify(const IValue* target, int mode, const IValue& operand) = 0;
    virtual bool ModifyInt(const IValue* target, int mode, int32_t operand) = 0;
    virtual bool ModifyFloat(const IValue* target, int mode, float operand) = 0;
    virtual bool ModifyUInt(const IValue* target, int mode, uint32_t operand) = 0;
    virtual bool ModifyBool(const IValue* target, int mode, bool operand) = 0;
    virtual bool ModifyString(const IValue* target, int mode, const char* operand) = 0;
    // Mode 15: appends, keeping at most maximum elements.
    virtual bool AppendCapped(const IValue* target, int mode, const IValue& value, uint32_t maximum) = 0;
    virtual void Save() = 0;
};

class ICloudObjectSyncCallbacks : public RefCounted {
public:
    // text null on success.
    virtual void OnObjectsUpdated(ICloudObjectSync* sync, uint32_t requestId, KIPLINKERROR error,
                                  const char* text) = 0;
};

// Objects are answered with a reference added, or null.
class ICloudObjectSync : public RefCounted {
public:
    virtual void AddCallbacks(ICloudObjectSyncCallbacks* listener) = 0;
    virtual void RemoveCallbacks(ICloudObjectSyncCallbacks* listener) = 0;
    virtual void Update() = 0;
    // The user's own object: synchronised with the user's game sync.
    virtual ICloudObject* GetOwnObject(const char* objectId) = 0;
    // Another player's object; player is a record with "kiplinkId".
    virtual ICloudObject* GetObject(const IValue& player, const char* objectId) = 0;
    virtual void UpdateObject(ICloudObject* object, uint32_t* outRequestId) = 0;
    virtual void UpdateObjects(ICloudObject* const* objects, int count, uint32_t* outRequestId) = 0;
};

class ICloudProviderCallbacks : public RefCounted {};

class ICloudProvider : public RefCounted {
public:
    virtual void AddCallbacks(ICloudProviderCallbacks* listener) = 0;
    virtual void RemoveCallbacks(ICloudProviderCallbacks* listener) = 0;
    virtual void Update() = 0;
    virtual ICloudObjectSync* GetSyncObject(IUser* user) = 0;  // with a reference, null for null
};

}  // namespace Kiplink
