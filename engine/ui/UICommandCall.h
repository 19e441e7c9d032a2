// One scripted call of a UI command list: a name and its text arguments.
#pragma once

#include "engine/core/AsciiString.h"

#include <vector>

namespace Varnok {

struct UICommandCall {
    AsciiString name;
    std::vector<AsciiString> args;  // in the order written; each command converts its own
};

}  // namespace Varnok
