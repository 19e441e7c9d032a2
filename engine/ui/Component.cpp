// The component base: construction and destruction, base properties and
// events, the loaded and first-update life cycle, revision bookkeeping,
// property operations and the debug dumps.
#include "engine/ui/Component.h"

#include "engine/core/TextBuffer.h"
#include "engine/ui/UIAnimation.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/descriptions/ComponentDesc.h"

namespace Varnok {

namespace {

constexpr unsigned kFirstTableCapacity = 8;

// Inserts `prefix` after every newline of text.
AsciiString IndentAfterNewlines(const AsciiString& text, const char* prefix) {
    AsciiString out;
    const char* chars = text.c_str();
    const int length = text.Length();
    int start = 0;
    for (int i = 0; i < length; ++i) {
        if (chars[i] == '\n') {
            out.AppendChars(chars + start, i + 1 - start);
            out.Append(prefix);
            start = i + 1;
        }
    }
    out.AppendChars(chars + start, length - start);
    return out;
}

}  // namespace

const AsciiString& Component::RootId() {
    static const AsciiString s_rootId("$ROOT$");
    return s_rootId;
}

const ComponentClassInfo& Component::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("Component", ComponentClassId::Component, nullptr);
    return s_info;
}

Component::Component() : m_classInfo(&GetStaticClassInfo()) {
    m_boolTable.Init(this, UIPT_bool, kFirstTableCapacity);
    m_stringTable.Init(this, UIPT_string, kFirstTableCapacity);
    m_vector3Table.Init(this, UIPT_vector3, kFirstTableCapacity);
    m_vector2Table.Init(this, UIPT_vector2, kFirstTableCapacity);
    m_floatTable.Init(this, UIPT_float, kFirstTableCapacity);
    m_rotationTable.Init(this, UIPT_rotation, kFirstTableCapacity);
    m_intTable.Init(this, UIPT_int, kFirstTableCapacity);
    m_colourTable.Init(this, UIPT_colour, kFirstTableCapacity);

    m_enabled = m_boolTable.GetOrAdd(AsciiString("enabled"), true);
    m_inputEnabled = m_boolTable.GetOrAdd(AsciiString("inputEnabled"), false);
    m_layer = m_intTable.GetOrAdd(AsciiString("layer"), -1);
    m_layerOffset = m_intTable.GetOrAdd(AsciiString("layerOffset"), 0);
    m_updateMask = m_intTable.GetOrAdd(AsciiString("updateMask"), -1);
    m_animationUpdateMask = m_intTable.GetOrAdd(AsciiString("animationUpdateMask"), -1);
    m_layerName = m_stringTable.GetOrAdd(AsciiString("layerName"), AsciiString::Empty());

    RegisterEvent(AsciiString("OnPropertyChangedEvent"), &OnPropertyChangedEvent);
    RegisterEvent(AsciiString("OnAnimationFinishedEvent"), &OnAnimationFinishedEvent);
    RegisterEvent(AsciiString("OnFinishedLoadingEvent"), &OnFinishedLoadingEvent);
    RegisterEvent(AsciiString("OnBeforeResetEvent"), &OnBeforeResetEvent);
    RegisterEvent(AsciiString("OnResetEvent"), &OnResetEvent);
    RegisterEvent(AsciiString("OnTouchDownEvent"), &OnTouchDownEvent);
    RegisterEvent(AsciiString("OnTouchDownObscuredEvent"), &OnTouchDownObscuredEvent);
    RegisterEvent(AsciiString("OnTouchDownOutsideEvent"), &OnTouchDownOutsideEvent);
    RegisterEvent(AsciiString("OnTouchUpEvent"), &OnTouchUpEvent);
    RegisterEvent(AsciiString("OnTouchUpHeldOutsideEvent"), &OnTouchUpHeldOutsideEvent);
    RegisterEvent(AsciiString("OnTouchMovedEvent"), &OnTouchMovedEvent);
    RegisterEvent(AsciiString("OnTouchMovedOutsideEvent"), &OnTouchMovedOutsideEvent);
    RegisterEvent(AsciiString("OnFocusLostEvent"), &OnFocusLostEvent);
    RegisterEvent(AsciiString("OnFocusGainedEvent"), &OnFocusGainedEvent);
    RegisterEvent(AsciiString("OnFirstUpdate"), &OnFirstUpdate);
    RegisterEvent(AsciiString("OnEnabledFirstUpdate"), &OnEnabledFirstUpdate);
}

