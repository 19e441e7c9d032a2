// Value storage, conversions, member access, comparison, arithmetic and hash.
// JSON text lives in ValueJson.cpp.
#include "kiplink/Source/ValueImpl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace Kiplink {

namespace {

// Numbers turned into text share this buffer (any "%f" of a float fits).
char s_numberText[64];

// The float with the bits 0x33FF8CF1: the tolerance of float equality.
constexpr float kFloatTolerance = 1.19e-7f;

// Scans as the C library's "%d" / "%u" would (leading blanks, a sign, digits,
// the value cut to 32 bits); false when nothing is read.
bool ScanInt(const char* text, int32_t* out) {
    char* end = nullptr;
    const long long value = strtoll(text, &end, 10);
    if (end == text) {
        return false;
    }
    *out = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long long>(value)));
    return true;
}

bool ScanUInt(const char* text, uint32_t* out) {
    char* end = nullptr;
    const unsigned long long value = strtoull(text, &end, 10);
    if (end == text) {
        return false;
    }
    *out = static_cast<uint32_t>(value);
    return true;
}

bool ScanFloat(const char* text, float* out) {
    char* end = nullptr;
    const float value = strtof(text, &end);
    if (end == text) {
        return false;
    }
    *out = value;
    return true;
}

// Truncation toward zero, saturating, NaN to 0: never undefined.
int32_t FloatToInt(float value) {
    if (!(value == value)) {
        return 0;
    }
    if (value >= 2147483647.0f) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value <= -2147483648.0f) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);
}

// Negative values wrap as they would through a 64-bit integer.
uint32_t FloatToUInt(float value) {
    if (!(value == value)) {
        return 0;
    }
    if (value >= 9.2e18f || value <= -9.2e18f) {
        return value > 0 ? std::numeric_limits<uint32_t>::max() : 0;
    }
    return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value)));
}

// A signed view of an int or uint for ordering: the mathematical value.
int64_t WholeValue(const ValueImpl& value) {
    return value.IsInt() ? static_cast<int64_t>(value.IntPayload()) : static_cast<int64_t>(value.UIntPayload());
}

uint32_t HashText(const char* text) { return ValueHashBytes(text, strlen(text)); }

uint32_t HashOfKeyInt(int32_t index) {
    char text[16];
    snprintf(text, sizeof(text), "%d", index);
    return HashText(text);
}

}  // namespace

IValue* CreateValue() { return new ValueImpl(); }

ValueImpl::ValueImpl() = default;

ValueImpl::ValueImpl(SharedTag) {
    m_shared = true;
    m_refCount = 0;
}

ValueImpl::~ValueImpl() {
    ReleasePayload();
    if (m_shared) {
        m_refCount = 0;
    }
}

ValueImpl& ValueImpl::SharedNull() {
    static ValueImpl& s_null = *new ValueImpl(SharedTag{});  // kept to the end: used at exit
    return s_null;
}

int ValueImpl::Reference() const { return m_shared ? 1 : RefCounted::Reference(); }

int ValueImpl::Release() const { return m_shared ? 1 : RefCounted::Release(); }

void ValueImpl::Touched() {
    m_hashValid = false;
    // An ancestor with a valid hash only ever sits above valid descendants,
    // so the walk may stop at the first one already dropped.
    for (ValueImpl* parent = m_parent; parent != nullptr && parent->m_hashValid; parent = parent->m_parent) {
        parent->m_hashValid = false;
    }
}

void ValueImpl::Detach(ValueImpl* child) {
    child->m_parent = nullptr;
    child->m_key = nullptr;
    child->Release();
}

void ValueImpl::ReleasePayload() {
    if (!m_elements.empty()) {
        std::vector<ValueImpl*> elements;
        elements.swap(m_elements);
        for (ValueImpl* element : elements) {
            Detach(element);
        }
    }
    if (!m_order.empty()) {
        std::vector<Member> members;
        members.swap(m_order);
        m_byKey.clear();
        for (const Member& member : members) {
            Detach(member.value);
            Detach(member.key);
        }
    }
    m_string.clear();
    m_scalar.u = 0;
}

