#include "kiplink/Public/RefCounted.h"

#include "kiplink/Public/Functor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using Kiplink::RefCounted;
using Kiplink::RefPtr;

// Records its handler calls and its destruction in a shared journal.
struct Journal {
    std::vector<std::string> calls;
    std::vector<std::string> destroyed;
};

class Listener : public RefCounted {
public:
    Listener(Journal& journal, std::string name) : m_journal(journal), m_name(std::move(name)) {}
    ~Listener() override { m_journal.destroyed.push_back(m_name); }

    void OnEvent(int value) {
        m_journal.calls.push_back(m_name + ":" + std::to_string(value));
        if (onEvent) {
            onEvent(this);
        }
    }

    std::function<void(Listener*)> onEvent;

private:
    Journal& m_journal;
    std::string m_name;
};

class Source {
public:
    void AddCallbacks(Listener* listener) { m_listeners.Add(listener); }
    void RemoveCallbacks(Listener* listener) { m_listeners.Remove(listener); }
    void Fire(int value) { m_listeners.Notify(&Listener::OnEvent, value); }
    size_t Count() const { return m_listeners.Size(); }

private:
    Kiplink::ListenerSet<Listener> m_listeners;
};

TEST(RefCounted, CountsFromZeroAndDeletesAtTheLastRelease) {
    Journal journal;
    auto* object = new Listener(journal, "a");
    EXPECT_EQ(object->GetRefCount(), 0);
    EXPECT_EQ(object->Reference(), 1);
    EXPECT_EQ(object->Reference(), 2);
    EXPECT_EQ(object->Reference(), 3);
    EXPECT_EQ(object->Release(), 2);
    EXPECT_TRUE(journal.destroyed.empty());
    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(journal.destroyed, std::vector<std::string>{"a"});
}

TEST(RefCounted, RefPtrHoldsOneReference) {
    Journal journal;
    RefPtr<Listener> first(new Listener(journal, "a"));
    EXPECT_EQ(first->GetRefCount(), 1);
    {
        RefPtr<Listener> second = first;
        EXPECT_EQ(first->GetRefCount(), 2);
        second = second;  // self-assignment keeps the object
        EXPECT_EQ(first->GetRefCount(), 2);
    }
    EXPECT_EQ(first->GetRefCount(), 1);
    first.Reset();
    EXPECT_FALSE(first);
    EXPECT_EQ(journal.destroyed.size(), 1u);
}

TEST(ListenerSet, AddingTwiceHoldsOneReferenceAndRemovingUnknownDoesNothing) {
    Journal journal;
    Source source;
    RefPtr<Listener> listener(new Listener(journal, "a"));
    RefPtr<Listener> stranger(new Listener(journal, "b"));
    source.AddCallbacks(listener.Get());
    source.AddCallbacks(listener.Get());
    EXPECT_EQ(source.Count(), 1u);
    EXPECT_EQ(listener->GetRefCount(), 2);

    source.RemoveCallbacks(stranger.Get());
    EXPECT_EQ(stranger->GetRefCount(), 1);
    EXPECT_EQ(source.Count(), 1u);

    source.RemoveCallbacks(listener.Get());
    EXPECT_EQ(source.Count(), 0u);
    EXPECT_EQ(listener->GetRefCount(), 1);  // the caller's own reference survives
    EXPECT_TRUE(journal.destroyed.empty());
}

TEST(ListenerSet, NotifiesInPointerOrderAndSurvivesRemovalsFromHandlers) {
    Journal journal;
    Source source;
    // Three listeners in one array: their addresses give a known order.
    std::vector<RefPtr<Listener>> listeners;
    for (const char* name : {"x", "y", "z"}) {
        listeners.emplace_back(new Listener(journal, name));
    }
    std::vector<Listener*> byAddress;
    for (auto& l : listeners) byAddress.push_back(l.Get());
    std::sort(byAddress.begin(), byAddress.end());
    // Register in reverse address order; the middle one removes itself.
    for (auto it = byAddress.rbegin(); it != byAddress.rend(); ++it) {
        source.AddCallbacks(*it);
    }
    byAddress[1]->onEvent = [&](Listener* self) { source.RemoveCallbacks(self); };

    source.Fire(1);
    source.Fire(2);
    std::vector<std::string> expected;
    auto nameOf = [&](Listener* l) {
        for (size_t i = 0; i < listeners.size(); ++i) {
            if (listeners[i].Get() == l) return std::string(1, "xyz"[i]);
        }
        return std::string("?");
    };
    for (Listener* l : byAddress) expected.push_back(nameOf(l) + ":1");
    expected.push_back(nameOf(byAddress[0]) + ":2");
    expected.push_back(nameOf(byAddress[2]) + ":2");
    EXPECT_EQ(journal.calls, expected);
    EXPECT_EQ(source.Count(), 2u);
}

