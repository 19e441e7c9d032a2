#include "engine/ui/Component.h"

#include "engine/ui/descriptions/ComponentDesc.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using UITest::Make;
using UITest::Recorder;

class ComponentBase : public UITest::UIManagerTest {};

TEST_F(ComponentBase, ANewComponentHasTheBaseSetUp) {
    Component component;
    EXPECT_EQ(component.GetPropertyCount(), 7u);
    EXPECT_EQ(component.GetTable<bool>().GetCount(), 2u);
    EXPECT_EQ(component.GetTable<int>().GetCount(), 4u);
    EXPECT_EQ(component.GetTable<AsciiString>().GetCount(), 1u);
    EXPECT_EQ(component.GetEvents().size(), 16u);
    EXPECT_TRUE(component.IsParentEnabled());
    EXPECT_TRUE(component.IsActive());
    EXPECT_FALSE(component.IsInputEnabled());
    EXPECT_EQ(component.GetLayer(), -1);
    EXPECT_EQ(component.GetClassInfo().id, ComponentClassId::Component);
    EXPECT_EQ(component.GetPropertyType(AsciiString("LAYER")), UIPT_int);
    EXPECT_EQ(component.GetPropertyType(AsciiString("layerName")), UIPT_string);
    EXPECT_EQ(component.GetPropertyType(AsciiString("nothing")), UIPT_Invalid);
    EXPECT_EQ(component.FindEvent(AsciiString("ontouchupevent")), &component.OnTouchUpEvent);
    EXPECT_EQ(component.FindEvent(AsciiString("m_keyEvent")), nullptr);
    // Running order is table order: bools, the string, then the ints.
    EXPECT_STREQ(component.GetPropertyByIndex(2)->GetName().c_str(), "layerName");
    EXPECT_STREQ(component.GetPropertyByIndex(6)->GetName().c_str(), "animationUpdateMask");
    EXPECT_EQ(component.GetPropertyByIndex(7), nullptr);
}

TEST_F(ComponentBase, DisablingAParentNotifiesOnlyEffectivelyEnabledDescendants) {
    Component* parent = Make(root(), "parent");
    Component* child = Make(parent, "child");
    Component* grandchild = Make(child, "grandchild");
    Component* off = Make(parent, "off");
    Component* belowOff = Make(off, "belowOff");
    off->GetEnabledProperty()->Set(false);
    EXPECT_FALSE(belowOff->IsActive());
    EXPECT_TRUE(belowOff->IsEnabled());

    Recorder recorder;
    for (Component* c : {parent, child, grandchild, off, belowOff}) {
        recorder.Listen(*c);
    }
    parent->GetEnabledProperty()->Set(false);
    // Children are refreshed before a component raises its own event.
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"grandchild:enabled", "child:enabled",
                                                         "parent:enabled"}));
    EXPECT_FALSE(grandchild->IsActive());
    EXPECT_FALSE(grandchild->IsParentEnabled());

    recorder.lines.clear();
    parent->GetEnabledProperty()->Set(true);
    EXPECT_TRUE(grandchild->IsActive());
    EXPECT_FALSE(belowOff->IsActive());
    EXPECT_TRUE(grandchild->IsEnabledFirstUpdatePending());
}

class LoadOrder : public Component {
public:
    explicit LoadOrder(std::vector<std::string>* log) : m_log(log) {}
    void OnFinishedLoading() override {
        m_log->push_back(GetId().c_str());
        Component::OnFinishedLoading();
        GetLayerOffsetProperty()->Set(5);  // a loading handler's value
    }

private:
    std::vector<std::string>* m_log;
};

TEST_F(ComponentBase, ParentsFinishLoadingFirstAndKeepWhatLoadingSet) {
    std::vector<std::string> log;
    LoadOrder* parent = Make<LoadOrder>(root(), "parent", &log);
    LoadOrder* a = Make<LoadOrder>(parent, "a", &log);
    Make<LoadOrder>(a, "a1", &log);
    Make<LoadOrder>(parent, "b", &log);
    parent->MarkLoaded();
    EXPECT_EQ(log, (std::vector<std::string>{"parent", "a", "a1", "b"}));
    EXPECT_EQ(parent->GetLayerOffsetProperty()->GetLoadedValue(), 5);
    parent->MarkLoaded();
    EXPECT_EQ(log.size(), 4u);

    parent->GetLayerOffsetProperty()->Set(9);
    parent->RestoreLoadedValues();
    EXPECT_EQ(parent->GetLayerOffsetProperty()->Get(), 5);
}

TEST_F(ComponentBase, FirstUpdateChecksFireOnceAndAgainAfterReenabling) {
    Component* component = Make(root(), "c");
    int first = 0;
    int enabledFirst = 0;
    struct Counter {
        int* count;
        void Hear(Component*) { ++*count; }
    } firstCounter{&first}, enabledCounter{&enabledFirst};
    component->OnFirstUpdate.AddListener(Component::PlainEvent::Listener(&firstCounter, &Counter::Hear));
    component->OnEnabledFirstUpdate.AddListener(
        Component::PlainEvent::Listener(&enabledCounter, &Counter::Hear));
    component->FirstUpdateChecks();
    component->FirstUpdateChecks();
    EXPECT_TRUE(component->IsLoaded());
    EXPECT_EQ(first, 1);
    EXPECT_EQ(enabledFirst, 1);
    component->GetEnabledProperty()->Set(false);
    component->GetEnabledProperty()->Set(true);
    component->FirstUpdateChecks();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(enabledFirst, 2);
}

