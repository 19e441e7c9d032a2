// JSON text into and out of values. Parsing runs twice: a check pass that
// changes nothing, then the pass that stores (into existing containers in
// place); nesting is capped so a hostile reply cannot exhaust the stack.
#include "kiplink/Source/Log.h"
#include "kiplink/Source/ValueImpl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace Kiplink {

namespace {

constexpr int kMaxDepth = 512;
constexpr size_t kMaxNumberBytes = 127;

class JsonParser {
public:
    explicit JsonParser(const char* text) : m_text(reinterpret_cast<const unsigned char*>(text)) {}

    // into null: check only.
    bool Run(ValueImpl* into) {
        m_pos = 0;
        if (ParseValue(into, 0)) {
            return true;
        }
        const unsigned char byte = m_text[m_failPos];
        Log("JSON: Failed to parse %c at %d", byte >= 32 && byte < 127 ? byte : '?',
            static_cast<int>(m_failPos));
        return false;
    }

private:
    bool Fail() {
        m_failPos = m_pos;
        return false;
    }

    void SkipSpace() {
        for (;;) {
            const unsigned char c = m_text[m_pos];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
                ++m_pos;
            } else if (c == '/' && m_text[m_pos + 1] == '/') {
                m_pos += 2;
                while (m_text[m_pos] != 0 && m_text[m_pos] != '\n') {
                    ++m_pos;
                }
            } else if (c == '/' && m_text[m_pos + 1] == '*') {
                // The opening asterisk counts: "/*/" is a whole comment.
                unsigned char previous = '*';
                m_pos += 2;
                while (m_text[m_pos] != 0) {
                    const unsigned char d = m_text[m_pos++];
                    if (d == '/' && previous == '*') {
                        break;
                    }
                    previous = d;
                }
            } else {
                return;
            }
        }
    }

    bool Literal(const char* word) {
        const size_t length = strlen(word);
        if (strncmp(reinterpret_cast<const char*>(m_text + m_pos), word, length) != 0) {
            return Fail();
        }
        m_pos += length;
        return true;
    }

    bool ParseValue(ValueImpl* into, int depth) {
        SkipSpace();
        const unsigned char c = m_text[m_pos];
        switch (c) {
            case '"':
                return ParseStringValue(into);
            case '[':
                return ParseArray(into, depth);
            case '{':
                return ParseObject(into, depth);
            case 't':
                if (!Literal("true")) return false;
                if (into) into->SetAsBool(true);
                return true;
            case 'f':
                if (!Literal("false")) return false;
                if (into) into->SetAsBool(false);
                return true;
            case 'n':
                if (!Literal("null")) return false;
                if (into) into->MakeEmpty(ValueType::Null);
                return true;
            default:
                if (c == '-' || (c >= '0' && c <= '9')) {
                    return ParseNumberValue(into);
                }
                return Fail();
        }
    }

    // A number token; its kind and value by the C library's scanners.
    struct Number {
        ValueType type;
        int32_t i;
        uint32_t u;
        float f;
    };

