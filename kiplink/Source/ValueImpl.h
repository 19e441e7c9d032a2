// The one implementation of IValue. Containers own one reference on each
// element, member and key; every child records its container as its parent,
// and a change anywhere drops the cached hash of the value and of every
// container above it.
#pragma once

#include "kiplink/Public/IValue.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Kiplink {

// Bob Jenkins' lookup2 over unsigned bytes (a = b = 0x9E3779B9, c = 2053).
uint32_t ValueHashBytes(const void* bytes, size_t length);

class ValueImpl final : public IValue {
public:
    ValueImpl();
    ~ValueImpl() override;

    // Lives for the process; Reference and Release leave it alone.
    static ValueImpl& SharedNull();

    int Reference() const override;
    int Release() const override;

    IValue* GetNull() override;
    IValue* Create() const override;
    IValue* Clone() const override;
    IValue* CreateFromText(const char* text) const override;
    bool Parse(const char* text) override;
    TextBuffer* ToText() const override;

    IValue* GetParent() const override { return m_parent; }
    IValue* GetKey() const override;
    uint32_t Hash() const override;

    ValueType GetType() const override { return m_type; }
    bool IsNull() const override { return m_type == ValueType::Null; }
    bool IsBool() const override { return m_type == ValueType::Bool; }
    bool IsNumber() const override {
        return m_type == ValueType::Int || m_type == ValueType::Float || m_type == ValueType::UInt;
    }
    bool IsString() const override { return m_type == ValueType::String; }
    bool IsArray() const override { return m_type == ValueType::Array; }
    bool IsObject() const override { return m_type == ValueType::Object; }
    bool IsFloat() const override { return m_type == ValueType::Float; }
    bool IsInt() const override { return m_type == ValueType::Int; }
    bool IsUInt() const override { return m_type == ValueType::UInt; }

    const char* AsStringWithLength(uint32_t* outLength) const override;
    const char* AsString(const char* defaultValue) const override;
    int32_t AsInt(int32_t defaultValue) const override;
    uint32_t AsUInt(uint32_t defaultValue) const override;
    float AsFloat(float defaultValue) const override;
    bool AsBool(bool defaultValue) const override;

    IValue* GetMemberName(uint32_t index) override;
    IValue* GetMemberByString(const char* name) override;
    IValue* GetMemberByInt(int32_t index) override;
    IValue* GetMemberAt(uint32_t index) override;
    const IValue* GetMemberByString(const char* name) const override;
    const IValue* GetMemberByInt(int32_t index) const override;
    const IValue* GetMemberAt(uint32_t index) const override;
    uint32_t GetMemberCount() const override;

    void AppendString(const char* text) override { AppendNew()->SetAsString(text); }
    void AppendInt(int32_t number) override { AppendNew()->SetAsInt(number); }
    void AppendUInt(uint32_t number) override { AppendNew()->SetAsUInt(number); }
    void AppendFloat(float number) override { AppendNew()->SetAsFloat(number); }
    void AppendBool(bool flag) override { AppendNew()->SetAsBool(flag); }
    void AppendValue(const IValue& other) override;
    void PrependString(const char* text) override { PrependNew()->SetAsString(text); }
    void PrependInt(int32_t number) override { PrependNew()->SetAsInt(number); }
    void PrependUInt(uint32_t number) override { PrependNew()->SetAsUInt(number); }
    void PrependFloat(float number) override { PrependNew()->SetAsFloat(number); }
    void PrependBool(bool flag) override { PrependNew()->SetAsBool(flag); }
    void PrependValue(const IValue& other) override;
    void PopBack() override;
    void PopFront() override;
    void RemoveAt(uint32_t index) override;
    void RemoveMemberByInt(int32_t key) override;
    void RemoveMemberByString(const char* name) override;
    void Merge(const IValue& other) override;
    void AppendText(const char* text) override;

    void SetAsStringWithLength(const char* bytes, uint32_t length) override;
    void SetAsString(const char* text) override;
    void SetAsInt(int32_t number) override;
    void SetAsUInt(uint32_t number) override;
    void SetAsFloat(float number) override;
    void SetAsBool(bool flag) override;
    void SetAsValue(const IValue& other) override;

    bool operator==(const IValue& other) const override;
    bool operator<(const IValue& other) const override;
    bool operator<=(const IValue& other) const override;
    bool operator>=(const IValue& other) const override;
    IValue& operator+=(const IValue& other) override { return Combine(other, '+'); }
    IValue& operator-=(const IValue& other) override { return Combine(other, '-'); }
    IValue& operator*=(const IValue& other) override { return Combine(other, '*'); }
    IValue& operator/=(const IValue& other) override { return Combine(other, '/'); }
    IValue& operator%=(const IValue& other) override { return Combine(other, '%'); }

    // For the parser and writer.
    struct Member {
        ValueImpl* key;
        ValueImpl* value;
    };
    void MakeEmpty(ValueType type);  // releases the payload; an empty container of that type
    ValueImpl* ElementGrowing(uint32_t index);
    ValueImpl* MemberByName(const char* name, size_t length);  // found or created (string key)
    const std::vector<ValueImpl*>& Elements() const { return m_elements; }
    const std::vector<Member>& Members() const { return m_order; }
    const std::string& StringBytes() const { return m_string; }
    int32_t IntPayload() const { return m_scalar.i; }
    uint32_t UIntPayload() const { return m_scalar.u; }
    float FloatPayload() const { return m_scalar.f; }
    bool BoolPayload() const { return m_scalar.b; }

private:
    struct SharedTag {};
    explicit ValueImpl(SharedTag);

    void Touched();  // this value changed
    void ReleasePayload();
    void CopyFrom(const ValueImpl& other);  // requires: payload released
    void TakePayloadOf(ValueImpl& other);   // requires: payload released
    ValueImpl* AppendNew();
    ValueImpl* PrependNew();
    ValueImpl* AddMember(ValueImpl* key);  // takes the key's reference
    ValueImpl* FindMember(uint32_t keyHash) const;
    ValueImpl* MemberByIntKey(int32_t index);
    void RemoveMemberAtPosition(size_t position);
    void ConvertArrayToObject();
    IValue& Combine(const IValue& other, char operation);
    static void Detach(ValueImpl* child);  // clears parent and key, releases

    ValueImpl* m_parent = nullptr;
    ValueImpl* m_key = nullptr;  // held by the parent object
    ValueType m_type = ValueType::Null;
    mutable bool m_hashValid = false;
    bool m_shared = false;
    mutable uint32_t m_hash = 0;
    union {
        bool b;
        int32_t i;
        float f;
        uint32_t u;
    } m_scalar{};
    std::string m_string;
    std::vector<ValueImpl*> m_elements;     // array
    std::vector<Member> m_order;            // object, insertion order
    std::map<uint32_t, ValueImpl*> m_byKey;  // object, by key hash
};

inline const ValueImpl& Impl(const IValue& value) { return static_cast<const ValueImpl&>(value); }

}  // namespace Kiplink
