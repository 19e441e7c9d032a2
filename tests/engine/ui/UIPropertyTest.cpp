#include "engine/ui/UIProperty.h"

#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <memory>

namespace Varnok {
namespace {

using UITest::Recorder;

TEST(UIValue, BoolIsTrueOnlyForTheWordTrue) {
    const struct {
        const char* text;
        bool value;
    } cases[] = {{"TRUE", true}, {"true", true}, {"True", true}, {"tRuE", true},
                 {"1", false},   {"", false},    {"False", false}, {"True ", false},
                 {"yes", false}, {nullptr, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "(null)");
        EXPECT_EQ(UIValue<bool>::FromString(c.text), c.value);
    }
    EXPECT_STREQ(UIValue<bool>::ToString(true).c_str(), "True");
    EXPECT_STREQ(UIValue<bool>::ToString(false).c_str(), "False");
}

TEST(UIValue, FloatsPrintWithFiveDecimalsTrimmed) {
    const struct {
        float value;
        const char* text;
    } cases[] = {{2.0f, "2"},    {0.25f, "0.25"}, {1e-6f, "0"},   {-1e-6f, "-0"},
                 {2.5f, "2.5"},  {100.0f, "100"}, {0.1f, "0.1"},  {-3.75f, "-3.75"},
                 {10.0f, "10"},  {123456.5f, "123456.5"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_STREQ(UIValue<float>::ToString(c.value).c_str(), c.text);
    }
    EXPECT_EQ(UIValue<float>::FromString("  0.5xyz"), 0.5f);
    EXPECT_EQ(UIValue<float>::FromString("abc"), 0.0f);
    EXPECT_EQ(UIValue<float>::FromString(""), 0.0f);
    EXPECT_STREQ(UIValue<Vector3>::ToString(Vector3{1.0f, 0.5f, 0.0f}).c_str(), "1,0.5,0");
    EXPECT_STREQ(UIValue<Vector2>::ToString(Vector2{-2.0f, 0.125f}).c_str(), "-2,0.125");
}

// Numbers are read and written the C way even under a locale whose decimal
// separator is a comma.
TEST(UIValue, NumbersIgnoreTheProcessLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    EXPECT_EQ(UIValue<float>::FromString("0.25"), 0.25f);
    EXPECT_STREQ(UIValue<float>::ToString(0.25f).c_str(), "0.25");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(UIValue, ColoursReadRedGreenBlueAlphaIntoTheirBytes) {
    const Colour orange = UIValue<Colour>::FromString("255,128,0,255");
    EXPECT_EQ(orange.b, 0);
    EXPECT_EQ(orange.g, 128);
    EXPECT_EQ(orange.r, 255);
    EXPECT_EQ(orange.a, 255);
    EXPECT_EQ(orange.GetPacked(), 0xFFFF8000u);
    EXPECT_STREQ(UIValue<Colour>::ToString(orange).c_str(), "255,128,0,255");
    EXPECT_EQ(UIValue<Colour>::FromString("300,0,0,255").r, 44);
    EXPECT_EQ(UIValue<Colour>::FromString("256,-1,0,0").r, 0);
    EXPECT_EQ(UIValue<Colour>::FromString("256,-1,0,0").g, 255);
}

// Components a text does not give keep the type's default.
TEST(UIValue, MissingComponentsKeepTheDefault) {
    const Colour partial = UIValue<Colour>::FromString("7,8");
    EXPECT_EQ(partial, Colour(7, 8, 255, 255));
    EXPECT_EQ(UIValue<Colour>::FromString("junk"), kColourWhite);
    const Vector3 v = UIValue<Vector3>::FromString("1.5");
    EXPECT_EQ(v.x, 1.5f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
    EXPECT_EQ(UIValue<Vector2>::FromString(",3").x, 0.0f);
    EXPECT_EQ(UIValue<int>::FromString("x"), 0);
    EXPECT_EQ(UIValue<int>::FromString("-17 apples"), -17);
    EXPECT_EQ(UIValue<unsigned>::FromString("42"), 42u);
    EXPECT_EQ(UIValue<UILerpType>::FromString("EaseInQuad"), UILerp_EaseInQuad);
    EXPECT_EQ(UIValue<UILerpType>::FromString("easeinquad"), UILerp_Invalid);
}

TEST(UIPropertyType, NamesAndSteps) {
    EXPECT_EQ(ParseUIPropertyType(AsciiString("int")), UIPT_int);
    EXPECT_EQ(ParseUIPropertyType(AsciiString("UIPT_int")), UIPT_int);
    EXPECT_EQ(ParseUIPropertyType(AsciiString("Int")), UIPT_Invalid);
    EXPECT_EQ(ParseUIPropertyType(AsciiString("Invalid")), UIPT_Invalid);
    EXPECT_EQ(ParseUIPropertyType(AsciiString("UIPT_Invalid")), UIPT_Invalid);
    EXPECT_EQ(ParseUIPropertyType(AsciiString("colour")), UIPT_colour);
    EXPECT_STREQ(GetUIPropertyTypeName(0).c_str(), "Invalid");
    EXPECT_STREQ(GetUIPropertyTypeName(6).c_str(), "rotation");
    UIPropertyType type = UIPT_int;
    NextUIPropertyType(type);
    EXPECT_EQ(type, UIPT_colour);
    NextUIPropertyType(type);
    EXPECT_EQ(type, UIPT_Invalid);
    type = static_cast<UIPropertyType>(0);
    NextUIPropertyType(type);
    EXPECT_EQ(type, UIPT_Invalid);
}

TEST(UIPropertyType, ScreenEnumerationsIgnoreCase) {
    EXPECT_EQ(ParseUIScreenScaleMode(AsciiString("keepaspect")), UIScreenScale_KeepAspect);
    EXPECT_EQ(ParseUIScreenScaleMode(AsciiString("Invalid")), -1);
    EXPECT_EQ(ParseUIScreenTransition(AsciiString("SWEEPLEFT")), UIScreenTransition_SweepLeft);
    EXPECT_EQ(ParseUIScreenTransition(AsciiString("fade")), -1);
    EXPECT_STREQ(GetUIScreenScaleModeName(4).c_str(), "Scale");
    EXPECT_STREQ(GetUIScreenTransitionName(7).c_str(), "Invalid");
}

TEST(UIPropertyTable, FindsNamesWithoutCaseAndGrowsByHalf) {
    Component owner;
    UIPropertyTable<int>& ints = owner.GetTable<int>();
    EXPECT_EQ(ints.GetCapacity(), 8u);
    UIProperty<int>* layer = ints.GetOrAdd(AsciiString("Layer"), 99);
    EXPECT_EQ(layer, owner.GetLayerProperty());
    EXPECT_EQ(layer->Get(), -1);  // the default is ignored
    for (int i = 0; i < 5; ++i) {
        AsciiString name("extra");
        name.AppendInt(i);
        UIProperty<int>* added = ints.GetOrAdd(name, i);
        EXPECT_EQ(added->Get(), i);
        EXPECT_EQ(added->GetLoadedValue(), i);
        EXPECT_EQ(added->GetIndex(), 4 + i);
    }
    EXPECT_EQ(ints.GetCount(), 9u);
    EXPECT_EQ(ints.GetCapacity(), 13u);  // 8 * 3 / 2 + 1
}

class PropertyLinks : public testing::Test {
protected:
    void SetUp() override {
        owner.SetId(AsciiString("owner"));
        child.SetId(AsciiString("child"));
        target = owner.GetOrAddProperty<float>(AsciiString("width"), 5.0f);
        dependent = child.GetOrAddProperty<float>(AsciiString("width"), 1.0f);
        recorder.Listen(owner);
        recorder.Listen(child);
    }

    Component owner;
    Component child;
    UIProperty<float>* target = nullptr;
    UIProperty<float>* dependent = nullptr;
    Recorder recorder;
};

TEST_F(PropertyLinks, SettingTheDependentWritesTheTargetFirst) {
    ASSERT_TRUE(dependent->LinkTo(&owner, target));
    dependent->Set(7.0f);
    EXPECT_EQ(target->Get(), 7.0f);
    EXPECT_EQ(dependent->Get(), 7.0f);
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"owner:width", "child:width"}));

    recorder.lines.clear();
    target->Set(9.0f);
    EXPECT_EQ(dependent->ToString(), AsciiString("9"));
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"owner:width", "child:width"}));
}

