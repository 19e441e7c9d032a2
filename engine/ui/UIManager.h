// The one object through which the rest of the system uses the UI: the
// component tree's root, the class registry (factories, definitions,
// prototypes), the project settings with SKUs, layers, fonts, string tables
// and languages, the scripted commands, the focus, and the queues and lists
// of the update, draw and input passes.
#pragma once

#include "engine/core/EventList.h"
#include "engine/core/InputUiSink.h"
#include "engine/core/MathUtil.h"
#include "engine/core/NameMap.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"
#include "engine/ui/UIFrameStats.h"
#include "engine/ui/UIMessageListenerList.h"
#include "engine/ui/UIMessages.h"
#include "engine/ui/UINameMap.h"
#include "engine/ui/UIProjectSettings.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace Varnok {

class Component;
class ComponentDefinition;
class ComponentDesc;
class ComponentFactory;
class TextBank;
class UICommand;
class UIHost;
class UIPostUpdateNotice;
class UIRemoteEditReporter;
struct InputEvent;

struct UIStringTableEntry {
    TextBank* table = nullptr;
    bool owned = false;  // deleted by Shutdown
};

struct UILoadedScreen {
    AsciiString fileName;
    Component* screen = nullptr;  // in the tree; owned through it
    ComponentDesc* desc = nullptr;
};

class UIManager : public IInputUiSink {
public:
    using ComponentListeners = Event1<Component*>;

    // Made on first use and never destroyed: its components may hold
    // textures that must not outlive GL. The game calls Shutdown.
    static UIManager& Get();

    UIManager();
    ~UIManager() override;
    UIManager(const UIManager&) = delete;
    UIManager& operator=(const UIManager&) = delete;

    // ---- life cycle ----
    virtual void Init(const UIProjectSettings& settings, const AsciiString& activeSkuName);
    virtual void Shutdown();
    bool IsInitialised() const { return m_initialised; }
    // Not owned; may be null. Set by the application before Init.
    void SetHost(UIHost* host) { m_host = host; }
    UIHost* GetHost() const { return m_host; }

    // ---- class registry ----
    // The first registration of a name wins (a null factory included).
    ComponentDefinition* RegisterFactory(const AsciiString& className, ComponentFactory* factory);
    // Forgets the factory when it is the one registered under its name.
    void UnregisterFactory(const AsciiString& className, const ComponentFactory* factory);
    ComponentDefinition* GetDefinition(const AsciiString& className);
    ComponentDefinition* FindDefinition(const AsciiString& className) const;
    Component* FindPrototype(const AsciiString& className) const;
    // Along the definitions' base chain to the first class with a factory;
    // null (never a loop) when the chain reaches none.
    ComponentFactory* FindFactory(const AsciiString& className);
    // A new component of the class; null with one log line when no factory
    // serves it. The caller owns it.
    Component* InstantiateClass(const AsciiString& className);
    AsciiString GetComponentsDirectory() const;

    // ---- SKUs ----
    // "~default" in any letter case is the built-in SKU; others exactly.
    UISkuDefinition* FindSku(const AsciiString& name);
    UISkuDefinition* GetSku(const AsciiString& name) { return FindSku(name); }
    bool HasSku(const AsciiString& name) { return FindSku(name) != nullptr; }
    UISkuDefinition* GetActiveSku() const { return m_activeSku; }
    const AsciiString& GetActiveSkuRecord() const;
    UISkuDefinition* GetPrimarySku() { return FindSku(m_settings.primarySkuName); }
    UISkuDefinition* GetDefaultSku() const { return m_defaultSku.get(); }

    // ---- string tables ----
    const AsciiString& GetLanguageSuffix() const { return m_languageSuffix; }
    void SetLanguageSuffix(const AsciiString& suffix) { m_languageSuffix = suffix; }
    void SetDefaultLanguageSuffix(const AsciiString& suffix) { m_settings.defaultSuffix = suffix; }
    TextBank* GetGameStringTable() const { return m_gameStringTable; }
    void SetGameStringTable(TextBank* table) { m_gameStringTable = table; }
    // Loads the table's key file and its strings in the language's file, or
    // else in the default suffix's. 0 on success, 1 on failure; the table is
    // stored and handed out either way (empty when nothing loaded).
    int LoadStringTable(const AsciiString& name, TextBank** outTable);
    TextBank* FindStringTable(const AsciiString& name) const;
    void AddStringTable(const AsciiString& name, const UIStringTableEntry& entry);

