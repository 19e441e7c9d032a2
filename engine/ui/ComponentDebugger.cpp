#include "engine/ui/ComponentDebugger.h"

#include "engine/core/InputEvent.h"
#include "engine/core/Log.h"
#include "engine/text/TextLabel.h"
#include "engine/ui/ComponentButton.h"
#include "engine/ui/ComponentQuad.h"
#include "engine/ui/ComponentText.h"
#include "engine/ui/ComponentTextInput.h"
#include "engine/ui/UIManager.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Varnok {

namespace {

constexpr float kEnterButtonWidth = 75.0f;
constexpr float kDefaultLineHeight = 50.0f;
constexpr float kRowShare = 0.15f;
constexpr float kLineHeightScale = 1.25f;
constexpr float kSmallestFontSize = 0.0001f;
constexpr int kClassNameColumn = 14;
constexpr size_t kLineLimit = 2046;
const Colour kPanelColour(0, 0, 0, 75);
const Colour kStrokeColour(0, 0, 0, 255);

UIDebugConsoleSettings MakeSettings() {
    UIDebugConsoleSettings settings;
    std::memset(&settings, 0, sizeof(settings));
    settings.consoleLayer = -1;
    return settings;
}

bool Is(const AsciiString& word, const char* name) { return word.EqualsNoCase(AsciiString(name)); }

template <typename T>
void SetValue(Component* component, const char* name, const T& value) {
    if (component != nullptr) {
        component->GetOrAddProperty<T>(AsciiString(name), value)->Set(value);
    }
}

template <typename T>
T GetValue(const Component* component, const char* name, const T& fallback) {
    const UIProperty<T>* property = component != nullptr ? component->FindProperty<T>(AsciiString(name)) : nullptr;
    return property != nullptr ? property->Get() : fallback;
}

}  // namespace

UIDebugConsoleSettings& GetUIDebugConsoleSettings() {
    static UIDebugConsoleSettings s_settings = MakeSettings();
    return s_settings;
}

const ComponentClassInfo& ComponentDebugger::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentDebugger", ComponentClassId::Debugger,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentDebugger::ComponentDebugger()
    : m_fontName(GetOrAddProperty<AsciiString>(AsciiString("fontName"), AsciiString())),
      m_fontSize(GetOrAddProperty<float>(AsciiString("fontSize"), 10.0f)) {
    SetClassInfo(GetStaticClassInfo());
}

template <typename T>
T* ComponentDebugger::FindOrCreateChild(Component* parent, const char* id) {
    Component* found = parent->FindChild(AsciiString(id));
    if (found == nullptr || !found->IsKindOf(T::GetStaticClassInfo())) {
        found = UIManager::Get().InstantiateClass(T::GetStaticClassInfo().name);
        if (found == nullptr || !found->IsKindOf(T::GetStaticClassInfo())) {
            delete found;  // a class registered under the name but of another kind
            return nullptr;
        }
        found->SetId(AsciiString(id));
        parent->AddChild(found, -1);
        found->OnCreated();
    }
    found->SetCanDelete(false);
    found->SetCanRename(false);
    return static_cast<T*>(found);
}

