#include "engine/ui/ComponentCredits.h"
#include "engine/ui/ComponentScrollableSpace.h"
#include "tests/engine/ui/PaneTestSupport.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

class Credits : public UITest::PaneTest {
protected:
    ComponentCredits* MakePane(float width, float height, int pages, const char* orientation) {
        auto* pane = Create<ComponentCredits>("ComponentCredits", "credits", width, height);
        pane->FindProperty<AsciiString>(AsciiString("orientation"))->Set(AsciiString(orientation));
        pane->SetNumPages(pages);
        return pane;
    }
};

TEST_F(Credits, AutomaticScrollingEntersFirstThenEasesTowardItsSpeed) {
    ComponentCredits* pane = MakePane(100.0f, 100.0f, 2, "horizontal");
    pane->FindProperty<bool>(AsciiString("autoScrollEnabled"))->Set(true);
    Load();
    const float start = pane->GetScrollPosition().x;
    EXPECT_FLOAT_EQ(start, 100.0f);  // looped pages start beyond the far edge
    Step();
    EXPECT_EQ(pane->GetState(), ComponentCredits::AutoScrolling);
    EXPECT_FLOAT_EQ(pane->GetScrollPosition().x, start);
    Step();
    EXPECT_NEAR(pane->GetScrollPosition().x - start, 0.5f * UITest::kStep, 1e-5f);
    Step(600);
    EXPECT_NEAR(pane->GetLastMovement(), 10.0f * UITest::kStep, 1e-4f);
}

TEST_F(Credits, LoopedContentReappearsFromTheOtherSideOneLapLater) {
    ComponentCredits* pane = MakePane(100.0f, 200.0f, 3, "vertical");
    Load();
    Step();
    EXPECT_FLOAT_EQ(pane->GetContent()->GetHeight(), 300.0f);
    EXPECT_FLOAT_EQ(pane->GetMinScroll(), -300.0f);
    EXPECT_FLOAT_EQ(pane->GetLoopPadding(), 200.0f);

    // Wholly above the pane by more than one period (300 + 1.1 x 200 = 520).
    pane->SetScrollPosition(Vector2{0.0f, -530.0f});
    Step();
    EXPECT_FLOAT_EQ(pane->GetPage(0)->FindProperty<Vector3>(AsciiString("position"))->Get().y, 520.0f);
    EXPECT_FLOAT_EQ(pane->GetPage(2)->FindProperty<Vector3>(AsciiString("position"))->Get().y, 720.0f);
    // Back in view: no shift.
    pane->SetScrollPosition(Vector2{0.0f, -50.0f});
    Step();
    EXPECT_FLOAT_EQ(pane->GetPage(0)->FindProperty<Vector3>(AsciiString("position"))->Get().y, 0.0f);
}

TEST_F(Credits, LoweringThePageCountDestroysTheSurplusAtOnce) {
    ComponentCredits bare;
    EXPECT_EQ(bare.GetPage(0), nullptr);  // before its parts exist

    ComponentCredits* pane = MakePane(100.0f, 100.0f, 4, "horizontal");
    Load();
    ASSERT_EQ(pane->GetPageCount(), 4);
    pane->SetNumPages(1);
    EXPECT_EQ(pane->GetPageCount(), 1);
    EXPECT_NE(pane->GetPage(0), nullptr);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(pane->GetPage(i), nullptr);
    }
    EXPECT_EQ(ui().GetDeferredDeletions().size(), 0u);
}

TEST_F(Credits, AFlickAgainstTheAutomaticDirectionStopsThenResumes) {
    ComponentCredits* pane = MakePane(100.0f, 100.0f, 2, "horizontal");
    pane->FindProperty<bool>(AsciiString("autoScrollEnabled"))->Set(true);
    int stops = 0;
    struct Counter {
        int* stops;
        void OnStopped(Component*, bool&) { ++*stops; }
    } counter{&stops};
    pane->OnScrollStoppedEvent.AddListener(Component::FlagEvent::Listener(&counter, &Counter::OnStopped));
    Load();
    Step(2);
    Press(60.0f, 50.0f);
    for (float x = 50.0f; x >= 10.0f; x -= 10.0f) {
        PointerTo(x, 50.0f);
        Step();
    }
    Release();
    Step();
    EXPECT_EQ(pane->GetState(), ComponentCredits::Drifting);
    for (int i = 0; i < 300 && stops == 0; ++i) {
        Step();
    }
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(pane->GetState(), ComponentCredits::AutoScrolling);  // in the same update
}

}  // namespace
}  // namespace Varnok
