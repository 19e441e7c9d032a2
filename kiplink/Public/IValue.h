// The client library's one dynamic value: null, object, array, bool, int,
// float, uint or string, with JSON text in and out. Every request parameter,
// reply, saved file and script exchange is a tree of these.
#pragma once

#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

// One NUL-terminated heap copy of a text; starts with one reference.
class TextBuffer : public RefCounted {
public:
    TextBuffer(const char* text, uint32_t length);
    ~TextBuffer() override;

    const char* GetTextWithLength(uint32_t* outLength) const {
        *outLength = m_length;
        return m_text;
    }
    const char* GetText() const { return m_text; }
    uint32_t GetLength() const { return m_length; }

private:
    friend class ValueWriter;
    explicit TextBuffer(uint32_t length);  // uninitialised text of length bytes

    char* m_text;
    uint32_t m_length;
};

enum class ValueType : int32_t {
    Null = 0,
    Object = 1,
    Array = 2,
    Bool = 3,
    Int = 4,
    Float = 5,
    UInt = 6,
    String = 7,
};

// Values start with one reference, owned by whoever made them. Members and
// elements handed out by member access carry no added reference: they live as
// long as their container holds them. Reading a missing member of an object
// creates it as null; a const read never turns a value of another type into a
// container (it answers the shared null instead).
class IValue : public RefCounted {
public:
    // The shared null value, reset to null first; never add or drop a
    // reference on it expecting it to go away: it lives for the process.
    virtual IValue* GetNull() = 0;
    virtual IValue* Create() const = 0;
    virtual IValue* Clone() const = 0;
    // A new value with the text parsed into it (also when the parse fails).
    virtual IValue* CreateFromText(const char* text) const = 0;
    // JSON text into this value; a container keeps what it holds and is
    // parsed into in place. Logs one line per failed pass.
    virtual bool Parse(const char* text) = 0;
    // New buffer with one reference, owned by the caller.
    virtual TextBuffer* ToText() const = 0;

    // The containing value, or null; no reference added.
    virtual IValue* GetParent() const = 0;
    // This member's key with one reference added, or null.
    virtual IValue* GetKey() const = 0;
    virtual uint32_t Hash() const = 0;

    virtual ValueType GetType() const = 0;
    virtual bool IsNull() const = 0;
    virtual bool IsBool() const = 0;
    virtual bool IsNumber() const = 0;
    virtual bool IsString() const = 0;
    virtual bool IsArray() const = 0;
    virtual bool IsObject() const = 0;
    virtual bool IsFloat() const = 0;
    virtual bool IsInt() const = 0;
    virtual bool IsUInt() const = 0;

    // Number texts live in one shared buffer: valid until the next number is
    // turned into text.
    virtual const char* AsStringWithLength(uint32_t* outLength) const = 0;
    virtual const char* AsString(const char* defaultValue) const = 0;
    virtual int32_t AsInt(int32_t defaultValue) const = 0;
    virtual uint32_t AsUInt(uint32_t defaultValue) const = 0;
    virtual float AsFloat(float defaultValue) const = 0;
    virtual bool AsBool(bool defaultValue) const = 0;

    // Key at insertion position index, or the shared null.
    virtual IValue* GetMemberName(uint32_t index) = 0;
    virtual IValue* GetMemberByString(const char* name) = 0;
    virtual IValue* GetMemberByInt(int32_t index) = 0;
    // An object's member at insertion position index: null past the end.
    virtual IValue* GetMemberAt(uint32_t index) = 0;
    virtual const IValue* GetMemberByString(const char* name) const = 0;
    virtual const IValue* GetMemberByInt(int32_t index) const = 0;
    virtual const IValue* GetMemberAt(uint32_t index) const = 0;
    virtual uint32_t GetMemberCount() const = 0;

    virtual void AppendString(const char* text) = 0;
    virtual void AppendInt(int32_t number) = 0;
    virtual void AppendUInt(uint32_t number) = 0;
    virtual void AppendFloat(float number) = 0;
    virtual void AppendBool(bool flag) = 0;
    virtual void AppendValue(const IValue& other) = 0;
    virtual void PrependString(const char* text) = 0;
    virtual void PrependInt(int32_t number) = 0;
    virtual void PrependUInt(uint32_t number) = 0;
    virtual void PrependFloat(float number) = 0;
    virtual void PrependBool(bool flag) = 0;
    virtual void PrependValue(const IValue& other) = 0;
    virtual void PopBack() = 0;
    virtual void PopFront() = 0;
    virtual void RemoveAt(uint32_t index) = 0;
    virtual void RemoveMemberByInt(int32_t key) = 0;
    virtual void RemoveMemberByString(const char* name) = 0;
    virtual void Merge(const IValue& other) = 0;
    virtual void AppendText(const char* text) = 0;

    virtual void SetAsStringWithLength(const char* bytes, uint32_t length) = 0;
    virtual void SetAsString(const char* text) = 0;
    virtual void SetAsInt(int32_t number) = 0;
    virtual void SetAsUInt(uint32_t number) = 0;
    virtual void SetAsFloat(float number) = 0;
    virtual void SetAsBool(bool flag) = 0;
    // A deep copy of other; this value keeps its parent and key.
    virtual void SetAsValue(const IValue& other) = 0;

    virtual bool operator==(const IValue& other) const = 0;
    bool operator!=(const IValue& other) const { return !(*this == other); }
    virtual bool operator<(const IValue& other) const = 0;
    bool operator>(const IValue& other) const { return other < *this; }
    virtual bool operator<=(const IValue& other) const = 0;
    virtual bool operator>=(const IValue& other) const = 0;
    virtual IValue& operator+=(const IValue& other) = 0;
    virtual IValue& operator-=(const IValue& other) = 0;
    virtual IValue& operator*=(const IValue& other) = 0;
    virtual IValue& operator/=(const IValue& other) = 0;
    virtual IValue& operator%=(const IValue& other) = 0;

    IValue& operator[](const char* name) { return *GetMemberByString(name); }
    IValue& operator[](int32_t index) { return *GetMemberByInt(index); }
    const IValue& operator[](const char* name) const { return *GetMemberByString(name); }
    const IValue& operator[](int32_t index) const { return *GetMemberByInt(index); }

protected:
    IValue() : RefCounted(1) {}
};

// A new null value with one reference, owned by the caller.
IValue* CreateValue();

}  // namespace Kiplink