    // ---- project queries ----
    const UIProjectSettings& GetSettings() const { return m_settings; }
    int32_t GetLayerByName(const AsciiString& name) const;
    int32_t GetDefaultLayer() const { return m_settings.defaultLayer; }
    const AsciiString& GetDefaultFont() const { return m_settings.defaultFontPath; }
    const std::vector<AsciiString>& GetFontList() const { return m_settings.fonts; }
    const AsciiString& GetOverrideFont() const { return m_overrideFont; }
    void SetOverrideFont(const AsciiString& fontPath) { m_overrideFont = fontPath; }
    // 0 default, 1 default box, 2 blank; anything else an empty pointer.
    SmartPtr<Texture> GetDefaultTexture(int which) const;
    // A width x height texture of one colour.
    static SmartPtr<Texture> CreateBlankTexture(int width, int height, const Colour& colour);
    const Vector2& GetScreenSize() const { return m_screenSize; }
    void SetScreenSize(const Vector2& size) { m_screenSize = size; }
    Vector2 GetWorkspaceSize() const;
    Vector2 GetViewportScale() const;
    float GetUniformViewportScale() const;
    // min(w / W, h / H) for screen w x h and workspace W x H, kept within
    // 1..4.
    static float ComputeFontScale(const Vector2& screen, const Vector2& workspace);

    // ---- tree ----
    Component* GetRoot() const { return m_root.get(); }
    // Null for an empty path; otherwise the root's path search.
    Component* FindComponent(const AsciiString& path) const;
    bool IsBusy() const { return m_busy; }
    // The swipe pane clears it while it rebuilds its pages.
    void SetBusy(bool busy) { m_busy = busy; }
    uint32_t GetUpdateMask() const { return m_updateMask; }
    void SetUpdateMask(uint32_t mask) { m_updateMask = mask; }
    // A component is being destroyed: forget it everywhere.
    void OnComponentDestroyed(Component* component);
    // Queued; done after the update pass.
    void MoveToEndOfParent(Component* component);
    std::vector<Component*>& GetRadioGroup(int32_t groupId) { return m_radioGroups[groupId]; }

    // ---- post-update notices ----
    // The manager owns the notice from here on.
    void QueueAnimationFinished(UIPostUpdateNotice* notice);
    // The notice stays its owner's.
    void QueueCommandList(UIPostUpdateNotice* notice);
    // Withdraws a notice from every queue (its owner is going away).
    void ForgetNotice(const UIPostUpdateNotice* notice);
    // Runs what was queued, then deletes the finished-animation notices.
    // Notices queued meanwhile wait for the next call.
    void ProcessPostUpdateNotices();

    // ---- focus ----
    Component* GetFocus() const { return m_focus; }
    bool IsFocusLocked() const { return m_focusLocked; }
    void SetFocus(Component* component) { SetFocusLocked(component, false); }
    void SetFocusLocked(Component* component, bool locked);
    void ClearFocus(Component* component);
    bool IsPointerDown() const { return m_pointerDown; }

    // ---- commands ----
    // Takes ownership; a command whose name is taken is deleted at once.
    virtual void RegisterCommand(UICommand* command);
    // Only when it is the command registered under its name; the caller
    // keeps it.
    virtual void UnregisterCommand(UICommand* command);
    // 0 when no command has the name (exact, letter case included).
    int32_t ExecuteCommand(Component* context, const AsciiString& name,
                           const std::vector<AsciiString>& args);
    UICommand* FindCommand(const AsciiString& name) const;

    // ---- editor seams: nothing is ever connected ----
    virtual void OnBeforeBuildId() {}
    virtual void OnAfterBuildId() {}
    virtual void OnEditorUpdate(float /*dt*/) {}
    virtual void OnEditorDrawAll() {}
    virtual bool IsWatchedByEditor(const Component* /*component*/) const { return false; }
    virtual bool IsEditorVisibilityFilterOn() const { return false; }
    virtual bool IsEditorConnected() const { return false; }
    virtual void OnEditorHook() {}
    virtual bool WantsPropertyReports() const { return false; }
    virtual UIRemoteEditReporter* GetRemoteEditReporter() const { return nullptr; }
    virtual bool OnEditorInputBefore(const InputEvent& /*event*/) { return false; }
    virtual bool OnEditorInputAfter(const InputEvent& /*event*/) { return false; }

    // ---- listener lists the components notify ----
    ComponentListeners& ScreenDisplayedListeners() { return m_screenDisplayed; }
    ComponentListeners& ScreenLoadedListeners() { return m_screenLoaded; }
    ComponentListeners& ScreenRemovedListeners() { return m_screenRemoved; }
    ComponentListeners& ScreenEnabledListeners() { return m_screenEnabled; }
    ComponentListeners& ScreenDisabledListeners() { return m_screenDisabled; }
    ComponentListeners& ButtonPressedListeners() { return m_buttonPressed; }
    ComponentListeners& TextInputEditedListeners() { return m_textInputEdited; }
    ComponentListeners& TextInputFinishedListeners() { return m_textInputFinished; }
    ComponentListeners& TriggerFiredListeners() { return m_triggerFired; }

