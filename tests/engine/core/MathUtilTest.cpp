#include "engine/core/MathUtil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

constexpr double kTwoPi = 6.283185307179586;

TEST(AngleLookup, QuarterAndHalfTurns) {
    EXPECT_EQ(SinLookup(0), 0.0f);
    EXPECT_EQ(SinLookup(kQuarterTurn), 1.0f);
    EXPECT_EQ(CosLookup(0), 1.0f);
    // The table's pi is 3.14159, so the half-turn entry is small but not 0.
    EXPECT_NEAR(CosLookup(kQuarterTurn), 2.65e-6, 0.01e-6);
    EXPECT_NE(CosLookup(kQuarterTurn), 0.0f);
    EXPECT_EQ(SinLookup(kHalfTurn), CosLookup(kQuarterTurn));
    EXPECT_EQ(CosLookup(kHalfTurn), -1.0f);
    EXPECT_EQ(SinLookup(0xC000), -1.0f);
}

TEST(AngleLookup, OnlyBitsFourToFifteenIndexTheTable) {
    EXPECT_EQ(SinLookup(0x4000), SinLookup(0x400F));
    EXPECT_NE(SinLookup(0x4000), SinLookup(0x4010));
    EXPECT_EQ(CosLookup(0x1230), CosLookup(0x123F));
}

TEST(AngleLookup, TableFollowsTheSine) {
    for (int i = 0; i < 4096; ++i) {
        const Angle angle = static_cast<Angle>(i << 4);
        ASSERT_NEAR(SinLookup(angle), std::sin(kTwoPi * i / 4096), 1e-5) << i;
        ASSERT_NEAR(CosLookup(angle), std::cos(kTwoPi * i / 4096), 1e-5) << i;
    }
}

TEST(AngleLookup, Tangent) {
    // Where the cosine entry is small but not 0 the quotient stands.
    EXPECT_GT(TanLookup(kQuarterTurn), 300000.0f);
    EXPECT_EQ(TanLookup(kQuarterTurn), SinLookup(kQuarterTurn) / CosLookup(kQuarterTurn));
    // Three quarters indexes the table's exact 0 for the cosine.
    EXPECT_EQ(CosLookup(0xC000), 0.0f);
    EXPECT_EQ(TanLookup(0xC000), 100000.0f);
    EXPECT_NEAR(TanLookup(0x2000), 1.0f, 1e-5);
}

TEST(AngleLookup, DegreesBecomeAngleUnits) {
    const struct {
        float degrees;
        Angle expected;
    } cases[] = {
        {0, 0},       {1, 182},       {90, 16380}, {180, 32760},
        {360, 65520}, {-90, 49156},   {720, 65504}, {NAN, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.degrees);
        EXPECT_EQ(AngleFromDegrees(c.degrees), c.expected);
    }
    // 90 degrees is just under a quarter turn: the entry below it.
    EXPECT_EQ(SinLookup(AngleFromDegrees(90)), SinLookup(kQuarterTurn - 16));
}

TEST(Atan2Lookup, AxesDiagonalsAndOrigin) {
    const struct {
        float y, x;
        Angle expected;
    } cases[] = {
        {0, 0, 0},        {0, 1, 0},        {0, -1, 0x8000},  {1, 0, 0x4000},
        {-1, 0, 0xC000},  {1, 1, 0x2000},   {1, -1, 0x6000},  {-1, -1, 0xA000},
        {-1, 1, 0xE000},  {5, 5, 0x2000},   {0, -0.5f, 0x8000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "y=" << c.y << " x=" << c.x);
        EXPECT_EQ(Atan2Lookup(c.y, c.x), c.expected);
    }
    EXPECT_EQ(Atan2Lookup(NAN, 1.0f), 0);
}

TEST(Atan2Lookup, EveryOctantFollowsAtan2) {
    for (int step = 1; step < 360; ++step) {
        if (step % 45 == 0) {
            continue;
        }
        const double radians = step * kTwoPi / 360.0;
        const float y = static_cast<float>(3.0 * std::sin(radians));
        const float x = static_cast<float>(3.0 * std::cos(radians));
        const double expected = step * 65536.0 / 360.0;
        // The table is indexed by t * 128 truncated: within one entry's step.
        EXPECT_NEAR(Atan2Lookup(y, x), expected, 90.0) << step;
    }
}

TEST(MathUtil, Gcd) {
    EXPECT_EQ(Gcd(12, 18), 6u);
    EXPECT_EQ(Gcd(18, 12), 6u);
    EXPECT_EQ(Gcd(7, 0), 7u);
    EXPECT_EQ(Gcd(0, 7), 7u);
    EXPECT_EQ(Gcd(0, 0), 0u);
    EXPECT_EQ(Gcd(0xFFFFFFFFu, 0x55555555u), 0x55555555u);
}

