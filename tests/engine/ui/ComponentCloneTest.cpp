#include "engine/ui/Component.h"

#include "engine/ui/UIAnimation.h"
#include "engine/ui/descriptions/ComponentDefinition.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "tests/engine/ui/UIFilesTestSupport.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

class ComponentDefinitionsApply : public UITest::UIFilesTest {
protected:
    void SetUp() override {
        UIFilesTest::SetUp();
        // Classes that exist only as files, built through Component.
        Define("base", "<propertyDefinition name=\"x\" type=\"int\" default=\"1\"/>", "Component");
        Define("derived", "<propertyDefinition name=\"x\" type=\"int\" default=\"2\"/>", "Base");
        Define("label", "<propertyDefinition name=\"text\" type=\"string\" default=\"Label\"/>",
               "Component");
        Define("button",
               "<propertyDefinition name=\"caption\" type=\"string\">"
               "<alias target=\"label.text\"/></propertyDefinition>"
               "<propertyDefinition name=\"count\" type=\"int\" default=\"0\"/>"
               "<component type=\"Label\" Id=\"label\"><property name=\"text\" value=\"OK\"/>"
               "</component>",
               "Component");
        InitUI("A");
    }
    Component* Make(const char* className) {
        Component* c = ui().InstantiateClass(AsciiString(className));
        m_made.emplace_back(c);
        return c;
    }
    static int Int(Component* c, const char* name) {
        return c->FindProperty<int>(AsciiString(name))->Get();
    }
    static std::string Text(Component* c, const char* name) {
        return c->FindProperty<AsciiString>(AsciiString(name))->Get().c_str();
    }
    std::vector<std::unique_ptr<Component>> m_made;
};

TEST_F(ComponentDefinitionsApply, DerivedDefaultsOverrideTheBase) {
    Component* c = Make("Derived");
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(2, Int(c, "x"));
    EXPECT_EQ(ui().GetDefinition(AsciiString("Derived")), c->GetDefinition());
}

TEST_F(ComponentDefinitionsApply, TwoInstantiationsAreTwoClonesOfOnePrototype) {
    Component* a = Make("Derived");
    Component* b = Make("Derived");
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_NE(a, b);
    Component* prototype = ui().FindPrototype(AsciiString("Derived"));
    ASSERT_NE(nullptr, prototype);
    EXPECT_NE(prototype, a);
    a->FindProperty<int>(AsciiString("x"))->Set(9);
    EXPECT_EQ(2, Int(b, "x"));
    EXPECT_EQ(2, Int(prototype, "x"));
}

TEST_F(ComponentDefinitionsApply, AliasesWorkBothWaysInEveryClone) {
    Component* button = Make("Button");
    ASSERT_NE(nullptr, button);
    Component* label = button->FindChild(AsciiString("label"));
    ASSERT_NE(nullptr, label);
    EXPECT_EQ("OK", Text(button, "caption"));  // the child's value went to the owner
    button->FindProperty<AsciiString>(AsciiString("caption"))->Set(AsciiString("Go"));
    EXPECT_EQ("Go", Text(label, "text"));
    label->FindProperty<AsciiString>(AsciiString("text"))->Set(AsciiString("Stop"));
    EXPECT_EQ("Stop", Text(button, "caption"));
    EXPECT_EQ(1, button->GetChildCount());  // the prefab child was reused, not cloned again
}

TEST_F(ComponentDefinitionsApply, DescriptionValuesForTheRunningSkuOrDefaults) {
    Component* c = Make("Derived");
    auto desc = std::make_unique<ComponentDesc>();
    desc->SetClassName(AsciiString("Derived"));
    desc->Properties<int>()[AsciiString("x")].Set(Sku("C"), 7);  // another SKU only
    desc->Properties<int>()[AsciiString("unknown")].Set(Sku("A"), 3);
    c->FindProperty<int>(AsciiString("x"))->Set(5);
    c->SetDesc(desc.release());
    c->LoadFromDesc(false, false);
    EXPECT_EQ(5, Int(c, "x"));  // untouched
    EXPECT_EQ(nullptr, c->FindProperty<int>(AsciiString("unknown")));
    c->LoadFromDesc(true, false);
    EXPECT_EQ(2, Int(c, "x"));  // the definition's default
}

TEST_F(ComponentDefinitionsApply, CloneCopiesChildrenValuesAnimationsAndCommands) {
    Component* parent = Make("Base");
    for (const char* id : {"one", "two", "three"}) {
        Component* child = ui().InstantiateClass(AsciiString("Label"));
        child->SetId(AsciiString(id));
        child->FindProperty<AsciiString>(AsciiString("text"))->Set(AsciiString(id));
        parent->AddChild(child, -1);
    }
    UIAnimation& animation = parent->CreateAnimation(AsciiString("fade"), 2, AsciiString());
    animation.AddKeyframe<int>(AsciiString("x"), 300, UILerp_Linear, 4);
    parent->AddAnimationEventKeyframe(AsciiString("fade"), 0.1f, {UITest::Call("Cmd")});
    parent->OnTouchUpEvent.GetCalls().push_back(UITest::Call("Tap"));
    UITest::Recorder recorder;
    recorder.ListenTouch(parent->OnTouchUpEvent);

    std::unique_ptr<Component> copy(parent->Clone());
    ASSERT_NE(nullptr, copy);
    ASSERT_EQ(3, copy->GetChildCount());
    Component* two = copy->FindChild(AsciiString("two"));
    ASSERT_NE(nullptr, two);
    EXPECT_EQ("two", Text(two, "text"));
    EXPECT_EQ(nullptr, copy->GetParent());
    EXPECT_FALSE(copy->IsLoaded());
    UIAnimation* copied = copy->FindAnimation(AsciiString("fade"));
    ASSERT_NE(nullptr, copied);
    EXPECT_NE(parent->FindAnimation(AsciiString("fade")), copied);
    EXPECT_EQ(copy.get(), copied->GetOwner());
    EXPECT_EQ(2, copied->GetLoopCount());
    EXPECT_EQ(300u, copied->GetDurationMs());
    ASSERT_EQ(1u, copied->GetEventKeyframes().size());
    EXPECT_EQ(copy.get(), copied->GetEventKeyframes()[0].commands->GetSender());
    ASSERT_EQ(1u, copy->OnTouchUpEvent.GetCalls().size());
    EXPECT_EQ(0u, copy->OnTouchUpEvent.GetListeners().ListenerCount());
}

TEST_F(ComponentDefinitionsApply, ResetRestoresLoadedValuesDepthFirst) {
    Component* parent = Make("Base");
    Component* child = ui().InstantiateClass(AsciiString("Base"));
    child->SetId(AsciiString("child"));
    parent->SetId(AsciiString("parent"));
    parent->AddChild(child, -1);
    parent->MarkLoaded();
    parent->FindProperty<int>(AsciiString("x"))->Set(8);
    child->FindProperty<int>(AsciiString("x"))->Set(9);
    UITest::Recorder recorder;
    for (Component* c : {parent, child}) {
        c->OnBeforeResetEvent.AddListener(
            Component::FlagEvent::Listener(&recorder, &UITest::Recorder::OnFlag));
        c->OnResetEvent.AddListener(Component::FlagEvent::Listener(&recorder, &UITest::Recorder::OnFlag));
    }
    parent->Reset();
    EXPECT_EQ(1, Int(parent, "x"));
    EXPECT_EQ(1, Int(child, "x"));
    const std::vector<std::string> order = {"parent", "child", "child", "parent"};
    EXPECT_EQ(order, recorder.lines);
}

}  // namespace
}  // namespace Varnok
