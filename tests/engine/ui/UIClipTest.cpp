#include "engine/ui/UIClip.h"

#include "engine/ui/Component.h"
#include "engine/ui/UITransform.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

UIVertexList Quad(float x0, float y0, float x1, float y1) {
    UIVertexList quad(4, DefaultUIVertex());
    const float corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    for (int i = 0; i < 4; ++i) {
        quad[i].x = corners[i][0];
        quad[i].y = corners[i][1];
        quad[i].u = i == 1 || i == 2 ? 1.0f : 0.0f;
        quad[i].v = i >= 2 ? 1.0f : 0.0f;
        quad[i].nz = 0.5f;  // a normal only clipping would change
    }
    return quad;
}

float Area(const UIVertexList& polygon) {
    float twice = 0.0f;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const UIVertex& a = polygon[i];
        const UIVertex& b = polygon[(i + 1) % polygon.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::fabs(twice) * 0.5f;
}

TEST(UIClip, ContainedQuadsComeBackUnchangedAndDisjointOnesEmpty) {
    const UIVertexList clip = Quad(0, 0, 100, 100);
    const UIVertexList inside = Quad(10, 10, 40, 30);
    UIVertexList out;
    UIVertexList temp;
    UIClipPolygon(clip, inside, out, temp);
    ASSERT_EQ(out.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(out[i].x, inside[i].x);
        EXPECT_EQ(out[i].y, inside[i].y);
        EXPECT_EQ(out[i].nz, 0.5f);
    }
    UIClipPolygon(clip, Quad(200, 10, 240, 30), out, temp);
    EXPECT_TRUE(out.empty());
    // A vertex within 1e-5 of a line is kept and adds no intersection.
    UIClipPolygon(clip, Quad(-0.000005f, 10, 40, 30), out, temp);
    EXPECT_EQ(out.size(), 4u);
    // An edge from such a vertex to one outside adds none either.
    UIVertexList triangle(3, DefaultUIVertex());
    triangle[0].x = 0.000005f;
    triangle[0].y = 50;
    triangle[1].x = -30;
    triangle[1].y = 60;
    triangle[2].x = 20;
    triangle[2].y = 70;
    UIClipPolygon(clip, triangle, out, temp);
    EXPECT_EQ(out.size(), 3u);  // the on-line vertex, the crossing from B to C, C
}

TEST(UIClip, HalfOutsideKeepsTheInsideHalfWithInterpolatedValues) {
    const UIVertexList clip = Quad(0, 0, 100, 100);
    UIVertexList out;
    UIVertexList temp;
    UIClipPolygon(clip, Quad(50, 20, 150, 40), out, temp);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_FLOAT_EQ(Area(out), 50.0f * 20.0f);
    for (const UIVertex& v : out) {
        EXPECT_LE(v.x, 100.0f + 1e-4f);
        if (v.x == 100.0f) {
            EXPECT_FLOAT_EQ(v.u, 0.5f);  // half way along the quad
            EXPECT_EQ(v.nz, 1.0f);       // made by clipping
        }
    }
}

TEST(UIClip, RotatedOutlineCutsAQuad) {
    // A 100 x 100 square turned 30 degrees about its centre.
    UITransform turn;
    UITransform::FromPositionRotationScale(turn, Vector3{50, 50, 0}, 30.0f, Vector3{1, 1, 1});
    UIVertexList clip = Quad(-50, -50, 50, 50);
    UITransform::TransformVertices(turn, clip, clip);
    UIVertexList out;
    UIVertexList temp;
    UIClipPolygon(clip, Quad(0, 0, 100, 100), out, temp);
    ASSERT_GE(out.size(), 5u);
    EXPECT_LT(Area(out), 100.0f * 100.0f);
    for (const UIVertex& v : out) {
        UIClipEdgeIterator edge(clip);
        while (edge.Next()) {
            EXPECT_GE(edge.Distance(v.x, v.y), -1e-3f);  // nothing outside the turned square
        }
    }
    // The square's corner (0, 0) lies outside the turned outline.
    EXPECT_FALSE(Component::ContainsPointInVertices(clip, Vector2{1.0f, 1.0f}));
    EXPECT_TRUE(Component::ContainsPointInVertices(clip, Vector2{50.0f, 50.0f}));
}

TEST(UIClip, AliasedListsFollowTheRules) {
    const UIVertexList clip = Quad(0, 0, 100, 100);
    UIVertexList subject = Quad(50, 20, 150, 40);
    UIVertexList out = Quad(1, 1, 2, 2);
    UIClipPolygon(clip, subject, out, out);  // scratch as output
    EXPECT_TRUE(out.empty());
    UIVertexList temp;
    UIClipPolygon(clip, clip, out, temp);
    EXPECT_EQ(out.size(), 4u);
    UIClipPolygon(clip, UIVertexList{}, out, temp);
    EXPECT_TRUE(out.empty());
    UIClipPolygon(clip, subject, subject, temp);  // in place
    EXPECT_FLOAT_EQ(Area(subject), 50.0f * 20.0f);
}

TEST(UITransformVertices, MapsPositionsAndCopiesTheRest) {
    UITransform t;
    UITransform::FromPositionRotationScale(t, Vector3{10, 20, 0}, 0.0f, Vector3{2, 2, 1});
    const UIVertexList in = Quad(1, 1, 2, 3);
    UIVertexList out;
    UITransform::TransformVertices(t, in, out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[2].x, 14.0f);
    EXPECT_EQ(out[2].y, 26.0f);
    EXPECT_EQ(out[2].u, 1.0f);
    EXPECT_EQ(out[2].nz, 0.5f);
}

}  // namespace
}  // namespace Varnok