TEST(Vector, NormaliseAnswersTheOldLength) {
    Vector3 zero;
    EXPECT_EQ(zero.Normalise(), 0.0f);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);

    Vector3 v{3, 0, 4};
    EXPECT_FLOAT_EQ(v.Normalise(), 5.0f);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);

    Vector2 w{-3, 4};
    EXPECT_FLOAT_EQ(w.Normalise(), 5.0f);
    EXPECT_FLOAT_EQ(w.x, -0.6f);
    EXPECT_FLOAT_EQ(w.y, 0.8f);

    Vector2 zero2;
    EXPECT_EQ(zero2.Normalise(), 0.0f);
    EXPECT_EQ(zero2.x, 0.0f);
}

TEST(Vector, TinyVectorsStillNormalise) {
    // The squares underflow to 0 although the vector is not zero.
    Vector3 v{1e-30f, 0, -1e-30f};
    EXPECT_EQ(v.Normalise(), 0.0f);
    EXPECT_NEAR(v.x, 0.70710678f, 1e-6);
    EXPECT_NEAR(v.z, -0.70710678f, 1e-6);

    Vector2 w{0, 1e-40f};  // subnormal
    EXPECT_EQ(w.Normalise(), 0.0f);
    EXPECT_FLOAT_EQ(w.y, 1.0f);
}

TEST(Quaternion, NormaliseFallsBackToIdentity) {
    Quaternion q{0, 0, 2, 0};  // w stays exactly 0
    q.Normalise();
    EXPECT_EQ(q.z, 0.0f);
    EXPECT_EQ(q.w, 1.0f);

    Quaternion zero{0, 0, 0, 0};
    zero.Normalise();
    EXPECT_EQ(zero.w, 1.0f);

    Quaternion r{0, 3, 0, 4};
    r.Normalise();
    EXPECT_FLOAT_EQ(r.y, 0.6f);
    EXPECT_FLOAT_EQ(r.w, 0.8f);
}

TEST(Quaternion, FromAxisAngleUsesTheHalfAngle) {
    const Quaternion quarter = Quaternion::FromAxisAngle(0, 0, 1, kQuarterTurn);
    EXPECT_EQ(quarter.w, CosLookup(0x2000));
    EXPECT_EQ(quarter.z, SinLookup(0x2000));
    EXPECT_EQ(quarter.x, 0.0f);

    // A half turn: cos of a quarter is the table's tiny entry, not 0, so this
    // is not the identity.
    const Quaternion half = Quaternion::FromAxisAngle(1, 0, 0, kHalfTurn);
    EXPECT_EQ(half.x, 1.0f);
    EXPECT_EQ(half.w, CosLookup(kQuarterTurn));
}

void ExpectMatrixNear(const Matrix4& actual, const Matrix4& expected) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual.m[i], expected.m[i], 1e-5) << "element " << i;
    }
}

Matrix4 Numbered() {
    Matrix4 m;
    for (int i = 0; i < 16; ++i) {
        m.m[i] = static_cast<float>(i + 1);
    }
    return m;
}

TEST(Matrix4, MultiplyIsRowMajor) {
    const Matrix4 a = Numbered();
    Matrix4 translate;
    translate.m[12] = 10;
    translate.m[13] = 20;
    translate.m[14] = 30;
    Matrix4 out;
    Matrix4::Multiply(a, translate, out);
    // Row 0 of a is (1, 2, 3, 4): column 0 picks up 1 + 4 * 10.
    EXPECT_EQ(out.m[0], 41.0f);
    EXPECT_EQ(out.m[1], 2.0f + 4 * 20);
    EXPECT_EQ(out.m[3], 4.0f);

    Matrix4 aliased = a;
    Matrix4::Multiply(aliased, translate, aliased);
    ExpectMatrixNear(aliased, out);

    Matrix4 identityProduct;
    Matrix4::Multiply(Matrix4::Identity(), a, identityProduct);
    ExpectMatrixNear(identityProduct, a);
}

TEST(Matrix4, RotationsMultiplyOnTheRight) {
    const float s = 0.6f, c = 0.8f;
    Matrix4 rx, ry, rz;
    // The rotation matrices that the in-place turns stand for.
    rx.m[5] = c;  rx.m[6] = s;  rx.m[9] = -s; rx.m[10] = c;
    ry.m[0] = c;  ry.m[2] = -s; ry.m[8] = s;  ry.m[10] = c;
    rz.m[0] = c;  rz.m[1] = s;  rz.m[4] = -s; rz.m[5] = c;
    const struct {
        const char* what;
        void (*turn)(Matrix4&, float, float);
        const Matrix4& rotation;
    } cases[] = {
        {"x", Matrix4::RotateX, rx},
        {"y", Matrix4::RotateY, ry},
        {"z", Matrix4::RotateZ, rz},
    };
    for (const auto& c2 : cases) {
        SCOPED_TRACE(c2.what);
        Matrix4 turned = Numbered();
        c2.turn(turned, s, c);
        Matrix4 expected;
        Matrix4::Multiply(Numbered(), c2.rotation, expected);
        ExpectMatrixNear(turned, expected);
    }
}

