// Path data: tokenizing the "d" text, building the calls, recording them with
// the exact extent of every segment.
#include "engine/text/vector/SvgPathData.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>

namespace Varnok {
namespace {

constexpr double kTwoPi = 6.283185307179586;

void AddToSet(uint8_t* set, const char* chars) {
    for (const char* p = chars; *p != '\0'; ++p) {
        const uint8_t c = static_cast<uint8_t>(*p);
        set[c >> 3] |= static_cast<uint8_t>(1u << (c & 7));
    }
}

// Doubles beyond the float range become infinities, as IEEE rounding would
// give, without the undefined conversion.
float ToFloat(double value) {
    if (value > FLT_MAX) {
        return INFINITY;
    }
    if (value < -FLT_MAX) {
        return -INFINITY;
    }
    return static_cast<float>(value);
}

SvgBounds BoxOf(float x0, float y0, float x1, float y1) {
    return SvgBounds{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

void Include(SvgBounds& box, float x, float y) {
    box.minX = std::min(box.minX, x);
    box.minY = std::min(box.minY, y);
    box.maxX = std::max(box.maxX, x);
    box.maxY = std::max(box.maxY, y);
}

double Quadratic(double a, double b, double c, double t) {
    const double u = 1.0 - t;
    return u * u * a + 2.0 * u * t * b + t * t * c;
}

double Cubic(double a, double b, double c, double d, double t) {
    const double u = 1.0 - t;
    return u * u * u * a + 3.0 * u * u * t * b + 3.0 * u * t * t * c + t * t * t * d;
}

// The interior parameters where one axis of a cubic has an extreme.
int CubicExtremes(double a, double b, double c, double d, double outT[2]) {
    int count = 0;
    const double lead = a - 3.0 * b + 3.0 * c - d;
    if (lead != 0.0) {
        const double discriminant = b * b + c * c - b * c - a * c - b * d + a * d;
        if (discriminant >= 0.0) {
            const double root = std::sqrt(discriminant);
            for (double t : {(a - 2.0 * b + c + root) / lead, (a - 2.0 * b + c - root) / lead}) {
                if (t > 0.0 && t < 1.0) {
                    outT[count++] = t;
                }
            }
        }
    } else {
        // The derivative is linear: its one root still bounds the curve.
        const double slope = a - 2.0 * b + c;
        if (slope != 0.0) {
            const double t = (a - b) / (2.0 * slope);
            if (t > 0.0 && t < 1.0) {
                outT[count++] = t;
            }
        }
    }
    return count;
}

// Whether angle lies in the sweep from start over delta (either sign).
bool InSweep(double angle, double start, double delta) {
    double offset = delta >= 0.0 ? angle - start : start - angle;
    offset = std::fmod(offset, kTwoPi);
    if (offset < 0.0) {
        offset += kTwoPi;
    }
    return offset <= std::fabs(delta);
}

double VectorAngle(double ux, double uy, double vx, double vy) {
    return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
}

void ArcBounds(float x1, float y1, float rxIn, float ryIn, float rotation, bool largeArc,
               bool sweep, float x2, float y2, SvgBounds& box) {
    double rx = std::fabs(rxIn);
    double ry = std::fabs(ryIn);
    if (rx == 0.0 || ry == 0.0 || (x1 == x2 && y1 == y2)) {
        return;
    }
    const double cosPhi = std::cos(rotation);
    const double sinPhi = std::sin(rotation);
    const double hx = (x1 - x2) / 2.0;
    const double hy = (y1 - y2) / 2.0;
    const double px = cosPhi * hx + sinPhi * hy;
    const double py = -sinPhi * hx + cosPhi * hy;
    const double lambda = px * px / (rx * rx) + py * py / (ry * ry);
    if (lambda > 1.0) {
        rx *= std::sqrt(lambda);
        ry *= std::sqrt(lambda);
    }
    const double denominator = rx * rx * py * py + ry * ry * px * px;
    double factor = 0.0;
    if (denominator > 0.0) {
        factor = std::sqrt(std::max(0.0, (rx * rx * ry * ry - denominator) / denominator));
    }
    if (largeArc == sweep) {
        factor = -factor;
    }
    const double cxp = factor * rx * py / ry;
    const double cyp = -factor * ry * px / rx;
    const double cx = cosPhi * cxp - sinPhi * cyp + (x1 + x2) / 2.0;
    const double cy = sinPhi * cxp + cosPhi * cyp + (y1 + y2) / 2.0;
    const double ux = (px - cxp) / rx;
    const double uy = (py - cyp) / ry;
    const double vx = (-px - cxp) / rx;
    const double vy = (-py - cyp) / ry;
    const double start = std::atan2(uy, ux);
    double delta = VectorAngle(ux, uy, vx, vy);
    if (!sweep && delta > 0.0) {
        delta -= kTwoPi;
    } else if (sweep && delta < 0.0) {
        delta += kTwoPi;
    }
    if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(delta)) {
        return;
    }
    // Where x and where y of the rotated ellipse have their extremes.
    const double xAngle = std::atan2(-ry * sinPhi, rx * cosPhi);
    const double yAngle = std::atan2(ry * cosPhi, rx * sinPhi);
    for (double angle : {xAngle, xAngle + kTwoPi / 2, yAngle, yAngle + kTwoPi / 2}) {
        if (InSweep(angle, start, delta)) {
            const double c = std::cos(angle);
            const double s = std::sin(angle);
            Include(box, ToFloat(cx + rx * cosPhi * c - ry * sinPhi * s),
                    ToFloat(cy + rx * sinPhi * c + ry * cosPhi * s));
        }
    }
}

}  // namespace

// ---- SvgPathTokenizer ----

SvgPathTokenizer::SvgPathTokenizer() {
    AddToSet(m_separators, " ,\t\n\r");
    AddToSet(m_commands, "+-MmZzLlHhVvCcSsQqTtAaFfPp");
    AddToSet(m_numbers, ".Ee0123456789");
}

bool SvgPathTokenizer::Has(const uint8_t* set, char c) const {
    const uint8_t u = static_cast<uint8_t>(c);
    return (set[u >> 3] & (1u << (u & 7))) != 0;
}

void SvgPathTokenizer::Begin(const char* text) {
    m_position = text;
    m_number = 0.0;
    m_command = 0;
}

void SvgPathTokenizer::ReadNumber() {
    char buffer[kMaxNumberChars + 1];
    int length = 0;
    while (length < kMaxNumberChars && (*m_position == '+' || *m_position == '-')) {
        buffer[length++] = *m_position++;
    }
    while (length < kMaxNumberChars && *m_position != '\0' && Has(m_numbers, *m_position)) {
        buffer[length++] = *m_position++;
    }
    buffer[length] = '\0';
    m_number = length > 0 ? std::atof(buffer) : 0.0;
}

bool SvgPathTokenizer::Next() {
    if (m_position == nullptr) {
        return false;
    }
    for (;;) {
        const char c = *m_position;
        if (c == '\0') {
            return false;
        }
        if (Has(m_commands, c) && c != '+' && c != '-') {
            m_command = c;
            ++m_position;
            while (*m_position != '\0' && Has(m_separators, *m_position)) {
                ++m_position;
            }
            if (*m_position == '\0') {
                return true;
            }
            ReadNumber();
            return true;
        }
        if (Has(m_numbers, c) || c == '+' || c == '-') {
            ReadNumber();
            return true;
        }
        if (!Has(m_separators, c)) {
            return false;
        }
        ++m_position;
    }
}

double SvgPathTokenizer::NextNumber(char command) {
    if (Next() && m_command == command) {
        return m_number;
    }
    return 0.0;
}

// ---- SvgPathStore ----

void SvgPathStore::PreviousPoint(float& outX, float& outY) const {
    if (m_arguments.size() < 2) {
        outX = 0.0f;
        outY = 0.0f;
        return;
    }
    outX = m_arguments[m_arguments.size() - 2];
    outY = m_arguments[m_arguments.size() - 1];
}

void SvgPathStore::Widen(const SvgBounds& box) {
    if (m_bounds.IsEmpty()) {
        m_bounds = box;
    } else {
        Include(m_bounds, box.minX, box.minY);
        Include(m_bounds, box.maxX, box.maxY);
    }
}

void SvgPathStore::MoveTo(float x, float y) {
    m_commands.push_back(SvgPathCommand::Move);
    m_arguments.insert(m_arguments.end(), {x, y});
}

void SvgPathStore::LineTo(float x, float y) {
    float px = 0.0f;
    float py = 0.0f;
    PreviousPoint(px, py);
    m_commands.push_back(SvgPathCommand::Line);
    m_arguments.insert(m_arguments.end(), {x, y});
    Widen(BoxOf(px, py, x, y));
}

void SvgPathStore::QuadTo(float cx, float cy, float x, float y) {
    float px = 0.0f;
    float py = 0.0f;
    PreviousPoint(px, py);
    m_commands.push_back(SvgPathCommand::Quad);
    m_arguments.insert(m_arguments.end(), {cx, cy, x, y});
    SvgBounds box = BoxOf(px, py, x, y);
    const float starts[2] = {px, py};
    const float controls[2] = {cx, cy};
    const float ends[2] = {x, y};
    for (int axis = 0; axis < 2; ++axis) {
        const double a = starts[axis];
        const double b = controls[axis];
        const double c = ends[axis];
        const double denominator = a - 2.0 * b + c;
        if (denominator == 0.0) {
            continue;
        }
        const double t = (a - b) / denominator;
        if (t > 0.0 && t < 1.0) {
            const float value = ToFloat(Quadratic(a, b, c, t));
            if (axis == 0) {
                Include(box, value, box.minY);
            } else {
                Include(box, box.minX, value);
            }
        }
    }
    Widen(box);
}

void SvgPathStore::CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) {
    float px = 0.0f;
    float py = 0.0f;
    PreviousPoint(px, py);
    m_commands.push_back(SvgPathCommand::Cubic);
    m_arguments.insert(m_arguments.end(), {c1x, c1y, c2x, c2y, x, y});
    SvgBounds box = BoxOf(px, py, x, y);
    const float points[2][4] = {{px, c1x, c2x, x}, {py, c1y, c2y, y}};
    for (int axis = 0; axis < 2; ++axis) {
        const float* p = points[axis];
        double roots[2];
        const int count = CubicExtremes(p[0], p[1], p[2], p[3], roots);
        for (int i = 0; i < count; ++i) {
            const float value = ToFloat(Cubic(p[0], p[1], p[2], p[3], roots[i]));
            if (axis == 0) {
                Include(box, value, box.minY);
            } else {
                Include(box, box.minX, value);
            }
        }
    }
    Widen(box);
}

void SvgPathStore::ArcTo(float rx, float ry, float rotation, bool largeArc, bool sweep, float x,
                         float y) {
    float px = 0.0f;
    float py = 0.0f;
    PreviousPoint(px, py);
    m_commands.push_back(SvgPathCommand::Arc);
    m_arguments.insert(m_arguments.end(),
                       {rx, ry, rotation, largeArc ? 1.0f : 0.0f, sweep ? 1.0f : 0.0f, x, y});
    SvgBounds box = BoxOf(px, py, x, y);
    ArcBounds(px, py, rx, ry, rotation, largeArc, sweep, x, y, box);
    Widen(box);
}

void SvgPathStore::Close() {
    m_commands.push_back(SvgPathCommand::Close);
}

void SvgPathStore::End() {
    m_commands.push_back(SvgPathCommand::End);
}

void SvgPathStore::Replay(SvgPathSink& sink) const {
    const float* a = m_arguments.data();
    for (uint8_t command : m_commands) {
        switch (command) {
            case SvgPathCommand::Move:
                sink.MoveTo(a[0], a[1]);
                a += 2;
                break;
            case SvgPathCommand::Line:
                sink.LineTo(a[0], a[1]);
                a += 2;
                break;
            case SvgPathCommand::Quad:
                sink.QuadTo(a[0], a[1], a[2], a[3]);
                a += 4;
                break;
            case SvgPathCommand::Cubic:
                sink.CubicTo(a[0], a[1], a[2], a[3], a[4], a[5]);
                a += 6;
                break;
            case SvgPathCommand::Arc:
                sink.ArcTo(a[0], a[1], a[2], a[3] != 0.0f, a[4] != 0.0f, a[5], a[6]);
                a += 7;
                break;
            case SvgPathCommand::Close:
                sink.Close();
                break;
            default:
                sink.End();
                break;
        }
    }
}

// ---- the builder ----

void BuildSvgPath(const char* pathData, SvgPathSink& sink) {
    SvgPathTokenizer tokens;
    tokens.Begin(pathData);
    float x = 0.0f;
    float y = 0.0f;
    while (tokens.Next()) {
        const char command = tokens.GetCommand();
        const float first = ToFloat(tokens.GetNumber());
        auto next = [&tokens, command] { return ToFloat(tokens.NextNumber(command)); };
        switch (command) {
            case 'M':
            case 'm':
            case 'L':
            case 'l': {
                const bool relative = command == 'm' || command == 'l';
                float nx = first;
                float ny = next();
                if (relative) {
                    nx += x;
                    ny += y;
                }
                x = nx;
                y = ny;
                if (command == 'M' || command == 'm') {
                    sink.MoveTo(x, y);
                } else {
                    sink.LineTo(x, y);
                }
                break;
            }
            case 'H':
            case 'h':
                x = command == 'h' ? x + first : first;
                sink.LineTo(x, y);
                break;
            case 'V':
            case 'v':
                y = command == 'v' ? y + first : first;
                sink.LineTo(x, y);
                break;
            case 'C':
            case 'c': {
                float v[6] = {first, next(), next(), next(), next(), next()};
                if (command == 'c') {
                    for (int i = 0; i < 6; i += 2) {
                        v[i] += x;
                        v[i + 1] += y;
                    }
                }
                sink.CubicTo(v[0], v[1], v[2], v[3], v[4], v[5]);
                x = v[4];
                y = v[5];
                break;
            }
            case 'Q':
            case 'q': {
                float v[4] = {first, next(), next(), next()};
                if (command == 'q') {
                    for (int i = 0; i < 4; i += 2) {
                        v[i] += x;
                        v[i + 1] += y;
                    }
                }
                sink.QuadTo(v[0], v[1], v[2], v[3]);
                x = v[2];
                y = v[3];
                break;
            }
            case 'A':
            case 'a': {
                const float rx = first;
                const float ry = next();
                const float rotation = ToFloat(next() * 3.1415927 / 180.0);
                const bool largeArc = next() != 0.0f;
                const bool sweep = next() != 0.0f;
                float nx = next();
                float ny = next();
                if (command == 'a') {
                    nx += x;
                    ny += y;
                }
                sink.ArcTo(rx, ry, rotation, largeArc, sweep, nx, ny);
                x = nx;
                y = ny;
                break;
            }
            case 'Z':
            case 'z':
                sink.Close();
                break;
            default:  // S, T, F, P: their numbers are read and dropped
                break;
        }
    }
}

}  // namespace Varnok