void ComponentDebugger::OnCreated() {
    ComponentVisual::OnCreated();
    const float fontSize = m_fontSize->Get();
    m_console = FindOrCreateChild<ComponentVisual>(this, "console");
    if (m_console == nullptr) {
        return;
    }
    m_consoleBg = FindOrCreateChild<ComponentQuad>(m_console, "consoleBg");
    SetValue(m_consoleBg, "colour", kPanelColour);
    m_consoleOutput = FindOrCreateChild<ComponentText>(m_console, "consoleOutput");
    SetValue(m_consoleOutput, "localiseText", false);
    SetValue(m_consoleOutput, "alignment", AsciiString("topLeft"));
    SetValue(m_consoleOutput, "fontSize", fontSize);
    m_consoleInputBg = FindOrCreateChild<ComponentQuad>(m_console, "consoleInputBg");
    SetValue(m_consoleInputBg, "colour", kPanelColour);
    m_consoleInput = FindOrCreateChild<ComponentTextInput>(m_console, "consoleInput");
    if (m_consoleInput != nullptr) {
        SetValue(m_consoleInput, "localiseText", false);
        SetValue(m_consoleInput, "fontSize", fontSize);
        m_consoleInput->m_keyEvent.AddListener(KeyEvent::Listener(this, &ComponentDebugger::OnInputKey));
        m_consoleInput->OnTextInputEdited.AddListener(
            ComponentTextInput::EditedEvent::Listener(this, &ComponentDebugger::OnInputEdited));
    }
    m_enterButton = FindOrCreateChild<ComponentButton>(m_console, "consoleEnterBtn");
    if (m_enterButton != nullptr) {
        SetValue(m_enterButton, "text", AsciiString("enter"));
        SetValue(m_enterButton, "texture", AsciiString("placeholder"));
        m_enterButton->OnButtonPressed.AddListener(
            ComponentButton::PressedEvent::Listener(this, &ComponentDebugger::OnEnterPressed));
    }
    m_debugText = FindOrCreateChild<ComponentText>(this, "debugTextComponent");
    SetValue(m_debugText, "localiseText", false);
    SetValue(m_debugText, "alignment", AsciiString("topLeft"));
    SetValue(m_debugText, "fontSize", fontSize);
}

void ComponentDebugger::OnFinishedLoading() {
    ComponentVisual::OnFinishedLoading();
    FitToWorkspace();
    if (m_consoleInput != nullptr) {
        m_consoleInput->SetFocus();
    }
    CopyFontToChildren();
}

void ComponentDebugger::CopyFontToChildren() {
    for (Component* text : {static_cast<Component*>(m_consoleOutput), static_cast<Component*>(m_consoleInput),
                            static_cast<Component*>(m_debugText)}) {
        SetValue(text, "fontName", m_fontName->Get());
        SetValue(text, "fontSize", m_fontSize->Get());
    }
}

void ComponentDebugger::OnPropertyChanged(UIPropertyBase* property) {
    ComponentVisual::OnPropertyChanged(property);
    if (!IsLoaded()) {
        return;
    }
    if (property == m_width || property == m_height) {
        InvalidateLayout();
    } else if (property == m_fontName || property == m_fontSize) {
        CopyFontToChildren();
        InvalidateLayout();
    }
}

void ComponentDebugger::FitToWorkspace() {
    const Vector2 workspace = UIManager::Get().GetWorkspaceSize();
    m_position->Set(Vector3{});
    m_width->Set(workspace.x);
    m_height->Set(workspace.y);
}

void ComponentDebugger::LayoutConsole() {
    if (m_console == nullptr) {
        return;
    }
    const float w = m_width->Get();
    const float h = m_height->Get();
    const bool full = m_fullScreen != 0;
    float lineHeight = kDefaultLineHeight;
    if (m_consoleInput != nullptr && m_consoleInput->GetLabel() != nullptr) {
        lineHeight = static_cast<float>(m_consoleInput->GetLabel()->GetLineStep()) * kLineHeightScale;
    }
    const float row = std::max(lineHeight, kRowShare * h);
    if (m_debugText != nullptr) {
        SetValue(m_debugText, "position", full ? Vector3{} : Vector3{w / 2.0f, 0.0f, 0.0f});
        SetValue(m_debugText, "width", full ? w : w / 2.0f);
        SetValue(m_debugText, "height", full ? h - row : h);
        SetValue(m_debugText, "strokeSize", 1.0f);
        SetValue(m_debugText, "strokeColour", kStrokeColour);
        SetValue(m_debugText, "blocksinputfromgame", true);
    }
    const float consoleWidth = full ? w : w / 2.0f;
    SetValue(m_console, "position", Vector3{});
    SetValue(m_console, "width", consoleWidth);
    SetValue(m_console, "height", h);
    SetValue(m_console, "blocksinputfromgame", true);
    SetValue(m_consoleBg, "width", consoleWidth);
    SetValue(m_consoleBg, "height", h);
    const float outputHeight = h - row;
    SetValue(m_consoleOutput, "position", Vector3{});
    SetValue(m_consoleOutput, "width", consoleWidth);
    SetValue(m_consoleOutput, "height", outputHeight);
    SetValue(m_consoleOutput, "strokeSize", 1.0f);
    SetValue(m_consoleOutput, "strokeColour", kStrokeColour);
    SetValue(m_consoleOutput, "enabled", !full);
    const Vector3 inputPosition{0.0f, outputHeight, 0.0f};
    SetValue(m_consoleInput, "position", inputPosition);
    SetValue(m_consoleInput, "width", consoleWidth - kEnterButtonWidth);
    SetValue(m_consoleInput, "height", row);
    SetValue(m_consoleInput, "strokeSize", 1.0f);
    SetValue(m_consoleInput, "strokeColour", kStrokeColour);
    SetValue(m_consoleInputBg, "position", inputPosition);
    SetValue(m_consoleInputBg, "width", consoleWidth - kEnterButtonWidth);
    SetValue(m_consoleInputBg, "height", row);
    SetValue(m_enterButton, "position", Vector3{consoleWidth - kEnterButtonWidth, outputHeight, 0.0f});
    SetValue(m_enterButton, "width", kEnterButtonWidth);
    SetValue(m_enterButton, "height", row);
}

