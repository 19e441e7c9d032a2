// Rasterising documents: coverage, blending, strokes, shapes and gradients.
#include "engine/text/vector/VectorImage.h"

#include "tests/engine/text/vector/SvgTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

std::unique_ptr<VectorRasterImage> Rasterize(const std::string& body, uint32_t width,
                                             uint32_t height, const std::string& root = "") {
    auto document = LoadSvgBody(body, root);
    EXPECT_NE(document, nullptr);
    VectorImage image;
    image.SetDocument(std::move(document));
    auto raster = image.Rasterize(VectorRasterParams{width, height, {}});
    EXPECT_NE(raster, nullptr);
    return raster;
}

void ExpectPixel(const Bgra& p, int b, int g, int r, int a, int tolerance = 0) {
    EXPECT_NEAR(p.b, b, tolerance);
    EXPECT_NEAR(p.g, g, tolerance);
    EXPECT_NEAR(p.r, r, tolerance);
    EXPECT_NEAR(p.a, a, tolerance);
}

// The covered pixels of one column, counted by alpha.
float ColumnCoverage(const VectorRasterImage& image, uint32_t x) {
    float sum = 0;
    for (uint32_t y = 0; y < image.GetHeight(); ++y) {
        sum += PixelOf(image, x, y).a / 255.0f;
    }
    return sum;
}

const char* kTenBox = "viewBox='0 0 10 10'";

TEST(VectorImage, RasterIsABgraImageOfTheAskedSize) {
    auto raster = Rasterize("", 3, 2);
    EXPECT_EQ(PixelFormat::Compare(raster->description.pixelFormat, kBgra8Descriptor), 0);
    const uint8_t expected[12] = {0, 0, 0, 0, 8, 4, 8, 3, 8, 2, 8, 1};
    EXPECT_EQ(memcmp(&raster->description.pixelFormat, expected, 12), 0);
    EXPECT_EQ(raster->description.width, 3);
    EXPECT_EQ(raster->description.height, 2);
    EXPECT_EQ(raster->description.apparentWidth, 3u);
    size_t bytes = 0;
    EXPECT_NE(raster->GetData(0, 0, bytes), nullptr);
    EXPECT_EQ(bytes, 24u);
    for (uint8_t b : raster->GetBytes()) {
        EXPECT_EQ(b, 0);  // an empty document is transparent
    }
    EXPECT_EQ(Rasterize("", 0, 5)->GetBytes().size(), 0u);
    VectorImage empty;
    EXPECT_EQ(empty.Rasterize(VectorRasterParams{4, 4, {}}), nullptr);
    VectorImage huge;
    auto document = LoadSvgBody("");
    huge.SetDocument(document.get());
    EXPECT_EQ(huge.Rasterize(VectorRasterParams{70000, 1, {}}), nullptr);
}

TEST(VectorImage, SolidFillsBlendAsPlainRgba) {
    auto red = Rasterize("<rect width='10' height='10' fill='red'/>", 4, 4);
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 4; ++x) {
            ExpectPixel(PixelOf(*red, x, y), 0, 0, 255, 255);
        }
    }
    auto half = Rasterize("<rect width='10' height='10' fill='red' fill-opacity='0.5'/>", 4, 4);
    ExpectPixel(PixelOf(*half, 1, 1), 0, 0, 126, 127);
    // Half over half: ((255 - 126) 127 + 256 126) / 256 and 127 + 127 - (127 127 + 255) / 256.
    auto twice = Rasterize(
        "<rect width='10' height='10' fill='red' fill-opacity='0.5'/>"
        "<rect width='10' height='10' fill='red' fill-opacity='0.5'/>",
        4, 4);
    ExpectPixel(PixelOf(*twice, 2, 2), 0, 0, 189, 190);
    auto clamped = Rasterize("<rect width='10' height='10' fill='red' fill-opacity='7'/>", 2, 2);
    ExpectPixel(PixelOf(*clamped, 0, 0), 0, 0, 255, 255);
    auto nothing = Rasterize("<rect width='10' height='10' fill='red' fill-opacity='-1'/>", 2, 2);
    ExpectPixel(PixelOf(*nothing, 0, 0), 0, 0, 0, 0);
}

TEST(VectorImage, StrokeWidthsScaleExceptTheHairline) {
    const std::string line = "<path d='M0 5 L10 5' fill='none' stroke='black' stroke-width='";
    auto hairline = Rasterize(line + "0'/>", 30, 30, kTenBox);
    EXPECT_NEAR(ColumnCoverage(*hairline, 15), 0.6f, 0.05f);
    auto wide = Rasterize(line + "2'/>", 30, 30, kTenBox);
    EXPECT_NEAR(ColumnCoverage(*wide, 15), 6.0f, 0.05f);
    // A line falls back to an opaque black stroke of width 1.
    auto plain = Rasterize("<line x1='0' y1='5.5' x2='10' y2='5.5'/>", 10, 10, kTenBox);
    EXPECT_NEAR(ColumnCoverage(*plain, 5), 1.0f, 0.05f);
    ExpectPixel(PixelOf(*plain, 5, 5), 0, 0, 0, 255);
    auto hidden = Rasterize("<line x1='0' y1='5.5' x2='10' y2='5.5' stroke='none'/>", 10, 10, kTenBox);
    EXPECT_EQ(ColumnCoverage(*hidden, 5), 0.0f);
}

