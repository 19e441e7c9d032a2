#include "engine/ui/Component.h"

#include "engine/ui/descriptions/ComponentDesc.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using UITest::Make;

class ComponentTree : public UITest::UIManagerTest {};

TEST_F(ComponentTree, AddChildPlacesByIndex) {
    Component* parent = Make(root(), "parent");
    Component* a = Make(parent, "a");
    Component* b = Make(parent, "b");
    Component* first = new Component();
    EXPECT_EQ(parent->AddChild(first, 0), 0);
    EXPECT_EQ(parent->GetFirstChild(), first);
    EXPECT_EQ(first->GetNextSibling(), a);
    Component* middle = new Component();
    EXPECT_EQ(parent->AddChild(middle, 2), 2);
    EXPECT_EQ(middle->GetPrevSibling(), a);
    EXPECT_EQ(middle->GetNextSibling(), b);
    Component* late = new Component();
    EXPECT_EQ(parent->AddChild(late, 5), 4);  // fewer children: appended
    EXPECT_EQ(parent->GetLastChild(), late);
    EXPECT_EQ(parent->AddChild(new Component(), -1), -1);
    EXPECT_EQ(parent->GetChildCount(), 6);

    Component* other = Make(root(), "other");
    EXPECT_EQ(other->AddChild(a, -1), -1);
    EXPECT_EQ(a->GetParent(), other);
    EXPECT_EQ(parent->GetChildCount(), 5);
    EXPECT_EQ(a->AddChild(other, -1), -1);  // never under its own descendant
    EXPECT_EQ(other->GetParent(), root());
}

TEST_F(ComponentTree, AddChildWithTwoChildrenAtFiveAnswersTwo) {
    Component* parent = Make(root(), "parent");
    Make(parent, "a");
    Make(parent, "b");
    EXPECT_EQ(parent->AddChild(new Component(), 5), 2);
}

TEST_F(ComponentTree, DescriptionNodesFollowTheirComponents) {
    Component* one = Make(root(), "one");
    Component* two = Make(root(), "two");
    one->SetDesc(ComponentDesc::Create());
    two->SetDesc(ComponentDesc::Create());
    Component* child = new Component();
    child->SetDesc(ComponentDesc::Create());
    Component* sibling = new Component();
    sibling->SetDesc(ComponentDesc::Create());
    one->AddChild(child, -1);
    one->AddChild(sibling, 0);
    EXPECT_EQ(one->GetDesc()->GetFirstChild(), sibling->GetDesc());
    EXPECT_EQ(one->GetDesc()->GetLastChild(), child->GetDesc());
    // A component built from a node that already hangs under the parent's
    // node: the description tree stays as it is.
    Component* built = new Component();
    ComponentDesc* builtNode = ComponentDesc::Create();
    one->GetDesc()->AppendChild(builtNode);
    built->SetDesc(builtNode);
    one->AddChild(built, 0);
    EXPECT_EQ(one->GetFirstChild(), built);
    EXPECT_EQ(one->GetDesc()->GetLastChild(), builtNode);
    EXPECT_EQ(one->GetDesc()->GetFirstChild(), sibling->GetDesc());
    delete built;

    two->AddChild(child, -1);
    EXPECT_EQ(child->GetDesc()->GetParent(), two->GetDesc());
    EXPECT_EQ(one->GetDesc()->GetFirstChild(), sibling->GetDesc());
    EXPECT_EQ(one->GetDesc()->GetLastChild(), sibling->GetDesc());
    child->SetId(AsciiString("renamed"));
    EXPECT_STREQ(child->GetDesc()->GetId().c_str(), "renamed");
}

class Paths : public UITest::UIManagerTest {
protected:
    void SetUp() override {
        UIManagerTest::SetUp();
        screen = AddScreen("menu");
        a = Make(screen, "a");
        b = Make(a, "b");
        deepX = Make(b, "x");
        x = Make(a, "x");
        play = Make(screen, "play");
        s = Make(b, "s");
        inner = Make(s, "x");
        empty = Make(x, "");
    }

    ComponentScreen* screen = nullptr;
    Component* a = nullptr;
    Component* b = nullptr;
    Component* deepX = nullptr;
    Component* x = nullptr;
    Component* play = nullptr;
    Component* s = nullptr;
    Component* inner = nullptr;
    Component* empty = nullptr;
};