void ComponentDebugger::Update(float dt) {
    ComponentVisual::Update(dt);
    const UIDebugConsoleSettings& settings = GetUIDebugConsoleSettings();
    if (!settings.consoleOn) {
        return;
    }
    FitToWorkspace();
    if (m_consoleOutput != nullptr && m_consoleOutput->GetLabel() != nullptr && m_console != nullptr) {
        const TextLabel& label = *m_consoleOutput->GetLabel();
        const float textHeight = static_cast<float>(label.GetLineCount() * label.GetLineStep());
        const float consoleHeight = GetValue(m_console, "height", 0.0f);
        const float inputHeight = GetValue(m_consoleInput, "height", 0.0f);
        SetValue(m_consoleOutput, "position", Vector3{0.0f, consoleHeight - inputHeight - textHeight, 0.0f});
    }
    const size_t length = strnlen(settings.watchedPath, UIDebugConsoleSettings::kWatchedPathSize);
    if (length < 1 || length >= UIDebugConsoleSettings::kWatchedPathSize || m_debugText == nullptr) {
        return;
    }
    Component* watched = UIManager::Get().FindComponent(AsciiString(settings.watchedPath, static_cast<int>(length)));
    if (watched == nullptr) {
        return;
    }
    if (m_watchMode == 1) {
        m_debugText->SetText(watched->DumpAnimations(m_watchedAnimation));
    } else if (m_watchMode == 0) {
        m_debugText->SetText(watched->DumpDebugString());
    }
}

void ComponentDebugger::OnInputKey(Component*, InputEvent& event, bool& handled) {
    if (event.GetInputCode() == kSubmitKeyCode && m_consoleInput != nullptr && m_consoleInput->HasFocus()) {
        handled = true;
        SubmitInput();
    }
}

void ComponentDebugger::OnInputEdited(Component*) {}

void ComponentDebugger::OnEnterPressed(Component*, uint8_t*) { SubmitInput(); }

void ComponentDebugger::SubmitInput() {
    if (m_consoleInput == nullptr) {
        return;
    }
    const AsciiString line = m_consoleInput->GetInputText();
    if (line.IsEmpty()) {
        return;
    }
    Print(AsciiString("user>"));
    Print(line);
    Print(AsciiString("\n"));
    std::vector<AsciiString> words;
    const char* p = line.c_str();
    const char* end = p + line.Length();
    while (p < end) {
        while (p < end && *p == ' ') {
            ++p;
        }
        const char* start = p;
        while (p < end && *p != ' ') {
            ++p;
        }
        if (p > start) {
            words.emplace_back(start, static_cast<int>(p - start));
        }
    }
    if (!words.empty()) {
        ExecuteCommand(words);
    }
    m_consoleInput->SetText(AsciiString());
    m_consoleInput->SetInputText(AsciiString());
}