    // Set by the game once its fonts are loaded.
    bool AreFontsReady() const { return m_fontsReady; }
    void SetFontsReady(bool ready) { m_fontsReady = ready; }
    // Set: the UI's commands play no sound.
    bool GetSoundSwitch() const { return m_soundSwitch; }
    void SetSoundSwitch(bool on) { m_soundSwitch = on; }

    const UIFrameStats& GetFrameStats() const { return m_frameStats; }

    // ---- frame and input (update walk, per-layer drawing, input routing) ----
    static constexpr int32_t kAllLayers = 1337;
    // Walks the screens by masks and layers, then runs the queued work.
    void Update(float dt);
    // One layer's draw list through the 2D batch; kAllLayers only broadcasts
    // and flushes. flush: reset the batch first and draw it after; keep: the
    // caller has set the transforms.
    void Draw(int32_t layer, bool flush = true, bool keep = false);
    void DrawComponent(Component* component);
    void RemoveFromDrawLists(Component* component);
    // The UI's look-at view and its top-left-origin pixel projection.
    void GetViewProjection(Matrix4& outView, Matrix4& outProjection) const;
    bool IsLayerInUse(int32_t layer) const { return m_layersInUse.count(layer) != 0; }
    const std::vector<Component*>* FindDrawList(int32_t layer) const;
    const Vector2& GetPointerPosition() const { return m_pointerPosition; }
    void SetPointerPosition(const Vector2& position) { m_pointerPosition = position; }
    void ShowDebugger();
    void HideDebugger();
    Component* GetDebuggerScreen() const { return m_debuggerScreen; }
    // IInputUiSink: Init registers the manager with the input manager.
    void BeginInputFrame() override;
    int HandleInputEvent(InputEvent& event) override;
    bool EndInputFrame() override;
    // The input pass of one event; true when the UI consumed it.
    bool HandleInput(InputEvent& event);
    // How many root hit tests the input pass made (for diagnostics).
    uint32_t GetHitTestCount() const { return m_hitTestCount; }

private:
    void UpdateComponent(float dt, Component* component, int32_t inheritedLayer);
    void PostUpdateComponent(Component* component);
    void RunDeferredWork();
    void UpdateDebugger();
    void SetupDebuggerScreen(Component* screen);
    void HandleKeyPressed(InputEvent& event);
    bool HandleTouchPressed();
    bool HandleTouchMoved();
    bool HandleTouchReleased();
    uint32_t m_hitTestCount = 0;

public:

    // ---- messages ----
    // The listener stays registered for the life of the manager; false when
    // it already is.
    bool AddMessageListener(UIMessageListener* listener);
    // Offers the message to every listener in registration order; false when
    // a handler aborted the broadcast (result 2), true otherwise.
    bool DispatchMessage(const UIMessage& message);
    const UIMessageListenerList& GetMessageListeners() const { return m_messageListeners; }
    const UIScreenVersion& GetCodeBuiltScreenVersion() const { return m_codeBuiltScreenVersion; }

    // ---- project file, screens and building components from descriptions
    // (UIManagerProject.cpp, UIManagerScreens.cpp) ----
    // Reads the project file over fresh settings and initialises with them
    // only when it reads completely; answers the reader's result (0 read,
    // 1 missing, -1 malformed, 2 empty primary SKU).
    int LoadProject(const char* path, const AsciiString& skuName);
    // "screens/<name>.uiscreen" under the root path, built and inserted by
    // priority, disabled; the loaded screen when there is one. Null for a
    // missing or unusable file.
    Component* LoadScreen(const AsciiString& name);
    Component* LoadScreenEnabled(const AsciiString& name);
    // The same from a file image already in memory (tools, fuzzing).
    Component* LoadScreenFromBytes(const AsciiString& name, const uint8_t* bytes, size_t length);
    Component* FindLoadedScreen(const AsciiString& name) const;
    static AsciiString GetScreenFileName(const AsciiString& name);
    AsciiString GetScreenPath(const AsciiString& name) const;
    bool ScreenFileExists(const AsciiString& name) const;
    // The subtree of desc, attached under parent (a screen under the root by
    // priority); null when its class cannot be made. desc stays the caller's.
    Component* BuildComponent(Component* parent, ComponentDesc* desc);
    virtual Component* BuildLoadedComponent(Component* parent, ComponentDesc* desc);
    // BuildComponent, answering only a screen.
    Component* BuildScreen(Component* parent, ComponentDesc* desc);
    Component* CreateComponent(Component* parent, const AsciiString& className,
                               const AsciiString& id);
    static void MarkLoaded(Component* component);
    virtual void MarkComponentLoaded(UILoadedScreen& entry);
    // The longest of the durations (0 without screens).
    float PlayRootAnimation(const AsciiString& name);
    // While the manager is busy these queue instead (QueueScreenRemoval,
    // DeferredDelete).
    virtual void RemoveScreen(const AsciiString& name);
    virtual void QueueScreenRemoval(const AsciiString& name);
    virtual void DeferredDelete(Component* component);
    virtual void DestroyComponent(Component*& component);
    // The end of the update: queued removals, then deferred deletions.
    void ProcessScreenRemovals();
    void ProcessDeferredDeletions();
    const std::vector<Component*>& GetDeferredDeletions() const { return m_deferredDeletions; }

private:
    Component* MakeFromPrototype(const AsciiString& className);
    std::vector<AsciiString> m_classesBeingPrototyped;  // guards prefab recursion

public:
private:
    void RegisterBuiltInFactories();
    void ChooseLanguageSuffix();
    void LoadStringTables();
    void DeleteStringTables();
    void ApplyFontScale();
    void ReleaseDefaultTextures();

