// Rasterising a document through AGG: the backend that the nodes draw into,
// solid and gradient painting, and the image it fills.
#include "engine/text/vector/VectorImage.h"

#include "engine/core/Log.h"
#include "engine/text/vector/SvgDocument.h"
#include "engine/text/vector/SvgRenderBackend.h"

#include <agg_basics.h>
#include <agg_color_rgba.h>
#include <agg_conv_curve.h>
#include <agg_conv_stroke.h>
#include <agg_conv_transform.h>
#include <agg_ellipse.h>
#include <agg_math.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>
#include <agg_span_gradient.h>
#include <agg_span_interpolator_linear.h>
#include <agg_trans_affine.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Varnok {
namespace {

// Geometry beyond these is clamped: AGG converts coordinates to integers,
// and the curve flattener and stroker never end on infinities.
constexpr double kMaxUserCoordinate = 1.0e7;
constexpr double kMaxPixelCoordinate = 1.0e9;
constexpr double kMaxStrokeWidth = 1.0e6;
constexpr double kHairlineWidth = 0.6;
// Gradient coordinates in the interpolator's 1/256 units that integer
// arithmetic downstream still holds.
constexpr double kMaxGradientSubpixel = 536870912.0;  // 2^29
constexpr int kMaxGradientValue = 1 << 22;
constexpr int kGradientTableSize = 256;
constexpr double kGradientScale = 256.0;

double Sane(double value, double limit) {
    if (!(value == value)) {
        return 0.0;  // NaN
    }
    return std::max(-limit, std::min(limit, value));
}

float SaneUser(float value) {
    return static_cast<float>(Sane(value, kMaxUserCoordinate));
}

// The plain (not premultiplied) rgba blend over B, G, R, A pixels, with a
// coverage weight of (cover + 1) / 256 and truncating arithmetic: the
// results the texture expects, which AGG 2.6's rounding blender does not give.
struct BlenderBgraPlain : agg::conv_rgba_pre<agg::rgba8, agg::order_bgra> {
    using color_type = agg::rgba8;
    using order_type = agg::order_bgra;
    using value_type = agg::int8u;
    using calc_type = unsigned;

