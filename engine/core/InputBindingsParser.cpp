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

// False when the line lacks an action, an input or a known state.
bool AddLineIfComplete(uint32_t action, const std::vector<uint32_t>& inputs, uint32_t states,
                       std::vector<InputBindingLine>& out) {
    if (action != 0 && !inputs.empty() && states != 0) {
        out.push_back({action, inputs, states});
        return true;
    }
    return false;
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
    int lineNumber = 1;
    int firstDropped = 0;  // the first line that binds nothing, 0: none
    int droppedCount = 0;
    bool lineHasText = false;
    auto dropped = [&]() {
        if (firstDropped == 0) {
            firstDropped = lineNumber;
        }
        ++droppedCount;
    };
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
                // A blank line binds nothing and says nothing; a line with
                // text that binds nothing is worth a word.
                if (!AddLineIfComplete(action, inputs, states, lines) && lineHasText) {
                    dropped();
                }
                separators = 0;
                token.Clear();
                lineHasText = false;
                ++lineNumber;
                break;
            default:
                // Carriage returns and other control bytes, and 0xB0 upwards, are dropped.
                if (byte >= 0x21 && byte <= 0xAF) {
                    token.Add(static_cast<char>(byte));
                }
                break;
        }
        if (byte != '\n' && byte > 0x20 && byte != 0x7F) {
            lineHasText = true;
        }
    }
    if (separators == 2) {
        if (!AddLineIfComplete(action, inputs, states | token.StateBits(), lines)) {
            dropped();
        }
    } else if (lineHasText) {
        dropped();
    }
    const char* name = sourceName != nullptr ? sourceName : "(memory)";
    if (token.WasCut()) {
        Log("Input bindings %s: a name longer than %d characters was cut", name,
            kInputBindingTokenMax);
    }
    if (droppedCount > 0) {
        Log("Input bindings %s: %d line%s bind nothing (no action, input or known state), "
            "the first at line %d",
            name, droppedCount, droppedCount == 1 ? "" : "s", firstDropped);
    }
    return lines;
}

}  // namespace Varnok