void ValueImpl::MakeEmpty(ValueType type) {
    ReleasePayload();
    m_type = type;
    Touched();
}

void ValueImpl::CopyFrom(const ValueImpl& other) {
    m_type = other.m_type;
    m_scalar = other.m_scalar;
    m_string = other.m_string;
    m_hash = other.m_hash;
    m_hashValid = other.m_hashValid;
    if (other.m_type == ValueType::Array) {
        m_elements.reserve(other.m_elements.size());
        for (const ValueImpl* element : other.m_elements) {
            auto* copy = static_cast<ValueImpl*>(element->Clone());
            copy->m_parent = this;
            m_elements.push_back(copy);
        }
    } else if (other.m_type == ValueType::Object) {
        m_order.reserve(other.m_order.size());
        for (const Member& member : other.m_order) {
            auto* key = static_cast<ValueImpl*>(member.key->Clone());
            auto* value = static_cast<ValueImpl*>(member.value->Clone());
            key->m_parent = this;
            value->m_parent = this;
            value->m_key = key;
            m_order.push_back({key, value});
            m_byKey.emplace(key->Hash(), value);
        }
    }
}

void ValueImpl::TakePayloadOf(ValueImpl& other) {
    m_type = other.m_type;
    m_scalar = other.m_scalar;
    m_string.swap(other.m_string);
    m_hash = other.m_hash;
    m_hashValid = other.m_hashValid;
    m_elements.swap(other.m_elements);
    m_order.swap(other.m_order);
    m_byKey.swap(other.m_byKey);
    for (ValueImpl* element : m_elements) {
        element->m_parent = this;
    }
    for (const Member& member : m_order) {
        member.key->m_parent = this;
        member.value->m_parent = this;
    }
    other.m_type = ValueType::Null;
}

IValue* ValueImpl::GetNull() {
    ValueImpl& shared = SharedNull();
    shared.MakeEmpty(ValueType::Null);
    return &shared;
}

IValue* ValueImpl::Create() const { return new ValueImpl(); }

IValue* ValueImpl::Clone() const {
    auto* copy = new ValueImpl();
    copy->CopyFrom(*this);
    return copy;
}

IValue* ValueImpl::CreateFromText(const char* text) const {
    IValue* value = new ValueImpl();
    (void)value->Parse(text);
    return value;
}

IValue* ValueImpl::GetKey() const {
    if (m_key != nullptr) {
        m_key->Reference();
    }
    return m_key;
}

uint32_t ValueImpl::Hash() const {
    if (m_hashValid) {
        return m_hash;
    }
    uint32_t hash = 0;
    switch (m_type) {
        case ValueType::Null:
            hash = 0;
            break;
        case ValueType::Bool: {
            static const uint32_t s_trueHash = HashText("1");
            static const uint32_t s_falseHash = HashText("0");
            hash = m_scalar.b ? s_trueHash : s_falseHash;
            break;
        }
        case ValueType::Int:
        case ValueType::UInt:
        case ValueType::Float: {
            // Four decimals for floats: 0.5 hashes as "0.5000" although it
            // is written "0.500000".
            char text[64];
            if (m_type == ValueType::Int) {
                snprintf(text, sizeof(text), "%d", m_scalar.i);
            } else if (m_type == ValueType::UInt) {
                snprintf(text, sizeof(text), "%u", m_scalar.u);
            } else {
                snprintf(text, sizeof(text), "%.4f", static_cast<double>(m_scalar.f));
            }
            hash = HashText(text);
            break;
        }
        case ValueType::String:
            hash = ValueHashBytes(m_string.data(), m_string.size());
            break;
        case ValueType::Array: {
            std::vector<uint8_t> words(m_elements.size() * 4);
            for (size_t i = 0; i < m_elements.size(); ++i) {
                const uint32_t h = m_elements[i]->Hash();
                for (int b = 0; b < 4; ++b) {
                    words[i * 4 + b] = static_cast<uint8_t>(h >> (8 * b));
                }
            }
            hash = ValueHashBytes(words.data(), words.size());
            break;
        }
        case ValueType::Object: {
            std::vector<uint8_t> words;
            words.reserve(m_byKey.size() * 8);
            for (const auto& [keyHash, value] : m_byKey) {
                const uint32_t pair[2] = {keyHash, value->Hash()};
                for (uint32_t h : pair) {
                    for (int b = 0; b < 4; ++b) {
                        words.push_back(static_cast<uint8_t>(h >> (8 * b)));
                    }
                }
            }
            hash = ValueHashBytes(words.data(), words.size());
            break;
        }
    }
    m_hash = hash;
    m_hashValid = true;
    return hash;
}

