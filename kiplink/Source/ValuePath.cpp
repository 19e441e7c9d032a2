#include "kiplink/Source/ValuePath.h"

#include "kiplink/Source/ValueImpl.h"

#include <cstring>

namespace Kiplink {

const IValue* FindMember(const IValue& value, const char* name) {
    if (name == nullptr || !value.IsObject()) {
        return nullptr;
    }
    const size_t length = std::strlen(name);
    for (const ValueImpl::Member& member : Impl(value).Members()) {
        const std::string& key = member.key->StringBytes();
        if (member.key->IsString() && key.size() == length && key.compare(0, length, name) == 0) {
            return member.value;
        }
    }
    return nullptr;
}

const char* FindString(const IValue& value, const char* name) {
    const IValue* member = FindMember(value, name);
    return member != nullptr && member->IsString() ? member->AsString("") : nullptr;
}

std::vector<std::string> SplitDottedKey(const char* key) {
    std::vector<std::string> parts;
    if (key == nullptr) {
        return parts;
    }
    std::string part;
    for (const char* c = key; *c != '\0'; ++c) {
        if (*c == '.') {
            parts.push_back(part);
            part.clear();
        } else {
            part += *c;
        }
    }
    if (!part.empty()) {
        parts.push_back(part);
    }
    return parts;
}

const IValue* FindPath(const IValue& base, const std::vector<std::string>& parts) {
    const IValue* node = &base;
    for (const std::string& part : parts) {
        node = FindMember(*node, part.c_str());
        if (node == nullptr || node->IsNull()) {
            return nullptr;
        }
    }
    return node;
}

IValue* MakePath(IValue& base, const std::vector<std::string>& parts) {
    IValue* node = &base;
    for (const std::string& part : parts) {
        if (!node->IsNull() && !node->IsObject()) {
            return nullptr;
        }
        node = node->GetMemberByString(part.c_str());
    }
    return node;
}

std::string ReplyErrorText(const IValue& error) {
    if (error.IsArray() && error.GetMemberCount() > 1) {
        const IValue* text = error.GetMemberByInt(1);
        if (text->IsString()) {
            return text->AsString("error");
        }
    }
    return "error";
}

IValue* CreateObject() {
    IValue* value = CreateValue();
    value->Parse("{}");
    return value;
}

void MakeEmptyObject(IValue& value) {
    IValue* empty = CreateObject();
    value.SetAsValue(*empty);
    empty->Release();
}

}  // namespace Kiplink