TEST(VectorImage, ShapesAndFillRules) {
    // rx without ry keeps square corners.
    auto square = Rasterize("<rect width='10' height='10' rx='5' fill='blue'/>", 10, 10);
    ExpectPixel(PixelOf(*square, 0, 0), 255, 0, 0, 255);
    auto round = Rasterize("<rect width='10' height='10' rx='5' ry='5' fill='blue'/>", 10, 10);
    EXPECT_EQ(PixelOf(*round, 0, 0).a, 0);
    ExpectPixel(PixelOf(*round, 5, 5), 255, 0, 0, 255);
    // The circle after a path draws only itself, never the path again.
    auto both = Rasterize(
        "<path d='M0 0 H5 V10 H0 Z' fill='red'/><circle cx='8' cy='5' r='1.5' fill='blue'/>", 10,
        10, kTenBox);
    ExpectPixel(PixelOf(*both, 2, 5), 0, 0, 255, 255);
    ExpectPixel(PixelOf(*both, 7, 4), 255, 0, 0, 255);
    EXPECT_EQ(PixelOf(*both, 8, 0).a, 0);
    // A square drawn twice over itself: even-odd leaves the inside empty.
    const std::string twice = "<path d='M1 1 H9 V9 H1 Z M1 1 H9 V9 H1 Z' fill-rule='";
    EXPECT_EQ(PixelOf(*Rasterize(twice + "evenodd'/>", 10, 10, kTenBox), 5, 5).a, 0);
    EXPECT_EQ(PixelOf(*Rasterize(twice + "nonzero'/>", 10, 10, kTenBox), 5, 5).a, 255);
    // Image row 0 is the top of the document.
    auto top = Rasterize("<rect width='10' height='5' fill='red'/>", 10, 10, kTenBox);
    EXPECT_EQ(PixelOf(*top, 5, 1).a, 255);
    EXPECT_EQ(PixelOf(*top, 5, 8).a, 0);
}

TEST(VectorImage, ParamsPlaceTheDocument) {
    auto document = LoadSvgBody("<rect width='5' height='10' fill='red'/>", kTenBox);
    VectorImage image;
    image.SetDocument(document.get());
    // Mirrored left to right: the rect lands on the right half.
    VectorRasterParams params{10, 10, {}};
    params.matrix.a = -1.0f;
    auto mirrored = image.Rasterize(params);
    EXPECT_EQ(PixelOf(*mirrored, 2, 5).a, 0);
    EXPECT_EQ(PixelOf(*mirrored, 7, 5).a, 255);
    // A source rect of the left half stretches the rect over the whole image.
    const SvgBounds left{0, 0, 5, 10};
    image.SetSourceRect(&left);
    auto stretched = image.Rasterize(VectorRasterParams{10, 10, {}});
    EXPECT_EQ(PixelOf(*stretched, 9, 5).a, 255);
    image.SetSourceRect(nullptr);
    EXPECT_EQ(PixelOf(*image.Rasterize(VectorRasterParams{10, 10, {}}), 9, 5).a, 0);
    // A zero-width mapped rectangle draws nothing.
    const SvgBounds flat{3, 0, 3, 10};
    image.SetSourceRect(&flat);
    EXPECT_EQ(PixelOf(*image.Rasterize(VectorRasterParams{10, 10, {}}), 5, 5).a, 0);
}

const char* kRedToBlue =
    "<stop offset='0' stop-color='red'/><stop offset='1' stop-color='blue'/>";

TEST(VectorImage, LinearGradients) {
    auto pad = Rasterize(std::string("<linearGradient id='g'>") + kRedToBlue +
                             "</linearGradient><rect width='10' height='10' fill='url(#g)' "
                             "fill-opacity='0.2'/>",
                         16, 4);
    ExpectPixel(PixelOf(*pad, 0, 1), 8, 0, 247, 255, 3);    // fill-opacity does not apply
    ExpectPixel(PixelOf(*pad, 15, 1), 247, 0, 8, 255, 3);
    ExpectPixel(PixelOf(*pad, 8, 1), 135, 0, 119, 255, 2);  // halfway

    auto repeat = Rasterize(std::string("<linearGradient id='g' x2='0.5' spreadMethod='repeat'>") +
                                kRedToBlue + "</linearGradient><rect width='10' height='10' fill='url(#g)'/>",
                            16, 4);
    ExpectPixel(PixelOf(*repeat, 0, 1), 15, 0, 239, 255, 3);
    ExpectPixel(PixelOf(*repeat, 8, 1), 15, 0, 239, 255, 3);  // starts again beyond x2
    ExpectPixel(PixelOf(*repeat, 7, 1), 239, 0, 15, 255, 3);

    auto reflect = Rasterize(std::string("<linearGradient id='g' x2='0.5' spreadMethod='reflect'>") +
                                 kRedToBlue + "</linearGradient><rect width='10' height='10' fill='url(#g)'/>",
                             16, 4);
    ExpectPixel(PixelOf(*reflect, 15, 1), 15, 0, 239, 255, 3);  // back to the first stop
}

