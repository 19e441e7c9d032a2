// The UI manager's set-up and shutdown, class registry, SKUs, project
// queries, focus, command registry and post-update queues.
#include "engine/ui/UIManager.h"

#include "engine/core/InputManager.h"
#include "engine/core/Log.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/PixelFormat.h"
#include "engine/render/Renderer.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "engine/ui/Component.h"
#include "engine/ui/ComponentFactory.h"
#include "engine/ui/ComponentButton.h"
#include "engine/ui/ComponentButtonRadio.h"
#include "engine/ui/ComponentCredits.h"
#include "engine/ui/ComponentExpandingItem.h"
#include "engine/ui/ComponentGenericScrollingPane.h"
#include "engine/ui/ComponentScrollableSpace.h"
#include "engine/ui/ComponentSwipie.h"
#include "engine/ui/ComponentSwipiePage.h"
#include "engine/ui/ComponentDebugger.h"
#include "engine/ui/ComponentQuad.h"
#include "engine/ui/ComponentModel.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/ComponentSprite.h"
#include "engine/ui/ComponentTexture.h"
#include "engine/ui/ComponentWindow.h"
#include "engine/ui/ComponentText.h"
#include "engine/ui/ComponentTextInput.h"
#include "engine/ui/ComponentTimer.h"
#include "engine/ui/ComponentTrigger.h"
#include "engine/ui/ComponentVisual.h"
#include "engine/ui/UICommand.h"
#include "engine/ui/UIHost.h"
#include "engine/ui/UIPostUpdateNotice.h"
#include "engine/ui/descriptions/ComponentDefinition.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

constexpr int32_t kSpriteBatchLayers = 2;
constexpr int32_t kSpriteBatchCapacity = 2000;
constexpr float kMaxFontScale = 4.0f;

const AsciiString& DefaultSkuName() {
    static const AsciiString s_name("~default");
    return s_name;
}

void EraseAll(std::vector<UIPostUpdateNotice*>& queue, const UIPostUpdateNotice* notice) {
    for (UIPostUpdateNotice*& entry : queue) {
        if (entry == notice) {
            entry = nullptr;
        }
    }
}

std::unique_ptr<UISkuDefinition> MakeDefaultSku() {
    auto sku = std::make_unique<UISkuDefinition>();
    sku->name = DefaultSkuName();
    sku->fallbackName = AsciiString("!NULL!");
    return sku;
}

// The library's timer, which an application may replace under the same
// name (the game registers its countdown as "ComponentTimer"). It holds no
// entry of its own, so whichever factory is registered under the name, before
// Init or after it, wins; the library's answers only while none is.
const ComponentFactory* s_libraryTimer = nullptr;

}  // namespace

UIManager& UIManager::Get() {
    static UIManager* s_manager = new UIManager();
    return *s_manager;
}

UIManager::UIManager() : m_defaultSku(MakeDefaultSku()) {}

UIManager::~UIManager() { Shutdown(); }