    static void Blend(value_type* p, unsigned cr, unsigned cg, unsigned cb, unsigned a) {
        if (a == 255) {
            p[order_type::R] = static_cast<value_type>(cr);
            p[order_type::G] = static_cast<value_type>(cg);
            p[order_type::B] = static_cast<value_type>(cb);
            p[order_type::A] = 255;
            return;
        }
        const int alpha = static_cast<int>(a);
        auto channel = [alpha](int c, int old) {
            return static_cast<value_type>(((c - old) * alpha + (old << 8)) >> 8);
        };
        p[order_type::R] = channel(static_cast<int>(cr), p[order_type::R]);
        p[order_type::G] = channel(static_cast<int>(cg), p[order_type::G]);
        p[order_type::B] = channel(static_cast<int>(cb), p[order_type::B]);
        const unsigned pa = p[order_type::A];
        p[order_type::A] = static_cast<value_type>(a + pa - ((a * pa + 255) >> 8));
    }
    static AGG_INLINE void blend_pix(value_type* p, value_type cr, value_type cg, value_type cb,
                                     value_type alpha, agg::cover_type cover) {
        Blend(p, cr, cg, cb, (static_cast<unsigned>(alpha) * (cover + 1u)) >> 8);
    }
    static AGG_INLINE void blend_pix(value_type* p, value_type cr, value_type cg, value_type cb,
                                     value_type alpha) {
        Blend(p, cr, cg, cb, alpha);
    }
};

using PixelFormat = agg::pixfmt_alpha_blend_rgba<BlenderBgraPlain, agg::rendering_buffer>;
using RendererBase = agg::renderer_base<PixelFormat>;
using Rasterizer = agg::rasterizer_scanline_aa<agg::rasterizer_sl_clip_dbl>;

// Passes a vertex source on with every coordinate finite and bounded.
template <typename Source>
class BoundedVertices {
public:
    explicit BoundedVertices(Source& source) : m_source(source) {}
    void rewind(unsigned pathId) { m_source.rewind(pathId); }
    unsigned vertex(double* x, double* y) {
        *x = 0.0;  // a stop leaves them unwritten, and AGG's caller reads them
        *y = 0.0;
        const unsigned command = m_source.vertex(x, y);
        if (agg::is_vertex(command)) {
            *x = Sane(*x, kMaxPixelCoordinate);
            *y = Sane(*y, kMaxPixelCoordinate);
        }
        return command;
    }

private:
    Source& m_source;
};

// The gradient's 256 colours, as AGG's span gradient reads them.
struct ColourTable {
    agg::rgba8 entries[kGradientTableSize];
    static unsigned size() { return kGradientTableSize; }
    const agg::rgba8& operator[](unsigned i) const { return entries[i]; }
};

agg::rgba8 ToAgg(const Colour& colour) {
    return agg::rgba8(colour.r, colour.g, colour.b, colour.a);
}

// Stop positions in 1/2040 of the gradient: offset k / 255 lands on entry k.
int64_t StopPosition(float offset) {
    const double position = static_cast<double>(offset) * 255.0 * 8.0;
    if (!(position > -1.0e15)) {
        return INT64_MIN / 2;  // no offset (or NaN): below every entry
    }
    return static_cast<int64_t>(std::min(position, 1.0e15));
}

void BuildColourTable(const std::vector<SvgGradientStop>& stops, ColourTable& table) {
    const size_t count = stops.size();
    const int64_t firstPosition = StopPosition(stops[0].offset);
    int k = 0;
    if (firstPosition >= 0) {
        for (; k < kGradientTableSize && 8 * k <= firstPosition; ++k) {
            table.entries[k] = ToAgg(stops[0].colour);
        }
    }
    size_t current = 0;
    size_t previous = 0;
    for (; k < kGradientTableSize; ++k) {
        while (8 * k > StopPosition(stops[current].offset)) {
            previous = current;
            ++current;
            if (current >= count) {
                for (; k < kGradientTableSize; ++k) {
                    table.entries[k] = ToAgg(stops[count - 1].colour);
                }
                return;
            }
        }
        const double p0 = static_cast<double>(StopPosition(stops[previous].offset));
        const double p1 = static_cast<double>(StopPosition(stops[current].offset));
        const float t = static_cast<float>((8.0 * k - p0) / (p1 - p0));
        const Colour& a = stops[previous].colour;
        const Colour& b = stops[current].colour;
        // x (1 - t) + y t, written so that equal channels stay exact.
        auto mix = [t](uint8_t x, uint8_t y) {
            return static_cast<agg::int8u>(x + (y - x) * t);
        };
        table.entries[k] = agg::rgba8(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a));
    }
}

// Gradient value functions in AGG's 1/16 units. They give AGG's results
// wherever AGG's integer arithmetic holds and stay defined beyond it.
struct GradientLinear {
    static int calculate(int x, int, int) { return x; }
};

struct GradientCircle {
    static int calculate(int x, int y, int) {
        const int64_t square = static_cast<int64_t>(x) * x + static_cast<int64_t>(y) * y;
        if (square <= static_cast<int64_t>(UINT32_MAX)) {
            return static_cast<int>(agg::fast_sqrt(static_cast<unsigned>(square)));
        }
        return static_cast<int>(std::sqrt(static_cast<double>(square)));
    }
};

// AGG's focal radial gradient; a focus outside the circle is moved onto it,
// as SVG says.
class GradientFocal {
public:
    GradientFocal(double radius, double fx, double fy) {
        const double length = std::sqrt(fx * fx + fy * fy);
        if (length > radius) {
            fx *= radius / length;
            fy *= radius / length;
        }
        m_r = agg::iround(radius * agg::gradient_subpixel_scale);
        m_fx = agg::iround(fx * agg::gradient_subpixel_scale);
        m_fy = agg::iround(fy * agg::gradient_subpixel_scale);
        m_r2 = double(m_r) * m_r;
        double d = m_r2 - (double(m_fx) * m_fx + double(m_fy) * m_fy);
        if (d == 0) {
            if (m_fx != 0) {
                m_fx += m_fx < 0 ? 1 : -1;
            }
            if (m_fy != 0) {
                m_fy += m_fy < 0 ? 1 : -1;
            }
            d = m_r2 - (double(m_fx) * m_fx + double(m_fy) * m_fy);
        }
        m_mul = m_r / d;
    }
    int calculate(int x, int y, int) const {
        const double dx = x - m_fx;
        const double dy = y - m_fy;
        const double d2 = dx * m_fy - dy * m_fx;
        const double d3 = m_r2 * (dx * dx + dy * dy) - d2 * d2;
        const double value = (dx * m_fx + dy * m_fy + std::sqrt(std::fabs(d3))) * m_mul;
        return agg::iround(Sane(value, kMaxGradientValue));
    }

private:
    int m_r = 0;
    int m_fx = 0;
    int m_fy = 0;
    double m_r2 = 0.0;
    double m_mul = 0.0;
};

