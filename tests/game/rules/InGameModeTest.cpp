// The modes' shared HUD helpers: pop-up placement and triggers, label
// values, keeping pop-ups on screen and apart, and the bomb reaction.
#include "game/rules/InGameMode.h"

#include "tests/game/rules/HudProbe.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

using TestSupport::AddProbe;
using TestSupport::PositionOf;
using TestSupport::ProbeComponent;

void Place(Component* c, float x, float y) {
    c->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})->Set(Vector3{x, y, 0.0f});
}

TEST(InGameMode, ShowPopupAtPlacesEnablesAndPicksTheTrigger) {
    ProbeComponent* popup = AddProbe(nullptr, "popup");
    const struct {
        int trigger;
        const char* animation;
    } cases[] = {{0, "trigger0"}, {4, "trigger4"}, {5, "trigger"}, {-1, "trigger"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trigger);
        popup->GetEnabledProperty()->Set(false);
        InGameMode::ShowPopupAt(popup, Vector3{12.0f, 34.0f, 5.0f}, c.trigger);
        EXPECT_EQ(popup->Last(), c.animation);
        EXPECT_TRUE(popup->IsEnabled());
        EXPECT_FLOAT_EQ(PositionOf(popup).y, -34.0f);
        EXPECT_FLOAT_EQ(PositionOf(popup).z, 5.0f);
    }
    InGameMode::ShowPopupAt(nullptr, Vector3{}, 0);  // nothing for no element
    delete popup;
}

TEST(InGameMode, LabelTopShowsTheValue) {
    ProbeComponent* popup = AddProbe(nullptr, "popup");
    ProbeComponent* label = AddProbe(popup, "labelTop");
    SetLabelTopValue(popup, 7);
    EXPECT_EQ(label->FindProperty<int>(AsciiString("value"))->Get(), 7);
    SetLabelTopValue(label, 3);  // no labelTop below: nothing
    delete popup;
}

TEST(InGameMode, PopupsArePulledOnScreenAndPushedApart) {
    ProbeComponent* root = AddProbe(nullptr, "popups");
    ProbeComponent* outside = AddProbe(root, "a");
    ProbeComponent* twinA = AddProbe(root, "b");
    ProbeComponent* twinB = AddProbe(root, "c");
    ProbeComponent* hidden = AddProbe(root, "d");
    Place(outside, 300.0f, 0.0f);  // 200 wide allowed box: 70 from each side of 480
    Place(twinA, 0.0f, 0.0f);
    Place(twinB, 0.0f, 0.0f);
    Place(hidden, 305.0f, 0.0f);
    hidden->GetEnabledProperty()->Set(false);
    const std::vector<Component*> list = {outside, twinA, twinB, hidden};
    KeepObjectsOnScreen(list, 0.01f, 480.0f, 320.0f);
    // 130 over the box's edge at 170: back by 130 x 0.15, the hidden one ignored.
    EXPECT_NEAR(PositionOf(outside).x, 300.0f - 130.0f * 0.15f, 1e-3f);
    EXPECT_FLOAT_EQ(PositionOf(hidden).x, 305.0f) << "disabled pop-ups stay";
    const Vector3 a = PositionOf(twinA);
    const Vector3 b = PositionOf(twinB);
    EXPECT_GT(std::hypot(a.x - b.x, a.y - b.y), 1.0f) << "twins separate in some direction";
    EXPECT_FLOAT_EQ(a.z, 0.0f);
    delete root;
}

class BareMode : public InGameMode {
public:
    int GetModeType() const override { return kClassic; }
    void Start() override {}
    Component* ShowHud() override { return hud; }
    bool AreWavesSuspended() override { return false; }
    void OnFruitSliced(Fruit*) override {}
    int GetSaveState() override { return 0; }
};

TEST(InGameMode, ABombHitSendsThePauseButtonAway) {
    BareMode mode;
    mode.OnBombHit(Vector3{});  // without a HUD only the voice line
    ProbeComponent* hud = AddProbe(nullptr, "hud");
    ProbeComponent* pause = AddProbe(hud, "pause");
    mode.hud = hud;
    mode.OnBombHit(Vector3{});
    EXPECT_EQ(pause->Last(), "animate_out");
    delete hud;
}

}  // namespace
}  // namespace Varnok