    ComponentListeners m_screenDisplayed;
    ComponentListeners m_screenLoaded;
    ComponentListeners m_screenRemoved;
    ComponentListeners m_screenEnabled;
    ComponentListeners m_screenDisabled;
    ComponentListeners m_buttonPressed;
    ComponentListeners m_textInputEdited;
    ComponentListeners m_textInputFinished;
    ComponentListeners m_triggerFired;
    UIScreenVersion m_codeBuiltScreenVersion{1, 0, 1};
    UIMessageListenerList m_messageListeners;
    bool m_ownsSpriteBatch = false;
    bool m_busy = false;  // the update walk or a layer's draw is running
    uint32_t m_updateMask = 0xFFFFFFFFu;
    Component* m_focus = nullptr;  // not owned
    bool m_focusLocked = false;
    NameMap<std::unique_ptr<Component>> m_prototypes;
    NameMap<std::unique_ptr<ComponentDefinition>> m_definitions;
    NameMap<ComponentFactory*> m_factories;  // not owned; null entries allowed
    std::vector<AsciiString> m_pendingScreenRemovals;
    NameMap<std::unique_ptr<UICommand>> m_commands;
    std::unordered_map<int32_t, bool> m_layersInUse;
    std::unordered_map<int32_t, std::vector<Component*>> m_radioGroups;
    std::unique_ptr<Component> m_root;
    TextBank* m_gameStringTable = nullptr;  // not owned here
    NameMap<UIStringTableEntry> m_stringTables;
    Vector2 m_screenSize;                       // viewport pixels
    Vector2 m_pointerScaleSize{1.0f, 1.0f};     // scales pointer positions
    Vector2 m_pointerPosition;                  // screen pixels
    Vector2 m_lastUpdatePointerPosition;
    UISkuDefinition* m_activeSku = nullptr;  // null: unknown name
    std::unique_ptr<UISkuDefinition> m_defaultSku;
    SmartPtr<Texture> m_defaultTexture;
    SmartPtr<Texture> m_defaultBoxTexture;
    SmartPtr<Texture> m_blankTexture;
    AsciiString m_languageSuffix;
    AsciiString m_overrideFont;
    std::vector<Component*> m_componentScratch;
    bool m_pointerDown = false;  // from a touch going down to its release
    std::vector<Component*> m_deferredDeletions;
    std::vector<Component*> m_bringToFront;
    std::unordered_map<int32_t, std::vector<Component*>> m_drawLists;
    Component* m_debuggerScreen = nullptr;
    bool m_initialised = false;
    UIProjectSettings m_settings;
    UIFrameStats m_frameStats;
    std::vector<UIPostUpdateNotice*> m_runQueue;
    std::vector<UIPostUpdateNotice*> m_deleteQueue;  // owned notices
    std::vector<UIPostUpdateNotice*> m_runQueueCopy;
    std::vector<UIPostUpdateNotice*> m_deleteQueueCopy;
    bool m_consumedByThisEvent = false;
    bool m_consumedInThisFrame = false;
    Vector2 m_hoverTestPosition;
    bool m_hoverTested = false;
    NoCaseNameMap<UILoadedScreen> m_loadedScreens;
    UIHost* m_host = nullptr;  // not owned
    bool m_fontsReady = false;
    bool m_soundSwitch = false;
};

}  // namespace Varnok