void UIManager::RegisterBuiltInFactories() {
    // The library classes register here, in their order, as they come.
    static ComponentFactoryOf<Component> s_component("Component");
    static ComponentFactoryOf<ComponentScreen> s_screen("ComponentScreen");
    // A factory registered before Init keeps its name; re-registering the
    // statics after a Shutdown changes nothing.
    RegisterFactory(AsciiString("Component"), &s_component);
    RegisterFactory(AsciiString("ComponentScreen"), &s_screen);
    static ComponentFactoryOf<ComponentVisual> s_visual("ComponentVisual");
    static ComponentFactoryOf<ComponentText> s_text("ComponentText");
    static ComponentFactoryOf<ComponentButton> s_button("ComponentButton");
    static ComponentFactoryOf<ComponentQuad> s_quad("ComponentQuad");
    static ComponentFactoryOf<ComponentTextInput> s_textInput("ComponentTextInput");
    static ComponentFactoryOf<ComponentTrigger> s_trigger("ComponentTrigger");
    static ComponentFactoryOf<ComponentDebugger> s_debugger("ComponentDebugger");
    static ComponentFactoryOf<ComponentTexture> s_texture("ComponentTexture");
    static ComponentFactoryOf<ComponentWindow> s_window("ComponentWindow");
    static ComponentFactoryOf<ComponentSprite> s_sprite("ComponentSprite");
    static ComponentFactoryOf<ComponentModel> s_model("ComponentModel");
    static ComponentFactoryOf<ComponentButtonToggle> s_toggle("ComponentButtonToggle");
    static ComponentFactoryOf<ComponentButtonRadio> s_radio("ComponentButtonRadio");
    static ComponentFactoryOf<ComponentExpandingItem> s_expanding("ComponentExpandingItem");
    static ComponentFactoryOf<ComponentGenericScrollingPane> s_pane("ComponentGenericScrollingPane");
    static ComponentFactoryOf<ComponentScrollableSpace> s_space("ComponentScrollableSpace");
    static ComponentFactoryOf<ComponentSwipie> s_swipie("ComponentSwipie");
    static ComponentFactoryOf<ComponentSwipiePage> s_swipiePage("ComponentSwipiePage");
    static ComponentFactoryOf<ComponentCredits> s_credits("ComponentCredits");
    for (ComponentFactory* factory : std::initializer_list<ComponentFactory*>{
             &s_visual, &s_text, &s_button, &s_quad, &s_textInput, &s_trigger, &s_debugger,
             &s_texture, &s_window, &s_sprite, &s_model, &s_toggle, &s_radio, &s_expanding,
             &s_pane, &s_space, &s_swipie, &s_swipiePage, &s_credits}) {
        RegisterFactory(AsciiString(factory->GetClassName().c_str()), factory);
    }
    // Constructing the factory registered it when the name was free: the
    // name is handed back at once, for a later registration to take.
    static ComponentFactoryOf<ComponentTimer> s_timer("ComponentTimer");
    UnregisterFactory(AsciiString(s_timer.GetClassName().c_str()), &s_timer);
    s_libraryTimer = &s_timer;
}

void UIManager::Init(const UIProjectSettings& settings, const AsciiString& activeSkuName) {
    RegisterBuiltInFactories();
    if (m_host != nullptr) {
        m_host->OnUISetUp();
    }
    m_settings = settings;
    if (m_defaultSku == nullptr) {
        m_defaultSku = MakeDefaultSku();  // a second Init after Shutdown
    }
    m_activeSku = FindSku(activeSkuName);
    for (auto& entry : m_settings.skus) {
        entry.second.fallback = FindSku(entry.second.fallbackName);
    }
    ChooseLanguageSuffix();
    LoadStringTables();
    if (m_settings.createsSimple2D) {
        m_ownsSpriteBatch = true;
        SpriteLayerBatch::GetInstance().Configure(
            kSpriteBatchLayers, {kSpriteBatchCapacity, kSpriteBatchCapacity});
    }
    const ViewportRect viewport = Renderer::Get().GetViewport();
    m_screenSize = Vector2{static_cast<float>(viewport.x1 - viewport.x0),
                           static_cast<float>(viewport.y1 - viewport.y0)};
    m_root.reset(InstantiateClass(AsciiString("Component")));
    if (m_root != nullptr) {
        m_root->SetId(Component::RootId());
    }
    if (m_settings.createsDefaultTextures) {
        TextureManager& textures = TextureManager::Get();
        m_defaultTexture = textures.GetTexture(m_settings.defaultTexturePath.c_str());
        m_defaultBoxTexture = textures.GetTexture(m_settings.defaultBoxTexturePath.c_str());
        m_blankTexture = CreateBlankTexture(1, 1, kColourWhite);
    }
    m_pointerScaleSize = m_screenSize;
    ApplyFontScale();
    RegisterBuiltInUICommands();
    if (m_host != nullptr && !m_host->IsKeyboardInitialised()) {
        m_host->InitialiseKeyboard();
    }
    m_consumedByThisEvent = false;
    m_consumedInThisFrame = false;
    m_hoverTested = false;
    m_hoverTestPosition = Vector2{};
    m_initialised = true;
    InputManager::SetUiSink(this);
}

