#include "engine/ui/ComponentScrollableSpace.h"
#include "engine/ui/ComponentSwipie.h"
#include "engine/ui/ComponentSwipiePage.h"
#include "tests/engine/ui/PaneTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using UITest::Make;

struct EventLog {
    std::vector<std::string> lines;
    void OnArray(Component*) { lines.push_back("array"); }
    void OnTapped(Component*, int page) { lines.push_back("tapped " + std::to_string(page)); }
    void OnHighlightTapped(Component*, bool&) { lines.push_back("highlight tapped"); }
    void OnTarget(Component*, int from, int to) {
        lines.push_back("target " + std::to_string(from) + " " + std::to_string(to));
    }
    void OnStarted(Component*, bool&) { lines.push_back("started"); }
    void OnStopped(Component*, bool&) { lines.push_back("stopped"); }

    void Listen(ComponentSwipie& pane) {
        pane.OnPageArrayChangedEvent.AddListener(Component::PlainEvent::Listener(this, &EventLog::OnArray));
        pane.OnPageTappedEvent.AddListener(ComponentSwipie::PageEvent::Listener(this, &EventLog::OnTapped));
        pane.OnHighlightedPageTappedEvent.AddListener(
            Component::FlagEvent::Listener(this, &EventLog::OnHighlightTapped));
        pane.OnTargetPageChangedEvent.AddListener(
            ComponentSwipie::PageChangeEvent::Listener(this, &EventLog::OnTarget));
        pane.OnScrollStartedEvent.AddListener(Component::FlagEvent::Listener(this, &EventLog::OnStarted));
        pane.OnScrollStoppedEvent.AddListener(Component::FlagEvent::Listener(this, &EventLog::OnStopped));
    }
    int Count(const std::string& line) const {
        int n = 0;
        for (const std::string& l : lines) {
            n += l == line ? 1 : 0;
        }
        return n;
    }
};

class Swipie : public UITest::PaneTest {
protected:
    // Pages of 100 x 100 (the template's size) in a horizontal pane.
    ComponentSwipie* MakePane(float width, int pages) {
        ComponentSwipie* pane = Create<ComponentSwipie>("ComponentSwipie", "pane", width, 100.0f);
        pane->GetOrAddProperty<int>(AsciiString("numPages"), 0)->Set(pages);
        return pane;
    }
    void SetInt(Component* c, const char* name, int value) { c->FindProperty<int>(AsciiString(name))->Set(value); }
    void SetFloat(Component* c, const char* name, float v) { c->FindProperty<float>(AsciiString(name))->Set(v); }
    void SetBool(Component* c, const char* name, bool v) { c->FindProperty<bool>(AsciiString(name))->Set(v); }
    int GetInt(Component* c, const char* name) { return c->FindProperty<int>(AsciiString(name))->Get(); }
    float Scroll(ComponentSwipie* pane) { return pane->GetScrollPosition().x; }
    // Updates until the pane rests (bounded).
    void Settle(ComponentSwipie* pane) {
        for (int i = 0; i < 600 && (i < 2 || pane->GetState() != ComponentSwipie::Idle); ++i) {
            Step();
        }
    }
};

TEST_F(Swipie, BuildsPagesFromTheTemplateAndRemovesTheSurplusLastFirst) {
    ComponentSwipie* pane = MakePane(100.0f, 0);
    EventLog log;
    log.Listen(*pane);
    Load();
    SetInt(pane, "numPages", 3);
    ASSERT_EQ(pane->GetPageCount(), 3);
    EXPECT_EQ(log.Count("array"), 1);
    for (int i = 0; i < 3; ++i) {
        ComponentSwipiePage* page = pane->GetPage(i);
        EXPECT_EQ(page->GetParent(), pane->GetPagesRoot());
        EXPECT_EQ(std::string(page->GetId().c_str()), "SwipiePage_" + std::to_string(i));
        EXPECT_TRUE(page->IsEnabled());
        EXPECT_EQ(page->GetPageIndex(), i);
    }
    EXPECT_FALSE(pane->GetTemplate()->IsEnabled());

    SetInt(pane, "numPages", 5);
    Make<ComponentVisual>(pane->GetPagesRoot(), "SwipiePage_7");  // a stray page
    const size_t before = ui().GetDeferredDeletions().size();
    SetInt(pane, "numPages", 2);
    const std::vector<Component*>& deleted = ui().GetDeferredDeletions();
    ASSERT_EQ(deleted.size(), before + 4);
    const char* expected[] = {"SwipiePage_4_", "SwipiePage_3_", "SwipiePage_2_", "SwipiePage_7_"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::strncmp(deleted[before + i]->GetId().c_str(), expected[i], std::strlen(expected[i])), 0)
            << deleted[before + i]->GetId().c_str();
    }
    EXPECT_EQ(pane->GetPageCount(), 2);
    EXPECT_STREQ(pane->GetPage(1)->GetId().c_str(), "SwipiePage_1");
}

TEST_F(Swipie, SnapPositionsAndLimitsFollowTheNotches) {
    ComponentSwipie* pane = MakePane(100.0f, 3);
    Load();
    Step();
    EXPECT_FLOAT_EQ(pane->GetSnapPosition(0), 0.0f);
    EXPECT_FLOAT_EQ(pane->GetSnapPosition(1), -100.0f);
    EXPECT_FLOAT_EQ(pane->GetSnapPosition(2), -200.0f);
    float lower = 0.0f;
    float upper = 0.0f;
    pane->GetScrollLimits(lower, upper);
    EXPECT_FLOAT_EQ(lower, -200.0f);
    EXPECT_FLOAT_EQ(upper, 0.0f);
    EXPECT_NE(std::string(pane->DumpShort().c_str()).find("\nswipieState = Idle\n"), std::string::npos);
}