TEST(VectorImage, GradientsThatPaintNothingOrOneColour) {
    const struct {
        const char* what;
        const char* body;
        int b, g, r, a;
    } cases[] = {
        {"one stop", "<linearGradient id='g'><stop stop-color='red'/></linearGradient>", 0, 0, 0, 0},
        {"unknown id", "", 0, 0, 0, 0},
        {"coincident points",
         "<linearGradient id='g' x2='0'><stop offset='0' stop-color='red'/>"
         "<stop offset='1' stop-color='lime'/></linearGradient>",
         0, 255, 0, 255},
        {"zero radius",
         "<radialGradient id='g' r='0'><stop offset='0' stop-color='red'/>"
         "<stop offset='1' stop-color='lime'/></radialGradient>",
         0, 255, 0, 255},
        {"singular transform",
         "<linearGradient id='g' gradientTransform='scale(0)'><stop offset='0' stop-color='red'/>"
         "<stop offset='1' stop-color='lime'/></linearGradient>",
         0, 255, 0, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto raster = Rasterize(std::string(c.body) + "<rect width='10' height='10' fill='url(#g)'/>", 4, 4);
        ExpectPixel(PixelOf(*raster, 1, 1), c.b, c.g, c.r, c.a);
    }
    // A flat shape has no bounding box to map the gradient into.
    auto line = Rasterize(std::string("<linearGradient id='g'>") + kRedToBlue +
                              "</linearGradient><line x1='0' y1='5' x2='10' y2='5' "
                              "stroke='url(#g)' stroke-width='4'/>",
                          10, 10, kTenBox);
    ExpectPixel(PixelOf(*line, 5, 5), 255, 0, 0, 255);
}

TEST(VectorImage, RadialGradientsWithAndWithoutFocus) {
    auto centred = Rasterize(std::string("<radialGradient id='g'>") + kRedToBlue +
                                 "</radialGradient><rect width='10' height='10' fill='url(#g)'/>",
                             20, 20);
    ExpectPixel(PixelOf(*centred, 10, 10), 0, 0, 255, 255, 20);
    ExpectPixel(PixelOf(*centred, 0, 0), 255, 0, 0, 255);  // padded beyond r
    auto focal = Rasterize(std::string("<radialGradient id='g' fx='0.2' fy='0.5'>") + kRedToBlue +
                               "</radialGradient><rect width='10' height='10' fill='url(#g)'/>",
                           20, 20);
    ExpectPixel(PixelOf(*focal, 4, 10), 0, 0, 255, 255, 20);  // first stop at the focus
    EXPECT_GT(PixelOf(*focal, 10, 10).b, 60);
    // A focus outside the circle is moved onto it; the paint stays defined.
    auto outside = Rasterize(std::string("<radialGradient id='g' fx='3' fy='0.5'>") + kRedToBlue +
                                 "</radialGradient><rect width='10' height='10' fill='url(#g)'/>",
                             20, 20);
    EXPECT_EQ(PixelOf(*outside, 10, 10).a, 255);
}

TEST(VectorImage, ExtremeGeometryStaysDefined) {
    // Coordinates and widths far beyond any image, and gradients finer than a pixel.
    auto raster = Rasterize(
        "<path d='M-1e30 0 L1e30 10 L 5 1e38 Z C 1e300 1 2 3 4 5' fill='red'/>"
        "<circle cx='5' cy='5' r='1e20' fill='none' stroke='blue' stroke-width='1e30'/>"
        "<linearGradient id='g' x2='0.0000001' spreadMethod='repeat' gradientUnits='userSpaceOnUse'>" +
            std::string(kRedToBlue) +
            "</linearGradient><rect width='10' height='10' fill='url(#g)' transform='scale(1000000)'/>"
            "<radialGradient id='r' r='0.0000001' fx='0.1'>" + kRedToBlue +
            "</radialGradient><rect width='10' height='10' fill='url(#r)'/>",
        16, 16, kTenBox);
    EXPECT_EQ(raster->GetBytes().size(), 16u * 16u * 4u);
}

}  // namespace
}  // namespace Varnok
