#include "engine/model/CollisionVolume.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

void ExpectVector(const Vector3& actual, float x, float y, float z) {
    EXPECT_NEAR(actual.x, x, 1e-4f);
    EXPECT_NEAR(actual.y, y, 1e-4f);
    EXPECT_NEAR(actual.z, z, 1e-4f);
}

CollisionSegment Segment(Vector3 a, Vector3 b) {
    CollisionSegment segment;
    segment.a = a;
    segment.b = b;
    return segment;
}

TEST(CollisionVolume, SphereSpherePushesFromReceiverTowardsOther) {
    const struct {
        const char* what;
        Vector3 otherCentre;
        bool touching;
        Vector3 push;
    } cases[] = {
        {"1.5 apart", {1.5f, 0, 0}, true, {0.5f, 0, 0}},
        {"exactly 2 apart", {2.0f, 0, 0}, false, {0, 0, 0}},
        {"same centre", {0, 0, 0}, true, {0, 0, 0}},
        {"1 apart on y, other side", {0, -1.0f, 0}, true, {0, -1.0f, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CollisionSphere receiver;
        CollisionSphere other(c.otherCentre, 1.0f);
        Vector3 push{9, 9, 9};
        EXPECT_EQ(receiver.Intersect(other, &push), c.touching);
        ExpectVector(push, c.push.x, c.push.y, c.push.z);  // zeroed even on a miss
        EXPECT_EQ(receiver.IsHit(), c.touching);
        EXPECT_EQ(other.IsHit(), c.touching);
    }
}

TEST(CollisionVolume, BoxCases) {
    // Box-box: touching faces do not count; equal overlaps on x and z go to z.
    CollisionBox unit({0, 0, 0}, {1, 1, 1});
    CollisionBox faceToFace({2, 0, 0}, {1, 1, 1});
    Vector3 push{7, 7, 7};
    EXPECT_FALSE(unit.Intersect(faceToFace, &push));
    ExpectVector(push, 7, 7, 7);  // untouched on a miss
    EXPECT_FALSE(unit.IsHit());

    CollisionBox big({0, 0, 0}, {2, 3, 2});
    CollisionBox inside({0.5f, 0, 0.5f}, {1, 1, 1});
    ASSERT_TRUE(big.Intersect(inside, &push));
    ExpectVector(push, 0, 0, 2.5f);  // points from big towards inside
    EXPECT_TRUE(big.IsHit());
    EXPECT_TRUE(inside.IsHit());

    // Sphere centred inside a box, equal overlaps on x and z: pushed on x.
    CollisionBox wide({0, 0, 0}, {2, 5, 2});
    CollisionSphere centred({0.5f, 0, 0.5f}, 1.0f);
    ASSERT_TRUE(centred.Intersect(wide, &push));
    ExpectVector(push, -2.5f, 0, 0);
    // The box as receiver gets the negated vector.
    ASSERT_TRUE(wide.Intersect(centred, &push));
    ExpectVector(push, 2.5f, 0, 0);

    // Sphere outside the box but reaching it: pushed by the depth.
    CollisionSphere near({1.5f, 0, 0}, 1.0f);
    ASSERT_TRUE(near.Intersect(unit, &push));
    ExpectVector(push, -0.5f, 0, 0);
    // Corner region: the axes overlap but the corner is out of reach.
    CollisionSphere corner({1.9f, 1.9f, 0}, 1.0f);
    EXPECT_FALSE(corner.Intersect(unit, &push));
    // A box receiver negates out even on a miss (the zero vector the test wrote).
    push = {1, 1, 1};
    EXPECT_FALSE(unit.Intersect(corner, &push));
    ExpectVector(push, 0, 0, 0);
}

TEST(CollisionVolume, BoxSegmentCases) {
    CollisionBox box({0, 0, 0}, {1, 1, 1});
    CollisionSegment crossing = Segment({-3, 0.5f, 0}, {3, 0.5f, 0});
    Vector3 push;
    EXPECT_TRUE(crossing.Intersect(box, &push));
    EXPECT_TRUE(box.IsHit());

    CollisionSegment away = Segment({-3, 3, 0}, {3, 3, 0});
    EXPECT_FALSE(box.Intersect(away, nullptr));

    CollisionBox point({0, 0, 0}, {0, 0, 0});
    EXPECT_FALSE(point.Intersect(crossing, nullptr));
    EXPECT_FALSE(point.IsHit());
}

TEST(CollisionVolume, SegmentSphereCutsOnlyWhatTheStrokeCrosses) {
    const struct {
        const char* what;
        Vector3 a, b;
        bool touching;
        Vector3 push;
    } cases[] = {
        {"crosses the centre", {-3, 0, 0}, {3, 0, 0}, true, {0, 0, 0}},
        {"passes 0.5 above", {-3, 0.5f, 0}, {3, 0.5f, 0}, true, {0, 0.5f, 0}},
        {"line would cross, segment stops short", {3, 0, 0}, {6, 0, 0}, false, {0, 0, 0}},
        {"ends inside", {3, 0, 0}, {0.5f, 0, 0}, true, {0.5f, 0, 0}},
        {"zero length inside", {0, 0.5f, 0}, {0, 0.5f, 0}, true, {0, 0.5f, 0}},
        {"zero length outside", {0, 2, 0}, {0, 2, 0}, false, {0, 0, 0}},
        {"vertical, passing to the side", {0.5f, -5, 0}, {0.5f, 5, 0}, true, {0.5f, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CollisionSphere sphere;
        CollisionSegment stroke = Segment(c.a, c.b);
        Vector3 push;
        EXPECT_EQ(stroke.Intersect(sphere, &push), c.touching);
        ExpectVector(push, c.push.x, c.push.y, c.push.z);
        EXPECT_EQ(sphere.IsHit(), c.touching);
        EXPECT_EQ(stroke.IsHit(), c.touching);
    }
}

TEST(CollisionVolume, SegmentSegmentMeasuresFromTheNearerEnd) {
    CollisionSegment receiver = Segment({0, 0, 0}, {4, 0, 0});
    Vector3 push;
    CollisionSegment nearStart = Segment({1, -1, 0}, {1, 1, 0});
    ASSERT_TRUE(receiver.Intersect(nearStart, &push));
    ExpectVector(push, 1, 0, 0);
    CollisionSegment nearEnd = Segment({3, -1, 0}, {3, 1, 0});
    ASSERT_TRUE(receiver.Intersect(nearEnd, &push));
    ExpectVector(push, -1, 0, 0);

    CollisionSegment parallel = Segment({0, 1, 0}, {4, 1, 0});
    CollisionSegment other = Segment({0, 2, 0}, {4, 2, 0});
    EXPECT_FALSE(parallel.Intersect(other, nullptr));
    EXPECT_FALSE(parallel.IsHit());
    CollisionSegment missesPastEnd = Segment({5, -1, 0}, {5, 1, 0});
    EXPECT_FALSE(IntersectSegmentSegment(receiver, missesPastEnd, nullptr));
}

TEST(CollisionVolume, BoxContainsPoints) {
    CollisionBox box({0, 0, 0}, {10, 10, 10});
    Vector3 out;
    EXPECT_TRUE(box.ContainsPoint({9, 2, 3}, &out));
    ExpectVector(out, 0, 8, 0);  // distances 1, 8, 7: the largest is y
    EXPECT_TRUE(box.ContainsPoint({5, 2.5f, 2.9f}, &out));
    ExpectVector(out, 0, 0, 7.1f);  // whole units 5, 7, 7: z wins the tie, untruncated
    EXPECT_FALSE(box.ContainsPoint({11, 0, 0}, nullptr));
    CollisionSphere sphere;
    EXPECT_FALSE(sphere.ContainsPoint({0, 0, 0}, nullptr));
}

}  // namespace
}  // namespace Varnok