TEST_F(Paths, FindChildFollowsTheOperators) {
    const struct {
        Component* from;
        const char* path;
        Component* expected;
    } cases[] = {
        {screen, "a.b", b},
        {screen, "a..b", nullptr},
        {screen, "a.x.", empty},
        {a, "@x", deepX},  // pre-order: b's subtree comes before a's own x
        {deepX, "@x", nullptr},
        {x, "@x", nullptr},  // never the start itself
        {screen, "@s.x", inner},
        {inner, "^", s},
        {inner, "^^", b},
        {inner, "^s", s},
        {inner, "^a", a},
        {inner, "^menu.play", play},
        {inner, "^nothing", nullptr},
        {inner, ":", screen},
        {inner, ":play", play},
        {screen, "Play", play},
        {screen, "A.B.X", deepX},
        {screen, ".a", a},
        {screen, "missing", nullptr},
        {screen, "", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.from->FindChild(AsciiString(c.path)), c.expected);
    }
    EXPECT_EQ(screen->FindDirectChild(AsciiString("PLAY")), play);
    EXPECT_EQ(root()->FindChildByPath("^"), nullptr);
}

TEST_F(Paths, PathsAreCachedFromTheScreenDown) {
    EXPECT_STREQ(screen->GetPath().c_str(), ".menu");
    EXPECT_STREQ(deepX->GetPath().c_str(), ".menu.a.b.x");
    EXPECT_EQ(ui().FindComponent(deepX->GetPath()), deepX);
    EXPECT_EQ(ui().FindComponent(AsciiString("")), nullptr);
    EXPECT_EQ(ui().FindComponent(AsciiString("menu.a")), a);
    EXPECT_STREQ(root()->GetPath().c_str(), "$ROOT$");
    b->SetId(AsciiString("bee"));
    EXPECT_STREQ(deepX->GetPath().c_str(), ".menu.a.bee.x");
    EXPECT_EQ(inner->FindParentScreen(), screen);
    EXPECT_EQ(screen->FindParentScreen(), screen);
    EXPECT_EQ(root()->FindParentScreen(), nullptr);
}

TEST_F(Paths, LockedAndDeletedComponentsKeepTheirIds) {
    b->SetCanRename(false);
    b->SetId(AsciiString("other"));
    EXPECT_STREQ(b->GetId().c_str(), "b");
    b->SetCanRename(true);
    b->SetDeleted(true);
    b->SetId(AsciiString("other"));
    EXPECT_STREQ(b->GetId().c_str(), "b");
    b->SetDeleted(false);
    const uint32_t hash = b->GetIdHash();
    b->SetId(AsciiString("b"));
    EXPECT_EQ(b->GetIdHash(), hash);
}

TEST(ComponentPoints, OutlinesContainTheirBorder) {
    UIVertexList square(4);
    const float corners[4][2] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    for (int i = 0; i < 4; ++i) {
        square[i].x = corners[i][0];
        square[i].y = corners[i][1];
    }
    EXPECT_TRUE(Component::ContainsPointInVertices(square, Vector2{5, 5}));
    EXPECT_TRUE(Component::ContainsPointInVertices(square, Vector2{10, 5}));
    EXPECT_TRUE(Component::ContainsPointInVertices(square, Vector2{0, 0}));
    EXPECT_FALSE(Component::ContainsPointInVertices(square, Vector2{10.01f, 5}));
    EXPECT_FALSE(Component::ContainsPointInVertices(square, Vector2{5, -0.01f}));
    square.resize(2);
    EXPECT_FALSE(Component::ContainsPointInVertices(square, Vector2{0, 0}));
}

class Scaled : public Component {
public:
    explicit Scaled(float scale) { UITransform::FromPositionRotationScale(m_world, Vector3{4, 5, 0}, 0.0f, Vector3{scale, scale, 1}); }
    UITransform GetWorldTransform() const override { return m_world; }

private:
    UITransform m_world;
};

TEST(ComponentPoints, ScreenAndLocalConvertThroughTheWorldTransform) {
    Scaled doubled(2.0f);
    const Vector2 screen = doubled.LocalToScreen(Vector2{1, 1});
    EXPECT_EQ(screen.x, 6.0f);
    EXPECT_EQ(screen.y, 7.0f);
    const Vector2 local = doubled.ScreenToLocal(screen);
    EXPECT_NEAR(local.x, 1.0f, 1e-6f);
    EXPECT_NEAR(local.y, 1.0f, 1e-6f);

    Scaled flat(0.0f);
    const Vector2 nowhere = flat.ScreenToLocal(Vector2{1, 1});
    EXPECT_EQ(nowhere.x, 4294967296.0f);
    EXPECT_EQ(nowhere.y, 4294967296.0f);
    EXPECT_FALSE(flat.ContainsPoint(Vector2{4, 5}));
}

}  // namespace
}  // namespace Varnok