const char* ValueImpl::AsStringWithLength(uint32_t* outLength) const {
    if (m_type == ValueType::String) {
        *outLength = static_cast<uint32_t>(m_string.size());
        return m_string.c_str();
    }
    const char* text = AsString("");
    *outLength = static_cast<uint32_t>(strlen(text));
    return text;
}

const char* ValueImpl::AsString(const char* defaultValue) const {
    switch (m_type) {
        case ValueType::Bool:
            return m_scalar.b ? "true" : "false";
        case ValueType::Int:
            snprintf(s_numberText, sizeof(s_numberText), "%d", m_scalar.i);
            return s_numberText;
        case ValueType::UInt:
            snprintf(s_numberText, sizeof(s_numberText), "%u", m_scalar.u);
            return s_numberText;
        case ValueType::Float:
            snprintf(s_numberText, sizeof(s_numberText), "%f", static_cast<double>(m_scalar.f));
            return s_numberText;
        case ValueType::String:
            return m_string.c_str();
        default:
            return defaultValue;
    }
}

int32_t ValueImpl::AsInt(int32_t defaultValue) const {
    switch (m_type) {
        case ValueType::Bool:
            return m_scalar.b ? 1 : 0;
        case ValueType::Int:
        case ValueType::UInt:
            return m_scalar.i;
        case ValueType::Float:
            return FloatToInt(m_scalar.f);
        case ValueType::String: {
            int32_t value = defaultValue;
            return ScanInt(m_string.c_str(), &value) ? value : defaultValue;
        }
        default:
            return defaultValue;
    }
}

uint32_t ValueImpl::AsUInt(uint32_t defaultValue) const {
    switch (m_type) {
        case ValueType::Bool:
            return m_scalar.b ? 1 : 0;
        case ValueType::Int:
        case ValueType::UInt:
            return m_scalar.u;
        case ValueType::Float:
            return FloatToUInt(m_scalar.f);
        case ValueType::String: {
            uint32_t value = defaultValue;
            return ScanUInt(m_string.c_str(), &value) ? value : defaultValue;
        }
        default:
            return defaultValue;
    }
}

float ValueImpl::AsFloat(float defaultValue) const {
    switch (m_type) {
        case ValueType::Bool:
            return m_scalar.b ? 1.0f : 0.0f;
        case ValueType::Int:
            return static_cast<float>(m_scalar.i);
        case ValueType::UInt:
            return static_cast<float>(m_scalar.u);
        case ValueType::Float:
            return m_scalar.f;
        case ValueType::String: {
            float value = defaultValue;
            return ScanFloat(m_string.c_str(), &value) ? value : defaultValue;
        }
        default:
            return defaultValue;
    }
}

bool ValueImpl::AsBool(bool defaultValue) const {
    switch (m_type) {
        case ValueType::Null:
            return defaultValue;
        case ValueType::Object:
        case ValueType::Array:
            return true;
        case ValueType::Bool:
            return m_scalar.b;
        case ValueType::Int:
        case ValueType::UInt:
            return m_scalar.u != 0;
        case ValueType::Float:
            return m_scalar.f != 0.0f;
        case ValueType::String:
            return m_string == "true" || AsFloat(0.0f) != 0.0f;
    }
    return defaultValue;
}

// ---- members

ValueImpl* ValueImpl::FindMember(uint32_t keyHash) const {
    const auto found = m_byKey.find(keyHash);
    return found == m_byKey.end() ? nullptr : found->second;
}

