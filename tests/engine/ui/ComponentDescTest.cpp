#include "engine/ui/descriptions/ComponentDesc.h"

#include "engine/core/XmlDocument.h"
#include "engine/ui/descriptions/ComponentDefinition.h"
#include "engine/ui/descriptions/UIScreenFile.h"
#include "tests/engine/ui/UIFilesTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Varnok {
namespace {

class ComponentDescTest : public UITest::UIFilesTest {
protected:
    void SetUp() override {
        UIFilesTest::SetUp();
        Define("thing", "<propertyDefinition name=\"a\" type=\"int\"/>"
                        "<propertyDefinition name=\"b\" type=\"int\"/>"
                        "<propertyDefinition name=\"side\" type=\"string\">"
                        "<item>left</item><item>right</item></propertyDefinition>");
        InitUI("A");
    }
    std::unique_ptr<ComponentDesc> ReadXml(const std::string& text) {
        TiXmlDocument document;
        EXPECT_TRUE(ParseXmlDocument(document, text.data(), text.size()));
        auto node = std::make_unique<ComponentDesc>();
        m_lastRead = node->ReadXml(*document.RootElement(), false);
        return node;
    }
    static int IntFor(const ComponentDesc& node, const char* name, const UISkuDefinition* sku) {
        auto it = node.Properties<int>().find(AsciiString(name));
        if (it == node.Properties<int>().end()) {
            return -100;
        }
        const int* value = it->second.Get(sku);
        return value != nullptr ? *value : -1;
    }
    bool m_lastRead = false;
};

TEST_F(ComponentDescTest, ClassIdAndScreenNodes) {
    auto screen = ReadXml("<screen type=\"Thing\" version=\"1.2.3\" Id=\"s\" id=\"ignored\" "
                          "FileChangeIdx=\" -7\"><component Id=\"noType\"><component type=\"Thing\"/>"
                          "</component><component type=\"Thing\" Id=\"t\"/></screen>");
    EXPECT_TRUE(m_lastRead);
    EXPECT_TRUE(screen->IsScreen());
    EXPECT_STREQ("ComponentScreen", screen->GetClassName().c_str());
    EXPECT_STREQ("1.2.3", screen->GetVersion().c_str());
    EXPECT_STREQ("s", screen->GetId().c_str());
    EXPECT_EQ(-7, screen->GetFileChangeIndex());
    ASSERT_EQ(2, screen->GetChildCount());
    const ComponentDesc* failed = screen->GetFirstChild();
    EXPECT_TRUE(failed->GetClassName().IsEmpty());
    EXPECT_TRUE(failed->GetId().IsEmpty());
    EXPECT_EQ(0, failed->GetChildCount());
    EXPECT_STREQ("t", screen->GetLastChild()->GetId().c_str());

    auto typed = ReadXml("<component type=\"ComponentScreen\" version=\"2.0.0\"/>");
    EXPECT_TRUE(typed->IsScreen());
    EXPECT_STREQ("2.0.0", typed->GetVersion().c_str());
    auto untyped = ReadXml("<component/>");
    EXPECT_FALSE(m_lastRead);
}

TEST_F(ComponentDescTest, PropertiesPerSkuAndTheStopRules) {
    auto node = ReadXml(
        "<component type=\"Thing\">"
        "<property name=\"ID\" value=\"fromProperty\"/>"
        "<property name=\"a\" value=\"1\"><sku sku=\"B\" value=\"2\"/><sku sku=\"Nowhere\" value=\"3\"/>"
        "<sku sku=\"C\" value=\"~4\"/><sku value=\"5\"/><sku sku=\"C\" value=\"6\"/></property>"
        "<property name=\"undefined\" value=\"1\"/>"
        "<property name=\"side\" value=\"top\"><sku sku=\"B\" value=\"RIGHT\"/>"
        "<sku sku=\"C\" value=\"top\"/></property>"
        "<property value=\"nameless\"/>"
        "<property name=\"b\" value=\"9\"/><component type=\"Thing\"/></component>");
    EXPECT_STREQ("fromProperty", node->GetId().c_str());
    EXPECT_EQ(2, IntFor(*node, "a", Sku("A")));          // B's value, along A's chain
    EXPECT_EQ(-1, IntFor(*node, "a", Sku("C")));         // stopped before C's 6; ~4 skipped
    EXPECT_EQ(-100, IntFor(*node, "undefined", Sku("A")));
    const UISkuValues<AsciiString>& side = node->Properties<AsciiString>().at(AsciiString("side"));
    EXPECT_STREQ("right", side.Get(Sku("B"))->c_str());
    EXPECT_STREQ("left", side.Get(Sku("C"))->c_str());
    EXPECT_STREQ("top", side.Get(Sku("~base"))->c_str());  // the plain value is not matched
    EXPECT_EQ(-100, IntFor(*node, "b", Sku("A")));        // after the nameless property
    EXPECT_EQ(0, node->GetChildCount());
}

TEST_F(ComponentDescTest, RepeatedPropertiesAnimationsAndEvents) {
    auto node = ReadXml(
        "<component type=\"Thing\">"
        "<property name=\"a\" value=\"\"><sku sku=\"Nowhere\" value=\"1\"/></property>"
        "<property name=\"b\" value=\"1\"><sku sku=\"B\" value=\"2\"/></property>"
        "<property name=\"b\"><sku sku=\"C\" value=\"3\"/></property>"
        "<skuAnims name=\"fade\"><sku name=\"B\"/><sku name=\"C\"/></skuAnims>"
        "<animation name=\"fade\"/>"
        "<skuAnims name=\"refs\"><sku name=\"B\" reference=\"x\"/></skuAnims>"
        "<event name=\"OnTouchUpEvent\"><command name=\"First\"/></event>"
        "<event name=\"OnTouchUpEvent\"><command name=\"Second\"><parameter value=\"p\"/>"
        "<parameter/></command><Command name=\"Skipped\"/></event></component>");
    EXPECT_EQ(-100, IntFor(*node, "a", Sku("A")));
    EXPECT_EQ(-1, IntFor(*node, "b", Sku("A")));  // replaced entirely: only C's value left
    EXPECT_EQ(3, IntFor(*node, "b", Sku("C")));
    const UISkuAnimationMap* fade = node->FindSkuAnimations(AsciiString("fade"));
    ASSERT_EQ(1u, fade->size());
    EXPECT_NE(fade->end(), fade->find(AsciiString("~base")));
    EXPECT_TRUE(node->FindSkuAnimations(AsciiString("refs"))->empty());
    const std::vector<UICommandCall>& calls = node->GetEventCommands(AsciiString("OnTouchUpEvent"));
    ASSERT_EQ(1u, calls.size());
    EXPECT_STREQ("Second", calls[0].name.c_str());
    ASSERT_EQ(2u, calls[0].args.size());
    EXPECT_STREQ("p", calls[0].args[0].c_str());
}

TEST_F(ComponentDescTest, PathLookupTakesTheLastMatch) {
    auto node = ReadXml("<component type=\"Thing\"><component type=\"Thing\" Id=\"x\"/>"
                        "<component type=\"Thing\" Id=\"X\"><component type=\"Thing\" Id=\"y\"/>"
                        "</component></component>");
    std::vector<std::unique_ptr<ComponentDesc>> roots;
    roots.emplace_back(node->GetFirstChild()->CloneTree());
    roots.emplace_back(node->GetLastChild()->CloneTree());
    EXPECT_EQ(roots[1].get(), ComponentDesc::FindChildByPath(AsciiString(".x"), roots));
    EXPECT_STREQ("y", ComponentDesc::FindChildByPath(AsciiString("x.Y"), roots)->GetId().c_str());
    EXPECT_EQ(nullptr, ComponentDesc::FindChildByPath(AsciiString("x.z"), roots));
}

// Screen file records: a root and children with given parents.
UIScreenFile Records(std::initializer_list<std::pair<const char*, int32_t>> records) {
    UIScreenFile file;
    file.version = UIBinaryString(AsciiString("1.0.0"));
    file.skuTable = {AsciiString("~base"), AsciiString("B"), AsciiString("Nowhere")};
    file.classTable = {AsciiString("ComponentScreen"), AsciiString("Thing")};
    bool first = true;
    for (const auto& record : records) {
        file.components.push_back(std::make_unique<UIBinaryComponent>());
        file.components.back()->id = UIBinaryString(AsciiString(record.first));
        file.components.back()->parentIndex = record.second;
        file.components.back()->classIndex = first ? 0 : 1;
        first = false;
    }
    return file;
}

std::string Shape(const ComponentDesc& node) {
    std::string text = node.GetId().c_str();
    if (node.GetFirstChild() != nullptr) {
        text += "(";
        for (const ComponentDesc* c = node.GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
            text += Shape(*c) + (c->GetNextSibling() != nullptr ? " " : "");
        }
        text += ")";
    }
    return text;
}

TEST_F(ComponentDescTest, BinaryRecordsLinkByParentIndex) {
    const struct {
        const char* what;
        UIScreenFile file;
        const char* shape;
        bool logs;
    } cases[] = {
        {"children in order", Records({{"root", -1}, {"A", 0}, {"B", 0}, {"C", 1}}), "root(A(C) B)",
         false},
        {"a parent after its child", Records({{"root", -1}, {"C", 2}, {"A", 0}}), "root(A(C))", false},
        {"a parent out of range", Records({{"root", -1}, {"A", 7}, {"B", 0}}), "root(B)", true},
        {"a parent cycle", Records({{"root", -1}, {"A", 2}, {"B", 1}, {"C", 0}}), "root(C)", true},
        {"a record its own parent", Records({{"root", -1}, {"A", 1}}), "root", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::LogCapture log;
        std::unique_ptr<ComponentDesc> screen(ComponentDesc::CreateScreen());
        screen->BuildFromBinary(c.file);
        const std::string text = log.Take();
        EXPECT_EQ(c.shape, Shape(*screen));
        EXPECT_EQ(c.logs ? 1 : 0, std::count(text.begin(), text.end(), '\n'));
    }

    UIScreenFile deep = Records({{"root", -1}});
    for (int i = 1; i <= 70; ++i) {
        deep.components.push_back(std::make_unique<UIBinaryComponent>());
        deep.components.back()->parentIndex = i - 1;
        deep.components.back()->classIndex = 1;
    }
    std::unique_ptr<ComponentDesc> deepScreen(ComponentDesc::CreateScreen());
    {
        TestSupport::LogCapture quiet;
        deepScreen->BuildFromBinary(deep);
    }
    int levels = 0;
    for (const ComponentDesc* n = deepScreen->GetFirstChild(); n != nullptr; n = n->GetFirstChild()) {
        ++levels;
    }
    EXPECT_EQ(64, levels);

    UIScreenFile badClass = Records({{"root", -1}, {"A", 0}});
    badClass.components[1]->classIndex = 9;
    std::unique_ptr<ComponentDesc> screen(ComponentDesc::CreateScreen());
    TestSupport::LogCapture log;
    screen->BuildFromBinary(badClass);
    EXPECT_EQ("root", Shape(*screen));
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(log.Take(), "UI screen file", "left out"));

    const UIScreenFile empty;
    std::unique_ptr<ComponentDesc> emptyScreen(ComponentDesc::CreateScreen());
    emptyScreen->BuildFromBinary(empty);
    EXPECT_STREQ("ComponentScreen", emptyScreen->GetClassName().c_str());
    EXPECT_TRUE(emptyScreen->GetId().IsEmpty());
    EXPECT_EQ(0, emptyScreen->GetChildCount());
}

TEST_F(ComponentDescTest, BinaryValuesAnimationsAndEvents) {
    UIScreenFile file = Records({{"root", -1}});
    UIBinaryComponent& record = *file.components[0];
    auto addInt = [&](const char* name, std::vector<UIBinarySkuValue<int32_t>> values) {
        UIBinaryProperty<int32_t> property;
        property.name = UIBinaryString(AsciiString(name));
        property.value.skuValues = std::move(values);
        record.properties.ints.properties.push_back(property);
    };
    addInt("a", {{0, 1}, {1, 2}, {1, 3}, {9, 4}});
    addInt("a", {});                   // empty: the first entry's values stay
    addInt("unknownSkus", {{2, 5}});  // present, without values
    UIBinaryProperty<uint32_t> flag;
    flag.name = UIBinaryString(AsciiString("a"));
    flag.value.skuValues = {{0, 7}};
    record.properties.bools.properties.push_back(flag);
    UIBinaryProperty<UIBinaryColour> colour;
    colour.name = UIBinaryString(AsciiString("tint"));
    colour.value.skuValues = {{0, UIBinaryColour{255.0f, 127.9f, 0.5f, 255.0f}}};
    record.properties.colours.properties.push_back(colour);

    UIBinarySkuAnimations animation;
    animation.name = UIBinaryString(AsciiString("move"));
    UIBinaryAnimationRecord variant;
    variant.skuIndex = 1;
    variant.loopCount = -1;
    variant.ghostFrame = 3;
    UIBinaryTrack<float> track;
    track.propertyName = UIBinaryString(AsciiString("alpha"));
    track.ghostInterpolation = 77;
    for (uint32_t t : {500u, 0u, 250u}) {
        UIBinaryKeyframe<float> key;
        key.timeMs = t;
        key.interpolation = t == 500 ? 38 : (t == 0 ? 39 : 0xFFFFFFFFu);
        track.keyframes.push_back(key);
    }
    variant.tracks.floats.push_back(track);
    variant.tracks.floats.push_back(UIBinaryTrack<float>{});  // no keyframes: no track
    UIBinaryEventKeyframe event;
    event.timeMs = 250;
    event.handler.commands.resize(1);
    event.handler.commands[0].name = UIBinaryString(AsciiString("PlaySound"));
    event.handler.commands[0].parameters.emplace_back(AsciiString("splat"));
    variant.eventTrack.keyframes.push_back(event);
    animation.variants.push_back(variant);
    UIBinaryAnimationRecord unknown;
    unknown.skuIndex = 2;
    animation.variants.push_back(unknown);
    record.animations.animations.push_back(animation);
    UIBinarySkuAnimations nowhere;
    nowhere.name = UIBinaryString(AsciiString("nowhere"));
    nowhere.variants.push_back(unknown);
    record.animations.animations.push_back(nowhere);
    UIBinaryEventHandler handler;
    handler.eventName = UIBinaryString(AsciiString("OnTouchUpEvent"));
    record.events.push_back(handler);

    std::unique_ptr<ComponentDesc> screen(ComponentDesc::CreateScreen());
    screen->BuildFromBinary(file);
    EXPECT_EQ(3, IntFor(*screen, "a", Sku("A")));  // B's later pair wins
    EXPECT_EQ(1, IntFor(*screen, "a", Sku("~base")));
    EXPECT_TRUE(screen->Properties<int>().at(AsciiString("unknownSkus")).IsEmpty());
    EXPECT_TRUE(*screen->Properties<bool>().at(AsciiString("a")).Get(Sku("~base")));
    const Colour tint = *screen->Properties<Colour>().at(AsciiString("tint")).Get(Sku("~base"));
    EXPECT_EQ(255, tint.r);
    EXPECT_EQ(127, tint.g);
    EXPECT_EQ(0, tint.b);
    EXPECT_EQ(255, tint.a);

    const UIAnimationDesc* move = screen->FindAnimation(AsciiString("move"));
    ASSERT_NE(nullptr, move);
    EXPECT_EQ(-1, move->m_loopCount);
    EXPECT_TRUE(move->m_bHasGhostFrame);
    ASSERT_EQ(1u, move->Tracks<float>().size());
    const UIAnimationTrackDesc<float>& alpha = move->Tracks<float>().at(AsciiString("alpha"));
    EXPECT_EQ(77, alpha.GetGhostInterpolation());
    ASSERT_EQ(3, alpha.KeyframeCount());
    EXPECT_EQ(500u, alpha.KeyframeAt(0).m_timeMs);
    EXPECT_EQ(38, alpha.KeyframeAt(0).m_lerpType);
    EXPECT_EQ(-1, alpha.KeyframeAt(1).m_lerpType);
    EXPECT_EQ(-1, alpha.KeyframeAt(2).m_lerpType);
    ASSERT_EQ(1u, move->GetEventKeyframes().size());
    EXPECT_STREQ("splat", move->GetEventKeyframes()[0].m_commands[0].args[0].c_str());
    EXPECT_EQ(1u, screen->FindSkuAnimations(AsciiString("move"))->size());
    EXPECT_TRUE(screen->FindSkuAnimations(AsciiString("nowhere"))->empty());
    EXPECT_TRUE(screen->GetEventCommands(AsciiString("OnTouchUpEvent")).empty());
}

TEST_F(ComponentDescTest, CopiesKeepContentAndDropChildren) {
    auto node = ReadXml("<component type=\"Thing\" Id=\"n\"><property name=\"a\" value=\"4\"/>"
                        "<component type=\"Thing\" Id=\"kid\"/></component>");
    node->SetSerialisable(false);
    std::unique_ptr<ComponentDesc> clone(node->Clone());
    EXPECT_STREQ("n", clone->GetId().c_str());
    EXPECT_FALSE(clone->IsSerialisable());
    EXPECT_EQ(0, clone->GetChildCount());
    EXPECT_EQ(4, IntFor(*clone, "a", Sku("A")));
    std::unique_ptr<ComponentDesc> tree(node->CloneTree());
    EXPECT_EQ(1, tree->GetChildCount());

    ComponentDesc target;
    ComponentDesc* kept = new ComponentDesc();
    target.AppendChild(kept);
    node->CopyTo(target);
    EXPECT_EQ(0, target.GetChildCount());  // detached, not destroyed
    EXPECT_EQ(nullptr, kept->GetParent());
    delete kept;
}

}  // namespace
}  // namespace Varnok
