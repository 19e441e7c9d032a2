#include "engine/ui/UIManager.h"

#include "engine/text/TextBank.h"
#include "engine/ui/Component.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "tests/engine/ui/UIFilesTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tools/make_stringtables/StrFileWriter.h"
#include "tools/ui_screen_writer/UIScreenWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

class UIManagerScreens : public UITest::UIFilesTest {
protected:
    void SetUp() override {
        UIFilesTest::SetUp();
        Define("componentscreen",
               "<propertyDefinition name=\"screenPriority\" type=\"int\" default=\"0\"/>"
               "<propertyDefinition name=\"stringtable\" type=\"string\"/>",
               "Component");
        Define("thing", "<propertyDefinition name=\"x\" type=\"int\" default=\"1\"/>", "Component");
        InitUI("~base");
    }
    // Writes ui/screens/<name>.uiscreen from the screen's XML form.
    void WriteScreen(const std::string& name, const std::string& xml) {
        std::unique_ptr<ComponentDesc> desc = UIScreenWriter::ReadScreenXml(xml, name.c_str());
        ASSERT_NE(nullptr, desc);
        const std::vector<uint8_t> bytes = UIScreenWriter::ToBytes(UIScreenWriter::ToRecords(*desc));
        Write("ui/screens/" + name + ".uiscreen", std::string(bytes.begin(), bytes.end()));
    }
    void WritePrioritised(const std::string& name, int priority) {
        WriteScreen(name, "<screen Id=\"" + name + "\"><property name=\"screenPriority\" value=\"" +
                              std::to_string(priority) + "\"/></screen>");
    }
    Component* Load(const char* name) { return ui().LoadScreen(AsciiString(name)); }
    std::string ScreenOrder() {
        std::string order;
        for (Component* s = ui().GetRoot()->GetFirstChild(); s != nullptr; s = s->GetNextSibling()) {
            order += std::string(order.empty() ? "" : " ") + s->GetId().c_str();
        }
        return order;
    }
};

TEST_F(UIManagerScreens, ASecondLoadInAnyCaseReturnsTheSameScreen) {
    WriteScreen("menu", "<screen Id=\"menu\" version=\"1.2.3\"><component type=\"Thing\" Id=\"t\">"
                        "<property name=\"x\" value=\"5\"/></component></screen>");
    Component* screen = Load("menu");
    ASSERT_NE(nullptr, screen);
    EXPECT_FALSE(screen->IsEnabled());
    EXPECT_TRUE(screen->IsLoaded());
    EXPECT_EQ(5, screen->FindChild(AsciiString("t"))->FindProperty<int>(AsciiString("x"))->Get());
    EXPECT_EQ(3u, static_cast<ComponentScreen*>(screen)->GetVersion().patch);
    std::filesystem::remove(m_dir / "ui/screens/menu.uiscreen");
    EXPECT_EQ(screen, Load("MENU"));
    EXPECT_EQ(screen, ui().FindLoadedScreen(AsciiString("Menu")));
    EXPECT_EQ(screen, ui().FindComponent(AsciiString("menu")));
    EXPECT_EQ(nullptr, ui().FindComponent(AsciiString()));
}

TEST_F(UIManagerScreens, PrioritiesOrderTheScreens) {
    WritePrioritised("five", 5);
    WritePrioritised("fiveAgain", 5);
    WritePrioritised("three", 3);
    WritePrioritised("fiveLast", 5);
    for (const char* name : {"five", "fiveAgain", "three"}) {
        ASSERT_NE(nullptr, Load(name));
    }
    EXPECT_EQ("three five fiveAgain", ScreenOrder());
    ASSERT_NE(nullptr, Load("fiveLast"));
    EXPECT_EQ("three five fiveAgain fiveLast", ScreenOrder());
}

TEST_F(UIManagerScreens, AScreenTakesTheNameItWasLoadedUnder) {
    WriteScreen("b", "<screen Id=\"A\"/>");
    Component* screen = Load("b");
    ASSERT_NE(nullptr, screen);
    EXPECT_STREQ("b", screen->GetId().c_str());
    screen->SetId(AsciiString("other"));
    EXPECT_STREQ("b", screen->GetId().c_str());
}

TEST_F(UIManagerScreens, MissingAndUnusableFilesGiveNoScreen) {
    EXPECT_EQ(nullptr, Load("absent"));
    EXPECT_EQ(nullptr, ui().FindLoadedScreen(AsciiString("absent")));

    // A root record that is not a screen is deleted, not left under the root.
    WriteScreen("thing", "<screen Id=\"x\"/>");
    std::unique_ptr<ComponentDesc> desc = UIScreenWriter::ReadScreenXml("<screen/>", "t");
    UIScreenFile records = UIScreenWriter::ToRecords(*desc);
    records.classNames[0] = UIBinaryString(AsciiString("Thing"));
    const std::vector<uint8_t> bytes = UIScreenWriter::ToBytes(records);
    TestSupport::LogCapture log;
    EXPECT_EQ(nullptr, ui().LoadScreenFromBytes(AsciiString("thing"), bytes.data(), bytes.size()));
    const std::string text = log.Take();
    EXPECT_EQ(nullptr, ui().GetRoot()->GetFirstChild());
    EXPECT_NE(std::string::npos, text.find("UI root"));
}