ValueImpl* ValueImpl::AddMember(ValueImpl* key) {
    auto* value = new ValueImpl();
    key->m_parent = this;
    value->m_parent = this;
    value->m_key = key;
    m_order.push_back({key, value});
    m_byKey.emplace(key->Hash(), value);
    Touched();
    return value;
}

ValueImpl* ValueImpl::MemberByName(const char* name, size_t length) {
    if (ValueImpl* found = FindMember(ValueHashBytes(name, length))) {
        return found;
    }
    auto* key = new ValueImpl();
    key->m_type = ValueType::String;
    key->m_string.assign(name, length);
    return AddMember(key);
}

ValueImpl* ValueImpl::MemberByIntKey(int32_t index) {
    if (ValueImpl* found = FindMember(HashOfKeyInt(index))) {
        return found;
    }
    auto* key = new ValueImpl();
    key->m_type = ValueType::Int;
    key->m_scalar.i = index;
    return AddMember(key);
}

ValueImpl* ValueImpl::ElementGrowing(uint32_t index) {
    if (index >= m_elements.size()) {
        m_elements.reserve(static_cast<size_t>(index) + 1);
        while (m_elements.size() <= index) {
            auto* element = new ValueImpl();
            element->m_parent = this;
            m_elements.push_back(element);
        }
        Touched();
    }
    return m_elements[index];
}

void ValueImpl::ConvertArrayToObject() {
    std::vector<ValueImpl*> elements;
    elements.swap(m_elements);
    MakeEmpty(ValueType::Object);
    for (size_t i = 0; i < elements.size(); ++i) {
        auto* key = new ValueImpl();
        key->m_type = ValueType::UInt;
        key->m_scalar.u = static_cast<uint32_t>(i);
        AddMember(key)->CopyFrom(*elements[i]);
    }
    for (ValueImpl* element : elements) {
        Detach(element);
    }
}

IValue* ValueImpl::GetMemberName(uint32_t index) {
    if (m_type != ValueType::Object) {
        return &SharedNull();
    }
    if (index >= m_order.size()) {
        return GetNull();
    }
    return m_order[index].key;
}

IValue* ValueImpl::GetMemberByString(const char* name) {
    if (m_type == ValueType::Array) {
        ConvertArrayToObject();
    } else if (m_type != ValueType::Object) {
        MakeEmpty(ValueType::Object);
    }
    return MemberByName(name, strlen(name));
}

IValue* ValueImpl::GetMemberByInt(int32_t index) {
    if (m_type != ValueType::Object && m_type != ValueType::Array) {
        MakeEmpty(ValueType::Array);
    }
    if (m_type == ValueType::Array) {
        // A negative index on an array names element 0 onwards as unsigned:
        // refuse it rather than grow by billions.
        if (index < 0) {
            return GetNull();
        }
        return ElementGrowing(static_cast<uint32_t>(index));
    }
    return MemberByIntKey(index);
}

IValue* ValueImpl::GetMemberAt(uint32_t index) {
    if (m_type != ValueType::Object && m_type != ValueType::Array) {
        MakeEmpty(ValueType::Array);
    }
    if (m_type == ValueType::Array) {
        return index > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) ? GetNull()
                                                                                   : ElementGrowing(index);
    }
    return index < m_order.size() ? m_order[index].value : nullptr;
}

// The const reads never discard data: a null becomes the container the read
// asks for, any other non-container answers the shared null unchanged.
const IValue* ValueImpl::GetMemberByString(const char* name) const {
    auto* self = const_cast<ValueImpl*>(this);
    if (m_type == ValueType::Null) {
        self->MakeEmpty(ValueType::Object);
    } else if (m_type != ValueType::Object) {
        return &SharedNull();
    }
    return self->MemberByName(name, strlen(name));
}

const IValue* ValueImpl::GetMemberByInt(int32_t index) const {
    auto* self = const_cast<ValueImpl*>(this);
    if (m_type == ValueType::Null) {
        self->MakeEmpty(ValueType::Object);
    } else if (m_type != ValueType::Object && m_type != ValueType::Array) {
        return &SharedNull();
    }
    return self->GetMemberByInt(index);
}