    bool ParseNumber(Number* out) {
        const size_t start = m_pos;
        size_t p = m_pos;
        bool isFloat = false;
        if (m_text[p] == '-') ++p;
        while (m_text[p] >= '0' && m_text[p] <= '9') ++p;
        if (m_text[p] == '.') {
            isFloat = true;
            ++p;
            while (m_text[p] >= '0' && m_text[p] <= '9') ++p;
        }
        if (m_text[p] == 'e' || m_text[p] == 'E') {
            isFloat = true;
            ++p;
            if (m_text[p] == '+' || m_text[p] == '-') ++p;
            while (m_text[p] >= '0' && m_text[p] <= '9') ++p;
        }
        const size_t length = p - start;
        if (length > kMaxNumberBytes) {
            return Fail();
        }
        char token[kMaxNumberBytes + 1];
        memcpy(token, m_text + start, length);
        token[length] = '\0';
        char* end = nullptr;
        if (isFloat) {
            out->type = ValueType::Float;
            out->f = strtof(token, &end);
        } else if (token[0] == '-') {
            out->type = ValueType::Int;
            const long long value = strtoll(token, &end, 10);
            out->i = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long long>(value)));
        } else {
            out->type = ValueType::UInt;
            if (length <= 9) {  // no overflow possible: the common case, quickly
                uint32_t value = 0;
                for (size_t k = 0; k < length; ++k) {
                    value = value * 10 + static_cast<uint32_t>(token[k] - '0');
                }
                out->u = value;
                end = token + length;
            } else {
                out->u = static_cast<uint32_t>(strtoull(token, &end, 10));
            }
        }
        if (end == token) {
            return Fail();  // "-" alone reads nothing
        }
        m_pos = p;
        return true;
    }

    bool ParseNumberValue(ValueImpl* into) {
        Number number{};
        if (!ParseNumber(&number)) {
            return false;
        }
        if (into != nullptr) {
            if (number.type == ValueType::Float) {
                into->SetAsFloat(number.f);
            } else if (number.type == ValueType::Int) {
                into->SetAsInt(number.i);
            } else {
                into->SetAsUInt(number.u);
            }
        }
        return true;
    }

    static int HexDigit(unsigned char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    // The bytes of a string token into out (when given); m_pos on the quote.
    bool ParseString(std::string* out) {
        ++m_pos;
        size_t runStart = m_pos;
        if (out) out->clear();
        for (;;) {
            const unsigned char c = m_text[m_pos];
            if (c == '"') {
                if (out) out->append(reinterpret_cast<const char*>(m_text + runStart), m_pos - runStart);
                ++m_pos;
                return true;
            }
            if (c == 0) {
                return Fail();
            }
            if (c != '\\') {
                ++m_pos;
                continue;
            }
            if (out) out->append(reinterpret_cast<const char*>(m_text + runStart), m_pos - runStart);
            const unsigned char e = m_text[m_pos + 1];
            char decoded = 0;
            bool keep = true;
            switch (e) {
                case '"': decoded = '"'; break;
                case '/': decoded = '/'; break;
                case '\\': decoded = '\\'; break;
                case 'b': decoded = 8; break;
                case 'f': decoded = 12; break;
                case 'n': decoded = 10; break;
                case 'r': decoded = 13; break;
                case 't': decoded = 9; break;
                case 'u': {
                    int value = 0;
                    for (int k = 0; k < 4; ++k) {
                        const int digit = HexDigit(m_text[m_pos + 2 + k]);
                        if (digit < 0) {
                            m_pos += 2 + k;
                            return Fail();
                        }
                        value = value * 16 + digit;
                    }
                    decoded = static_cast<char>(value & 0xFF);  // the low eight bits only
                    m_pos += 4;
                    break;
                }
                case 0:
                    ++m_pos;
                    return Fail();
                default:
                    keep = false;  // an unknown escape drops both bytes
                    break;
            }
            if (keep && out) out->push_back(decoded);
            m_pos += 2;
            runStart = m_pos;
        }
    }

    bool ParseStringValue(ValueImpl* into) {
        if (into == nullptr) {
            return ParseString(nullptr);
        }
        if (!ParseString(&m_scratch)) {
            return false;
        }
        into->SetAsStringWithLength(m_scratch.data(), static_cast<uint32_t>(m_scratch.size()));
        return true;
    }

    bool ParseArray(ValueImpl* into, int depth) {
        if (depth >= kMaxDepth) {
            return Fail();
        }
        ++m_pos;
        if (into != nullptr && !into->IsArray()) {
            into->MakeEmpty(ValueType::Array);
        }
        SkipSpace();
        if (m_text[m_pos] == ']') {
            ++m_pos;
            return true;  // an existing array stays as it was
        }
        uint32_t count = 0;
        for (;;) {
            ValueImpl* element = into != nullptr ? into->ElementGrowing(count) : nullptr;
            if (!ParseValue(element, depth + 1)) {
                return false;
            }
            ++count;
            SkipSpace();
            const unsigned char c = m_text[m_pos];
            if (c == ',') {
                ++m_pos;
                continue;
            }
            if (c != ']') {
                return Fail();
            }
            ++m_pos;
            break;
        }
        if (into != nullptr) {
            // The array keeps its length: elements past the text become null.
            const auto& elements = into->Elements();
            for (size_t k = count; k < elements.size(); ++k) {
                elements[k]->MakeEmpty(ValueType::Null);
            }
        }
        return true;
    }

    // A key is any number or string; its member name is its text.
    bool ParseKey(std::string* outName) {
        SkipSpace();
        const unsigned char c = m_text[m_pos];
        if (c == '"') {
            if (!ParseString(outName)) {
                return false;
            }
            if (outName) {
                // Names are C texts: a zero byte ends them.
                outName->resize(strlen(outName->c_str()));
            }
            return true;
        }
        if (c == '-' || (c >= '0' && c <= '9')) {
            Number number{};
            if (!ParseNumber(&number)) {
                return false;
            }
            if (outName) {
                char text[64];
                if (number.type == ValueType::Float) {
                    snprintf(text, sizeof(text), "%f", static_cast<double>(number.f));
                } else if (number.type == ValueType::Int) {
                    snprintf(text, sizeof(text), "%d", number.i);
                } else {
                    snprintf(text, sizeof(text), "%u", number.u);
                }
                outName->assign(text);
            }
            return true;
        }
        return Fail();  // null, bool, array and object keys are refused
    }

    bool ParseObject(ValueImpl* into, int depth) {
        if (depth >= kMaxDepth) {
            return Fail();
        }
        ++m_pos;
        if (into != nullptr && !into->IsObject()) {
            into->MakeEmpty(ValueType::Object);
        }
        SkipSpace();
        if (m_text[m_pos] == '}') {
            ++m_pos;
            return true;  // an existing object stays as it was
        }
        const bool hadMembers = into != nullptr && !into->Members().empty();
        std::vector<uint32_t> parsedKeys;
        std::string name;
        for (;;) {
            if (!ParseKey(into != nullptr ? &name : nullptr)) {
                return false;
            }
            SkipSpace();
            if (m_text[m_pos] != ':') {
                return Fail();
            }
            ++m_pos;
            ValueImpl* member = nullptr;
            if (into != nullptr) {
                member = into->MemberByName(name.data(), name.size());
                if (hadMembers) {
                    parsedKeys.push_back(ValueHashBytes(name.data(), name.size()));
                }
            }
            if (!ParseValue(member, depth + 1)) {
                return false;
            }
            SkipSpace();
            const unsigned char c = m_text[m_pos];
            if (c == ',') {
                ++m_pos;
                continue;
            }
            if (c != '}') {
                return Fail();
            }
            ++m_pos;
            break;
        }
        if (hadMembers) {
            // Members the text did not name become null; they stay in place.
            std::sort(parsedKeys.begin(), parsedKeys.end());
            for (const ValueImpl::Member& member : into->Members()) {
                if (!std::binary_search(parsedKeys.begin(), parsedKeys.end(), member.key->Hash())) {
                    member.value->MakeEmpty(ValueType::Null);
                }
            }
        }
        return true;
    }

    const unsigned char* m_text;
    size_t m_pos = 0;
    size_t m_failPos = 0;
    std::string m_scratch;
};

}  // namespace

