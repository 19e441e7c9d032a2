// Table-driven trigonometry and the small vector and matrix helpers.
#include "engine/core/MathUtil.h"

#include "engine/core/Log.h"

#include <cfloat>
#include <cmath>

namespace Varnok {
namespace {

constexpr int kSineEntries = 4096;
constexpr int kAtanEntries = 129;  // atan(i / 128) for i = 0..128
// The table keeps the engine's 3.14159 for pi, so that the half-turn entry is
// about 2.65e-6 rather than 0 (the cosine of a quarter turn is never exactly
// 0). It is computed in double and stored as floats.
constexpr double kSineTablePi = 3.14159;

struct SineTable {
    float values[kSineEntries];
    SineTable() {
        for (int i = 0; i < kSineEntries; ++i) {
            values[i] = static_cast<float>(std::sin(2.0 * kSineTablePi * i / kSineEntries));
        }
    }
};

struct AtanTable {
    uint16_t values[kAtanEntries];
    AtanTable() {
        for (int i = 0; i < kAtanEntries; ++i) {
            values[i] = static_cast<uint16_t>(
                std::lround(std::atan(i / 128.0) * 65536.0 / (2.0 * kPiDouble)));
        }
    }
};

const float* Sines() {
    static const SineTable table;
    return table.values;
}

const uint16_t* Atans() {
    static const AtanTable table;
    return table.values;
}

float s_aspectRatio = 1.0f;

}  // namespace

Angle AngleFromDegrees(float degrees) {
    if (!std::isfinite(degrees)) {
        return 0;
    }
    const double units = std::fmod(static_cast<double>(degrees) * kAngleUnitsPerDegree, 65536.0);
    return static_cast<Angle>(static_cast<int32_t>(units));
}

float SquareRoot(float x) {
    return std::sqrt(x);
}

float SinLookup(Angle angle) {
    return Sines()[(angle >> 4) & 0xFFF];
}

float CosLookup(Angle angle) {
    return Sines()[((angle >> 4) + 1024) & 0xFFF];
}

float TanLookup(Angle angle) {
    const float c = CosLookup(angle);
    if (c == 0.0f) {
        return 100000.0f;
    }
    return SinLookup(angle) / c;
}

Angle Atan2Lookup(float y, float x) {
    if (std::isnan(x) || std::isnan(y)) {
        return 0;
    }
    if (y == 0.0f) {
        return x < 0.0f ? kHalfTurn : 0;
    }
    if (x == 0.0f) {
        return y > 0.0f ? 0x4000 : 0xC000;
    }
    const float ay = std::fabs(y);
    const float ax = std::fabs(x);
    if (ay == ax) {
        if (y > 0.0f) {
            return x > 0.0f ? 0x2000 : 0x6000;
        }
        return x < 0.0f ? 0xA000 : 0xE000;
    }

    const bool steep = ay > ax;  // closer to the y axis than to the x axis
    const float t = steep ? ax / ay : ay / ax;
    unsigned index = static_cast<unsigned>(t * 128.0f);
    if (index > 128) {
        index = 128;
    }
    const int e = Atans()[index];

    int base;
    int sign;
    if (y > 0.0f) {
        if (x > 0.0f) {
            base = steep ? 0x4000 : 0x0000;
            sign = steep ? -1 : 1;
        } else {
            base = steep ? 0x4000 : 0x8000;
            sign = steep ? 1 : -1;
        }
    } else {
        if (x < 0.0f) {
            base = steep ? 0xC000 : 0x8000;
            sign = steep ? -1 : 1;
        } else {
            base = steep ? 0xC000 : 0x10000;
            sign = steep ? 1 : -1;
        }
    }
    return static_cast<Angle>((base + sign * e) & 0xFFFF);
}

uint32_t Gcd(uint32_t a, uint32_t b) {
    while (b != 0) {
        const uint32_t r = a % b;
        a = b;
        b = r;
    }
    return a;
}

float Vector2::Normalise() {
    if (x == 0.0f && y == 0.0f) {
        return 0.0f;
    }
    float length = std::sqrt(x * x + y * y);
    if (length == 0.0f) {
        // The squares underflowed: scale up until they are normal floats, as
        // subnormal squares would give a length that is visibly off.
        float squares = 0.0f;
        while (squares < FLT_MIN) {
            x *= 1000000.0f;
            y *= 1000000.0f;
            squares = x * x + y * y;
        }
        length = std::sqrt(squares);
        x /= length;
        y /= length;
        return 0.0f;
    }
    x /= length;
    y /= length;
    return length;
}

float Vector3::Normalise() {
    if (x == 0.0f && y == 0.0f && z == 0.0f) {
        return 0.0f;
    }
    float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) {
        float squares = 0.0f;
        while (squares < FLT_MIN) {
            x *= 1000000.0f;
            y *= 1000000.0f;
            z *= 1000000.0f;
            squares = x * x + y * y + z * z;
        }
        length = std::sqrt(squares);
        x /= length;
        y /= length;
        z /= length;
        return 0.0f;
    }
    x /= length;
    y /= length;
    z /= length;
    return length;
}

void Quaternion::Normalise() {
    const float length = std::sqrt(x * x + y * y + z * z + w * w);
    if (length == 0.0f) {
        *this = Quaternion{};  // dividing by 0 would leave NaNs behind
        return;
    }
    x /= length;
    y /= length;
    z /= length;
    w /= length;
    if (w == 0.0f) {
        *this = Quaternion{};
    }
}

