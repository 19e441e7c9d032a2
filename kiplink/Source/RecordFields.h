// Reads of records that came from outside (static data, replies) that never
// change them: the value type's own member reads create missing members.
#pragma once

#include "kiplink/Public/IValue.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace Kiplink {

// The member named name of an object, or null (also for any other value).
inline const IValue* FindField(const IValue& record, const char* name) {
    if (!record.IsObject()) {
        return nullptr;
    }
    IValue& readable = const_cast<IValue&>(record);  // GetMemberName only reads
    const size_t length = std::strlen(name);
    for (uint32_t i = 0; i < record.GetMemberCount(); ++i) {
        const IValue& key = *readable.GetMemberName(i);
        uint32_t keyLength = 0;
        const char* text = key.IsString() ? key.AsStringWithLength(&keyLength) : nullptr;
        if (text != nullptr && keyLength == length && std::memcmp(text, name, length) == 0) {
            return record.GetMemberAt(i);
        }
    }
    return nullptr;
}

// The key of an object's member at position index as text ("" when none).
inline std::string FieldNameAt(const IValue& record, uint32_t index) {
    if (!record.IsObject() || index >= record.GetMemberCount()) {
        return std::string();
    }
    const IValue& key = *const_cast<IValue&>(record).GetMemberName(index);
    uint32_t length = 0;
    const char* text = key.AsStringWithLength(&length);
    return std::string(text, length);
}

inline bool FieldText(const IValue& record, const char* name, std::string* out) {
    const IValue* field = FindField(record, name);
    if (field == nullptr || !field->IsString()) {
        return false;
    }
    uint32_t length = 0;
    const char* text = field->AsStringWithLength(&length);
    out->assign(text, length);
    return true;
}

inline bool FieldInt(const IValue& record, const char* name, int32_t* out) {
    const IValue* field = FindField(record, name);
    if (field == nullptr || !field->IsNumber()) {
        return false;
    }
    *out = field->AsInt(0);
    return true;
}

inline bool FieldBool(const IValue& record, const char* name, bool* out) {
    const IValue* field = FindField(record, name);
    if (field == nullptr || !field->IsBool()) {
        return false;
    }
    *out = field->AsBool(false);
    return true;
}

// The element at index of an array, or null.
inline const IValue* ElementAt(const IValue& array, uint32_t index) {
    return array.IsArray() && index < array.GetMemberCount() ? array.GetMemberAt(index) : nullptr;
}

}  // namespace Kiplink