const IValue* ValueImpl::GetMemberAt(uint32_t index) const {
    if (m_type != ValueType::Object && m_type != ValueType::Array) {
        return &SharedNull();
    }
    return const_cast<ValueImpl*>(this)->GetMemberAt(index);
}

uint32_t ValueImpl::GetMemberCount() const {
    if (m_type == ValueType::Object) {
        return static_cast<uint32_t>(m_order.size());
    }
    if (m_type == ValueType::Array) {
        return static_cast<uint32_t>(m_elements.size());
    }
    return 0;
}

ValueImpl* ValueImpl::AppendNew() {
    if (m_type != ValueType::Array) {
        MakeEmpty(ValueType::Array);
    }
    return ElementGrowing(static_cast<uint32_t>(m_elements.size()));
}

ValueImpl* ValueImpl::PrependNew() {
    if (m_type != ValueType::Array) {
        MakeEmpty(ValueType::Array);
    }
    auto* element = new ValueImpl();
    element->m_parent = this;
    m_elements.insert(m_elements.begin(), element);
    Touched();
    return element;
}

void ValueImpl::AppendValue(const IValue& other) {
    // Copied first: other may be this value or lie inside it.
    ValueImpl* copy = static_cast<ValueImpl*>(other.Clone());
    AppendNew()->TakePayloadOf(*copy);
    copy->Release();
    Touched();
}

void ValueImpl::PrependValue(const IValue& other) {
    ValueImpl* copy = static_cast<ValueImpl*>(other.Clone());
    PrependNew()->TakePayloadOf(*copy);
    copy->Release();
    Touched();
}

void ValueImpl::PopBack() {
    if (m_type != ValueType::Array || m_elements.empty()) {
        return;
    }
    ValueImpl* last = m_elements.back();
    m_elements.pop_back();
    Detach(last);
    Touched();
}

void ValueImpl::PopFront() {
    if (m_type != ValueType::Array || m_elements.empty()) {
        return;
    }
    ValueImpl* first = m_elements.front();
    m_elements.erase(m_elements.begin());
    Detach(first);
    Touched();
}

void ValueImpl::RemoveMemberAtPosition(size_t position) {
    const Member member = m_order[position];
    m_order.erase(m_order.begin() + static_cast<std::ptrdiff_t>(position));
    m_byKey.erase(member.key->Hash());
    Detach(member.value);
    Detach(member.key);
    Touched();
}

void ValueImpl::RemoveAt(uint32_t index) {
    if (m_type == ValueType::Array && index < m_elements.size()) {
        ValueImpl* element = m_elements[index];
        m_elements.erase(m_elements.begin() + index);
        Detach(element);
        Touched();
    } else if (m_type == ValueType::Object && index < m_order.size()) {
        RemoveMemberAtPosition(index);
    }
}

void ValueImpl::RemoveMemberByInt(int32_t key) {
    if (m_type != ValueType::Object) {
        return;
    }
    const uint32_t hash = HashOfKeyInt(key);
    for (size_t i = 0; i < m_order.size(); ++i) {
        if (m_order[i].key->Hash() == hash) {
            RemoveMemberAtPosition(i);
            return;
        }
    }
}

void ValueImpl::RemoveMemberByString(const char* name) {
    if (m_type != ValueType::Object) {
        return;
    }
    const uint32_t hash = HashText(name);
    for (size_t i = 0; i < m_order.size(); ++i) {
        if (m_order[i].key->Hash() == hash) {
            RemoveMemberAtPosition(i);
            return;
        }
    }
}

void ValueImpl::Merge(const IValue& other) {
    const ValueImpl& source = Impl(other);
    if (source.m_type != ValueType::Array) {
        return;
    }
    if (m_type == ValueType::Array) {
        // By position: other may be this array, growing as it goes.
        const size_t count = source.m_elements.size();
        for (size_t i = 0; i < count; ++i) {
            AppendValue(*source.m_elements[i]);
        }
    } else if (m_type == ValueType::Null) {
        SetAsValue(other);
    }
}

