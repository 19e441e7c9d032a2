// Small component classes and a UI manager fixture for the UI tests.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/ui/Component.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/UICommand.h"
#include "engine/ui/UIHost.h"
#include "engine/ui/UIManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace UITest {

// A rectangle placed by a translation: its local rectangle is
// (0, 0)..(width, height) and its outline the same square on screen.
class Box : public Component {
public:
    Box(float x, float y, float width, float height, int layer = 0)
        : m_width(width), m_height(height) {
        m_world.kind = 1;
        m_world.m[12] = x;
        m_world.m[13] = y;
        const float corners[4][2] = {{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}};
        m_vertices.resize(4);
        for (int i = 0; i < 4; ++i) {
            m_vertices[i].x = corners[i][0];
            m_vertices[i].y = corners[i][1];
        }
        SetEffectiveLayer(layer);
        GetInputEnabledProperty()->Set(true);
    }

    UIRect GetLocalRect() const override { return UIRect{0.0f, 0.0f, m_width, m_height}; }
    const UIVertexList& GetVertices() const override { return m_vertices; }
    UITransform GetWorldTransform() const override { return m_world; }
    bool BlocksInputFromGame() const override { return m_blocks; }

    bool m_blocks = false;

private:
    float m_width;
    float m_height;
    UITransform m_world;
    UIVertexList m_vertices;
};

// A component with an id, added under parent (when given).
template <typename T = Component, typename... Args>
T* Make(Component* parent, const char* id, Args... args) {
    T* component = new T(args...);
    component->SetId(AsciiString(id));
    if (parent != nullptr) {
        parent->AddChild(component, -1);
    }
    return component;
}

// Records who heard what, in order.
struct Recorder {
    std::vector<std::string> lines;
    bool handle = false;  // what touch listeners answer

    void OnProperty(Component* sender, UIPropertyBase* property, bool&) {
        lines.push_back(sender->GetId().c_str() + std::string(":") + property->GetName().c_str());
    }
    void OnFlag(Component* sender, bool&) { lines.push_back(sender->GetId().c_str()); }
    void OnTouch(Component* sender, const Vector2&, bool& handled) {
        lines.push_back(sender->GetId().c_str());
        handled = handle;
    }
    void OnFinished(Component* sender, const AsciiString& name, bool&) {
        lines.push_back(std::string(sender->GetId().c_str()) + ":" + name.c_str() + ":" +
                        sender->GetFinishedAnimationName().c_str());
    }

    void Listen(Component& component) {
        component.OnPropertyChangedEvent.AddListener(
            Component::PropertyChangedEvent::Listener(this, &Recorder::OnProperty));
    }
    void ListenTouch(Component::TouchEvent& event) {
        event.AddListener(Component::TouchEvent::Listener(this, &Recorder::OnTouch));
    }
};

// A command that counts its calls and answers a fixed result.
class CountingCommand final : public UICommand {
public:
    CountingCommand(const char* name, int32_t result) : m_name(name), m_result(result) {}
    AsciiString GetName() const override { return m_name; }
    uint32_t GetParamRange() const override { return 0; }
    const AsciiString* GetParamKinds(uint32_t& outCount) const override {
        outCount = 0;
        return nullptr;
    }
    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override {
        ++calls;
        lastContext = context;
        lastArgs = args;
        return m_result;
    }

    int calls = 0;
    Component* lastContext = nullptr;
    std::vector<AsciiString> lastArgs;

private:
    AsciiString m_name;
    int32_t m_result;
};

class FakeHost final : public UIHost {
public:
    const char* GetDeviceLanguage() const override { return language.c_str(); }
    void OnUISetUp() override { ++setUpCalls; }
    bool IsKeyboardInitialised() const override { return keyboardReady; }
    void InitialiseKeyboard() override { keyboardReady = true; }

    std::string language;
    int setUpCalls = 0;
    bool keyboardReady = false;
};

// An initialised UI manager without a sprite batch; shut down afterwards.
class UIManagerTest : public testing::Test {
protected:
    void SetUp() override {
        UIProjectSettings settings;
        settings.createsSimple2D = false;
        Configure(settings);
        ui().Init(settings, AsciiString("~base"));
    }
    void TearDown() override {
        ui().Shutdown();
        ui().SetHost(nullptr);
        ui().SetUpdateMask(0xFFFFFFFFu);
    }
    virtual void Configure(UIProjectSettings&) {}

    static UIManager& ui() { return UIManager::Get(); }
    Component* root() { return ui().GetRoot(); }
    ComponentScreen* AddScreen(const char* id) { return Make<ComponentScreen>(root(), id); }
    // Registered with the manager, which owns it.
    CountingCommand* AddCommand(const char* name, int32_t result) {
        auto* command = new CountingCommand(name, result);
        ui().RegisterCommand(command);
        return command;
    }
};

inline UICommandCall Call(const char* name, std::vector<const char*> args = {}) {
    UICommandCall call;
    call.name = name;
    for (const char* arg : args) {
        call.args.emplace_back(arg);
    }
    return call;
}

}  // namespace UITest
}  // namespace Varnok