Component::~Component() {
    m_isDeleted = true;
    UIManager& ui = UIManager::Get();
    if (ui.GetFocus() == this) {
        ui.ClearFocus(this);
    }
    ui.OnComponentDestroyed(this);

    std::vector<Component*> children;
    for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
        children.push_back(child);
    }
    for (Component* child : children) {
        delete child;
    }

    // Unlinked whatever the manager is doing: refusing here (as Detach does
    // during a pass) would leave a freed component in its parent's list.
    if (m_parent != nullptr) {
        if (m_prevSibling != nullptr) {
            m_prevSibling->m_nextSibling = m_nextSibling;
        } else {
            m_parent->m_firstChild = m_nextSibling;
        }
        if (m_nextSibling != nullptr) {
            m_nextSibling->m_prevSibling = m_prevSibling;
        } else {
            m_parent->m_lastChild = m_prevSibling;
        }
        m_parent = nullptr;
        m_prevSibling = nullptr;
        m_nextSibling = nullptr;
    }
    if (m_desc != nullptr) {
        m_desc->Detach();
        m_desc.reset();
    }
    // Animations go before the tables their tracks point into.
    m_animations.clear();
}

void Component::RegisterEvent(const AsciiString& name, UIComponentEventBase* event) {
    m_events.emplace(name, event);
}

UIComponentEventBase* Component::FindEvent(const AsciiString& name) const {
    auto it = m_events.find(name);
    return it != m_events.end() ? it->second : nullptr;
}

void Component::SetDesc(ComponentDesc* desc) { m_desc.reset(desc); }

void Component::SetText(const AsciiString& text) {
    static const AsciiString s_text("text");
    static const AsciiString s_texture("texture");
    if (UIProperty<AsciiString>* property = m_stringTable.Find(s_text)) {
        property->Set(text);
    } else if (UIProperty<AsciiString>* texture = m_stringTable.Find(s_texture)) {
        texture->Set(text);
    }
}

int Component::GetLayer() const { return m_layer->Get(); }

bool Component::MatchesKey(const InputEvent&) const { return false; }

UIRect Component::GetWorldBounds() const { return UIRect{}; }
UIRect Component::GetLocalRect() const { return UIRect{}; }
UIRect Component::GetContainerRect() const {
    return m_parent != nullptr ? m_parent->GetContainerRect() : UIRect{};
}
UIRect Component::GetLayoutMargins() const {
    return m_parent != nullptr ? m_parent->GetLayoutMargins() : UIRect{};
}

const UIVertexList& Component::GetVertices() const {
    static const UIVertexList s_empty;
    return m_parent != nullptr ? m_parent->GetVertices() : s_empty;
}

UITransform Component::GetLocalTransform() const { return UITransform::Identity(); }
UITransform Component::GetWorldTransform() const {
    return m_parent != nullptr ? m_parent->GetWorldTransform() : UITransform::Identity();
}
UITransform Component::UpdateWorldTransform() {
    const UITransform local = GetLocalTransform();
    if (m_parent == nullptr) {
        return local;
    }
    UITransform world;
    UITransform::Multiply(world, local, m_parent->UpdateWorldTransform());
    return world;
}
Colour Component::GetWorldColour() const {
    return m_parent != nullptr ? m_parent->GetWorldColour() : kColourWhite;
}

int Component::RequestFromChild(Component* child, int request, void* data) {
    return m_parent != nullptr ? m_parent->RequestFromChild(child, request, data) : 0;
}

void Component::GetReservedAnimationNames(std::vector<AsciiString>&) const {}

void Component::OnDataNameChanged(Component* source) {
    if (m_parent != nullptr) {
        m_parent->OnDataNameChanged(source);
    }
}

uint32_t Component::AdvanceRevision(uint32_t revision) {
    if (revision == 0 || revision == 0xFFFFFFFFu || revision == 0xFFFFFFFEu) {
        return 1;
    }
    return revision + 1;
}