TEST_F(PropertyLinks, ASameValueSetNotifiesNobodyButSyncs) {
    ASSERT_TRUE(dependent->LinkTo(&owner, target));  // no copy: the child still holds 1
    EXPECT_STREQ(dependent->ToString().c_str(), "1");
    target->Set(5.0f);
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"child:width"}));
    EXPECT_STREQ(dependent->ToString().c_str(), "5");
    recorder.lines.clear();
    target->Set(5.0f);
    EXPECT_TRUE(recorder.lines.empty());
}

TEST_F(PropertyLinks, RestoringALinkedPropertyUsesTheTargetsLoadedValue) {
    ASSERT_TRUE(dependent->LinkTo(&owner, target));
    target->Set(3.0f);
    dependent->StoreLoadedValue();
    EXPECT_EQ(dependent->GetLoadedValue(), 3.0f);
    target->StoreLoadedValue();
    target->Set(8.0f);
    dependent->RestoreLoadedValue();
    EXPECT_EQ(target->Get(), 3.0f);
    EXPECT_EQ(dependent->Get(), 3.0f);
}

TEST_F(PropertyLinks, RelinkingMovesTheDependentAndCyclesAreRefused) {
    Component other;
    UIProperty<float>* second = other.GetOrAddProperty<float>(AsciiString("width"), 2.0f);
    ASSERT_TRUE(dependent->LinkTo(&owner, target));
    ASSERT_TRUE(dependent->LinkTo(&other, second));
    EXPECT_TRUE(target->GetDependents().empty());
    ASSERT_EQ(second->GetDependents().size(), 1u);
    EXPECT_FALSE(second->LinkTo(&child, dependent));  // would close a loop
    EXPECT_EQ(second->GetLink(), nullptr);
    second->Set(4.0f);
    EXPECT_EQ(dependent->Get(), 4.0f);
}

// Either side of a link may go first without leaving the other pointing at
// freed memory (AddressSanitizer watches).
TEST(UIPropertyLink, DestroyingEitherSideUnlinks) {
    auto owner = std::make_unique<Component>();
    auto child = std::make_unique<Component>();
    UIProperty<int>* target = owner->GetOrAddProperty<int>(AsciiString("n"), 1);
    UIProperty<int>* dependent = child->GetOrAddProperty<int>(AsciiString("n"), 2);
    ASSERT_TRUE(dependent->LinkTo(owner.get(), target));
    child.reset();
    EXPECT_TRUE(target->GetDependents().empty());
    target->Set(3);

    child = std::make_unique<Component>();
    dependent = child->GetOrAddProperty<int>(AsciiString("n"), 2);
    ASSERT_TRUE(dependent->LinkTo(owner.get(), target));
    owner.reset();
    EXPECT_FALSE(dependent->IsLinked());
    dependent->Set(6);
    EXPECT_EQ(dependent->Get(), 6);
}

}  // namespace
}  // namespace Varnok
