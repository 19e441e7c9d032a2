// Screens: loading them by name from their binary files, building
// components from description trees, ordering screens by priority, and
// removing and deleting screens and components.
#include "engine/ui/UIManager.h"

#include "engine/core/BinaryStream.h"
#include "engine/core/FileObject.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Log.h"
#include "engine/ui/Component.h"
#include "engine/ui/ComponentFactory.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/descriptions/ComponentDefinition.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "engine/ui/descriptions/UIScreenFile.h"

#include <algorithm>
#include <memory>

namespace Varnok {

namespace {

bool IsScreen(const Component* component) {
    return component != nullptr && component->IsKindOf(ComponentScreen::GetStaticClassInfo());
}

int ScreenPriority(const Component* screen) {
    static const AsciiString s_priority("screenPriority");
    const UIProperty<int>* property = screen->FindProperty<int>(s_priority);
    return property != nullptr ? property->Get() : 0;
}

}  // namespace

Component* UIManager::MakeFromPrototype(const AsciiString& className) {
    ComponentDefinition* definition = GetDefinition(className);
    Component* prototype = FindPrototype(className);
    if (prototype == nullptr) {
        for (const AsciiString& building : m_classesBeingPrototyped) {
            if (building.Equals(className)) {
                Log("UIManager: class \"%s\" holds itself as a prefab child; not built",
                    className.c_str());
                return nullptr;
            }
        }
        ComponentFactory* factory = FindFactory(className);
        if (factory == nullptr) {
            Log("UIManager: no factory makes components of class \"%s\"", className.c_str());
            return nullptr;
        }
        std::unique_ptr<Component> made(factory->Create());
        if (made == nullptr) {
            return nullptr;
        }
        m_classesBeingPrototyped.push_back(className);
        made->InitialiseFromDefinition(definition);
        m_classesBeingPrototyped.pop_back();
        prototype = made.get();
        m_prototypes[className] = std::move(made);
    }
    return prototype->Clone();
}

AsciiString UIManager::GetScreenFileName(const AsciiString& name) {
    AsciiString file("screens/");
    file.AppendString(name);
    file.Append(".uiscreen");
    return file;
}

AsciiString UIManager::GetScreenPath(const AsciiString& name) const {
    AsciiString path = m_settings.rootPath;
    path.AppendChar('/');
    path.AppendString(GetScreenFileName(name));
    return path;
}

bool UIManager::ScreenFileExists(const AsciiString& name) const {
    return FileExists(GetScreenPath(name).c_str(), 0);
}

Component* UIManager::FindLoadedScreen(const AsciiString& name) const {
    auto it = m_loadedScreens.find(name);
    return it != m_loadedScreens.end() ? it->second.screen : nullptr;
}

Component* UIManager::LoadScreen(const AsciiString& name) {
    if (Component* loaded = FindLoadedScreen(name)) {
        return loaded;
    }
    UILoadedScreen& entry = m_loadedScreens[name];
    entry = UILoadedScreen{};
    entry.fileName = GetScreenFileName(name);
    const AsciiString path = GetScreenPath(name);
    if (!FileExists(path.c_str(), 0)) {
        return nullptr;
    }
    FileObject file(path.c_str(), kOpenRead);
    if (!file.Open() || !file.Load()) {
        return nullptr;
    }
    return LoadScreenFromBytes(name, file.GetData(), static_cast<size_t>(file.GetLength()));
}

Component* UIManager::LoadScreenFromBytes(const AsciiString& name, const uint8_t* bytes,
                                          size_t length) {
    if (Component* loaded = FindLoadedScreen(name)) {
        return loaded;
    }
    UILoadedScreen& entry = m_loadedScreens[name];
    entry.fileName = GetScreenFileName(name);
    entry.screen = nullptr;

    std::unique_ptr<ComponentDesc> desc;
    {
        UIScreenFile records;
        BinaryStreamReader stream(bytes, length, kUIScreenFileByteOrder);
        UIScreenFileReader::Read(stream, records);
        desc.reset(ComponentDesc::CreateScreen());
        entry.desc = desc.get();
        desc->BuildFromBinary(records);
    }
    Component* screen = BuildScreen(m_root.get(), desc.get());
    // The entry may have moved while building (a component's events may load
    // other screens); look it up again.
    UILoadedScreen& built = m_loadedScreens[name];
    built.desc = nullptr;
    if (screen == nullptr) {
        Log("UIManager: screen \"%s\" has no screen component at its root", name.c_str());
        return nullptr;
    }
    built.screen = screen;
    screen->GetEnabledProperty()->Set(false);
    if (!screen->GetId().Equals(name)) {
        screen->SetCanRename(true);
        screen->SetId(name);
    }
    screen->SetCanRename(false);
    MarkComponentLoaded(built);
    return screen;
}

Component* UIManager::LoadScreenEnabled(const AsciiString& name) {
    Component* screen = LoadScreen(name);
    if (screen != nullptr) {
        screen->GetEnabledProperty()->Set(true);
    }
    return screen;
}

Component* UIManager::BuildComponent(Component* parent, ComponentDesc* desc) {
    if (desc == nullptr) {
        return nullptr;
    }
    Component* component = InstantiateClass(desc->GetClassName());
    if (component == nullptr) {
        return nullptr;
    }
    OnBeforeBuildId();
    component->SetId(desc->GetId());
    OnAfterBuildId();
    for (ComponentDesc* child = desc->GetFirstChild(); child != nullptr;
         child = child->GetNextSibling()) {
        BuildComponent(component, child);
    }
    // The node stays the caller's: the component only reads it here.
    ComponentDesc* own = component->ReleaseDesc();
    component->SetDesc(desc);
    component->LoadFromDesc(false, true);
    component->OnCreated();
    component->ReleaseDesc();
    component->SetDesc(own);

    if (parent == nullptr) {
        return component;
    }
    if (parent != m_root.get()) {
        parent->AddChild(component, -1);
        if (component->GetParent() != parent) {
            delete component;  // refused: the manager is walking the tree
            return nullptr;
        }
        return component;
    }
    // Under the root only screens stand, ordered by priority.
    if (!IsScreen(component)) {
        Log("UIManager: a \"%s\" cannot stand under the UI root; deleted",
            desc->GetClassName().c_str());
        delete component;
        return nullptr;
    }
    auto* screen = static_cast<ComponentScreen*>(component);
    UIScreenVersion version;
    (void)version.Parse(desc->GetVersion().c_str());  // a malformed text reads 0.0.0
    screen->SetVersion(version);
    const int priority = ScreenPriority(screen);
    // The screen's string table loads wherever it goes among the screens.
    static const AsciiString s_stringTable("stringtable");
    const UIProperty<AsciiString>* table = screen->FindProperty<AsciiString>(s_stringTable);
    if (table != nullptr && !table->Get().IsEmpty() && FindStringTable(table->Get()) == nullptr) {
        TextBank* loaded = nullptr;
        (void)LoadStringTable(table->Get(), &loaded);
    }
    int index = 0;
    for (Component* other = m_root->GetFirstChild(); other != nullptr;
         other = other->GetNextSibling(), ++index) {
        if (ScreenPriority(other) > priority) {
            m_root->AddChild(screen, index);
            return screen->GetParent() == m_root.get() ? screen : (delete screen, nullptr);
        }
    }
    m_root->AddChild(screen, -1);
    if (screen->GetParent() != m_root.get()) {
        delete screen;
        return nullptr;
    }
    return screen;
}

Component* UIManager::BuildLoadedComponent(Component* parent, ComponentDesc* desc) {
    if (desc != nullptr) {
        desc->SetInDefinition(true);
    }
    return BuildComponent(parent, desc);
}

Component* UIManager::BuildScreen(Component* parent, ComponentDesc* desc) {
    Component* built = BuildComponent(parent, desc);
    return IsScreen(built) ? built : nullptr;
}

Component* UIManager::CreateComponent(Component* parent, const AsciiString& className,
                                      const AsciiString& id) {
    std::unique_ptr<ComponentDesc> node(ComponentDesc::Create());
    node->SetClassName(className);
    node->SetId(id);
    Component* component = BuildComponent(parent, node.get());
    if (component != nullptr && parent != nullptr && parent->IsLoaded()) {
        MarkLoaded(component);
    }
    return component;
}

void UIManager::MarkLoaded(Component* component) {
    if (component != nullptr) {
        component->MarkLoaded();
    }
}

void UIManager::MarkComponentLoaded(UILoadedScreen& entry) { MarkLoaded(entry.screen); }

float UIManager::PlayRootAnimation(const AsciiString& name) {
    float longest = 0.0f;
    if (m_root == nullptr) {
        return longest;
    }
    for (Component* screen = m_root->GetFirstChild(); screen != nullptr;
         screen = screen->GetNextSibling()) {
        longest = std::max(longest, screen->PlayAnimation(name, true));
    }
    return longest;
}

void UIManager::RemoveScreen(const AsciiString& name) {
    if (name.IsEmpty() || m_root == nullptr) {
        return;
    }
    if (m_busy) {
        QueueScreenRemoval(name);
        return;
    }
    Component* found = m_root->FindChild(name);
    if (!IsScreen(found)) {
        return;
    }
    auto* screen = static_cast<ComponentScreen*>(found);
    screen->Detach();
    m_loadedScreens.erase(screen->GetId());
    m_screenRemoved.Invoke(screen);
    screen->OnScreenRemoved.Raise();
    if (m_debuggerScreen == screen) {
        m_debuggerScreen = nullptr;
    }
    delete screen;
}

void UIManager::QueueScreenRemoval(const AsciiString& name) {
    for (const AsciiString& queued : m_pendingScreenRemovals) {
        if (queued.Equals(name)) {
            return;
        }
    }
    m_pendingScreenRemovals.push_back(name);
}

void UIManager::DeferredDelete(Component* component) {
    if (component == nullptr || !component->CanDelete() || component->IsDeleted()) {
        return;
    }
    AsciiString id = component->GetId();
    id.Append("_(to be deleted no:");
    id.AppendUInt(static_cast<unsigned>(m_deferredDeletions.size()));
    id.Append(")");
    component->SetCanRename(true);
    component->SetId(id);
    component->SetCanRename(false);
    component->SetDeleted(true);
    m_deferredDeletions.push_back(component);
}

void UIManager::DestroyComponent(Component*& component) {
    if (component == nullptr) {
        return;
    }
    if (m_busy) {
        DeferredDelete(component);
        component = nullptr;
        return;
    }
    component->Detach();
    delete component;
    component = nullptr;
}

void UIManager::ProcessScreenRemovals() {
    // A removal may queue another; those wait for the next pass.
    std::vector<AsciiString> names;
    names.swap(m_pendingScreenRemovals);
    for (const AsciiString& name : names) {
        RemoveScreen(name);
    }
}

void UIManager::ProcessDeferredDeletions() {
    // Deleting a component nulls the entries of its queued descendants;
    // components queued meanwhile wait for the next pass.
    const size_t count = m_deferredDeletions.size();
    for (size_t i = 0; i < count; ++i) {
        Component* component = m_deferredDeletions[i];
        if (component != nullptr) {
            m_deferredDeletions[i] = nullptr;
            delete component;
        }
    }
    m_deferredDeletions.erase(m_deferredDeletions.begin(),
                              m_deferredDeletions.begin() + static_cast<std::ptrdiff_t>(count));
}

}  // namespace Varnok