void Component::Update(float) {
    if (m_parent == nullptr) {
        return;
    }
    const uint32_t parentTransform = m_parent->m_transformRevision;
    if (m_parentTransformRevision == 1 || parentTransform == 1 ||
        m_parentTransformRevision != parentTransform) {
        m_transformDirty = 1;
        m_parentTransformRevision = parentTransform;
        m_transformRevision = AdvanceRevision(m_transformRevision);
    } else {
        const uint32_t parentLayout = m_parent->m_layoutRevision;
        if (!(m_parentLayoutRevision == 1 || parentLayout == 1 ||
              m_parentLayoutRevision != parentLayout)) {
            return;
        }
    }
    m_layoutDirty = 1;
    m_parentLayoutRevision = m_parent->m_layoutRevision;
    m_layoutRevision = AdvanceRevision(m_layoutRevision);
}

void Component::OnPropertyChanged(UIPropertyBase* property) {
    if (m_loaded) {
        UIManager& ui = UIManager::Get();
        if (ui.IsEditorConnected()) {
            ReportPropertyChange(property);
        }
        if (property == m_layerName) {
            ApplyLayerName();
        }
        if (m_dataName != nullptr && property == m_dataName) {
            OnDataNameChanged(this);
            if (m_parent != nullptr) {
                m_parent->OnDataNameChanged(this);
            }
        }
    }
    if (property == m_enabled) {
        m_transformRevision = 1;
        m_layoutRevision = 1;
        m_parentTransformRevision = 1;
        m_parentLayoutRevision = 1;
        m_enabledFirstUpdatePending = true;
        RefreshChildrenActiveState();
    }
    bool handled = false;
    OnPropertyChangedEvent.Raise(property, handled);
}

void Component::ReportPropertyChange(UIPropertyBase* property) {
    UIManager& ui = UIManager::Get();
    if (!ui.WantsPropertyReports() || ui.GetRemoteEditReporter() == nullptr ||
        GetPath().IsEmpty() || property == nullptr) {
        return;
    }
    // No editor link exists in this program; the reporter would send the
    // path, the property's name and text and the active SKU here.
}

void Component::RefreshActiveState() {
    if (m_parent == nullptr) {
        return;
    }
    const bool before = IsActive();
    m_parentEnabled = m_parent->m_parentEnabled ? m_parent->m_enabled->Get() : false;
    if (IsActive() != before) {
        OnPropertyChanged(m_enabled);
    }
}

void Component::RefreshChildrenActiveState() {
    Component* child = m_firstChild;
    while (child != nullptr) {
        Component* next = child->m_nextSibling;
        child->RefreshActiveState();
        child = next;
    }
}

void Component::MarkLoaded() {
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    OnFinishedLoading();
    StoreLoadedValues();
    for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
        child->MarkLoaded();
    }
}

void Component::OnFinishedLoading() {
    m_dataName = m_stringTable.Find(AsciiString("dataname"));
    ApplyLayerName();
    bool handled = false;
    OnFinishedLoadingEvent.Raise(handled);
}

void Component::ApplyLayerName() {
    const AsciiString& name = m_layerName->Get();
    if (!name.IsEmpty()) {
        m_layer->Set(UIManager::Get().GetLayerByName(name));
    }
}

void Component::FireOnFirstUpdate() {
    m_firstUpdatePending = false;
    OnFirstUpdateHook();
    OnFirstUpdate.Raise();
}

void Component::FireOnEnabledFirstUpdate() {
    m_enabledFirstUpdatePending = false;
    OnEnabledFirstUpdateHook();
    OnEnabledFirstUpdate.Raise();
}

void Component::FirstUpdateChecks() {
    if (!m_loaded) {
        MarkLoaded();
    }
    if (m_firstUpdatePending) {
        FireOnFirstUpdate();
    }
    if (m_enabledFirstUpdatePending) {
        FireOnEnabledFirstUpdate();
    }
}

void Component::ResolveUpdateMasks() {
    const int mask = m_updateMask->Get();
    m_effectiveUpdateMask = (mask == -1 && m_parent != nullptr) ? m_parent->m_effectiveUpdateMask
                                                                : static_cast<uint32_t>(mask);
    const int animationMask = m_animationUpdateMask->Get();
    m_effectiveAnimationUpdateMask = (animationMask == -1 && m_parent != nullptr)
                                         ? m_parent->m_effectiveAnimationUpdateMask
                                         : static_cast<uint32_t>(animationMask);
}

