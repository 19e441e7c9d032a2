// The grammar of bindings files ("Input/Input.txt"): one action a line,
//   ActionName: Input1, Input2; state1, state2
// Blanks are ignored anywhere, even inside names. A further ';' in the state
// part starts the states again and adds the word before it as an input; a
// line without ':' continues the action and inputs of the line before it.
#pragma once

#include <cstdint>
#include <vector>

namespace Varnok {

struct InputBindingLine {
    uint32_t action = 0;           // HashName of the action name
    std::vector<uint32_t> inputs;  // input codes in file order; 0 for unknown names
    uint32_t states = 0;           // state bits
};

// Names are kept to this many characters; longer ones are cut.
constexpr int kInputBindingTokenMax = 255;

// Every line that names an action, at least one input and at least one known
// state. A last line without a line feed counts only with exactly one ':' and
// one ';'. sourceName names the data in the log line about a cut name.
std::vector<InputBindingLine> ParseInputBindings(const uint8_t* data, int32_t length,
                                                 const char* sourceName);

}  // namespace Varnok