TEST(Matrix4, ScaleTouchesColumnsIncludingTranslation) {
    Matrix4 m = Numbered();
    Matrix4::Scale(m, 2, 3, 4);
    EXPECT_EQ(m.m[12], 26.0f);  // 13 * 2
    EXPECT_EQ(m.m[13], 42.0f);  // 14 * 3
    EXPECT_EQ(m.m[14], 60.0f);  // 15 * 4
    EXPECT_EQ(m.m[15], 16.0f);
    EXPECT_EQ(m.m[3], 4.0f);
}

TEST(Matrix4, FromMatrix43) {
    float rows[12];
    for (int i = 0; i < 12; ++i) {
        rows[i] = static_cast<float>(i + 1);
    }
    const Matrix4 m = Matrix4::FromMatrix43(rows);
    EXPECT_EQ(m.m[0], 1.0f);
    EXPECT_EQ(m.m[4], 4.0f);
    EXPECT_EQ(m.m[14], 12.0f);
    EXPECT_EQ(m.m[3], 0.0f);
    EXPECT_EQ(m.m[11], 0.0f);
    EXPECT_EQ(m.m[15], 1.0f);
}

TEST(Matrix4, QuaternionRotationForms) {
    Quaternion q{0.1f, 0.7f, -0.3f, 0.5f};
    q.Normalise();
    const Matrix4 rotation = Matrix4::FromQuaternion(q);

    // A quarter turn about z takes +x to +y (row vector times matrix).
    const Matrix4 quarter =
        Matrix4::FromQuaternion(Quaternion::FromAxisAngle(0, 0, 1, kQuarterTurn));
    EXPECT_NEAR(quarter.m[0], 0.0f, 1e-5);
    EXPECT_NEAR(quarter.m[4], 1.0f, 1e-5);
    EXPECT_EQ(quarter.m[15], 1.0f);

    // The second form agrees for unit quaternions and keeps the other seven.
    Matrix4 existing = Numbered();
    Matrix4::SetRotationFromQuaternion(existing, q);
    const Matrix4 numbered = Numbered();
    for (int i = 0; i < 16; ++i) {
        if (i % 4 == 3 || i >= 12) {
            EXPECT_EQ(existing.m[i], numbered.m[i]) << i;
        } else {
            EXPECT_NEAR(existing.m[i], rotation.m[i], 1e-5) << i;
        }
    }

    const Matrix3 small = Matrix3::FromQuaternion(q);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            EXPECT_EQ(small.m[3 * row + col], rotation.m[4 * row + col]);
        }
    }
}

TEST(Geometry, ClosestPointOnLine2D) {
    const struct {
        const char* what;
        Vector3 a, b, p, expected;
    } cases[] = {
        {"horizontal", {0, 2, 0}, {5, 2, 0}, {3, 7, 9}, {3, 2, 0}},
        {"vertical", {1, 0, 0}, {1, 4, 0}, {6, 3, 0}, {1, 3, 0}},
        {"diagonal", {0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {1, 1, 0}},
        {"same point", {2, 2, 0}, {2, 2, 0}, {5, 9, 0}, {5, 2, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Vector3 out{9, 9, 9};
        ClosestPointOnLine2D(c.a, c.b, c.p, out);
        EXPECT_NEAR(out.x, c.expected.x, 1e-5);
        EXPECT_NEAR(out.y, c.expected.y, 1e-5);
        EXPECT_EQ(out.z, 0.0f);
    }
}

TEST(Geometry, IsInFrontOfPlane) {
    float distance = 0;
    EXPECT_TRUE(IsInFrontOfPlane({0, 5, 0}, {0, 2, 0}, {0, 1, 0}, distance));
    EXPECT_EQ(distance, 3.0f);
    EXPECT_FALSE(IsInFrontOfPlane({0, 2, 7}, {0, 2, 0}, {0, 1, 0}, distance));
    EXPECT_EQ(distance, 0.0f);
    EXPECT_FALSE(IsInFrontOfPlane({0, 0, 0}, {0, 2, 0}, {0, 1, 0}, distance));
    EXPECT_EQ(distance, -2.0f);
}

TEST(Geometry, AspectRatio) {
    SetAspectRatio(480, 320);
    EXPECT_FLOAT_EQ(GetAspectRatio(), 1.5f);
    SetAspectRatio(480, 0);  // ignored, logged
    EXPECT_FLOAT_EQ(GetAspectRatio(), 1.5f);
}

TEST(MathUtil, MaxOf4) {
    EXPECT_EQ(MaxOf4(1, 4, 3, 2), 4.0f);
    EXPECT_EQ(MaxOf4(-1, -4, -3, -0.5f), -0.5f);
    EXPECT_EQ(MaxOf4(2, 2, 2, 2), 2.0f);
}

TEST(MathUtil, NextPowerOfTwo) {
    const struct {
        int value;
        int power;
    } cases[] = {{-5, 1}, {0, 1}, {1, 1}, {2, 2}, {3, 4}, {320, 512}, {512, 512}, {513, 1024},
                 {(1 << 30) + 1, 1 << 30}};
    for (const auto& c : cases) {
        EXPECT_EQ(NextPowerOfTwo(c.value), c.power) << c.value;
    }
}

}  // namespace
}  // namespace Varnok