// Keeps the value small enough for the span generator's index arithmetic.
template <typename Function>
struct GradientBounded {
    const Function& function;
    int calculate(int x, int y, int d) const {
        const int value = function.calculate(x, y, d);
        return std::max(-kMaxGradientValue, std::min(kMaxGradientValue, value));
    }
};

// A per-pixel interpolator for gradient matrices whose coordinates would
// overflow AGG's line interpolator: exact transforms, clamped.
class ClampedInterpolator {
public:
    using trans_type = agg::trans_affine;
    enum { subpixel_shift = 8, subpixel_scale = 1 << subpixel_shift };

    explicit ClampedInterpolator(const agg::trans_affine& matrix) : m_matrix(matrix) {}
    void begin(double x, double y, unsigned) {
        m_x = x;
        m_y = y;
    }
    void operator++() { m_x += 1.0; }
    void coordinates(int* x, int* y) const {
        double tx = m_x;
        double ty = m_y;
        m_matrix.transform(&tx, &ty);
        *x = agg::iround(Sane(tx * subpixel_scale, kMaxGradientSubpixel));
        *y = agg::iround(Sane(ty * subpixel_scale, kMaxGradientSubpixel));
    }

private:
    const agg::trans_affine& m_matrix;
    double m_x = 0.0;
    double m_y = 0.0;
};

agg::trans_affine ToAgg(const SvgAffine& m) {
    return agg::trans_affine(m.a, m.b, m.c, m.d, m.e, m.f);
}

bool IsFinite(const agg::trans_affine& m) {
    return std::isfinite(m.sx) && std::isfinite(m.shy) && std::isfinite(m.shx) &&
           std::isfinite(m.sy) && std::isfinite(m.tx) && std::isfinite(m.ty);
}

class AggBackend final : public SvgRenderBackend {
public:
    AggBackend(VectorRasterImage& image)
        : m_buffer(image.GetPixels(), image.GetWidth(), image.GetHeight(),
                   static_cast<int>(image.GetWidth() * 4)),
          m_pixels(m_buffer),
          m_renderer(m_pixels),
          m_width(image.GetWidth()),
          m_height(image.GetHeight()) {
        m_rasterizer.clip_box(0, 0, m_width, m_height);
    }

