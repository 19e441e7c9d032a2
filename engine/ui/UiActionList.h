// The command list of a component event or an animation event keyframe, run
// for its owner component. The runner keeps a state: 0 runs the next call,
// 1 skips until "else" or "endif", 2 stops; any other value skips until
// "else". "else", "endif" and "exit" are control words, never commands.
#pragma once

#include "engine/ui/UICommandCall.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class Component;

class UiActionList {
public:
    UiActionList() = default;
    explicit UiActionList(Component* owner) : m_owner(owner) {}
    virtual ~UiActionList() = default;
    UiActionList(const UiActionList&) = default;
    UiActionList& operator=(const UiActionList&) = default;

    // False as soon as a call (or "exit") stops the list; true after the
    // last call.
    virtual bool Run();

    // True when name is a control word; it then updates state. Exact
    // comparison, letter case included.
    static bool HandleControlWord(const AsciiString& name, int32_t& state);

    Component* GetOwner() const { return m_owner; }
    void SetOwner(Component* owner) { m_owner = owner; }
    std::vector<UICommandCall>& GetCalls() { return m_calls; }
    const std::vector<UICommandCall>& GetCalls() const { return m_calls; }
    void SetCalls(const std::vector<UICommandCall>& calls) { m_calls = calls; }
    bool IsEmpty() const { return m_calls.empty(); }

private:
    std::vector<UICommandCall> m_calls;
    Component* m_owner = nullptr;  // the commands' context; not owned
};

}  // namespace Varnok
