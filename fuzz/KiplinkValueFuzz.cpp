// Feeds arbitrary text to the client's JSON parser, into a fresh value and
// into a value that already holds a tree (and into one of its members, so
// the cached hashes above it must drop), then writes each result and reads
// the text back: whatever was accepted must write text that parses again to
// the same tree (floats to their six written decimals).
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/Log.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

using Kiplink::IValue;
using Kiplink::ValueType;

namespace {

const char kTree[] =
    "{\"error\":null,\"result\":{\"user\":{\"id\":\"u1\",\"level\":3,\"xp\":0.5},"
    "\"items\":[1,-2,3.25,\"four\",[5],{\"six\":6}],\"ok\":true}}";

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool Same(const IValue& written, const IValue& read) {
    switch (written.GetType()) {
        case ValueType::Float: {
            const float a = written.AsFloat(0);
            if (!std::isfinite(a)) {
                return read.IsNull();  // written as null
            }
            const float b = read.AsFloat(0);
            return read.IsFloat() && std::fabs(a - b) <= 1e-6f + std::fabs(a) * 1e-6f;
        }
        case ValueType::Int:
            if (written.AsInt(0) >= 0) {
                return read.IsUInt() && read.AsUInt(0) == written.AsUInt(0);  // no sign: read as uint
            }
            return read.IsInt() && read.AsInt(0) == written.AsInt(0);
        case ValueType::UInt:
            return read.IsUInt() && read.AsUInt(0) == written.AsUInt(0);
        case ValueType::String: {
            uint32_t lengthA = 0;
            uint32_t lengthB = 0;
            const char* a = written.AsStringWithLength(&lengthA);
            const char* b = read.AsStringWithLength(&lengthB);
            return read.IsString() && std::string(a, lengthA) == std::string(b, lengthB);
        }
        case ValueType::Array:
        case ValueType::Object: {
            if (read.GetType() != written.GetType() || read.GetMemberCount() != written.GetMemberCount()) {
                return false;
            }
            for (uint32_t i = 0; i < written.GetMemberCount(); ++i) {
                const IValue* a = written.GetMemberAt(i);
                const IValue* b = read.GetMemberAt(i);
                if (a == nullptr || b == nullptr || !Same(*a, *b)) {
                    return false;
                }
            }
            return true;
        }
        default:
            return read.GetType() == written.GetType();
    }
}

// A copy built through the setters, so that every hash in it is computed
// afresh rather than copied.
void Rebuild(IValue& from, IValue* to) {
    switch (from.GetType()) {
        case ValueType::Object:
            to->GetMemberByString("")->SetAsInt(0);  // becomes an object...
            to->RemoveMemberByString("");            // ...with no members yet
            for (uint32_t i = 0; i < from.GetMemberCount(); ++i) {
                Rebuild(*from.GetMemberAt(i), to->GetMemberByString(from.GetMemberName(i)->AsString("")));
            }
            break;
        case ValueType::Array:
            to->AppendInt(0);
            to->PopBack();
            for (uint32_t i = 0; i < from.GetMemberCount(); ++i) {
                Rebuild(*from.GetMemberAt(i), to->GetMemberAt(i));
            }
            break;
        case ValueType::Bool:
            to->SetAsBool(from.AsBool(false));
            break;
        case ValueType::Int:
            to->SetAsInt(from.AsInt(0));
            break;
        case ValueType::UInt:
            to->SetAsUInt(from.AsUInt(0));
            break;
        case ValueType::Float:
            to->SetAsFloat(from.AsFloat(0));
            break;
        case ValueType::String: {
            uint32_t length = 0;
            const char* bytes = from.AsStringWithLength(&length);
            to->SetAsStringWithLength(bytes, length);
            break;
        }
        default:
            break;
    }
}

void RoundTrip(const IValue& value) {
    (void)value.Hash();
    Kiplink::TextBuffer* text = value.ToText();
    IValue* again = Kiplink::CreateValue();
    Check(again->Parse(text->GetText()));
    Check(Same(value, *again));
    IValue* copy = value.Clone();
    Check(copy->Hash() == value.Hash());
    copy->Release();
    again->Release();
    text->Release();
}

}  // namespace

// Refusals log a line each: kept quiet so the fuzzer's own output stays readable.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Kiplink::SetLogSink([](const char*) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    IValue* fresh = Kiplink::CreateValue();
    if (fresh->Parse(text.c_str())) {
        RoundTrip(*fresh);
    }
    fresh->Release();

    IValue* tree = Kiplink::CreateValue();
    Check(tree->Parse(kTree));
    (void)tree->Hash();  // cached all the way down
    IValue* member = tree->GetMemberByString("result")->GetMemberByString("user");
    if (member->Parse(text.c_str())) {
        // The edit inside must reach the root's hash.
        IValue* rebuilt = Kiplink::CreateValue();
        Rebuild(*tree, rebuilt);
        Check(rebuilt->Hash() == tree->Hash());
        rebuilt->Release();
        RoundTrip(*tree);
    }
    if (tree->Parse(text.c_str())) {
        RoundTrip(*tree);
    }
    tree->Release();
    return 0;
}