// Writes the tree into one reused scratch buffer, then hands out an exact
// copy: one formatting pass over the numbers instead of two.
class ValueWriter {
public:
    TextBuffer* Write(const ValueImpl& value) {
        static std::string& s_scratch = *new std::string;  // kept to the end: used at exit
        s_scratch.clear();
        m_out = &s_scratch;
        WriteValue(value);
        auto* buffer = new TextBuffer(static_cast<uint32_t>(s_scratch.size()));
        memcpy(buffer->m_text, s_scratch.data(), s_scratch.size());
        buffer->m_text[s_scratch.size()] = '\0';
        return buffer;
    }

private:
    void WriteUInt(uint32_t value) {
        char digits[12];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (n > 0) {
            m_out->push_back(digits[--n]);
        }
    }

    void WriteValue(const ValueImpl& value) {
        switch (value.GetType()) {
            case ValueType::Null:
                m_out->append("null", 4);
                break;
            case ValueType::Bool:
                if (value.BoolPayload()) {
                    m_out->append("true", 4);
                } else {
                    m_out->append("false", 5);
                }
                break;
            case ValueType::Int: {
                const int32_t number = value.IntPayload();
                if (number < 0) {
                    m_out->push_back('-');
                    WriteUInt(0u - static_cast<uint32_t>(number));
                } else {
                    WriteUInt(static_cast<uint32_t>(number));
                }
                break;
            }
            case ValueType::UInt:
                WriteUInt(value.UIntPayload());
                break;
            case ValueType::Float: {
                const float number = value.FloatPayload();
                if (!std::isfinite(number)) {
                    // "inf" and "nan" are not JSON: the text would not read back.
                    m_out->append("null", 4);
                    break;
                }
                char text[64];
                const int length = snprintf(text, sizeof(text), "%f", static_cast<double>(number));
                m_out->append(text, static_cast<size_t>(length));
                break;
            }
            case ValueType::String:
                WriteString(value.StringBytes());
                break;
            case ValueType::Array: {
                m_out->push_back('[');
                bool first = true;
                for (const ValueImpl* element : value.Elements()) {
                    if (!first) m_out->push_back(',');
                    first = false;
                    WriteValue(*element);
                }
                m_out->push_back(']');
                break;
            }
            case ValueType::Object: {
                m_out->push_back('{');
                bool first = true;
                for (const ValueImpl::Member& member : value.Members()) {
                    if (!first) m_out->push_back(',');
                    first = false;
                    WriteValue(*member.key);  // a numeric key goes out bare
                    m_out->push_back(':');
                    WriteValue(*member.value);
                }
                m_out->push_back('}');
                break;
            }
        }
    }