TEST_F(Swipie, AReleaseIsAimedAtTheNearestPageAndEndsThere) {
    ComponentSwipie* pane = MakePane(100.0f, 3);
    Load();
    Step(2);
    EXPECT_NEAR(pane->PredictRest(-20.0f, 10.0f), -1.43f, 0.01f);
    pane->SetScrollPosition(Vector2{-20.0f, 0.0f});
    pane->Fling(10.0f);
    // The aimed drift itself (before the ease) comes to rest on page 0.
    float p = Scroll(pane);
    for (int i = 0; i < 60; ++i) {
        Step();
        p = Scroll(pane);
    }
    EXPECT_NEAR(p, 0.0f, 0.01f);
    Settle(pane);
    EXPECT_NEAR(Scroll(pane), 0.0f, 0.001f);
    EXPECT_EQ(GetInt(pane, "currentPage"), 0);
}

TEST_F(Swipie, DriftFactorsOutsideZeroToOneNeitherHangNorGiveNaN) {
    for (const float drift : {0.0f, 1.0f, 1.5f, -0.5f}) {
        SCOPED_TRACE(drift);
        ComponentSwipie* pane = MakePane(100.0f, 3);
        Load();
        Step(2);
        SetFloat(pane, "driftDelta", drift);
        pane->SetScrollPosition(Vector2{-20.0f, 0.0f});
        pane->Fling(10.0f);  // returns: the aim does not loop
        Step(120);
        EXPECT_TRUE(std::isfinite(Scroll(pane)));
        ui().DestroyComponent(reinterpret_cast<Component*&>(pane));
    }
}

TEST_F(Swipie, PagesDimByDistanceFromTheCurrentPage) {
    ComponentSwipie* pane = MakePane(100.0f, 4);
    SetBool(pane, "pageDimmingEnabled", true);
    SetInt(pane, "pageDimmingRange", 2);
    Load();
    Step(200);
    const int expected[] = {254, 146, 100, 60};  // from white at the rates 0.55 and 0.15
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const Colour c = pane->GetPage(i)->ColourProperty().Get();
        EXPECT_EQ(c.r, expected[i]);
        EXPECT_EQ(c.g, expected[i]);
        EXPECT_EQ(c.a, 255);
    }
}

TEST_F(Swipie, ATapOnAnotherPageScrollsThereAndATapOnTheCurrentOneIsReported) {
    ComponentSwipie* pane = MakePane(300.0f, 3);
    SetFloat(pane, "detentNotchParent", 0.0f);
    SetFloat(pane, "detentNotchContent", 0.0f);
    SetBool(pane, "scrollToTappedPage", true);
    EventLog log;
    log.Listen(*pane);
    Load();
    Settle(pane);
    ASSERT_EQ(GetInt(pane, "currentPage"), 0);

    log.lines.clear();
    Press(50.0f, 50.0f);
    Step();
    Release();
    EXPECT_EQ(log.Count("highlight tapped"), 1);
    EXPECT_EQ(log.Count("tapped 0"), 0);

    Press(250.0f, 50.0f);
    Step();
    Release();
    EXPECT_EQ(log.Count("tapped 2"), 1);
    EXPECT_EQ(log.Count("target -1 2"), 1);  // the request, before it reads -1 again
    EXPECT_EQ(GetInt(pane, "targetPage"), -1);
    Settle(pane);
    EXPECT_EQ(GetInt(pane, "currentPage"), 2);
    EXPECT_NEAR(Scroll(pane), -200.0f, 0.001f);
}

TEST_F(Swipie, ACurrentPagePastTheEndScrollsToTheLastPage) {
    ComponentSwipie* pane = MakePane(100.0f, 3);
    Load();
    Settle(pane);
    SetInt(pane, "currentPage", 9);
    Settle(pane);
    EXPECT_EQ(GetInt(pane, "currentPage"), 2);
    EXPECT_NEAR(Scroll(pane), -200.0f, 0.001f);
}

TEST_F(Swipie, ASwipeByTheFingerLandsOnTheNextPage) {
    ComponentSwipie* pane = MakePane(100.0f, 3);
    auto* bar = Make<ComponentVisual>(pane, "scrollbar");
    bar->FindProperty<float>(AsciiString("height"))->Set(4.0f);
    EventLog log;
    log.Listen(*pane);
    Load();
    Settle(pane);
    log.lines.clear();

    Press(80.0f, 50.0f);
    for (float x = 70.0f; x >= 30.0f; x -= 10.0f) {
        PointerTo(x, 50.0f);
        Step();
    }
    EXPECT_GT(bar->FindProperty<Colour>(AsciiString("colour"))->Get().a, 0);  // shown while moving
    Release();
    Settle(pane);
    EXPECT_EQ(GetInt(pane, "currentPage"), 1);
    EXPECT_NEAR(Scroll(pane), -100.0f, 0.001f);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"started", "stopped"}));
    // The bar is a third of the track, in the middle; it fades once resting.
    EXPECT_NEAR(bar->FindProperty<Vector3>(AsciiString("position"))->Get().x, 100.0f / 3.0f, 0.01f);
    EXPECT_NEAR(bar->GetWidth(), 100.0f / 3.0f, 0.01f);
    Step(120);
    EXPECT_EQ(bar->FindProperty<Colour>(AsciiString("colour"))->Get().a, 0);
    // Pages out of view are disabled.
    EXPECT_TRUE(pane->GetPage(1)->IsEnabled());
}

}  // namespace
}  // namespace Varnok