void ValueImpl::AppendText(const char* text) {
    if (m_type != ValueType::String) {
        return;
    }
    m_string.append(text);
    Touched();
}

// ---- setters

void ValueImpl::SetAsStringWithLength(const char* bytes, uint32_t length) {
    std::string text(bytes, length);  // bytes may lie in this value's own string
    MakeEmpty(ValueType::String);
    m_string.swap(text);
}

void ValueImpl::SetAsString(const char* text) { SetAsStringWithLength(text, static_cast<uint32_t>(strlen(text))); }

void ValueImpl::SetAsInt(int32_t number) {
    MakeEmpty(ValueType::Int);
    m_scalar.i = number;
}

void ValueImpl::SetAsUInt(uint32_t number) {
    MakeEmpty(ValueType::UInt);
    m_scalar.u = number;
}

void ValueImpl::SetAsFloat(float number) {
    MakeEmpty(ValueType::Float);
    m_scalar.f = number;
}

void ValueImpl::SetAsBool(bool flag) {
    MakeEmpty(ValueType::Bool);
    m_scalar.b = flag;
}

void ValueImpl::SetAsValue(const IValue& other) {
    if (&other == this) {
        return;
    }
    // Copied before clearing: other may lie inside this value.
    ValueImpl* copy = static_cast<ValueImpl*>(other.Clone());
    ReleasePayload();
    TakePayloadOf(*copy);
    copy->Release();
    const bool hashValid = m_hashValid;
    Touched();
    m_hashValid = hashValid;  // the copied hash is right for the copied payload
}

// ---- comparison and arithmetic

bool ValueImpl::operator==(const IValue& other) const {
    const ValueImpl& that = Impl(other);
    if (IsNumber() && that.IsNumber()) {
        if (IsFloat() || that.IsFloat()) {
            const float difference = AsFloat(0.0f) - that.AsFloat(0.0f);
            return difference > -kFloatTolerance && difference < kFloatTolerance;
        }
        return m_scalar.u == that.m_scalar.u;
    }
    return Hash() == that.Hash();
}

bool ValueImpl::operator<(const IValue& other) const {
    const ValueImpl& that = Impl(other);
    if (!IsNumber() || !that.IsNumber()) {
        return false;
    }
    if (IsFloat() || that.IsFloat()) {
        return AsFloat(0.0f) < that.AsFloat(0.0f);
    }
    return WholeValue(*this) < WholeValue(that);
}

bool ValueImpl::operator<=(const IValue& other) const {
    const ValueImpl& that = Impl(other);
    if (!IsNumber() || !that.IsNumber()) {
        return false;
    }
    if (IsFloat() && that.IsFloat()) {
        return m_scalar.f <= that.m_scalar.f;
    }
    if (that.IsFloat()) {
        return AsFloat(0.0f) <= that.m_scalar.f + kFloatTolerance;
    }
    if (IsFloat()) {
        return m_scalar.f - kFloatTolerance <= that.AsFloat(0.0f);
    }
    return WholeValue(*this) <= WholeValue(that);
}

bool ValueImpl::operator>=(const IValue& other) const {
    const ValueImpl& that = Impl(other);
    if (!IsNumber() || !that.IsNumber()) {
        return false;
    }
    if (IsFloat() && that.IsFloat()) {
        return m_scalar.f >= that.m_scalar.f;
    }
    if (that.IsFloat()) {
        return AsFloat(0.0f) >= that.m_scalar.f - kFloatTolerance;
    }
    if (IsFloat()) {
        return m_scalar.f + kFloatTolerance >= that.AsFloat(0.0f);
    }
    return WholeValue(*this) >= WholeValue(that);
}

