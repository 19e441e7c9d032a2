#include "engine/core/Event.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Varnok::Event;
using Varnok::EventDispatcher;
using Varnok::EventListener;

TEST(Event, ArgumentsAreTypedText) {
    Event event("score_changed");
    event.SetInt("points", 7);
    event.SetFloat("ratio", 2.75f);
    event.SetString("who", "player");
    event.SetString("nothing", nullptr);

    EXPECT_STREQ(event.GetName(), "score_changed");
    EXPECT_STREQ(event.GetArgText("points").c_str(), "7");
    EXPECT_STREQ(event.GetArgText("ratio").c_str(), "2.750000");
    EXPECT_STREQ(event.GetArgText("who").c_str(), "player");
    EXPECT_STREQ(event.GetArgText("nothing").c_str(), "");
    EXPECT_STREQ(event.GetArgText("missing").c_str(), "");

    EXPECT_EQ(event.GetInt("points"), 7);
    EXPECT_EQ(event.GetInt("ratio"), 2);  // the float, truncated
    EXPECT_EQ(event.GetInt("who"), 0);    // strings read as 0
    EXPECT_EQ(event.GetInt("missing"), 0);
    EXPECT_FLOAT_EQ(event.GetFloat("ratio"), 2.75f);
    EXPECT_FLOAT_EQ(event.GetFloat("points"), 7.0f);
    EXPECT_FLOAT_EQ(event.GetFloat("who"), 0.0f);

    EXPECT_EQ(event.GetInt("POINTS"), 7);  // argument names go by the name hash
    event.SetInt("points", -3);            // replaces
    EXPECT_EQ(event.GetInt("points"), -3);

    const Event copy(event);
    EXPECT_STREQ(copy.GetName(), "score_changed");
    EXPECT_STREQ(copy.GetArgText("who").c_str(), "player");
}

TEST(Event, HugeFloatReadsAsZeroInt) {
    Event event("e");
    event.SetFloat("big", 1e30f);
    EXPECT_EQ(event.GetInt("big"), 0);
}

// Records the events it receives and can run an action on each.
struct Recorder {
    std::vector<std::string> seen;
    std::function<void()> action;
    void On(const Event& event) {
        seen.push_back(event.GetArgText("n").c_str());
        if (action) {
            action();
        }
    }
    EventListener Bind() { return EventListener(this, &Recorder::On); }
};

Event Numbered(const char* name, int n) {
    Event event(name);
    event.SetInt("n", n);
    return event;
}

TEST(EventDispatcher, FiresByNameToSubscribers) {
    EventDispatcher& dispatcher = EventDispatcher::Get();
    Recorder a;
    Recorder b;
    dispatcher.Subscribe("test.fires", a.Bind());
    dispatcher.Subscribe("TEST.FIRES", b.Bind());  // same name hash
    dispatcher.Fire(Numbered("test.fires", 1));
    EventDispatcher::FireGlobal(Numbered("test.fires", 2));
    dispatcher.Fire(Numbered("test.other", 3));  // nobody listens
    EXPECT_EQ(a.seen, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(b.seen, (std::vector<std::string>{"1", "2"}));

    dispatcher.Unsubscribe("test.fires", a.Bind());
    dispatcher.Unsubscribe("test.never", a.Bind());
    dispatcher.Fire(Numbered("test.fires", 3));
    EXPECT_EQ(a.seen.size(), 2u);
    EXPECT_EQ(b.seen.size(), 3u);
    dispatcher.Unsubscribe("test.fires", b.Bind());
}

TEST(EventDispatcher, SubscribingDuringAFiringWaitsForTheNextOne) {
    EventDispatcher& dispatcher = EventDispatcher::Get();
    Recorder first;
    Recorder late;
    Recorder otherName;
    first.action = [&] {
        if (late.seen.empty() && first.seen.size() == 1) {
            dispatcher.Subscribe("test.deferred", late.Bind());
            dispatcher.Subscribe("test.deferred.new", otherName.Bind());  // a new list
        }
    };
    dispatcher.Subscribe("test.deferred", first.Bind());
    dispatcher.Fire(Numbered("test.deferred", 1));
    EXPECT_TRUE(late.seen.empty());
    dispatcher.Fire(Numbered("test.deferred", 2));
    EXPECT_EQ(late.seen, (std::vector<std::string>{"2"}));
    dispatcher.Fire(Numbered("test.deferred.new", 3));
    EXPECT_EQ(otherName.seen, (std::vector<std::string>{"3"}));
    dispatcher.Unsubscribe("test.deferred", first.Bind());
    dispatcher.Unsubscribe("test.deferred", late.Bind());
    dispatcher.Unsubscribe("test.deferred.new", otherName.Bind());
}

}  // namespace
