// The on-screen console for inspecting the live UI tree: an output area,
// an input line and an enter button on the left, a watch pane on the right
// showing one component's description or animations. Commands: watch, ls,
// cd, set, profile, fs, help.
#pragma once

#include "engine/ui/ComponentVisual.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class ComponentButton;
class ComponentQuad;
class ComponentText;
class ComponentTextInput;

// Shared by the console and the UI manager, which shows the console screen
// while the switch is on. Nothing in the game turns it on.
struct UIDebugConsoleSettings {
    static constexpr uint32_t kWatchedPathSize = 1024;

    char watchedPath[kWatchedPathSize];  // a dotted path from the UI root
    bool consoleOn;
    int32_t consoleLayer;  // -1: by name, else on top
    char consoleLayerName[256];
};

UIDebugConsoleSettings& GetUIDebugConsoleSettings();

class ComponentDebugger : public ComponentVisual {
public:
    // The key code that submits the input line.
    static constexpr uint32_t kSubmitKeyCode = 29;

    ComponentDebugger();

    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;
    void OnCreated() override;
    void OnFinishedLoading() override;
    void OnPropertyChanged(UIPropertyBase* property) override;
    void PerformLayout() override { LayoutConsole(); }

    void LayoutConsole();
    void FitToWorkspace();
    // Runs the input line and clears it.
    void SubmitInput();
    // Appends to the output's "text" unchanged.
    void Print(const AsciiString& text);
    // printf-style, cut to 2046 characters, then a line break.
    void PrintLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void ExecuteCommand(const std::vector<AsciiString>& words);
    // A console path as a path from the UI root.
    AsciiString ResolvePath(const AsciiString& path) const;

    const AsciiString& GetCurrentPath() const { return m_currentPath; }
    int32_t GetWatchMode() const { return m_watchMode; }
    bool IsFullScreen() const { return m_fullScreen != 0; }
    ComponentText* GetOutput() const { return m_consoleOutput; }
    ComponentTextInput* GetInput() const { return m_consoleInput; }
    ComponentText* GetWatchPane() const { return m_debugText; }

private:
    template <typename T>
    T* FindOrCreateChild(Component* parent, const char* id);
    void CopyFontToChildren();
    void PrintUsage();
    void Watch(const std::vector<AsciiString>& words);
    void List();
    void ChangeDirectory(const std::vector<AsciiString>& words);
    void Set(const std::vector<AsciiString>& words);
    void Help(const std::vector<AsciiString>& words);
    void OnInputKey(Component* sender, InputEvent& event, bool& handled);
    void OnInputEdited(Component* sender);
    void OnEnterPressed(Component* sender, uint8_t* argument);

    ComponentText* m_debugText = nullptr;  // children, owned by the tree
    ComponentVisual* m_console = nullptr;
    ComponentQuad* m_consoleBg = nullptr;
    ComponentText* m_consoleOutput = nullptr;
    ComponentTextInput* m_consoleInput = nullptr;
    ComponentQuad* m_consoleInputBg = nullptr;
    ComponentButton* m_enterButton = nullptr;
    AsciiString m_currentPath{"."};
    int32_t m_watchMode = 0;  // 0 the description, 1 the animations
    AsciiString m_watchedAnimation;
    UIProperty<AsciiString>* m_fontName;
    UIProperty<float>* m_fontSize;
    int32_t m_fullScreen = 0;
};

}  // namespace Varnok