void UIManager::Shutdown() {
    if (InputManager::GetUiSink() == this) {
        InputManager::SetUiSink(nullptr);
    }
    // Listeners live no longer than the manager's session: a listener of a
    // finished session must not hear the next one's frames.
    m_messageListeners.Clear();
    m_drawLists.clear();
    m_layersInUse.clear();
    m_deferredDeletions.clear();
    m_bringToFront.clear();
    m_pendingScreenRemovals.clear();
    m_componentScratch.clear();
    m_runQueue.clear();
    m_runQueueCopy.clear();
    for (UIPostUpdateNotice* notice : m_deleteQueue) {
        delete notice;
    }
    for (UIPostUpdateNotice* notice : m_deleteQueueCopy) {
        delete notice;
    }
    m_deleteQueue.clear();
    m_deleteQueueCopy.clear();
    m_root.reset();
    m_loadedScreens.clear();
    m_debuggerScreen = nullptr;
    m_prototypes.clear();
    m_classesBeingPrototyped.clear();
    if (m_ownsSpriteBatch) {
        SpriteLayerBatch::GetInstance().Unconfigure();
        m_ownsSpriteBatch = false;
    }
    ReleaseDefaultTextures();
    m_definitions.clear();
    DeleteStringTables();
    m_commands.clear();
    m_defaultSku.reset();
    m_activeSku = nullptr;
    m_focus = nullptr;
    m_focusLocked = false;
}

void UIManager::ReleaseDefaultTextures() {
    m_defaultTexture = SmartPtr<Texture>();
    m_defaultBoxTexture = SmartPtr<Texture>();
    m_blankTexture = SmartPtr<Texture>();
}

ComponentDefinition* UIManager::RegisterFactory(const AsciiString& className,
                                                ComponentFactory* factory) {
    m_factories.emplace(className, factory);  // an existing entry stays
    auto it = m_definitions.find(className);
    if (it == m_definitions.end()) {
        it = m_definitions.emplace(className, std::make_unique<ComponentDefinition>(className)).first;
    }
    return it->second.get();
}

void UIManager::UnregisterFactory(const AsciiString& className, const ComponentFactory* factory) {
    auto it = m_factories.find(className);
    if (it != m_factories.end() && it->second == factory) {
        m_factories.erase(it);
    }
}

ComponentDefinition* UIManager::GetDefinition(const AsciiString& className) {
    auto it = m_definitions.find(className);
    ComponentDefinition* definition =
        it != m_definitions.end() ? it->second.get() : RegisterFactory(className, nullptr);
    if (!definition->IsLoaded()) {
        definition->Load();  // a definition whose file is being read answers as it stands
    }
    return definition;
}

ComponentDefinition* UIManager::FindDefinition(const AsciiString& className) const {
    auto it = m_definitions.find(className);
    return it != m_definitions.end() ? it->second.get() : nullptr;
}

Component* UIManager::FindPrototype(const AsciiString& className) const {
    auto it = m_prototypes.find(className);
    return it != m_prototypes.end() ? it->second.get() : nullptr;
}

ComponentFactory* UIManager::FindFactory(const AsciiString& className) {
    AsciiString name = className;
    // A base chain can be no longer than the number of definitions; a longer
    // walk has met a cycle.
    const size_t limit = m_definitions.size() + 1;
    for (size_t step = 0; step < limit; ++step) {
        auto it = m_factories.find(name);
        if (it != m_factories.end() && it->second != nullptr) {
            return it->second;
        }
        if (s_libraryTimer != nullptr && std::strcmp(name.c_str(), s_libraryTimer->GetClassName().c_str()) == 0) {
            return const_cast<ComponentFactory*>(s_libraryTimer);
        }
        const ComponentDefinition* definition = FindDefinition(name);
        if (definition == nullptr || definition->GetBaseDefinition() == nullptr) {
            return nullptr;
        }
        name = definition->GetBaseDefinition()->GetName();
    }
    return nullptr;
}

Component* UIManager::InstantiateClass(const AsciiString& className) {
    return MakeFromPrototype(className);
}

AsciiString UIManager::GetComponentsDirectory() const {
    AsciiString directory = m_settings.rootPath;
    directory.Append("/components/");
    return directory;
}

UISkuDefinition* UIManager::FindSku(const AsciiString& name) {
    if (name.EqualsNoCase(DefaultSkuName())) {
        return m_defaultSku.get();
    }
    auto it = m_settings.skus.find(name);
    return it != m_settings.skus.end() ? &it->second : nullptr;
}