TEST(ListenerSet, AListenerReleasedMidWalkIsCalledBeforeItIsDestroyed) {
    Journal journal;
    Source source;
    auto* first = new Listener(journal, "first");
    auto* second = new Listener(journal, "second");
    if (second < first) std::swap(first, second);
    source.AddCallbacks(first);
    source.AddCallbacks(second);  // the set holds the only references
    // The first handler drops the second: it must outlive this walk.
    first->onEvent = [&](Listener*) {
        source.RemoveCallbacks(second);
        EXPECT_TRUE(journal.destroyed.empty());
    };
    source.Fire(7);
    ASSERT_EQ(journal.calls.size(), 2u);
    EXPECT_EQ(journal.destroyed.size(), 1u);  // the second, once the walk ended
    first->onEvent = nullptr;
    source.RemoveCallbacks(first);
    EXPECT_EQ(journal.destroyed.size(), 2u);
}

TEST(ListenerSet, ListenersAddedDuringANotificationWaitForTheNext) {
    Journal journal;
    Source source;
    RefPtr<Listener> adder(new Listener(journal, "adder"));
    RefPtr<Listener> late(new Listener(journal, "late"));
    source.AddCallbacks(adder.Get());
    adder->onEvent = [&](Listener*) { source.AddCallbacks(late.Get()); };
    source.Fire(1);
    EXPECT_EQ(journal.calls, std::vector<std::string>{"adder:1"});
    source.RemoveCallbacks(adder.Get());
    source.Fire(2);
    EXPECT_EQ(journal.calls.back(), "late:2");
    source.RemoveCallbacks(late.Get());
}

TEST(CallIds, StartAtOneAndCountEveryRequest) {
    uint32_t id = 0;
    EXPECT_EQ(Kiplink::NextCallId(&id), 1u);
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(Kiplink::NextCallId(), 2u);  // no out-parameter still consumes one
    EXPECT_EQ(Kiplink::NextRequestId(&id), 3u);  // one counter under both names
    EXPECT_EQ(id, 3u);
}

struct Target {
    void Take(int value) { received += value; }
    int received = 0;
};

struct DownloadRecord {
    Target* target;
    std::string fileName;
    bool flag;
    void Finished(int value) { target->received += flag ? value * 10 : value; }
    bool operator==(const DownloadRecord& other) const {
        return target == other.target && fileName == other.fileName && flag == other.flag;
    }
};

TEST(FunctorHolder, EmptyHoldersDoNothingAndCopyEmpty) {
    Kiplink::FunctorHolder<int> empty;
    EXPECT_TRUE(empty.IsEmpty());
    empty.Invoke(3);
    Kiplink::FunctorHolder<int> copy(empty);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_TRUE(copy.Equals(empty));
}

TEST(FunctorHolder, MemberBindingsCallAndCompareByObjectAndMember) {
    Target a;
    Target b;
    using Binding = Kiplink::MemberFunctor1<Target, int>;
    Kiplink::FunctorHolder<int> onA(Binding(&a, &Target::Take));
    Kiplink::FunctorHolder<int> onAAgain(Binding(&a, &Target::Take));
    Kiplink::FunctorHolder<int> onB(Binding(&b, &Target::Take));
    EXPECT_TRUE(onA.IsInline());
    onA.Invoke(5);
    EXPECT_EQ(a.received, 5);
    EXPECT_TRUE(onA.Equals(onAAgain));
    EXPECT_FALSE(onA.Equals(onB));

    Kiplink::FunctorHolder<int> copy;
    copy.CopyFrom(onB);
    copy.Invoke(2);
    EXPECT_EQ(b.received, 2);
    copy.Reset();
    EXPECT_TRUE(copy.IsEmpty());
}

TEST(FunctorHolder, RecordBindingsStayInlineAndCompareFieldByField) {
    Target target;
    using Binding = Kiplink::BoundRecordFunctor<DownloadRecord, int>;
    Kiplink::FunctorHolder<int> plain(Binding({&target, "items.json", false}, &DownloadRecord::Finished));
    Kiplink::FunctorHolder<int> flagged(Binding({&target, "items.json", true}, &DownloadRecord::Finished));
    Kiplink::FunctorHolder<int> same(plain);
    EXPECT_TRUE(plain.IsInline());
    EXPECT_TRUE(plain.Equals(same));
    EXPECT_FALSE(plain.Equals(flagged));
    flagged.Invoke(3);
    same.Invoke(1);
    EXPECT_EQ(target.received, 31);

    // Different classes never compare equal, whatever they bind.
    Kiplink::FunctorHolder<int> member(Kiplink::MemberFunctor1<Target, int>(&target, &Target::Take));
    EXPECT_FALSE(member.Equals(plain));
    EXPECT_NE(member.Get()->GetTypeId(), plain.Get()->GetTypeId());
}

}  // namespace