TEST_F(ComponentBase, RevisionsTellChildrenTheirParentChanged) {
    Component* parent = Make(root(), "parent");
    Component* child = Make(parent, "child");
    // The parent still has revision 1: the child recomputes every update.
    for (int i = 0; i < 3; ++i) {
        const uint32_t before = child->GetTransformRevision();
        child->Update(0.016f);
        EXPECT_TRUE(child->IsTransformDirty());
        EXPECT_EQ(child->GetTransformRevision(), Component::AdvanceRevision(before));
    }
    parent->Update(0.016f);  // under the root: advances past 1
    child->Update(0.016f);
    const uint32_t settled = child->GetTransformRevision();
    child->Update(0.016f);
    EXPECT_EQ(child->GetTransformRevision(), settled);

    EXPECT_EQ(Component::AdvanceRevision(0), 1u);
    EXPECT_EQ(Component::AdvanceRevision(0xFFFFFFFFu), 1u);
    EXPECT_EQ(Component::AdvanceRevision(0xFFFFFFFEu), 1u);
    EXPECT_EQ(Component::AdvanceRevision(7), 8u);
}

TEST_F(ComponentBase, LayerNamesAndText) {
    UIProjectSettings settings;
    settings.createsSimple2D = false;
    settings.layers[AsciiString("hud")] = 3;
    ui().Shutdown();
    ui().Init(settings, AsciiString("~base"));
    Component* component = Make(root(), "c");
    component->MarkLoaded();
    component->GetLayerNameProperty()->Set(AsciiString("hud"));
    EXPECT_EQ(component->GetLayer(), 3);
    component->GetLayerNameProperty()->Set(AsciiString("Hud"));  // names are exact
    EXPECT_EQ(component->GetLayer(), -1);

    component->SetText(AsciiString("ignored"));
    EXPECT_EQ(component->GetPropertyCount(), 7u);
    component->GetOrAddProperty<AsciiString>(AsciiString("Texture"), AsciiString::Empty());
    component->SetText(AsciiString("a.tex"));
    EXPECT_STREQ(component->FindProperty<AsciiString>(AsciiString("texture"))->Get().c_str(),
                 "a.tex");
    component->SetStringProperty(AsciiString("text"), AsciiString("hello"));
    component->SetText(AsciiString("bye"));
    EXPECT_STREQ(component->FindProperty<AsciiString>(AsciiString("text"))->Get().c_str(), "bye");
    EXPECT_STREQ(component->FindProperty<AsciiString>(AsciiString("texture"))->Get().c_str(),
                 "a.tex");
}

TEST_F(ComponentBase, AStoppedCommandListSilencesTheListeners) {
    UITest::CountingCommand* stop = AddCommand("Stop", 2);
    Component* component = Make(root(), "c");
    Recorder recorder;
    recorder.Listen(*component);
    component->OnPropertyChangedEvent.GetCalls().push_back(UITest::Call("Stop"));
    component->GetLayerProperty()->Set(4);
    EXPECT_EQ(stop->calls, 1);
    EXPECT_EQ(stop->lastContext, component);
    EXPECT_TRUE(recorder.lines.empty());
    component->OnPropertyChangedEvent.GetCalls().clear();
    component->GetLayerProperty()->Set(5);
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"c:layer"}));
}

TEST_F(ComponentBase, Dumps) {
    Component component;
    component.SetId(AsciiString("a"));
    EXPECT_STREQ(component.DumpShort().c_str(), "\nm_id = a\nm_bHasFocus = false");
    EXPECT_STREQ(component.DumpDebugString().c_str(),
                 "Component\n{  \n  m_id = a\n  m_bHasFocus = false\n}");

    Component* child = Make(&component, "b");
    const std::string dump = component.Dump().c_str();
    EXPECT_EQ(dump.rfind("Component\n{\n  id: \"a\",\n  Properties:\n  {\n"
                         "    \"enabled\"<bool> = True,\n",
                         0),
              0u);
    EXPECT_NE(dump.find("    \"layer\"<int> = -1,\n"), std::string::npos);
    EXPECT_NE(dump.find("  Children:\n  {\n    a[0] = Component\n    {\n      id: \"b\",\n"),
              std::string::npos);
    EXPECT_NE(dump.find("    }, // a[0]\n  },\n}"), std::string::npos);
    EXPECT_EQ(dump.substr(dump.size() - 1), "}");
    (void)child;
}

// The manager's passes refuse to re-parent; deleting a component during one
// still unlinks it, so its parent never keeps a freed child.
TEST_F(ComponentBase, DestructionUnlinksEvenWhileTheManagerIsBusy) {
    Component* parent = Make(root(), "parent");
    Component* first = Make(parent, "first");
    Component* second = Make(parent, "second");
    Make(second, "inner");
    ui().SetBusy(true);
    first->Detach();
    EXPECT_EQ(first->GetParent(), parent);  // refused while busy
    delete second;
    EXPECT_EQ(parent->GetChildCount(), 1);
    EXPECT_EQ(parent->GetLastChild(), first);
    EXPECT_EQ(first->GetNextSibling(), nullptr);
    ui().SetBusy(false);
    first->Detach();
    EXPECT_EQ(parent->GetChildCount(), 0);
    delete first;
}

TEST_F(ComponentBase, DestructionDetachesTheDescriptionNode) {
    Component* parent = Make(root(), "parent");
    parent->SetDesc(ComponentDesc::Create());
    Component* child = new Component();
    child->SetDesc(ComponentDesc::Create());
    parent->AddChild(child, -1);
    EXPECT_EQ(parent->GetDesc()->GetFirstChild(), child->GetDesc());
    ui().SetBusy(true);
    delete child;
    ui().SetBusy(false);
    EXPECT_EQ(parent->GetDesc()->GetFirstChild(), nullptr);
}

}  // namespace
}  // namespace Varnok
