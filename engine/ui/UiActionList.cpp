// The command-list runner.
#include "engine/ui/UiActionList.h"

#include "engine/ui/UICommand.h"

namespace Varnok {

namespace {

constexpr int32_t kGoOn = 0;
constexpr int32_t kSkip = 1;
constexpr int32_t kStop = 2;

}  // namespace

bool UiActionList::HandleControlWord(const AsciiString& name, int32_t& state) {
    static const AsciiString s_else("else");
    static const AsciiString s_endif("endif");
    static const AsciiString s_exit("exit");
    if (name.Equals(s_else)) {
        state = state == kGoOn ? kSkip : kGoOn;
        return true;
    }
    if (name.Equals(s_endif)) {
        if (state == kSkip) {
            state = kGoOn;
        }
        return true;
    }
    if (name.Equals(s_exit)) {
        if (state == kGoOn) {
            state = kStop;
        }
        return true;
    }
    return false;
}

bool UiActionList::Run() {
    int32_t state = kGoOn;
    // By index: a command may run code that edits this list.
    for (size_t i = 0; i < m_calls.size(); ++i) {
        const UICommandCall call = m_calls[i];
        if (!HandleControlWord(call.name, state) && state == kGoOn) {
            state = ExecuteUICommand(m_owner, call.name, call.args);
        }
        if (state == kStop) {
            return false;
        }
    }
    return true;
}

}  // namespace Varnok
