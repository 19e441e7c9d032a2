#include "engine/ui/descriptions/UIDescValues.h"

#include "engine/core/XmlDocument.h"
#include "engine/ui/Component.h"
#include "engine/ui/UIAnimation.h"
#include "engine/ui/descriptions/ComponentDefinition.h"
#include "tests/engine/ui/UIFilesTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

class UIAnimationDescTest : public UITest::UIFilesTest {
protected:
    void SetUp() override {
        UIFilesTest::SetUp();
        Define("animated", "<propertyDefinition name=\"alpha\" type=\"float\"/>"
                           "<propertyDefinition name=\"tint\" type=\"colour\"/>");
        InitUI();
    }
    UIAnimationDesc Read(const std::string& text) {
        TiXmlDocument document;
        EXPECT_TRUE(ParseXmlDocument(document, text.data(), text.size()));
        UIAnimationDesc desc(ui().GetDefinition(AsciiString("Animated")));
        desc.m_name = AsciiString("anim");
        desc.ReadXml(*document.RootElement());
        return desc;
    }
};

TEST_F(UIAnimationDescTest, LoopCounts) {
    const struct {
        const char* attribute;
        int32_t loops;
    } cases[] = {{"loop=\"forever\"", -1}, {"loop=\"Forever\"", 0}, {"loop=\"3\"", 3},
                 {"loop=\"many\"", 0},     {"", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attribute);
        EXPECT_EQ(c.loops, Read(std::string("<animation ") + c.attribute + "/>").m_loopCount);
    }
}

TEST_F(UIAnimationDescTest, KeyframeTimes) {
    const struct {
        const char* attributes;
        uint32_t ms;
    } cases[] = {{"timeMillis=\"\" time=\"0.5\"", 500}, {"", 0},
                 {"time=\"0.0004\"", 0},                {"time=\"0.0005\"", 1},
                 {"timeMillis=\"250\" time=\"9\"", 250}, {"timeMillis=\"x\"", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        const UIAnimationDesc desc =
            Read(std::string("<animation><keyframe ") + c.attributes +
                 "><keyframeValue property=\"alpha\" value=\"1\"/></keyframe></animation>");
        ASSERT_EQ(1u, desc.Tracks<float>().size());
        EXPECT_EQ(c.ms, desc.Tracks<float>().at(AsciiString("alpha")).KeyframeAt(0).m_timeMs);
    }
}

TEST_F(UIAnimationDescTest, ValuesGhostsAndUndeclaredProperties) {
    const UIAnimationDesc desc = Read(
        "<animation nextAnimation=\"after\" hasGhostFrame=\"TRUE\">"
        "<keyframe timeMillis=\"300\"><keyframeValue property=\"alpha\" value=\"1\" "
        "interpolation=\"EaseOutQuad\"/><keyframeValue property=\"nope\" value=\"1\"/></keyframe>"
        "<keyframe timeMillis=\"100\"><keyframeValue property=\"alpha\" value=\"0\" "
        "interpolation=\"easeoutquad\"/><ghostKeyframe property=\"tint\" "
        "interpolation=\"Snap\"/></keyframe></animation>");
    EXPECT_STREQ("after", desc.m_nextAnimation.c_str());
    EXPECT_TRUE(desc.m_bHasGhostFrame);
    const UIAnimationTrackDesc<float>& alpha = desc.Tracks<float>().at(AsciiString("alpha"));
    ASSERT_EQ(2, alpha.KeyframeCount());
    EXPECT_EQ(300u, alpha.KeyframeAt(0).m_timeMs);  // file order kept
    EXPECT_EQ(UILerp_EaseOutQuad, alpha.KeyframeAt(0).m_lerpType);
    EXPECT_EQ(-1, alpha.KeyframeAt(1).m_lerpType);
    EXPECT_EQ(0u, desc.Tracks<int>().size());
    ASSERT_EQ(1u, desc.Tracks<Colour>().size());  // a ghost alone makes an empty track
    EXPECT_EQ(0, desc.Tracks<Colour>().at(AsciiString("tint")).KeyframeCount());
    EXPECT_EQ(UILerp_Snap, desc.Tracks<Colour>().at(AsciiString("tint")).GetGhostInterpolation());
}

TEST_F(UIAnimationDescTest, EventKeyframesMergeByTime) {
    const UIAnimationDesc desc = Read(
        "<animation>"
        "<keyframeEvent timeMillis=\"250\" type=\"sound\" param=\"splat\">"
        "<command name=\"A\"><parameter value=\"1\"/><parameter/></command></keyframeEvent>"
        "<keyframeEvent time=\"0.25\" type=\"sound\"/>"
        "<keyframeEvent timeMillis=\"10\" type=\"other\"/></animation>");
    ASSERT_EQ(2u, desc.GetEventKeyframes().size());
    const std::vector<UICommandCall>& calls = desc.GetEventKeyframes()[0].m_commands;
    ASSERT_EQ(3u, calls.size());
    EXPECT_STREQ("PlaySound", calls[0].name.c_str());
    ASSERT_EQ(1u, calls[0].args.size());
    EXPECT_STREQ("splat", calls[0].args[0].c_str());
    EXPECT_STREQ("A", calls[1].name.c_str());
    ASSERT_EQ(2u, calls[1].args.size());
    EXPECT_TRUE(calls[1].args[1].IsEmpty());
    EXPECT_STREQ("PlaySound", calls[2].name.c_str());
    EXPECT_TRUE(calls[2].args.empty());
    EXPECT_STREQ("~EMPTY~", desc.GetEventKeyframes()[1].m_commands[0].name.c_str());
}

TEST_F(UIAnimationDescTest, CreateOnBuildsTheRunningAnimation) {
    const UIAnimationDesc desc = Read(
        "<animation loop=\"2\"><keyframe timeMillis=\"400\"><keyframeValue property=\"alpha\" "
        "value=\"1\"/></keyframe><keyframeEvent timeMillis=\"900\" type=\"sound\"/></animation>");
    Component component;
    desc.CreateOn(component);
    UIAnimation* animation = component.FindAnimation(AsciiString("ANIM"));
    ASSERT_NE(nullptr, animation);
    EXPECT_EQ(2, animation->GetLoopCount());
    EXPECT_EQ(900u, animation->GetDurationMs());
    ASSERT_EQ(1u, animation->GetEventKeyframes().size());
    EXPECT_EQ(900u, animation->GetEventKeyframes()[0].timeMs);
}

}  // namespace
}  // namespace Varnok
