// The bindings-file reader: a byte-at-a-time state machine whose state runs on
// from line to line, as continuation lines rely on it.
#include "engine/core/InputBindingsParser.h"

#include "engine/core/HashName.h"
#include "engine/core/InputEvent.h"
#include "engine/core/Log.h"

namespace Varnok {

namespace {

class Token {
public:
    void Add(char c) {
        if (m_length < kInputBindingTokenMax) {
            m_chars[m_length++] = c;
            m_chars[m_length] = '\0';
        } else {
            m_cut = true;
        }
    }
    void Clear() {
        m_length = 0;
        m_chars[0] = '\0';
    }
    uint32_t Hash() const { return HashName(m_chars, m_length); }
    uint32_t InputCode() const { return FindInputCode(Hash()); }
    uint32_t StateBits() const { return FindInputStateKeyword(Hash()); }
    bool WasCut() const { return m_cut; }

private:
    char m_chars[kInputBindingTokenMax + 1] = {};
    int m_length = 0;
    bool m_cut = false;  // some token of the data was longer than the buffer
};

void AddLineIfComplete(uint32_t action, const std::vector<uint32_t>& inputs, uint32_t states,
                       std::vector<InputBindingLine>& out) {
    if (action != 0 && !inputs.empty() && states != 0) {
        out.push_back({action, inputs, states});
    }
}

}  // namespace

std::vector<InputBindingLine> ParseInputBindings(const uint8_t* data, int32_t length,
                                                 const char* sourceName) {
    std::vector<InputBindingLine> lines;
    uint32_t action = 0;
    std::vector<uint32_t> inputs;
    uint32_t states = 0;
    int separators = 0;  // ':' and ';' seen on this line
    Token token;
    for (int32_t i = 0; data != nullptr && i < length; ++i) {
        const uint8_t byte = data[i];
        switch (byte) {
            case ' ':
            case '\t':
                break;
            case ':':
                action = token.Hash();
                inputs.clear();
                ++separators;
                token.Clear();
                break;
            case ';':
                states = 0;
                inputs.push_back(token.InputCode());
                ++separators;
                token.Clear();
                break;
            case ',':
                if (separators == 1) {
                    inputs.push_back(token.InputCode());
                } else {
                    states |= token.StateBits();
                }
                token.Clear();
                break;
            case '\n':
                states |= token.StateBits();
                AddLineIfComplete(action, inputs, states, lines);
                separators = 0;
                token.Clear();
                break;
            default:
                // Carriage returns and other control bytes, and 0xB0 upwards, are dropped.
                if (byte >= 0x21 && byte <= 0xAF) {
                    token.Add(static_cast<char>(byte));
                }
                break;
        }
    }
    if (separators == 2) {
        AddLineIfComplete(action, inputs, states | token.StateBits(), lines);
    }
    if (token.WasCut()) {
        Log("Input bindings %s: a name longer than %d characters was cut",
            sourceName != nullptr ? sourceName : "(memory)", kInputBindingTokenMax);
    }
    return lines;
}

}  // namespace Varnok