    void MoveTo(float x, float y) override { m_path.move_to(SaneUser(x), SaneUser(y)); }
    void LineTo(float x, float y) override { m_path.line_to(SaneUser(x), SaneUser(y)); }
    void QuadTo(float cx, float cy, float x, float y) override {
        m_path.curve3(SaneUser(cx), SaneUser(cy), SaneUser(x), SaneUser(y));
    }
    void CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) override {
        m_path.curve4(SaneUser(c1x), SaneUser(c1y), SaneUser(c2x), SaneUser(c2y), SaneUser(x),
                      SaneUser(y));
    }
    void ArcTo(float rx, float ry, float rotation, bool largeArc, bool sweep, float x,
               float y) override {
        m_path.arc_to(SaneUser(rx), SaneUser(ry), Sane(rotation, 1.0e6), largeArc, sweep,
                      SaneUser(x), SaneUser(y));
    }
    void Close() override {
        if (m_path.total_vertices() > 1) {
            m_path.end_poly(agg::path_flags_close);
        }
    }
    void End() override {}

    void Begin(const SvgRenderStyle& style, const SvgBounds& bounds) override {
        m_style = style;
        m_bounds = bounds;
        m_path.remove_all();
    }

    void Draw() override {
        if (m_path.total_vertices() < 2) {
            return;
        }
        agg::conv_curve<agg::path_storage> curve(m_path);
        curve.approximation_scale(1.0);
        DrawShape(curve);
    }

    void Ellipse(const SvgRenderStyle& style, float cx, float cy, float rx, float ry) override {
        m_style = style;
        m_bounds = SvgBounds{cx - rx, cy - ry, cx + rx, cy + ry};
        m_path.remove_all();
        const double srx = Sane(rx, kMaxUserCoordinate);
        const double sry = Sane(ry, kMaxUserCoordinate);
        const double ra = (std::fabs(srx) + std::fabs(sry)) / 2.0;
        const double step = 2.0 * std::acos(ra / (ra + 0.125));
        const double steps = step > 0.0 ? std::round(2.0 * agg::pi / step) : 0.0;
        const unsigned count = static_cast<unsigned>(std::max(3.0, std::min(steps, 65536.0)));
        agg::ellipse ellipse(Sane(cx, kMaxUserCoordinate), Sane(cy, kMaxUserCoordinate), srx, sry,
                             count, false);
        DrawShape(ellipse);
    }