const AsciiString& UIManager::GetActiveSkuRecord() const {
    return m_activeSku != nullptr ? m_activeSku->name : AsciiString::Empty();
}

TextBank* UIManager::FindStringTable(const AsciiString& name) const {
    auto it = m_stringTables.find(name);
    return it != m_stringTables.end() ? it->second.table : nullptr;
}

void UIManager::AddStringTable(const AsciiString& name, const UIStringTableEntry& entry) {
    m_stringTables.emplace(name, entry);
}

void UIManager::ChooseLanguageSuffix() {
    const char* device = m_host != nullptr ? m_host->GetDeviceLanguage() : "";
    if (device != nullptr && device[0] != '\0') {
        auto it = m_settings.languages.find(AsciiString(device));
        if (it != m_settings.languages.end()) {
            m_languageSuffix = it->second;
            return;
        }
    }
    if (!m_settings.defaultLanguage.IsEmpty()) {
        auto it = m_settings.languages.find(m_settings.defaultLanguage);
        if (it != m_settings.languages.end()) {
            m_languageSuffix = it->second;
        }
    }
}

int32_t UIManager::GetLayerByName(const AsciiString& name) const {
    auto it = m_settings.layers.find(name);
    return it != m_settings.layers.end() ? it->second : -1;
}

SmartPtr<Texture> UIManager::GetDefaultTexture(int which) const {
    switch (which) {
        case 0: return m_defaultTexture;
        case 1: return m_defaultBoxTexture;
        case 2: return m_blankTexture;
        default: return SmartPtr<Texture>();
    }
}

SmartPtr<Texture> UIManager::CreateBlankTexture(int width, int height, const Colour& colour) {
    if (width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF) {
        return SmartPtr<Texture>();
    }
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t> block(pixels * 4);
    for (size_t i = 0; i < pixels; ++i) {
        colour.GetRGBA(&block[4 * i]);
    }
    const TextureDescription description =
        RgbaDescription(static_cast<uint16_t>(width), static_cast<uint16_t>(height));
    SmartPtr<MemoryBlockTextureSource> source(
        new MemoryBlockTextureSource(description, block.data(), block.size(), true));
    char name[64];
    std::snprintf(name, sizeof(name), "UIManager.blank(%d, %d)", width, height);
    source->SetName(AsciiString(name));
    return Texture2D::Create(SmartPtr<TextureSource>(source.Get()), 0, TextureCreateMode::Scale);
}

Vector2 UIManager::GetWorkspaceSize() const {
    return Vector2{static_cast<float>(m_settings.workspaceWidth),
                   static_cast<float>(m_settings.workspaceHeight)};
}

Vector2 UIManager::GetViewportScale() const {
    const Vector2 workspace = GetWorkspaceSize();
    return Vector2{m_screenSize.x / workspace.x, m_screenSize.y / workspace.y};
}

float UIManager::GetUniformViewportScale() const {
    const Vector2 scale = GetViewportScale();
    return std::min(scale.x, scale.y);
}

float UIManager::ComputeFontScale(const Vector2& screen, const Vector2& workspace) {
    const float m = std::min(screen.x / workspace.x, screen.y / workspace.y);
    if (!(m > 1.0f)) {
        return 1.0f;
    }
    return m < kMaxFontScale ? m : kMaxFontScale;
}

Component* UIManager::FindComponent(const AsciiString& path) const {
    if (path.IsEmpty() || m_root == nullptr) {
        return nullptr;
    }
    return m_root->FindChild(path);
}