TEST_F(UIManagerScreens, TheStringTableLoadsWhereverTheScreenGoes) {
    const StrFile::Texts texts = {{"HELLO", "Hello"}};
    const std::vector<uint8_t> keys = StrFile::WriteKeyFile("menu", texts);
    const std::vector<uint8_t> strings = StrFile::WriteStringFile("menu", texts);
    Write("stringtables/menu_header.str", std::string(keys.begin(), keys.end()));
    Write("stringtables/menu_English.str", std::string(strings.begin(), strings.end()));
    WritePrioritised("top", 9);
    WriteScreen("low", "<screen><property name=\"screenPriority\" value=\"1\"/>"
                       "<property name=\"stringtable\" value=\"menu\"/></screen>");
    ASSERT_NE(nullptr, Load("top"));
    ASSERT_NE(nullptr, Load("low"));
    EXPECT_EQ("low top", ScreenOrder());
    EXPECT_NE(nullptr, ui().FindStringTable(AsciiString("menu")));
}

TEST_F(UIManagerScreens, RemovalAndDeferredDeletion) {
    WritePrioritised("s", 0);
    Component* screen = Load("s");
    ASSERT_NE(nullptr, screen);
    ui().QueueScreenRemoval(AsciiString("s"));
    ui().QueueScreenRemoval(AsciiString("s"));
    int removed = 0;
    struct Counter {
        int* removed;
        void Removed(Component*) { ++*removed; }
    } counter{&removed};
    ui().ScreenRemovedListeners().Add(UIManager::ComponentListeners::DelegateType(&counter, &Counter::Removed));
    ui().ProcessScreenRemovals();
    EXPECT_EQ(1, removed);
    EXPECT_EQ(nullptr, ui().FindLoadedScreen(AsciiString("s")));
    EXPECT_EQ(nullptr, ui().GetRoot()->GetFirstChild());
    ui().ScreenRemovedListeners().Remove(UIManager::ComponentListeners::DelegateType(&counter, &Counter::Removed));

    // Loaded again from its file; while busy, removal and destruction queue.
    screen = Load("s");
    ASSERT_NE(nullptr, screen);
    Component* parts[3];
    for (int i = 0; i < 3; ++i) {
        parts[i] = ui().CreateComponent(screen, AsciiString("Thing"), AsciiString(("p" + std::to_string(i)).c_str()));
        ASSERT_NE(nullptr, parts[i]);
    }
    ui().SetBusy(true);
    ui().DeferredDelete(parts[0]);
    ui().DeferredDelete(parts[0]);  // already queued: nothing
    ui().DeferredDelete(parts[1]);
    Component* third = parts[2];
    ui().DestroyComponent(third);
    EXPECT_EQ(nullptr, third);
    EXPECT_STREQ("p2_(to be deleted no:2)", parts[2]->GetId().c_str());
    EXPECT_EQ(nullptr, ui().FindComponent(AsciiString("s.p2")));
    ui().RemoveScreen(AsciiString("s"));
    EXPECT_EQ(screen, ui().FindLoadedScreen(AsciiString("s")));
    ui().SetBusy(false);
    ui().ProcessDeferredDeletions();
    EXPECT_EQ(0, screen->GetChildCount());
    ui().ProcessScreenRemovals();
    EXPECT_EQ(nullptr, ui().FindLoadedScreen(AsciiString("s")));
}

TEST_F(UIManagerScreens, CreateComponentRunsTheLoadedLifeCycleUnderALoadedParent) {
    WritePrioritised("s", 0);
    Component* screen = Load("s");
    ASSERT_NE(nullptr, screen);
    Component* live = ui().CreateComponent(screen, AsciiString("Thing"), AsciiString("live"));
    ASSERT_NE(nullptr, live);
    EXPECT_TRUE(live->IsLoaded());
    EXPECT_EQ(1, live->FindProperty<int>(AsciiString("x"))->Get());
    std::unique_ptr<Component> loose(ui().InstantiateClass(AsciiString("Thing")));
    Component* child = ui().CreateComponent(loose.get(), AsciiString("Thing"), AsciiString("c"));
    ASSERT_NE(nullptr, child);
    EXPECT_FALSE(child->IsLoaded());
    EXPECT_EQ(nullptr, ui().CreateComponent(screen, AsciiString("NoSuchBase"), AsciiString("n")));
}

TEST_F(UIManagerScreens, PlayRootAnimationAnswersTheLongest) {
    WriteScreen("anim", "<screen><component type=\"Thing\" Id=\"t\"><animation name=\"go\">"
                        "<keyframe timeMillis=\"1500\"><keyframeValue property=\"x\" value=\"2\"/>"
                        "</keyframe></animation></component></screen>");
    EXPECT_FLOAT_EQ(0.0f, ui().PlayRootAnimation(AsciiString("go")));
    Component* screen = ui().LoadScreenEnabled(AsciiString("anim"));
    ASSERT_NE(nullptr, screen);
    EXPECT_FLOAT_EQ(1.5f, ui().PlayRootAnimation(AsciiString("go")));
}

}  // namespace
}  // namespace Varnok
