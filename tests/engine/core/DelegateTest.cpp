#include "engine/core/Delegate.h"
#include "engine/core/StackAllocatedPointer.h"
#include "engine/core/TypeInfo.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using Varnok::Delegate0;
using Varnok::Delegate1;
using Varnok::Delegate2;
using Varnok::Delegate4;

class Counter {
public:
    virtual ~Counter() = default;
    void Add(int n) { total += n; }
    void Sub(int n) { total -= n; }
    virtual void Hit(int n) { total += n; }
    int total = 0;
};

class DoubleCounter : public Counter {
public:
    void Hit(int n) override { total += 2 * n; }
};

int g_globalTotal = 0;
void AddGlobal(int n) {
    g_globalTotal += n;
}
void SubGlobal(int n) {
    g_globalTotal -= n;
}
int Sum4(int a, int b, int c, int d) {
    return a + b + c + d;
}

TEST(Delegate, CallsMembersAndFunctions) {
    Counter counter;
    DoubleCounter doubler;
    Delegate1<void, int> add(&counter, &Counter::Add);
    Delegate1<void, int> hit(&doubler, &Counter::Hit);  // virtual: the object's override
    Delegate1<void, int> global(&AddGlobal);
    g_globalTotal = 0;
    add(3);
    hit(3);
    global(5);
    EXPECT_EQ(counter.total, 3);
    EXPECT_EQ(doubler.total, 6);
    EXPECT_EQ(g_globalTotal, 5);
    EXPECT_EQ((Delegate4<int, int, int, int, int>(&Sum4)(1, 2, 3, 4)), 10);
    EXPECT_EQ((Delegate2<int, int, int>()(1, 2)), 0);  // empty: calls nothing
    Delegate0<void>()();
    EXPECT_TRUE(add.IsInPlace());
    EXPECT_TRUE(global.IsInPlace());
}

TEST(Delegate, EqualityFollowsCallableKindObjectAndFunction) {
    Counter a;
    Counter b;
    using D = Delegate1<void, int>;
    const struct {
        const char* what;
        D left;
        D right;
        bool equal;
    } cases[] = {
        {"same member, same object", D(&a, &Counter::Add), D(&a, &Counter::Add), true},
        {"same member, other object", D(&a, &Counter::Add), D(&b, &Counter::Add), false},
        {"other member, same object", D(&a, &Counter::Add), D(&a, &Counter::Sub), false},
        {"same function", D(&AddGlobal), D(&AddGlobal), true},
        {"other function", D(&AddGlobal), D(&SubGlobal), false},
        {"function and member", D(&AddGlobal), D(&a, &Counter::Add), false},
        {"empty and full", D(), D(&AddGlobal), false},
        {"both empty", D(), D(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.left == c.right, c.equal);
        EXPECT_EQ(c.right == c.left, c.equal);
    }
}

TEST(Delegate, CopiesAreIndependentValues) {
    Counter counter;
    Delegate1<void, int> original(&counter, &Counter::Add);
    Delegate1<void, int> copy(original);
    EXPECT_EQ(copy, original);
    copy(4);
    EXPECT_EQ(counter.total, 4);

    Delegate1<void, int> empty;
    copy = empty;  // copying an empty delegate empties the target
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_FALSE(original.IsEmpty());
    const Delegate1<void, int>& self = copy;
    copy = self;
    EXPECT_TRUE(copy.IsEmpty());
    copy = original;
    copy = self;  // assigning a delegate to itself keeps it
    EXPECT_EQ(copy, original);
}

// A holder content that counts its destructions.
class Shape {
public:
    explicit Shape(int* destroyed) : m_destroyed(destroyed) {}
    Shape(const Shape&) = default;
    virtual ~Shape() { ++*m_destroyed; }
    virtual void Clone(Varnok::StackAllocatedPointer<Shape, 32>& target) const {
        target.CopyConstruct(*this);
    }
    virtual int Size() const { return 0; }

private:
    int* m_destroyed;
};

class BigShape : public Shape {
public:
    using Shape::Shape;
    void Clone(Varnok::StackAllocatedPointer<Shape, 32>& target) const override {
        target.CopyConstruct(*this);
    }
    int Size() const override { return sizeof(payload); }
    char payload[64] = {};
};

TEST(StackAllocatedPointer, BuildsInPlaceWhenItFitsAndDestroysOnce) {
    int destroyed = 0;
    using Holder = Varnok::StackAllocatedPointer<Shape, 32>;
    {
        Holder small;
        EXPECT_TRUE(small.IsEmpty());
        small.CopyConstruct(Shape(&destroyed));  // the temporary dies too
        EXPECT_EQ(destroyed, 1);
        EXPECT_TRUE(small.IsInPlace());

        Holder big;
        big.CopyConstruct(BigShape(&destroyed));  // too big: on the heap
        EXPECT_EQ(destroyed, 2);
        EXPECT_FALSE(big.IsInPlace());
        EXPECT_EQ(big.Get()->Size(), 64);

        Holder copy(big);
        EXPECT_EQ(copy.Get()->Size(), 64);
        copy = small;  // deletes the heap copy, builds in place
        EXPECT_EQ(destroyed, 3);
        EXPECT_TRUE(copy.IsInPlace());

        Holder empty;
        copy = empty;  // runs the old content's destructor
        EXPECT_EQ(destroyed, 4);
        EXPECT_TRUE(copy.IsEmpty());
        copy.Delete();
        EXPECT_EQ(destroyed, 4);
    }
    EXPECT_EQ(destroyed, 6);  // small and big at scope end
}

struct TypeA {};
struct TypeB {};
struct TypeC {};

TEST(TypeInfo, IdsStartAtOneAreUniqueAndStable) {
    Varnok::TypeIdCounter fresh;
    EXPECT_EQ(fresh.Count(), 0);
    EXPECT_EQ(fresh.Next(), 1);
    EXPECT_EQ(fresh.Next(), 2);

    const int ids[] = {Varnok::TypeInfo<TypeA>::ID, Varnok::TypeInfo<TypeB>::ID,
                       Varnok::TypeInfo<TypeC>::ID, Varnok::TypeInfo<int>::ID,
                       Varnok::TypeInfo<std::string>::ID};
    std::set<int> unique;
    for (int id : ids) {
        EXPECT_GE(id, 1);
        EXPECT_LE(id, Varnok::TypeIdCount());
        unique.insert(id);
    }
    EXPECT_EQ(unique.size(), 5u);
    EXPECT_EQ(Varnok::TypeInfo<TypeA>::GetID(), Varnok::TypeInfo<TypeA>::ID);
    EXPECT_EQ(Varnok::TypeInfo<TypeA>::GetID(), ids[0]);
}

}  // namespace