private:
    template <typename Source>
    void AddPath(Source& source) {
        BoundedVertices<Source> bounded(source);
        m_rasterizer.add_path(bounded);
    }

    void ResetRasterizer() {
        m_rasterizer.reset();
        m_rasterizer.filling_rule(m_style.fillRule == SvgFillRule::EvenOdd ? agg::fill_even_odd
                                                                           : agg::fill_non_zero);
    }

    template <typename Source>
    static void SetRound(agg::conv_stroke<Source>& stroke, double width) {
        stroke.width(width);
        stroke.line_cap(agg::round_cap);
        stroke.line_join(agg::round_join);
        stroke.inner_join(agg::inner_round);
        stroke.miter_limit(2.0);
    }

    template <typename Source>
    void DrawShape(Source& source) {
        agg::trans_affine matrix = ToAgg(m_style.matrix);
        if (m_style.fill.type != SvgPaintType::None) {
            ResetRasterizer();
            agg::conv_transform<Source> transformed(source, matrix);
            AddPath(transformed);
            Paint(m_style.fill, m_style.fillOpacity);
        }
        if (m_style.stroke.type != SvgPaintType::None) {
            ResetRasterizer();
            if (m_style.strokeWidth > 0.0f) {
                // Stroked in user space: the width scales with the matrix.
                agg::conv_stroke<Source> stroke(source);
                SetRound(stroke, std::min<double>(m_style.strokeWidth, kMaxStrokeWidth));
                agg::conv_transform<agg::conv_stroke<Source>> transformed(stroke, matrix);
                AddPath(transformed);
            } else {
                // A hairline in pixels, whatever the scale.
                agg::conv_transform<Source> transformed(source, matrix);
                agg::conv_stroke<agg::conv_transform<Source>> stroke(transformed);
                SetRound(stroke, kHairlineWidth);
                AddPath(stroke);
            }
            Paint(m_style.stroke, 1.0f);
        }
    }

    void Paint(const SvgPaint& paint, float opacity) {
        if (paint.type == SvgPaintType::Colour) {
            const float clamped = opacity > 0.0f ? std::min(opacity, 1.0f) : 0.0f;
            agg::rgba8 colour = ToAgg(paint.colour);
            colour.a = static_cast<agg::int8u>(paint.colour.a * clamped);
            agg::render_scanlines_aa_solid(m_rasterizer, m_scanline, m_renderer, colour);
        } else if (paint.type == SvgPaintType::Gradient && paint.gradient != nullptr &&
                   paint.gradient->stops.size() >= 2) {
            FillGradient(*paint.gradient);
        }
    }

    // Pixel centres to the gradient's space, in which it runs from 0 to 256;
    // false when the chain has no inverse.
    bool GradientMatrix(const SvgGradient& gradient, agg::trans_affine& outMatrix) const {
        // Built forwards (gradient space to pixels), then inverted once.
        agg::trans_affine forward = agg::trans_affine_scaling(1.0 / kGradientScale);
        const float* c = gradient.coords;
        if (gradient.kind == SvgGradientKind::Linear) {
            const double dx = double(c[2]) - c[0];
            const double dy = double(c[3]) - c[1];
            forward *= agg::trans_affine(dx, dy, -dy, dx, c[0], c[1]);
        } else {
            forward *= agg::trans_affine_scaling(c[2]);
            forward *= agg::trans_affine_translation(c[0], c[1]);
        }
        if (gradient.units == SvgGradientUnits::ObjectBoundingBox) {
            forward *= agg::trans_affine_scaling(double(m_bounds.maxX) - m_bounds.minX,
                                                 double(m_bounds.maxY) - m_bounds.minY);
            forward *= agg::trans_affine_translation(m_bounds.minX, m_bounds.minY);
        }
        forward *= ToAgg(gradient.transform);
        forward *= ToAgg(m_style.matrix);
        const double determinant = forward.determinant();
        if (!IsFinite(forward) || !std::isfinite(determinant) || determinant == 0.0) {
            return false;
        }
        outMatrix = forward;
        outMatrix.invert();
        return IsFinite(outMatrix);
    }

    // Whether AGG's line interpolator's integers hold over the whole image.
    bool FitsLineInterpolator(const agg::trans_affine& matrix) const {
        const double corners[4][2] = {{0, 0}, {double(m_width) + 1, 0}, {0, double(m_height) + 1},
                                      {double(m_width) + 1, double(m_height) + 1}};
        for (const auto& corner : corners) {
            double x = corner[0];
            double y = corner[1];
            matrix.transform(&x, &y);
            if (!(std::fabs(x * 256.0) < kMaxGradientSubpixel / 2 &&
                  std::fabs(y * 256.0) < kMaxGradientSubpixel / 2)) {
                return false;
            }
        }
        return true;
    }

    template <typename Interpolator, typename Function>
    void RenderGradient(Interpolator& interpolator, const Function& function,
                        const ColourTable& table) {
        using Bounded = GradientBounded<Function>;
        Bounded bounded{function};
        agg::span_allocator<agg::rgba8> allocator;
        agg::span_gradient<agg::rgba8, Interpolator, const Bounded, const ColourTable> spans(
            interpolator, bounded, table, 0, kGradientScale);
        agg::render_scanlines_aa(m_rasterizer, m_scanline, m_renderer, allocator, spans);
    }

    template <typename Interpolator, typename Function>
    void RenderSpread(Interpolator& interpolator, const Function& function, int32_t spread,
                      const ColourTable& table) {
        if (spread == SvgSpread::Reflect) {
            agg::gradient_reflect_adaptor<Function> reflect(function);
            RenderGradient(interpolator, reflect, table);
        } else if (spread == SvgSpread::Repeat) {
            agg::gradient_repeat_adaptor<Function> repeat(function);
            RenderGradient(interpolator, repeat, table);
        } else {
            RenderGradient(interpolator, function, table);
        }
    }

    template <typename Interpolator>
    void RenderKind(Interpolator& interpolator, const SvgGradient& gradient,
                    const ColourTable& table) {
        const float* c = gradient.coords;
        if (gradient.kind == SvgGradientKind::Linear) {
            RenderSpread(interpolator, GradientLinear{}, gradient.spread, table);
        } else if (c[3] == c[0] && c[4] == c[1]) {
            RenderSpread(interpolator, GradientCircle{}, gradient.spread, table);
        } else {
            const GradientFocal focal(kGradientScale, (double(c[3]) - c[0]) / c[2] * kGradientScale,
                                      (double(c[4]) - c[1]) / c[2] * kGradientScale);
            RenderSpread(interpolator, focal, gradient.spread, table);
        }
    }

    void FillGradient(const SvgGradient& gradient) {
        agg::trans_affine matrix;
        if (!GradientMatrix(gradient, matrix)) {
            // No inverse (coincident points, a zero radius or a flat shape):
            // the area takes the last stop's colour, as SVG does.
            agg::render_scanlines_aa_solid(m_rasterizer, m_scanline, m_renderer,
                                           ToAgg(gradient.stops.back().colour));
            return;
        }
        ColourTable table;
        BuildColourTable(gradient.stops, table);
        if (FitsLineInterpolator(matrix)) {
            agg::span_interpolator_linear<> interpolator(matrix);
            RenderKind(interpolator, gradient, table);
        } else {
            ClampedInterpolator interpolator(matrix);
            RenderKind(interpolator, gradient, table);
        }
    }

    agg::rendering_buffer m_buffer;
    PixelFormat m_pixels;
    RendererBase m_renderer;
    Rasterizer m_rasterizer;
    agg::scanline_u8 m_scanline;
    agg::path_storage m_path;
    SvgRenderStyle m_style;
    SvgBounds m_bounds;
    unsigned m_width;
    unsigned m_height;
};

}  // namespace