void UIManager::OnComponentDestroyed(Component* component) {
    if (m_focus == component) {
        m_focus = nullptr;
        m_focusLocked = false;
    }
    for (auto& entry : m_drawLists) {
        std::vector<Component*>& list = entry.second;
        list.erase(std::remove(list.begin(), list.end(), component), list.end());
    }
    // The input pass may still be walking its collected components.
    std::replace(m_componentScratch.begin(), m_componentScratch.end(), component,
                 static_cast<Component*>(nullptr));
    auto deferred = std::find(m_deferredDeletions.begin(), m_deferredDeletions.end(), component);
    if (deferred != m_deferredDeletions.end()) {
        *deferred = nullptr;
    }
    auto front = std::find(m_bringToFront.begin(), m_bringToFront.end(), component);
    if (front != m_bringToFront.end()) {
        m_bringToFront.erase(front);
    }
    for (std::vector<UIPostUpdateNotice*>* queue : {&m_runQueue, &m_runQueueCopy}) {
        for (UIPostUpdateNotice*& notice : *queue) {
            if (notice != nullptr && notice->GetSender() == component) {
                notice = nullptr;
            }
        }
    }
    for (std::vector<UIPostUpdateNotice*>* queue : {&m_deleteQueue, &m_deleteQueueCopy}) {
        for (UIPostUpdateNotice*& notice : *queue) {
            if (notice != nullptr && notice->GetSender() == component) {
                // The run queues may hold it too.
                EraseAll(m_runQueue, notice);
                EraseAll(m_runQueueCopy, notice);
                delete notice;
                notice = nullptr;
            }
        }
    }
    for (auto& group : m_radioGroups) {
        std::vector<Component*>& members = group.second;
        members.erase(std::remove(members.begin(), members.end(), component), members.end());
    }
    if (m_debuggerScreen == component) {
        m_debuggerScreen = nullptr;
    }
}

void UIManager::MoveToEndOfParent(Component* component) {
    if (component != nullptr) {
        m_bringToFront.push_back(component);
    }
}

void UIManager::QueueAnimationFinished(UIPostUpdateNotice* notice) {
    m_runQueue.push_back(notice);
    m_deleteQueue.push_back(notice);
}

void UIManager::QueueCommandList(UIPostUpdateNotice* notice) { m_runQueue.push_back(notice); }

void UIManager::ForgetNotice(const UIPostUpdateNotice* notice) {
    if (notice == nullptr) {
        return;
    }
    EraseAll(m_runQueue, notice);
    EraseAll(m_runQueueCopy, notice);
}

void UIManager::ProcessPostUpdateNotices() {
    m_runQueueCopy = m_runQueue;
    m_runQueue.clear();
    m_deleteQueueCopy = m_deleteQueue;
    m_deleteQueue.clear();
    for (size_t i = 0; i < m_runQueueCopy.size(); ++i) {
        UIPostUpdateNotice* notice = m_runQueueCopy[i];
        if (notice != nullptr) {
            m_runQueueCopy[i] = nullptr;
            notice->Run();
        }
    }
    m_runQueueCopy.clear();
    for (UIPostUpdateNotice* notice : m_deleteQueueCopy) {
        delete notice;
    }
    m_deleteQueueCopy.clear();
}

void UIManager::SetFocusLocked(Component* component, bool locked) {
    if (m_focus == component) {
        return;
    }
    if (m_focus != nullptr && !m_focus->IsDeleted()) {
        if (m_focusLocked) {
            return;
        }
        ClearFocus(m_focus);
    }
    m_focus = component;
    m_focusLocked = locked;
    if (component != nullptr) {
        component->OnFocusGained();
    }
}

void UIManager::ClearFocus(Component* component) {
    if (component == nullptr || component != m_focus || component->IsDeleted()) {
        return;
    }
    m_focus = nullptr;
    m_focusLocked = false;
    component->OnFocusLost();
}

void UIManager::RegisterCommand(UICommand* command) {
    if (command == nullptr) {
        return;
    }
    const AsciiString name = command->GetName();
    if (m_commands.find(name) != m_commands.end()) {
        delete command;  // the first registration stays; the manager owns commands
        return;
    }
    m_commands.emplace(name, std::unique_ptr<UICommand>(command));
}

void UIManager::UnregisterCommand(UICommand* command) {
    if (command == nullptr) {
        return;
    }
    auto it = m_commands.find(command->GetName());
    if (it != m_commands.end() && it->second.get() == command) {
        it->second.release();  // the caller keeps it
        m_commands.erase(it);
    }
}

UICommand* UIManager::FindCommand(const AsciiString& name) const {
    auto it = m_commands.find(name);
    return it != m_commands.end() ? it->second.get() : nullptr;
}

int32_t UIManager::ExecuteCommand(Component* context, const AsciiString& name,
                                  const std::vector<AsciiString>& args) {
    UICommand* command = FindCommand(name);
    return command != nullptr ? command->Execute(context, args) : UICommandResult::GoOn;
}

}  // namespace Varnok