void ComponentDebugger::Print(const AsciiString& text) {
    Log("ComponentDebugger.console> %s", text.c_str());
    if (m_consoleOutput != nullptr) {
        UIProperty<AsciiString>* output = m_consoleOutput->GetOrAddProperty<AsciiString>(AsciiString("text"), AsciiString());
        AsciiString joined = output->Get();
        joined.Append(text.c_str());
        output->Set(joined);
    }
    InvalidateLayout();
}

void ComponentDebugger::PrintLine(const char* format, ...) {
    char buffer[kLineLimit + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    AsciiString line(buffer);
    line.Append("\n");
    Print(line);
}

void ComponentDebugger::PrintUsage() {
    PrintLine("usage: set <property> <value>");
    PrintLine("       eg:");
    PrintLine("       set fontSize 5        Sets the console font size to 5.");
}

AsciiString ComponentDebugger::ResolvePath(const AsciiString& path) const {
    if (Is(path, ".")) {
        return m_currentPath;
    }
    if (path.c_str()[0] == '.') {
        return path;
    }
    AsciiString resolved(m_currentPath == AsciiString(".") ? "" : m_currentPath.c_str());
    resolved.Append(".");
    resolved.Append(path.c_str());
    return resolved;
}

void ComponentDebugger::ExecuteCommand(const std::vector<AsciiString>& words) {
    if (words.empty()) {
        return;
    }
    const AsciiString& command = words[0];
    if (Is(command, "watch")) {
        Watch(words);
    } else if (Is(command, "ls")) {
        List();
    } else if (Is(command, "cd")) {
        ChangeDirectory(words);
    } else if (Is(command, "set")) {
        Set(words);
    } else if (Is(command, "profile")) {
        PrintLine("Sorry, profiling is not enabled on this build. Please enable profiling, and try again.");
    } else if (Is(command, "fs")) {
        m_fullScreen = m_fullScreen != 0 ? 0 : 1;
        InvalidateLayout();
    } else if (Is(command, "help")) {
        Help(words);
    } else {
        PrintLine("Sorry, command not recognized: %s", command.c_str());
    }
}

void ComponentDebugger::Watch(const std::vector<AsciiString>& words) {
    UIDebugConsoleSettings& settings = GetUIDebugConsoleSettings();
    if (words.size() < 2) {
        PrintLine("Sorry, no component appears specified.");
        PrintLine("usage:");
        PrintLine("  watch <componentPath>");
        PrintLine("    componentPath - The path to the component you wish to inspect.");
        PrintLine("%s", "");
        return;
    }
    const AsciiString& argument = words[1];
    if (Is(argument, "-none")) {
        std::memset(settings.watchedPath, 0, sizeof(settings.watchedPath));
        PrintLine("watch cleared.");
        return;
    }
    if (Is(argument, "-animation")) {
        m_watchMode = 1;
        if (words.size() > 2) {
            m_watchedAnimation = words[2];
            PrintLine("watch Animation mode. Animation: \"%s\"", m_watchedAnimation.c_str());
        } else {
            m_watchedAnimation = AsciiString();
            PrintLine("watch Animation mode.");
        }
        return;
    }
    if (Is(argument, "-component")) {
        PrintLine("watch Component mode.");
        m_watchMode = 0;
        return;
    }
    const AsciiString path = ResolvePath(argument);
    if (UIManager::Get().FindComponent(path) == nullptr) {
        PrintLine("Sorry, could not find component \"%s\"", path.c_str());
        return;
    }
    const uint32_t length = static_cast<uint32_t>(path.Length());
    if (length < UIDebugConsoleSettings::kWatchedPathSize) {
        std::memset(settings.watchedPath, 0, sizeof(settings.watchedPath));
        std::memcpy(settings.watchedPath, path.c_str(), length);
        PrintLine("Watching component %s", path.c_str());
    } else {
        PrintLine("Sorry, the path exceeds the maximum number of characters. MaxLength: %u, Length: %u\nPathStr: \"%s\"",
                  UIDebugConsoleSettings::kWatchedPathSize, length, path.c_str());
    }
}

void ComponentDebugger::List() {
    PrintLine("Current path: %s", m_currentPath.c_str());
    UIManager& ui = UIManager::Get();
    Component* base = m_currentPath.IsEmpty() || m_currentPath == AsciiString(".")
                          ? ui.GetRoot()
                          : ui.FindComponent(m_currentPath);
    if (base == nullptr) {
        PrintLine("Sorry, the component at path '%s' no longer exists.", m_currentPath.c_str());
        return;
    }
    PrintLine("  <root          >   .");
    PrintLine("  <parent        >  ..");
    unsigned count = 0;
    for (Component* child = base->GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        PrintLine("  <%-*.*s>  %s", kClassNameColumn, kClassNameColumn, child->GetClassInfo().name.c_str(),
                  child->GetId().c_str());
        ++count;
    }
    PrintLine("Current path: %s, child node count: %u", m_currentPath.c_str(), count);
}

void ComponentDebugger::ChangeDirectory(const std::vector<AsciiString>& words) {
    if (words.size() < 2 || words[1] == AsciiString(".")) {
        PrintLine("Current path: %s", m_currentPath.c_str());
        return;
    }
    const AsciiString& argument = words[1];
    UIManager& ui = UIManager::Get();
    if (argument == AsciiString("..")) {
        if (m_currentPath.IsEmpty() || m_currentPath == AsciiString(".")) {
            m_currentPath = AsciiString(".");
            PrintLine("Current path: %s", m_currentPath.c_str());
            return;
        }
        Component* current = ui.FindComponent(m_currentPath);
        if (current == nullptr) {
            PrintLine("Sorry, the component '%s' no longer exists.", m_currentPath.c_str());
        } else if (current->GetParent() == nullptr) {
            PrintLine("Sorry, the component '%s' does not have a parent.", m_currentPath.c_str());
        } else {
            // The root's own path names nothing a lookup can find; "." is
            // the console's name for it.
            Component* parent = current->GetParent();
            m_currentPath = parent == ui.GetRoot() ? AsciiString(".") : parent->GetPath();
            PrintLine("Current path: %s", m_currentPath.c_str());
        }
        return;
    }
    if (argument == AsciiString("\\")) {
        m_currentPath = AsciiString(".");
        PrintLine("Current path: %s", m_currentPath.c_str());
        return;
    }
    const AsciiString path = ResolvePath(argument);
    Component* found = ui.FindComponent(path);
    if (found != nullptr) {
        m_currentPath = found == ui.GetRoot() ? AsciiString(".") : found->GetPath();
        PrintLine("cdir to %s", m_currentPath.c_str());
    } else {
        PrintLine("Sorry, path not found: %s", path.c_str());
    }
}

void ComponentDebugger::Set(const std::vector<AsciiString>& words) {
    if (words.size() == 3) {
        const AsciiString& property = words[1];
        const AsciiString& value = words[2];
        PrintLine("set property %s to %s", property.c_str(), value.c_str());
        if (!Is(property, "fontsize")) {
            PrintLine("Sorry, unrecognized property '%s'.", property.c_str());
            PrintLine("Available properties:");
            PrintLine("  fontsize");
            PrintUsage();
            return;
        }
        const float size = static_cast<float>(std::atof(value.c_str()));
        if (!(static_cast<double>(size) > static_cast<double>(kSmallestFontSize))) {
            PrintLine("Sorry, cannot set font size to %s. Value must be numeric and greater than zero.",
                      value.c_str());
            PrintUsage();
            return;
        }
        m_fontSize->Set(size);
        return;
    }
    if (words.size() == 1) {
        PrintLine("set command with no parameters.");
    }
    PrintUsage();
}

void ComponentDebugger::Help(const std::vector<AsciiString>& words) {
    if (words.size() > 1) {
        PrintLine("Sorry, the documentation for command '%s' has not been written yet.", words[1].c_str());
        return;
    }
    PrintLine("Available commands:");
    PrintLine("watch  - Watch the specified component in the right-hand window.");
    PrintLine("ls     - List the contents of the current component.");
    PrintLine("cd     - Change directory to the specified component path.");
    PrintLine("set    - Set an environment property.");
    PrintLine("profile- Set an environment property.");
    PrintLine("help   - Shows this screen.");
    PrintLine("fs     - Toggles the text output full-screen mode.");
}

}  // namespace Varnok