// ---- VectorRasterImage ----

VectorRasterImage::VectorRasterImage(uint32_t width, uint32_t height)
    : m_width(width), m_height(height),
      m_pixels(static_cast<size_t>(width) * height * 4, 0) {
    description = FlatDescription(kBgra8Descriptor, static_cast<uint16_t>(width),
                                  static_cast<uint16_t>(height));
}

const uint8_t* VectorRasterImage::GetData(int image, int level, size_t& outByteCount) const {
    if (image != 0 || level != 0 || m_pixels.empty()) {
        outByteCount = 0;
        return nullptr;
    }
    outByteCount = m_pixels.size();
    return m_pixels.data();
}

// ---- VectorImage ----

VectorImage::VectorImage() = default;
VectorImage::~VectorImage() = default;

void VectorImage::SetDocument(std::unique_ptr<SvgDocument> document) {
    m_ownedDocument = std::move(document);
    m_document = m_ownedDocument.get();
}

void VectorImage::SetDocument(const SvgDocument* document) {
    m_ownedDocument.reset();
    m_document = document;
}

void VectorImage::SetSourceRect(const SvgBounds* rect) {
    m_hasSourceRect = rect != nullptr;
    if (rect != nullptr) {
        m_sourceRect = *rect;
    }
}

std::unique_ptr<VectorRasterImage> VectorImage::Rasterize(const VectorRasterParams& params) const {
    if (m_document == nullptr) {
        return nullptr;
    }
    if (params.width > kMaxSide || params.height > kMaxSide) {
        Log("VectorImage: %ux%u pixels asked for; sides above %u are not rasterised",
            params.width, params.height, kMaxSide);
        return nullptr;
    }
    auto image = std::make_unique<VectorRasterImage>(params.width, params.height);
    if (params.width == 0 || params.height == 0) {
        return image;
    }
    const SvgBounds rect = m_hasSourceRect ? m_sourceRect : m_document->GetLocalBounds();
    const float rectWidth = rect.maxX - rect.minX;
    const float rectHeight = rect.maxY - rect.minY;
    if (!(rectWidth != 0.0f && rectHeight != 0.0f && std::isfinite(rectWidth) &&
          std::isfinite(rectHeight))) {
        return image;  // nothing to map: stays transparent
    }
    const float sx = 1.0f / rectWidth;
    const float sy = 1.0f / rectHeight;
    const float tx = -rect.minX * sx - 0.5f;
    const float ty = -rect.minY * sy - 0.5f;
    const float w = static_cast<float>(params.width);
    const float h = static_cast<float>(params.height);
    const SvgAffine& m = params.matrix;

    SvgRenderStyle style;
    style.strokeWidth = 0.0f;
    style.stroke.type = SvgPaintType::Colour;
    style.stroke.colour = kColourBlack;
    style.fill.type = SvgPaintType::Colour;
    style.fill.colour = kColourBlack;
    style.fillOpacity = 1.0f;
    style.fillRule = SvgFillRule::NonZero;
    style.matrix = SvgAffine{w * m.a * sx,
                             h * m.b * sx,
                             w * m.c * sy,
                             h * m.d * sy,
                             w / 2 + w * (m.e + m.c * ty + m.a * tx),
                             h / 2 + h * (m.f + m.d * ty + m.b * tx)};
    AggBackend backend(*image);
    m_document->Render(style, backend);
    return image;
}

}  // namespace Varnok