IValue& ValueImpl::Combine(const IValue& other, char operation) {
    const ValueImpl& that = Impl(other);
    if (IsFloat() || that.IsFloat()) {
        const float b = that.AsFloat(0.0f);
        const float a = AsFloat(0.0f);
        float result = a;
        switch (operation) {
            case '+': result = a + b; break;
            case '-': result = a - b; break;
            case '*': result = a * b; break;
            case '/': result = a / b; break;
            default: result = std::fmod(a, b); break;
        }
        SetAsFloat(result);
    } else if (IsInt() || that.IsInt()) {
        const int32_t b = that.AsInt(0);
        if ((operation == '/' || operation == '%') && b == 0) {
            return *this;  // no trap: the value stays as it was
        }
        const int32_t a = AsInt(0);
        const uint32_t ua = static_cast<uint32_t>(a);
        const uint32_t ub = static_cast<uint32_t>(b);
        int32_t result = a;
        switch (operation) {
            case '+': result = static_cast<int32_t>(ua + ub); break;
            case '-': result = static_cast<int32_t>(ua - ub); break;
            case '*': result = static_cast<int32_t>(ua * ub); break;
            case '/':
                // INT_MIN / -1 wraps to INT_MIN rather than trapping.
                result = (b == -1) ? static_cast<int32_t>(0u - ua) : a / b;
                break;
            default: result = (b == -1) ? 0 : a % b; break;
        }
        SetAsInt(result);
    } else if (IsUInt() || that.IsUInt()) {
        const uint32_t b = that.AsUInt(0);
        if ((operation == '/' || operation == '%') && b == 0) {
            return *this;
        }
        const uint32_t a = AsUInt(0);
        uint32_t result = a;
        switch (operation) {
            case '+': result = a + b; break;
            case '-': result = a - b; break;
            case '*': result = a * b; break;
            case '/': result = a / b; break;
            default: result = a % b; break;
        }
        SetAsUInt(result);
    }
    return *this;
}

// ---- hash

uint32_t ValueHashBytes(const void* bytes, size_t length) {
    const uint8_t* k = static_cast<const uint8_t*>(bytes);
    uint32_t a = 0x9E3779B9u;
    uint32_t b = 0x9E3779B9u;
    uint32_t c = 2053u;
    size_t remaining = length;
#define KIPLINK_MIX(a, b, c)       \
    do {                           \
        a -= b; a -= c; a ^= (c >> 13); \
        b -= c; b -= a; b ^= (a << 8);  \
        c -= a; c -= b; c ^= (b >> 13); \
        a -= b; a -= c; a ^= (c >> 12); \
        b -= c; b -= a; b ^= (a << 16); \
        c -= a; c -= b; c ^= (b >> 5);  \
        a -= b; a -= c; a ^= (c >> 3);  \
        b -= c; b -= a; b ^= (a << 10); \
        c -= a; c -= b; c ^= (b >> 15); \
    } while (0)
    while (remaining >= 12) {
        a += k[0] + (uint32_t(k[1]) << 8) + (uint32_t(k[2]) << 16) + (uint32_t(k[3]) << 24);
        b += k[4] + (uint32_t(k[5]) << 8) + (uint32_t(k[6]) << 16) + (uint32_t(k[7]) << 24);
        c += k[8] + (uint32_t(k[9]) << 8) + (uint32_t(k[10]) << 16) + (uint32_t(k[11]) << 24);
        KIPLINK_MIX(a, b, c);
        k += 12;
        remaining -= 12;
    }
    c += static_cast<uint32_t>(length);
    switch (remaining) {  // the first byte of c is taken by the length
        case 11: c += uint32_t(k[10]) << 24; [[fallthrough]];
        case 10: c += uint32_t(k[9]) << 16; [[fallthrough]];
        case 9: c += uint32_t(k[8]) << 8; [[fallthrough]];
        case 8: b += uint32_t(k[7]) << 24; [[fallthrough]];
        case 7: b += uint32_t(k[6]) << 16; [[fallthrough]];
        case 6: b += uint32_t(k[5]) << 8; [[fallthrough]];
        case 5: b += k[4]; [[fallthrough]];
        case 4: a += uint32_t(k[3]) << 24; [[fallthrough]];
        case 3: a += uint32_t(k[2]) << 16; [[fallthrough]];
        case 2: a += uint32_t(k[1]) << 8; [[fallthrough]];
        case 1: a += k[0]; [[fallthrough]];
        default: break;
    }
    KIPLINK_MIX(a, b, c);
#undef KIPLINK_MIX
    return c;
}

}  // namespace Kiplink
