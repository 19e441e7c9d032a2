#include "engine/core/PlatformEventHub.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Varnok::Delegate0;
using Varnok::Delegate1;
using Varnok::Delegate2;
using Varnok::PlatformEventHub;

// Plays the shell's update step: pre-update, the game's update unless
// skipped, post-update.
struct Step {
    PlatformEventHub& hub;
    int gameUpdates = 0;
    void Run(float seconds) {
        if (hub.DispatchPreUpdate(seconds)) {
            ++gameUpdates;
        }
        hub.postUpdate.Invoke(seconds);
    }
};

struct SkipOnce {
    PlatformEventHub* hub = nullptr;
    int calls = 0;
    void OnPreUpdate(float) {
        if (calls++ == 0) {
            hub->skipUpdate = true;
        }
    }
    void OnPostUpdate(float) { ++posts; }
    int posts = 0;
};

TEST(PlatformEventHub, SkipUpdateSuppressesOnlyThatStep) {
    PlatformEventHub hub;
    SkipOnce listener{&hub};
    hub.preUpdate.Add(Delegate1<void, float>(&listener, &SkipOnce::OnPreUpdate));
    hub.postUpdate.Add(Delegate1<void, float>(&listener, &SkipOnce::OnPostUpdate));
    Step step{hub};
    step.Run(1.0f / 60);
    EXPECT_EQ(step.gameUpdates, 0);
    EXPECT_EQ(listener.posts, 1);  // post-update runs in every case
    step.Run(1.0f / 60);
    EXPECT_EQ(step.gameUpdates, 1);  // the flag was cleared again
    EXPECT_EQ(listener.posts, 2);
    EXPECT_FALSE(hub.skipUpdate);
}

struct RenderSkipper {
    PlatformEventHub* hub = nullptr;
    void OnPreRender() { hub->skipRender = true; }
};

TEST(PlatformEventHub, SkipRenderIsClearedBeforeEachPreRender) {
    PlatformEventHub hub;
    EXPECT_TRUE(hub.DispatchPreRender());
    hub.skipRender = true;  // stale from elsewhere
    EXPECT_TRUE(hub.DispatchPreRender());
    RenderSkipper skipper{&hub};
    hub.preRender.Add(Delegate0<void>(&skipper, &RenderSkipper::OnPreRender));
    EXPECT_FALSE(hub.DispatchPreRender());
}

struct RotationRule {
    bool allow;
    void OnQuery(int, bool* answer) { *answer = allow; }
};

TEST(PlatformEventHub, RotationQueryLastWriteWinsAndDefaultsToAllowed) {
    PlatformEventHub hub;
    for (int orientation = 0; orientation < 4; ++orientation) {
        EXPECT_TRUE(hub.QueryRotation(orientation));
    }
    RotationRule deny{false};
    RotationRule allow{true};
    hub.rotationQuery.Add(Delegate2<void, int, bool*>(&deny, &RotationRule::OnQuery));
    EXPECT_FALSE(hub.QueryRotation(2));
    hub.rotationQuery.Add(Delegate2<void, int, bool*>(&allow, &RotationRule::OnQuery));
    EXPECT_TRUE(hub.QueryRotation(2));
}

struct UrlRefuser {
    PlatformEventHub* hub = nullptr;
    const char* lastSource = "unset";
    void OnOpenUrl(const char*, const char* source) {
        lastSource = source;
        hub->urlRefused = true;
    }
};

TEST(PlatformEventHub, OpenUrlIsAcceptedUnlessAListenerRefuses) {
    PlatformEventHub hub;
    EXPECT_TRUE(hub.DispatchOpenUrl("fruit://open", nullptr));
    UrlRefuser refuser{&hub};
    hub.openUrl.Add(Delegate2<void, const char*, const char*>(&refuser, &UrlRefuser::OnOpenUrl));
    EXPECT_FALSE(hub.DispatchOpenUrl("fruit://open", nullptr));
    EXPECT_EQ(refuser.lastSource, nullptr);
    hub.openUrl.Remove(
        Delegate2<void, const char*, const char*>(&refuser, &UrlRefuser::OnOpenUrl));
    EXPECT_TRUE(hub.DispatchOpenUrl("fruit://open", "com.example"));
}

struct LateJoiner {
    PlatformEventHub* hub = nullptr;
    int early = 0;
    int late = 0;
    void OnEarly() {
        if (early++ == 0) {
            hub->foreground.Add(Delegate0<void>(this, &LateJoiner::OnLate));
        }
    }
    void OnLate() { ++late; }
};

TEST(PlatformEventHub, ListenerAddedDuringItsListsDispatchWaits) {
    PlatformEventHub hub;
    LateJoiner joiner{&hub};
    hub.foreground.Add(Delegate0<void>(&joiner, &LateJoiner::OnEarly));
    hub.foreground.Invoke();
    EXPECT_EQ(joiner.late, 0);
    hub.foreground.Invoke();
    EXPECT_EQ(joiner.late, 1);
}

TEST(PlatformEventHub, GetAlwaysGivesTheSameHub) {
    PlatformEventHub& hub = PlatformEventHub::Get();
    EXPECT_EQ(&hub, &PlatformEventHub::Get());
    EXPECT_FALSE(hub.skipUpdate);
    EXPECT_FALSE(hub.skipRender);
    EXPECT_FALSE(hub.urlRefused);
}

}  // namespace
