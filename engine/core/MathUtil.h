// The engine's small math kit: 16-bit angles with table lookups, vectors,
// quaternions, row-major matrices and a few geometric tests.
#pragma once

#include <cstdint>

namespace Varnok {

// Angles are unsigned 16-bit fractions of a turn: 0x10000 is a full turn,
// 0x4000 a quarter. Only bits 4 to 15 index the tables.
using Angle = uint16_t;

constexpr Angle kQuarterTurn = 0x4000;
constexpr Angle kHalfTurn = 0x8000;
constexpr int kAngleUnitsPerDegree = 182;  // just under 65536 / 360

constexpr double kPiDouble = 3.14159265358979323846;
constexpr float kPi = static_cast<float>(kPiDouble);

// Degrees to angle units (degrees times 182, wrapped to a turn). NaN and
// infinities give 0.
Angle AngleFromDegrees(float degrees);

float SquareRoot(float x);

float SinLookup(Angle angle);
float CosLookup(Angle angle);
// Sine entry over cosine entry; 100000 where the cosine entry is exactly 0.
float TanLookup(Angle angle);
// The direction of (x, y), measured from +x towards +y. (0, 0) gives 0.
Angle Atan2Lookup(float y, float x);

// Greatest common divisor; Gcd(a, 0) == a.
uint32_t Gcd(uint32_t a, uint32_t b);

struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;

    // Scales to unit length and answers the old length. A zero vector is left
    // alone (answer 0); a vector too small for its length to be represented
    // is scaled up first and also answers 0.
    float Normalise();
};

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    // As Vector2::Normalise.
    float Normalise();
};

inline Vector3 Add(const Vector3& a, const Vector3& b) {
    return Vector3{a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector3 Subtract(const Vector3& a, const Vector3& b) {
    return Vector3{a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector3 Scale(const Vector3& v, float s) {
    return Vector3{v.x * s, v.y * s, v.z * s};
}
inline float Dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
// Right-handed: Cross(x axis, y axis) is the z axis.
inline Vector3 Cross(const Vector3& a, const Vector3& b) {
    return Vector3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

struct Quaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    // A zero quaternion, or one whose w comes out exactly 0, becomes the
    // identity.
    void Normalise();

    // Rotation by angle about the axis (not normalised here); the identity
    // when the half angle's cosine entry is exactly 0.
    static Quaternion FromAxisAngle(float axisX, float axisY, float axisZ, Angle angle);
};

// Row-major: element [row][column] is m[4 * row + column]; translation sits in
// elements 12 to 14 and points are row vectors multiplied on the left.
struct Matrix4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static Matrix4 Identity() { return Matrix4{}; }
    static Matrix4 FromQuaternion(const Quaternion& q);
    // Four rows of three floats; the last column becomes 0, 0, 0, 1.
    static Matrix4 FromMatrix43(const float rows[12]);

    // Writes the rotation of q into the upper-left 3x3 and leaves the other
    // seven elements as they are. The diagonal uses w^2 + x^2 - y^2 - z^2 and
    // its kin, which equals FromQuaternion for unit quaternions.
    static void SetRotationFromQuaternion(Matrix4& matrix, const Quaternion& q);

    // out = a * b. out may be a or b.
    static void Multiply(const Matrix4& a, const Matrix4& b, Matrix4& out);

    // Turn the matrix in place about one axis; s and c are the sine and cosine
    // of the angle.
    static void RotateX(Matrix4& matrix, float s, float c);
    static void RotateY(Matrix4& matrix, float s, float c);
    static void RotateZ(Matrix4& matrix, float s, float c);
    // Column 0 (translation element included) times sx, column 1 times sy,
    // column 2 times sz.
    static void Scale(Matrix4& matrix, float sx, float sy, float sz);
};

// Row-major 3x3.
struct Matrix3 {
    float m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

    static Matrix3 FromQuaternion(const Quaternion& q);
};

// The foot of the perpendicular from p onto the line through a and b, in the
// xy plane; outPoint.z is 0. a == b counts as a horizontal line.
void ClosestPointOnLine2D(const Vector3& a, const Vector3& b, const Vector3& p,
                          Vector3& outPoint);

// Stores (p - q) . n, the signed distance of p along the normal n of the plane
// through q, and answers whether it is positive.
bool IsInFrontOfPlane(const Vector3& p, const Vector3& q, const Vector3& n,
                      float& outDistance);

// The projection's aspect ratio (width / height), set once by the renderer's
// set-up; 1 until then.
void SetAspectRatio(float width, float height);
float GetAspectRatio();

// The largest of four; of equal values the first wins.
float MaxOf4(float a, float b, float c, float d);

// Smallest power of two not below value (1 for 0 and 1), at most 2^30.
int NextPowerOfTwo(int value);

}  // namespace Varnok
