// Parameter specs, the generic help commands and command path resolution.
#include "engine/ui/UICommand.h"

#include "engine/ui/Component.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/UIManager.h"

#include <string>

namespace Varnok {

namespace {

bool IsPathOperator(char c) { return c == '.' || c == ':' || c == '@' || c == '^'; }

const AsciiString& UnknownKind() {
    return GetUICommandParamKindName(UICommandParamKind::Unknown);
}

}  // namespace

const AsciiString& GetUICommandParamKindName(UICommandParamKind kind) {
    static const AsciiString s_names[kUICommandParamKindCount] = {
        "~EMPTY~", "Component", "Screen", "Property", "Animation",
        "Value",   "Bool",      "String", "Number",   "Unknown"};
    const int index = static_cast<int>(kind);
    return s_names[(index >= 0 && index < kUICommandParamKindCount) ? index
                                                                     : kUICommandParamKindCount - 1];
}

const AsciiString& GetUIPropertyValueKindName(int32_t type) {
    static const AsciiString s_names[] = {"Unknown", "Bool",   "String", "Vector", "Vector",
                                          "Number",  "Vector", "Number", "Colour"};
    return s_names[(type >= 1 && type <= kUIPropertyTypeCount) ? type : 0];
}

UICommandParameterSpec::UICommandParameterSpec(uint32_t optional, const char* kind1,
                                               const char* kind2, const char* kind3,
                                               const char* kind4, const char* kind5,
                                               const char* kind6, const char* kind7) {
    const char* const names[] = {kind1, kind2, kind3, kind4, kind5, kind6, kind7};
    for (const char* name : names) {
        if (name == nullptr || name[0] == '\0') {
            break;
        }
        kinds.emplace_back(name);
    }
    if (optional > kinds.size()) {
        kinds.clear();
        return;
    }
    optionalCount = optional;
    requiredCount = static_cast<uint32_t>(kinds.size()) - optional;
}

UIHelpCommand::UIHelpCommand(const AsciiString& name, const UICommandParameterSpec& spec,
                             const AsciiString& helpText)
    : m_name(name),
      m_requiredCount(spec.requiredCount),
      m_optionalCount(spec.optionalCount),
      m_kinds(spec.kinds),
      m_helpText(helpText) {}

const AsciiString* UIHelpCommand::GetParamKinds(uint32_t& outCount) const {
    outCount = static_cast<uint32_t>(m_kinds.size());
    return m_kinds.empty() ? nullptr : m_kinds.data();
}

bool UIHelpCommand::CheckArgumentCount(const std::vector<AsciiString>& args) const {
    const uint64_t n = args.size();
    const uint64_t most = uint64_t{m_requiredCount} + m_optionalCount;
    return (m_requiredCount == 0 || n >= m_requiredCount) && (most == 0 || n <= most);
}

UIStringCommand::UIStringCommand(const AsciiString& name, const Handler& handler,
                                 const AsciiString& helpText)
    : UIHelpCommand(name, UICommandParameterSpec(0, UnknownKind().c_str()), helpText),
      m_handler(handler) {}

int32_t UIStringCommand::Execute(Component* context, const std::vector<AsciiString>& args) {
    if (!CheckArgumentCount(args) || m_handler.IsEmpty() || m_argumentCount != 1) {
        return UICommandResult::GoOn;
    }
    const AsciiString text = args[0];
    return m_handler(context, text);
}

UIScreenCommand::UIScreenCommand(const AsciiString& name, const Handler& handler,
                                 const AsciiString& helpText)
    : UIHelpCommand(name, UICommandParameterSpec(1, UnknownKind().c_str()), helpText),
      m_handler(handler) {}

int32_t UIScreenCommand::Execute(Component* context, const std::vector<AsciiString>& args) {
    if (!CheckArgumentCount(args) || m_handler.IsEmpty() || m_argumentCount != 1) {
        return UICommandResult::GoOn;
    }
    const bool given = !args.empty();
    Component* screen = given ? ResolveCommandScreen(context, args[0]) : nullptr;
    return m_handler(context, given, screen);
}

UIComponentCommand::UIComponentCommand(const AsciiString& name, const Handler& handler,
                                       const AsciiString& helpText)
    : UIHelpCommand(name,
                    UICommandParameterSpec(
                        0, GetUICommandParamKindName(UICommandParamKind::Component).c_str()),
                    helpText),
      m_handler(handler) {}

int32_t UIComponentCommand::Execute(Component* context, const std::vector<AsciiString>& args) {
    if (!CheckArgumentCount(args) || m_handler.IsEmpty() || m_argumentCount != 1) {
        return UICommandResult::GoOn;
    }
    Component* target = ResolveCommandComponent(context, args[0]);
    return m_handler(context, target);
}

Component* ResolveCommandComponent(Component* context, const AsciiString& path) {
    static const char* const s_keywords[] = {"this", "parent", "parentscreen"};
    const char* text = path.c_str();
    const int length = path.Length();
    for (int k = 0; k < 3; ++k) {
        const char* keyword = s_keywords[k];
        const int keywordLength = static_cast<int>(std::char_traits<char>::length(keyword));
        if (!path.StartsWithNoCase(keyword, keywordLength)) {
            continue;
        }
        const bool whole = length == keywordLength;
        if (!whole && !IsPathOperator(text[keywordLength])) {
            continue;
        }
        Component* base = nullptr;
        if (context != nullptr) {
            if (k == 0) {
                base = context;
            } else if (k == 1) {
                base = context->GetParent();
            } else {
                base = context->FindParentScreen();
            }
        }
        if (whole || base == nullptr) {
            return base;
        }
        int start = keywordLength;
        while (start < length && text[start] == '.') {
            ++start;
        }
        return base->FindChild(AsciiString(text + start, length - start));
    }
    return UIManager::Get().FindComponent(path);
}

Component* ResolveCommandScreen(Component* context, const AsciiString& path) {
    if (path.EqualsNoCase(AsciiString("this"))) {
        return context != nullptr ? context->FindParentScreen() : nullptr;
    }
    Component* found = UIManager::Get().FindComponent(path);
    if (found == nullptr || !found->IsKindOf(ComponentScreen::GetStaticClassInfo())) {
        return nullptr;
    }
    return found;
}

int32_t ExecuteUICommand(Component* context, const AsciiString& name,
                         const std::vector<AsciiString>& args) {
    return UIManager::Get().ExecuteCommand(context, name, args);
}

}  // namespace Varnok