void Component::OnReset() {
    bool handled = false;
    OnResetEvent.Raise(handled);
}

void Component::OnBeforeReset() {
    bool handled = false;
    OnBeforeResetEvent.Raise(handled);
}

UIPropertyTableBase& Component::GetTableByType(UIPropertyType type) {
    switch (type) {
        case UIPT_bool: return m_boolTable;
        case UIPT_string: return m_stringTable;
        case UIPT_vector3: return m_vector3Table;
        case UIPT_vector2: return m_vector2Table;
        case UIPT_float: return m_floatTable;
        case UIPT_rotation: return m_rotationTable;
        case UIPT_int: return m_intTable;
        default: return m_colourTable;
    }
}

void Component::SetStringProperty(const AsciiString& name, const AsciiString& text) {
    m_stringTable.GetOrAdd(name, text)->Set(text);
}

UIPropertyType Component::GetPropertyType(const AsciiString& name) const {
    for (UIPropertyType type = UIPT_bool; type != UIPT_Invalid; NextUIPropertyType(type)) {
        if (const_cast<Component*>(this)->GetTableByType(type).FindItem(name) != nullptr) {
            return type;
        }
    }
    return UIPT_Invalid;
}

void Component::SetLayer(int layer) { m_layer->Set(layer); }

unsigned Component::GetPropertyCount() const {
    unsigned count = 0;
    for (UIPropertyType type = UIPT_bool; type != UIPT_Invalid; NextUIPropertyType(type)) {
        count += const_cast<Component*>(this)->GetTableByType(type).GetCount();
    }
    return count;
}

UIPropertyBase* Component::GetPropertyByIndex(unsigned index) const {
    for (UIPropertyType type = UIPT_bool; type != UIPT_Invalid; NextUIPropertyType(type)) {
        const UIPropertyTableBase& table = const_cast<Component*>(this)->GetTableByType(type);
        if (index < table.GetCount()) {
            return table.GetItem(index);
        }
        index -= table.GetCount();
    }
    return nullptr;
}

void Component::StoreLoadedValues() {
    const unsigned count = GetPropertyCount();
    for (unsigned i = 0; i < count; ++i) {
        GetPropertyByIndex(i)->StoreLoadedValue();
    }
}

void Component::RestoreLoadedValues() {
    const unsigned count = GetPropertyCount();
    for (unsigned i = 0; i < count; ++i) {
        GetPropertyByIndex(i)->RestoreLoadedValue();
    }
}

AsciiString Component::Dump() const {
    TextBuffer out(256);
    out.AppendString(m_classInfo->name);
    out.Append("\n{\n  id: \"");
    out.AppendString(m_id);
    out.Append("\",\n  Properties:\n  {\n");
    const unsigned count = GetPropertyCount();
    for (unsigned i = 0; i < count; ++i) {
        const UIPropertyBase* property = GetPropertyByIndex(i);
        out.Append("    \"");
        out.AppendString(property->GetName());
        out.Append("\"<");
        out.AppendString(GetUIPropertyTypeName(property->GetType()));
        out.Append("> = ");
        out.AppendString(property->ToString());
        out.Append(",\n");
    }
    out.Append("  },\n  Children:\n  {\n");
    unsigned long index = 0;
    for (const Component* child = m_firstChild; child != nullptr;
         child = child->m_nextSibling, ++index) {
        out.Append("    ");
        out.AppendString(m_id);
        out.Append("[");
        out.AppendULong(index);
        out.Append("] = ");
        out.AppendString(IndentAfterNewlines(child->Dump(), "    "));
        out.Append(", // ");
        out.AppendString(m_id);
        out.Append("[");
        out.AppendULong(index);
        out.Append("]\n");
    }
    out.Append("  },\n}");
    return out.ToString();
}

AsciiString Component::DumpShort() const {
    AsciiString text("\nm_id = ");
    text.AppendString(m_id);
    text.Append("\nm_bHasFocus = ");
    text.Append(m_bHasFocus ? "true" : "false");
    return text;
}

AsciiString Component::DumpDebugString() const {
    AsciiString text = m_classInfo->name;
    text.Append("\n{  ");
    text.AppendString(IndentAfterNewlines(DumpShort(), "  "));
    text.Append("\n}");
    return text;
}

}  // namespace Varnok
