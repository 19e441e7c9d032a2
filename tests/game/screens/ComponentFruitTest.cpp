// The menu fruit's element: its properties, the spin a menu fruit takes from
// its launch, and where an element's place lies in game units.
#include "game/screens/ComponentFruit.h"

#include "game/rules/GameFunctions.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

TEST(ComponentFruit, DerivesItsMenuSpinFromTheLaunchSpin) {
    const struct {
        Vector3 launch;
        Vector3 spin;
    } cases[] = {
        {{1.0f, -4.0f, 2.0f}, {0.75f, -0.8f, 0.4f}},
        {{0.0f, 0.0f, 0.0f}, {0.75f, 0.5f, 0.0f}},  // the sign of 0 is +
        {{-10.0f, 5.0f, -3.0f}, {-2.0f, 1.0f, -0.6f}},
    };
    for (const auto& c : cases) {
        const Vector3 spin = ComponentFruit::MenuSpinFromLaunch(c.launch);
        EXPECT_FLOAT_EQ(spin.x, c.spin.x);
        EXPECT_FLOAT_EQ(spin.y, c.spin.y);
        EXPECT_FLOAT_EQ(spin.z, c.spin.z);
    }
}

TEST(ComponentFruit, PlacesTheScreenCentreAtTheOriginAndTheTopEdgeAt160) {
    const Vector2 screen{480.0f, 320.0f};
    const struct {
        Vector3 ui;
        Vector3 logical;
    } cases[] = {
        {{240.0f, 160.0f, 5.0f}, {0.0f, 0.0f, 5.0f}},
        {{240.0f, 0.0f, 0.0f}, {0.0f, 160.0f, 0.0f}},
        {{480.0f, 320.0f, 0.0f}, {LogicalScreenWidth() / 2.0f, -160.0f, 0.0f}},
    };
    for (const auto& c : cases) {
        const Vector3 at = ComponentFruit::UiToLogical(c.ui, screen);
        EXPECT_FLOAT_EQ(at.x, c.logical.x);
        EXPECT_FLOAT_EQ(at.y, c.logical.y);
        EXPECT_FLOAT_EQ(at.z, c.logical.z);
    }
    const Vector3 guarded = ComponentFruit::UiToLogical(Vector3{1.0f, 2.0f, 3.0f}, Vector2{});
    EXPECT_EQ(guarded.x, 0.0f);  // no screen yet: no division by zero
}

TEST(ComponentFruit, AnswersTheBackButtonOnlyWhenAskedTo) {
    ComponentFruit fruit;
    EXPECT_FALSE(fruit.RespondsToBackButton());  // missing counts as false
    fruit.GetOrAddProperty<bool>(AsciiString("respondsToBackButton"), true);
    EXPECT_TRUE(fruit.RespondsToBackButton());
    EXPECT_NE(fruit.FindProperty<AsciiString>(AsciiString("fruittype")), nullptr);
    EXPECT_NE(fruit.FindProperty<Rotation>(AsciiString("rotationspeed")), nullptr);
}

}  // namespace
}  // namespace Varnok
