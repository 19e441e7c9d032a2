// Clipping UI outlines: 10,000 quads cut by one convex outline turned 30
// degrees, with the UI's own UIClipPolygon against Boost.Geometry's
// intersection on the same polygons. Both sides get their polygons built
// before timing and reuse their output storage; each is checked by the total
// clipped area.
#include "bench/SideBySide.h"
#include "engine/ui/UIClip.h"
#include "engine/ui/UITransform.h"

#include <boost/geometry.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

namespace bg = boost::geometry;
using BoostPoint = bg::model::d2::point_xy<float>;
using BoostPolygon = bg::model::polygon<BoostPoint>;

constexpr int kQuadCount = 10000;
constexpr int kBatches = 15;  // timed passes over all quads; the median counts

Varnok::UIVertexList Quad(float x0, float y0, float x1, float y1) {
    Varnok::UIVertexList quad(4, Varnok::DefaultUIVertex());
    const float corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    for (int i = 0; i < 4; ++i) {
        quad[i].x = corners[i][0];
        quad[i].y = corners[i][1];
    }
    return quad;
}

// The workspace's quads, the same for both sides: anywhere on a 480 x 320
// screen, 10 to 90 units a side.
std::vector<Varnok::UIVertexList> Quads() {
    std::mt19937 random(28);
    std::uniform_real_distribution<float> x(-40.0f, 480.0f);
    std::uniform_real_distribution<float> y(-40.0f, 320.0f);
    std::uniform_real_distribution<float> side(10.0f, 90.0f);
    std::vector<Varnok::UIVertexList> quads;
    for (int i = 0; i < kQuadCount; ++i) {
        const float left = x(random);
        const float top = y(random);
        quads.push_back(Quad(left, top, left + side(random), top + side(random)));
    }
    return quads;
}

// A 300 x 180 panel turned 30 degrees about the screen's centre.
Varnok::UIVertexList ClipOutline() {
    Varnok::UITransform turn;
    Varnok::UITransform::FromPositionRotationScale(turn, Varnok::Vector3{240.0f, 160.0f, 0.0f}, 30.0f,
                                                   Varnok::Vector3{1.0f, 1.0f, 1.0f});
    Varnok::UIVertexList outline = Quad(-150.0f, -90.0f, 150.0f, 90.0f);
    Varnok::UITransform::TransformVertices(turn, outline, outline);
    return outline;
}

double Area(const Varnok::UIVertexList& polygon) {
    double twice = 0.0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const auto& a = polygon[i];
        const auto& b = polygon[(i + 1) % polygon.size()];
        twice += double(a.x) * b.y - double(b.x) * a.y;
    }
    return std::fabs(twice) * 0.5;
}

template <typename Pass>
double MedianMsPerPass(Pass pass) {
    std::vector<double> ms;
    for (int i = 0; i < kBatches; ++i) {
        const auto start = std::chrono::steady_clock::now();
        pass();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

double Ours() {
    const std::vector<Varnok::UIVertexList> quads = Quads();
    const Varnok::UIVertexList clip = ClipOutline();
    Varnok::UIVertexList out;
    Varnok::UIVertexList temp;
    out.reserve(16);
    temp.reserve(16);
    double area = 0.0;
    const double ms = MedianMsPerPass([&] {
        area = 0.0;
        for (const Varnok::UIVertexList& quad : quads) {
            Varnok::UIClipPolygon(clip, quad, out, temp);
            area += Area(out);
        }
    });
    std::printf("  UIClipPolygon: clipped area %.0f\n", area);
    return ms;
}

BoostPolygon ToBoost(const Varnok::UIVertexList& vertices) {
    BoostPolygon polygon;
    for (const auto& v : vertices) {
        bg::append(polygon.outer(), BoostPoint(v.x, v.y));
    }
    bg::correct(polygon);  // orientation and closing point, as Boost wants them
    return polygon;
}

double BoostSide() {
    const std::vector<Varnok::UIVertexList> quads = Quads();
    std::vector<BoostPolygon> subjects;
    subjects.reserve(quads.size());
    for (const Varnok::UIVertexList& quad : quads) {
        subjects.push_back(ToBoost(quad));
    }
    const BoostPolygon clip = ToBoost(ClipOutline());
    std::vector<BoostPolygon> out;
    double area = 0.0;
    const double ms = MedianMsPerPass([&] {
        area = 0.0;
        for (const BoostPolygon& subject : subjects) {
            out.clear();
            bg::intersection(clip, subject, out);
            for (const BoostPolygon& piece : out) {
                area += std::fabs(bg::area(piece));
            }
        }
    });
    std::printf("  boost::geometry::intersection: clipped area %.0f\n", area);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "10,000 quads (10 to 90 units a side, anywhere on a 480 x 320 screen) clipped by a "
        "300 x 180 outline turned 30 degrees; output storage reused on both sides";
    comparison.unit = "ms per 10,000 quads";
    comparison.contenders = {{"UIClipPolygon", Ours}, {"boost::geometry::intersection", BoostSide}};
    return Bench::RunSideBySide(argc, argv, comparison);
}
