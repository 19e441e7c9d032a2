// Scripted UI commands: the interface, parameter specifications, the help
// commands that check their argument count, the three generic commands that
// hand one resolved argument to a handler, and path resolution relative to
// the calling component.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/ui/UICommandCall.h"
#include "engine/ui/UIPropertyType.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class Component;

// What a command's Execute answers to the list runner.
namespace UICommandResult {
enum : int32_t {
    GoOn = 0,
    Skip = 1,  // skip until "else" or "endif"
    Stop = 2,
};
}  // namespace UICommandResult

// The kind names of parameters, in the table's fixed order. Descriptive
// only: nothing checks arguments against them.
enum class UICommandParamKind : int32_t {
    Empty = 0,  // "~EMPTY~"
    Component,
    Screen,
    Property,
    Animation,
    Value,
    Bool,
    String,
    Number,
    Unknown,
};
constexpr int kUICommandParamKindCount = 10;

const AsciiString& GetUICommandParamKindName(UICommandParamKind kind);
// "Bool", "String", "Vector", "Number" or "Colour" for a property type;
// "Unknown" for anything else.
const AsciiString& GetUIPropertyValueKindName(int32_t type);

class UICommand {
public:
    virtual ~UICommand() = default;
    virtual AsciiString GetName() const = 0;
    // Low 16 bits: required arguments; high 16 bits: most accepted.
    virtual uint32_t GetParamRange() const = 0;
    // Null with a count of 0 when the command declares none.
    virtual const AsciiString* GetParamKinds(uint32_t& outCount) const = 0;
    // context may be null.
    virtual int32_t Execute(Component* context, const std::vector<AsciiString>& args) = 0;
};

struct UICommandParameterSpec {
    uint32_t requiredCount = 0;
    uint32_t optionalCount = 0;  // the last ones
    std::vector<AsciiString> kinds;

    UICommandParameterSpec() = default;
    // Up to seven kind names; the list ends at the first empty (or null)
    // one. More optional than named empties the spec.
    UICommandParameterSpec(uint32_t optional, const char* kind1 = nullptr,
                           const char* kind2 = nullptr, const char* kind3 = nullptr,
                           const char* kind4 = nullptr, const char* kind5 = nullptr,
                           const char* kind6 = nullptr, const char* kind7 = nullptr);
};

class UIHelpCommand : public UICommand {
public:
    UIHelpCommand(const AsciiString& name, const UICommandParameterSpec& spec,
                  const AsciiString& helpText);

    AsciiString GetName() const override { return m_name; }
    uint32_t GetParamRange() const override {
        return (m_requiredCount & 0xFFFF) | ((m_requiredCount + m_optionalCount) << 16);
    }
    const AsciiString* GetParamKinds(uint32_t& outCount) const override;
    const AsciiString& GetHelpText() const { return m_helpText; }

    // At least the required count (when any) and at most required plus
    // optional (when any); a command without parameters takes any number.
    bool CheckArgumentCount(const std::vector<AsciiString>& args) const;

private:
    AsciiString m_name;
    uint32_t m_requiredCount = 0;
    uint32_t m_optionalCount = 0;
    std::vector<AsciiString> m_kinds;
    AsciiString m_helpText;
};

// Hands the first argument's text to the handler.
class UIStringCommand final : public UIHelpCommand {
public:
    using Handler = Delegate2<int32_t, Component*, const AsciiString&>;
    UIStringCommand(const AsciiString& name, const Handler& handler, const AsciiString& helpText);
    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override;

private:
    uint32_t m_argumentCount = 1;
    Handler m_handler;
};

// Hands whether a screen was named and the screen it names (null when not
// given or not found).
class UIScreenCommand final : public UIHelpCommand {
public:
    using Handler = Delegate3<int32_t, Component*, bool, Component*>;
    UIScreenCommand(const AsciiString& name, const Handler& handler, const AsciiString& helpText);
    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override;

private:
    uint32_t m_argumentCount = 1;
    Handler m_handler;
};

// Hands the component its first argument names (null when not found).
class UIComponentCommand final : public UIHelpCommand {
public:
    using Handler = Delegate2<int32_t, Component*, Component*>;
    UIComponentCommand(const AsciiString& name, const Handler& handler,
                       const AsciiString& helpText);
    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override;

private:
    uint32_t m_argumentCount = 1;
    Handler m_handler;
};

// "this", "parent" and "parentscreen" (any letter case), alone or followed
// by a path operator and a path below them; anything else from the UI root.
Component* ResolveCommandComponent(Component* context, const AsciiString& path);
// "this" names the context's screen; anything else is looked up from the UI
// root and counts only when it is a screen.
Component* ResolveCommandScreen(Component* context, const AsciiString& path);

// Creates the system's commands and registers each with the UI manager.
void RegisterBuiltInUICommands();

// Runs a command of the UI manager's registry; 0 for an unknown name.
int32_t ExecuteUICommand(Component* context, const AsciiString& name,
                         const std::vector<AsciiString>& args);

}  // namespace Varnok