Quaternion Quaternion::FromAxisAngle(float axisX, float axisY, float axisZ, Angle angle) {
    const Angle half = static_cast<Angle>(angle >> 1);
    const float c = CosLookup(half);
    if (c == 0.0f) {
        return Quaternion{};
    }
    const float s = SinLookup(half);
    return Quaternion{axisX * s, axisY * s, axisZ * s, c};
}

Matrix4 Matrix4::FromQuaternion(const Quaternion& q) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    Matrix4 r;
    float* m = r.m;
    m[0] = 1 - 2 * y * y - 2 * z * z;
    m[1] = 2 * x * y - 2 * z * w;
    m[2] = 2 * x * z + 2 * y * w;
    m[3] = 0;
    m[4] = 2 * x * y + 2 * z * w;
    m[5] = 1 - 2 * x * x - 2 * z * z;
    m[6] = 2 * y * z - 2 * x * w;
    m[7] = 0;
    m[8] = 2 * x * z - 2 * y * w;
    m[9] = 2 * y * z + 2 * x * w;
    m[10] = 1 - 2 * x * x - 2 * y * y;
    m[11] = 0;
    m[12] = m[13] = m[14] = 0;
    m[15] = 1;
    return r;
}

Matrix4 Matrix4::FromMatrix43(const float rows[12]) {
    Matrix4 r;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 3; ++col) {
            r.m[4 * row + col] = rows[3 * row + col];
        }
        r.m[4 * row + 3] = row == 3 ? 1.0f : 0.0f;
    }
    return r;
}

void Matrix4::SetRotationFromQuaternion(Matrix4& matrix, const Quaternion& q) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    float* m = matrix.m;
    m[0] = w * w + x * x - y * y - z * z;
    m[1] = 2 * x * y - 2 * z * w;
    m[2] = 2 * x * z + 2 * y * w;
    m[4] = 2 * x * y + 2 * z * w;
    m[5] = w * w - x * x + y * y - z * z;
    m[6] = 2 * y * z - 2 * x * w;
    m[8] = 2 * x * z - 2 * y * w;
    m[9] = 2 * y * z + 2 * x * w;
    m[10] = w * w - x * x - y * y + z * z;
}

void Matrix4::Multiply(const Matrix4& a, const Matrix4& b, Matrix4& out) {
    float result[16];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[4 * i + k] * b.m[4 * k + j];
            }
            result[4 * i + j] = sum;
        }
    }
    for (int i = 0; i < 16; ++i) {
        out.m[i] = result[i];
    }
}

void Matrix4::RotateX(Matrix4& matrix, float s, float c) {
    for (int row = 0; row < 4; ++row) {
        float* r = matrix.m + 4 * row;
        const float c1 = r[1], c2 = r[2];
        r[1] = c * c1 - s * c2;
        r[2] = c * c2 + s * c1;
    }
}

void Matrix4::RotateY(Matrix4& matrix, float s, float c) {
    for (int row = 0; row < 4; ++row) {
        float* r = matrix.m + 4 * row;
        const float c0 = r[0], c2 = r[2];
        r[0] = c * c0 + s * c2;
        r[2] = c * c2 - s * c0;
    }
}

void Matrix4::RotateZ(Matrix4& matrix, float s, float c) {
    for (int row = 0; row < 4; ++row) {
        float* r = matrix.m + 4 * row;
        const float c0 = r[0], c1 = r[1];
        r[0] = c0 * c - c1 * s;
        r[1] = c0 * s + c1 * c;
    }
}

void Matrix4::Scale(Matrix4& matrix, float sx, float sy, float sz) {
    for (int row = 0; row < 4; ++row) {
        float* r = matrix.m + 4 * row;
        r[0] *= sx;
        r[1] *= sy;
        r[2] *= sz;
    }
}

Matrix3 Matrix3::FromQuaternion(const Quaternion& q) {
    const Matrix4 full = Matrix4::FromQuaternion(q);
    Matrix3 r;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            r.m[3 * row + col] = full.m[4 * row + col];
        }
    }
    return r;
}

void ClosestPointOnLine2D(const Vector3& a, const Vector3& b, const Vector3& p,
                          Vector3& outPoint) {
    outPoint.z = 0.0f;
    if (a.y == b.y) {
        outPoint.x = p.x;
        outPoint.y = a.y;
        return;
    }
    if (a.x == b.x) {
        outPoint.x = a.x;
        outPoint.y = p.y;
        return;
    }
    const float m = (b.y - a.y) / (b.x - a.x);
    const float x = (a.x * m + p.y + p.x / m - a.y) / (m + 1.0f / m);
    outPoint.x = x;
    outPoint.y = a.y + m * (x - a.x);
}

bool IsInFrontOfPlane(const Vector3& p, const Vector3& q, const Vector3& n,
                      float& outDistance) {
    outDistance = (p.x - q.x) * n.x + (p.y - q.y) * n.y + (p.z - q.z) * n.z;
    return outDistance > 0.0f;
}

void SetAspectRatio(float width, float height) {
    if (!(height > 0.0f) || !(width > 0.0f)) {
        Log("SetAspectRatio: size %g x %g is not positive, keeping %g", width, height,
            s_aspectRatio);
        return;
    }
    s_aspectRatio = width / height;
}

float GetAspectRatio() {
    return s_aspectRatio;
}

float MaxOf4(float a, float b, float c, float d) {
    float best = a;
    if (b > best) best = b;
    if (c > best) best = c;
    if (d > best) best = d;
    return best;
}

int NextPowerOfTwo(int value) {
    int result = 1;
    while (result < value && result < (1 << 30)) {
        result <<= 1;
    }
    return result;
}

}  // namespace Varnok
