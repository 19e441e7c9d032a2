// The UI's part of a frame: the update walk over the screens by masks and
// layers, the work queued during it, and the per-layer drawing through the
// 2D batch with the UI's own view and projection.
#include "engine/ui/UIManager.h"

#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/text/FontManager.h"
#include "engine/ui/Component.h"
#include "engine/ui/ComponentDebugger.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/ComponentVisual.h"

#include <algorithm>
#include <cstring>

namespace Varnok {

namespace {

// The depth the UI's projection gives every vertex (z 0 maps to it).
constexpr float kUIProjectionDepth = 0.000999f;

bool IsVisual(const Component* component) {
    return component->IsKindOf(ComponentVisual::GetStaticClassInfo());
}

// Restores the draw-scale and transform state a layer's draw changed.
struct SavedDrawState {
    float verticalDrawScale = 1.0f;
    int32_t batchLayer = 0;
    Matrix4 projection;
    Matrix4 view;
    Matrix4 world;
};

}  // namespace

void UIManager::Update(float dt) {
    if (m_root == nullptr) {
        return;
    }
    const UIMessageDataUpdate payload(dt);
    UIMessage message;
    message.type = UIMessageType_Update;
    message.data = &payload;
    if (!DispatchMessage(message)) {
        return;
    }
    m_frameStats.NewFrame();
    const ViewportRect viewport = Renderer::Get().GetViewport();
    m_screenSize = Vector2{static_cast<float>(viewport.x1 - viewport.x0),
                           static_cast<float>(viewport.y1 - viewport.y0)};
    m_pointerScaleSize = m_screenSize;
    UpdateDebugger();

    FontManager& fonts = FontManager::Get();
    const float savedDrawScale = fonts.GetVerticalDrawScale();
    fonts.SetVerticalDrawScale(-1.0f);  // UI coordinates run downwards
    OnEditorUpdate(dt);
    for (auto& entry : m_drawLists) {
        entry.second.clear();  // keeps the storage and the layer keys
    }
    m_layersInUse.clear();

    m_busy = true;
    // A screen inserted during the walk (a transition's target) is reached
    // through the sibling links if it lands after the current one, and
    // waits for the next frame otherwise; no pointer into a list is kept.
    for (Component* screen = m_root->GetFirstChild(); screen != nullptr; screen = screen->GetNextSibling()) {
        screen->SetEffectivelyVisible(screen->IsVisible());
        // A screen without a layer of its own takes the project's default.
        const int32_t layer = screen->GetLayer();
        UpdateComponent(dt, screen, layer >= 0 ? layer : GetDefaultLayer());
    }
    ProcessPostUpdateNotices();
    m_busy = false;

    for (Component* screen = m_root->GetFirstChild(); screen != nullptr; screen = screen->GetNextSibling()) {
        PostUpdateComponent(screen);
    }
    RunDeferredWork();
    m_lastUpdatePointerPosition = m_pointerPosition;
    fonts.SetVerticalDrawScale(savedDrawScale);
}

void UIManager::UpdateComponent(float dt, Component* component, int32_t inheritedLayer) {
    if (component->IsDeleted() || !component->IsActive()) {
        return;
    }
    const int32_t own = component->GetLayer();
    const int32_t layer = own >= 0 ? own : inheritedLayer;
    component->SetEffectiveLayer(layer);
    const bool visual = IsVisual(component);
    if (visual) {
        m_layersInUse[layer] = true;
    }
    component->ResolveUpdateMasks();
    if ((component->GetEffectiveUpdateMask() & m_updateMask) != 0) {
        m_frameStats.Increment();
        component->FirstUpdateChecks();
        if ((component->GetEffectiveAnimationUpdateMask() & m_updateMask) != 0) {
            component->AdvanceAnimations(dt);
        }
        component->Update(dt);
    }
    if (visual && !(IsEditorVisibilityFilterOn() && !component->IsEffectivelyVisible())) {
        m_drawLists[layer].push_back(component);
    }
    for (Component* child = component->GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        child->SetEffectivelyVisible(component->IsEffectivelyVisible() && child->IsVisible());
        UpdateComponent(dt, child, layer);
    }
}

void UIManager::PostUpdateComponent(Component* component) {
    if (!component->IsActive()) {
        return;
    }
    component->PostUpdateHook();
    for (Component* child = component->GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        PostUpdateComponent(child);
    }
}

void UIManager::RunDeferredWork() {
    // Bring to front, in queue order. A destroyed component has already
    // left the queue (OnComponentDestroyed).
    for (size_t i = 0; i < m_bringToFront.size(); ++i) {
        Component* component = m_bringToFront[i];
        Component* parent = component->GetParent();
        if (parent != nullptr) {
            component->Detach();
            parent->AddChild(component, -1);
        }
    }
    m_bringToFront.clear();
    ProcessDeferredDeletions();
    ProcessScreenRemovals();
}

void UIManager::GetViewProjection(Matrix4& outView, Matrix4& outProjection) const {
    Matrix43 view;
    BuildLookAtMatrix(Vector3{0.0f, 0.0f, 1.0f}, Vector3{0.0f, 1.0f, 0.0f}, Vector3{0.0f, 0.0f, 0.0f}, view);
    outView = Matrix4::FromMatrix43(view.m);
    const float w = m_screenSize.x;
    const float h = m_screenSize.y;
    std::memset(outProjection.m, 0, sizeof(outProjection.m));
    outProjection.m[0] = 2.0f / w;
    outProjection.m[5] = -2.0f / h;
    outProjection.m[10] = kUIProjectionDepth;
    outProjection.m[12] = -1.0f;
    outProjection.m[13] = 1.0f;
    outProjection.m[14] = kUIProjectionDepth;
    outProjection.m[15] = 1.0f;
}

const std::vector<Component*>* UIManager::FindDrawList(int32_t layer) const {
    auto it = m_drawLists.find(layer);
    return it != m_drawLists.end() ? &it->second : nullptr;
}

void UIManager::Draw(int32_t layer, bool flush, bool keep) {
    if (m_root == nullptr) {
        return;
    }
    if (layer != kAllLayers && !IsLayerInUse(layer)) {
        return;
    }
    const UIMessageDataDraw payload(layer);
    UIMessage message;
    message.type = UIMessageType_Draw;
    message.data = &payload;
    if (!DispatchMessage(message)) {
        return;
    }
    std::vector<Component*>* list = nullptr;
    if (layer != kAllLayers) {
        auto it = m_drawLists.find(layer);
        if (it == m_drawLists.end() || it->second.empty()) {
            return;
        }
        list = &it->second;
        m_frameStats.AddSample(layer);
    }
    SpriteLayerBatch& batch = SpriteLayerBatch::GetInstance();
    const bool batchReady = batch.GetLayerCount() > 0;
    if (flush && batchReady) {
        batch.Reset();
    }
    FontManager& fonts = FontManager::Get();
    RenderTransforms& transforms = RenderTransforms::Get();
    SavedDrawState saved;
    saved.verticalDrawScale = fonts.GetVerticalDrawScale();
    saved.batchLayer = batch.GetCurrentLayer();
    saved.projection = transforms.Projection().Current();
    saved.view = transforms.View().Current();
    saved.world = transforms.World().Current();
    if (!keep) {
        fonts.SetVerticalDrawScale(-1.0f);
        Matrix4 view;
        Matrix4 projection;
        GetViewProjection(view, projection);
        Matrix4 viewProjection;
        Matrix4::Multiply(view, projection, viewProjection);
        const int32_t slot = static_cast<int32_t>(m_settings.simple2DGlobalTransformIndex);
        if (slot >= 0 && slot < batch.GetLayerCount()) {
            batch.LayerMatrix(slot) = viewProjection;
            batch.SetCurrentLayer(slot);
        }
        transforms.Projection().Set(viewProjection);
        transforms.View().Set(Matrix4{});
        transforms.World().Reset();
        transforms.Apply(false);
    }
    m_busy = true;
    if (list != nullptr) {
        // Drawing never changes the list; an index keeps it safe anyway.
        for (size_t i = 0; i < list->size(); ++i) {
            DrawComponent((*list)[i]);
        }
    } else {
        OnEditorDrawAll();
    }
    m_busy = false;
    fonts.SetVerticalDrawScale(saved.verticalDrawScale);
    if (flush && batchReady) {
        batch.Draw(BatchDrawMode::Merged, BatchDepthRange{1.0f, 0.0f});
    }
    if (!keep) {
        batch.SetCurrentLayer(saved.batchLayer);
        transforms.Projection().Set(saved.projection);
        transforms.View().Set(saved.view);
        transforms.World().Set(saved.world);
        transforms.Apply(false);
    }
}

void UIManager::DrawComponent(Component* component) {
    if (component != nullptr && component->IsActive()) {
        component->Draw();
    }
}

void UIManager::RemoveFromDrawLists(Component* component) {
    for (auto& entry : m_drawLists) {
        std::vector<Component*>& list = entry.second;
        list.erase(std::remove(list.begin(), list.end(), component), list.end());
    }
}

// ---- the debugger screen ----

void UIManager::UpdateDebugger() {
    static bool s_lastSwitch = false;
    UIDebugConsoleSettings& settings = GetUIDebugConsoleSettings();
    if (settings.consoleOn != s_lastSwitch) {
        s_lastSwitch = settings.consoleOn;
        if (settings.consoleOn) {
            ShowDebugger();
        } else {
            HideDebugger();
            return;
        }
    }
    if (!settings.consoleOn || m_debuggerScreen == nullptr) {
        return;
    }
    if (settings.consoleLayer >= 0) {
        m_debuggerScreen->SetLayer(settings.consoleLayer);
    } else if (settings.consoleLayerName[0] != '\0') {
        m_debuggerScreen->GetLayerNameProperty()->Set(AsciiString(settings.consoleLayerName));
    } else {
        m_debuggerScreen->SetLayer(m_frameStats.GetMax());
    }
}

void UIManager::ShowDebugger() {
    if (m_debuggerScreen != nullptr || m_root == nullptr) {
        return;
    }
    // Built in code: this program ships no debugger screen file.
    Component* screen = InstantiateClass(AsciiString("ComponentScreen"));
    if (screen == nullptr) {
        return;
    }
    screen->SetId(AsciiString("uidebugger"));
    m_root->AddChild(screen, -1);
    m_debuggerScreen = screen;
    SetupDebuggerScreen(screen);
    screen->MarkLoaded();
    screen->GetEnabledProperty()->Set(true);
}

void UIManager::SetupDebuggerScreen(Component* screen) {
    Component* found = screen->FindChild(AsciiString("uidebuggerComponent"));
    if (found != nullptr && found->IsKindOf(ComponentDebugger::GetStaticClassInfo())) {
        return;
    }
    Component* debugger = InstantiateClass(AsciiString("ComponentDebugger"));
    if (debugger == nullptr) {
        return;
    }
    debugger->SetId(AsciiString("uidebuggerComponent"));
    screen->AddChild(debugger, -1);
    debugger->OnCreated();
    debugger->GetOrAddProperty<float>(AsciiString("width"), 300.0f)->Set(300.0f);
    debugger->GetOrAddProperty<float>(AsciiString("height"), 300.0f)->Set(300.0f);
    debugger->GetOrAddProperty<bool>(AsciiString("allowStretchX"), false)->Set(false);
    debugger->GetOrAddProperty<bool>(AsciiString("allowStretchY"), false)->Set(false);
}

void UIManager::HideDebugger() {
    if (m_debuggerScreen != nullptr) {
        m_pendingScreenRemovals.push_back(m_debuggerScreen->GetId());
    }
}

}  // namespace Varnok