    void WriteString(const std::string& bytes) {
        static const char kHex[] = "0123456789abcdef";
        m_out->push_back('"');
        size_t runStart = 0;
        const size_t size = bytes.size();
        for (size_t k = 0; k < size; ++k) {
            const unsigned char c = static_cast<unsigned char>(bytes[k]);
            if (c >= 32 && c != '"' && c != '/' && c != '\\') {
                continue;
            }
            m_out->append(bytes, runStart, k - runStart);
            runStart = k + 1;
            switch (c) {
                case 8: m_out->append("\\b", 2); break;
                case 9: m_out->append("\\t", 2); break;
                case 10: m_out->append("\\n", 2); break;
                case 12: m_out->append("\\f", 2); break;
                case 13: m_out->append("\\r", 2); break;
                case '"': m_out->append("\\\"", 2); break;
                case '/': m_out->append("\\/", 2); break;
                case '\\': m_out->append("\\\\", 2); break;
                default: {
                    const char escape[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
                    m_out->append(escape, 6);
                    break;
                }
            }
        }
        m_out->append(bytes, runStart, size - runStart);
        m_out->push_back('"');
    }

    std::string* m_out = nullptr;
};

bool ValueImpl::Parse(const char* text) {
    if (text == nullptr) {
        text = "";
    }
    JsonParser parser(text);
    (void)parser.Run(nullptr);  // the check pass only reports
    return parser.Run(this);
}

TextBuffer* ValueImpl::ToText() const {
    ValueWriter writer;
    return writer.Write(*this);
}

TextBuffer::TextBuffer(const char* text, uint32_t length) : TextBuffer(length) {
    memcpy(m_text, text, length);
    m_text[length] = '\0';
}

TextBuffer::TextBuffer(uint32_t length) : RefCounted(1), m_text(new char[length + 1]), m_length(length) {}

TextBuffer::~TextBuffer() { delete[] m_text; }

}  // namespace Kiplink
