#include "engine/core/EventList.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

using Varnok::Delegate0;
using Varnok::Event0;

// A listener that logs its name and then runs an optional action.
struct Listener {
    std::string name;
    std::vector<std::string>* log = nullptr;
    std::function<void()> action;

    void On() {
        log->push_back(name);
        if (action) {
            action();
        }
    }
    Delegate0<void> Bind() { return Delegate0<void>(this, &Listener::On); }
};

class EventListTest : public testing::Test {
protected:
    Listener& Make(const char* name) {
        listeners.push_back(Listener{name, &log, nullptr});
        return listeners.back();
    }
    std::vector<std::string> Fire() {
        log.clear();
        list.Invoke();
        return log;
    }
    void ExpectSettled() {
        EXPECT_EQ(list.GetDepth(), 0);
        EXPECT_EQ(list.GetPending(), 0);
        for (const auto& entry : list.GetEntries()) {
            EXPECT_EQ(entry.generation, 0);
            EXPECT_EQ(entry.state, Event0::Active);
        }
    }

    using Log = std::vector<std::string>;
    Event0 list;
    Log log;
    std::deque<Listener> listeners;  // stable addresses
};

TEST_F(EventListTest, CallsListenersInTheOrderAdded) {
    for (const char* name : {"a", "b", "c"}) {
        list.Add(Make(name).Bind());
    }
    EXPECT_EQ(Fire(), (Log{"a", "b", "c"}));
    list.Remove(listeners[1].Bind());
    EXPECT_EQ(list.EntryCount(), 2);
    EXPECT_EQ(Fire(), (Log{"a", "c"}));
    list.Remove(listeners[1].Bind());  // not in the list: nothing changes
    EXPECT_EQ(list.EntryCount(), 2);
}

TEST_F(EventListTest, ListenerRemovingItselfIsCalledOnce) {
    Listener& a = Make("a");
    Listener& b = Make("b");
    a.action = [&] { list.Remove(a.Bind()); };
    list.Add(a.Bind());
    list.Add(b.Bind());
    EXPECT_EQ(Fire(), (Log{"a", "b"}));
    EXPECT_EQ(list.EntryCount(), 1);
    EXPECT_EQ(Fire(), (Log{"b"}));
    ExpectSettled();
}

TEST_F(EventListTest, AddedDuringDispatchIsCalledOnlyByANestedDispatch) {
    Listener& a = Make("a");
    Listener& b = Make("b");
    bool first = true;
    a.action = [&] {
        if (first) {
            first = false;
            list.Add(b.Bind());
            list.Invoke();  // nested: b was added before it started
        }
    };
    list.Add(a.Bind());
    // Outer a, nested a, nested b; the outer dispatch does not reach b.
    EXPECT_EQ(Fire(), (Log{"a", "a", "b"}));
    ExpectSettled();
    EXPECT_EQ(Fire(), (Log{"a", "b"}));
}

TEST_F(EventListTest, AddedDuringANestedDispatchIsNotCalledByTheOuterOne) {
    Listener& a = Make("a");
    Listener& b = Make("b");
    a.action = [&] {
        if (list.GetDepth() == 1) {
            list.Invoke();
        } else if (list.GetDepth() == 2) {
            list.Add(b.Bind());
        }
    };
    list.Add(a.Bind());
    EXPECT_EQ(Fire(), (Log{"a", "a"}));
    ExpectSettled();
    EXPECT_EQ(list.EntryCount(), 2);
}

TEST_F(EventListTest, RemovingTwiceInOneDispatchDestroysTheEntryOnce) {
    Listener& a = Make("a");
    Listener& b = Make("b");
    int pendingAfter = 0;
    a.action = [&] {
        list.Remove(b.Bind());
        list.Remove(b.Bind());
        pendingAfter = list.GetPending();
    };
    list.Add(a.Bind());
    list.Add(b.Bind());
    EXPECT_EQ(Fire(), (Log{"a"}));
    EXPECT_EQ(pendingAfter, 2);
    EXPECT_EQ(list.EntryCount(), 1);
    ExpectSettled();
}

TEST_F(EventListTest, RemovedInANestedDispatchIsSkippedByTheOuterOne) {
    Listener& a = Make("a");
    Listener& b = Make("b");
    Listener& c = Make("c");
    a.action = [&] {
        if (list.GetDepth() == 1) {
            list.Invoke();
        } else {
            list.Remove(c.Bind());  // the outer dispatch has not reached c yet
        }
    };
    list.Add(a.Bind());
    list.Add(b.Bind());
    list.Add(c.Bind());
    // Outer a; nested a, b (c removed); outer goes on with b, not c.
    EXPECT_EQ(Fire(), (Log{"a", "a", "b", "b"}));
    EXPECT_EQ(list.EntryCount(), 2);
    ExpectSettled();
}

TEST_F(EventListTest, AddedThenRemovedDuringADispatchIsNeverCalled) {
    Listener& a = Make("a");
    Listener& b = Make("b");
    a.action = [&] {
        list.Add(b.Bind());
        list.Remove(b.Bind());
        list.Invoke();  // the nested dispatch must not call b either
    };
    bool once = true;
    a.action = [&, inner = a.action] {
        if (once) {
            once = false;
            inner();
        }
    };
    list.Add(a.Bind());
    EXPECT_EQ(Fire(), (Log{"a", "a"}));
    EXPECT_EQ(list.EntryCount(), 1);
    ExpectSettled();
}

TEST_F(EventListTest, ClearDuringADispatchStopsTheRest) {
    Listener& a = Make("a");
    Listener& b = Make("b");
    a.action = [&] { list.Clear(); };
    list.Add(a.Bind());
    list.Add(b.Bind());
    EXPECT_EQ(Fire(), (Log{"a"}));
    EXPECT_EQ(list.EntryCount(), 0);
    ExpectSettled();
}

TEST_F(EventListTest, CopyHoldsTheSettledListeners) {
    Listener& a = Make("a");
    Listener& b = Make("b");
    Listener& c = Make("c");
    Event0 copy;
    bool copied = false;
    a.action = [&] {
        if (copied) {
            return;
        }
        copied = true;
        list.Remove(b.Bind());
        list.Add(c.Bind());
        copy = list;  // as the list will be once this dispatch ends
    };
    list.Add(a.Bind());
    list.Add(b.Bind());
    Fire();
    log.clear();
    copy.Invoke();
    EXPECT_EQ(log, (Log{"a", "c"}));
}

TEST_F(EventListTest, AssigningToTheListBeingDispatchedDefersTheNewListeners) {
    Listener& a = Make("a");
    Listener& b = Make("b");
    Event0 other;
    other.Add(b.Bind());
    a.action = [&] { list = other; };
    list.Add(a.Bind());
    EXPECT_EQ(Fire(), (Log{"a"}));
    ExpectSettled();
    EXPECT_EQ(Fire(), (Log{"b"}));
}

TEST(EventList, PassesArguments) {
    struct Sink {
        int sum = 0;
        void On(int a, float b, const char* c) { sum += a + static_cast<int>(b) + (c[0] == 'x'); }
    } sink;
    Varnok::Event3<int, float, const char*> list;
    list.Add(Varnok::Delegate3<void, int, float, const char*>(&sink, &Sink::On));
    list.Invoke(2, 3.0f, "x");
    EXPECT_EQ(sink.sum, 6);
}

}  // namespace
