// Loading the SVG subset into a document: elements, styles, paints, colours,
// transforms, ids, gradients and the viewBox.
#include "engine/text/vector/SvgLoader.h"

#include "tests/engine/text/vector/SvgTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

const SvgNode* Child(const SvgGroup& group, size_t index) {
    return index < group.GetChildren().size() ? group.GetChildren()[index].Get() : nullptr;
}

void ExpectColour(const Colour& c, int r, int g, int b, int a = 255) {
    EXPECT_EQ(c.r, r);
    EXPECT_EQ(c.g, g);
    EXPECT_EQ(c.b, b);
    EXPECT_EQ(c.a, a);
}

TEST(SvgLoader, OnlyARootNamedSvgGivesADocument) {
    EXPECT_EQ(LoadSvgText("<SVG/>"), nullptr);
    EXPECT_EQ(LoadSvgText("<g/>"), nullptr);
    EXPECT_EQ(SvgLoader::Load(nullptr), nullptr);
    auto document = LoadSvgText("<svg/>");
    ASSERT_NE(document, nullptr);
    // The root's own style: no stroke, of width 1; the fill is left to the rasteriser.
    const SvgStyle& style = document->GetStyle();
    EXPECT_TRUE(style.strokeSet);
    EXPECT_EQ(style.stroke.type, SvgPaintType::None);
    EXPECT_TRUE(style.strokeWidthSet);
    EXPECT_EQ(style.strokeWidth, 1.0f);
    EXPECT_FALSE(style.fillSet);
}

TEST(SvgLoader, ShapesOfNoSizeAreDropped) {
    const struct {
        const char* element;
        size_t nodes;
    } cases[] = {
        {"<rect width='0' height='5'/>", 0},
        {"<rect width='5' height='5'/>", 1},
        {"<rect width='5'/>", 0},
        {"<circle r='-1'/>", 0},
        {"<circle cx='3'/>", 0},
        {"<circle r='2'/>", 1},
        {"<ellipse rx='3'/>", 0},
        {"<ellipse rx='3' ry='1'/>", 1},
        {"<line/>", 1},
        {"<path/>", 0},
        {"<path d=''/>", 0},
        {"<path d='M0 0 L1 1'/>", 1},
        {"<polyline/>", 1},
        {"<text>hello</text><image/><foo><rect width='1' height='1'/></foo>", 0},
        {"<symbol><rect id='x' width='1' height='1'/></symbol><svg><rect width='1' height='1'/></svg>", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.element);
        auto document = LoadSvgBody(c.element);
        ASSERT_NE(document, nullptr);
        EXPECT_EQ(document->GetChildren().size(), c.nodes);
    }
}

TEST(SvgLoader, FillValues) {
    const struct {
        const char* fill;
        int type;
        int r, g, b;
    } cases[] = {
        {"none", SvgPaintType::None, 0, 0, 0},
        {" NONE", SvgPaintType::None, 0, 0, 0},
        {"inherit", SvgPaintType::Colour, 0, 0, 0},
        {"currentColor", SvgPaintType::Colour, 0, 0, 0},
        {"#0f0", SvgPaintType::Colour, 0, 255, 0},
        {"#00ff00", SvgPaintType::Colour, 0, 255, 0},
        {"#00FF00", SvgPaintType::Colour, 0, 255, 0},
        {"#abc", SvgPaintType::Colour, 0xaa, 0xbb, 0xcc},
        {"RED", SvgPaintType::Colour, 255, 0, 0},
        {"red ", SvgPaintType::Colour, 0, 0, 0},
        {"green", SvgPaintType::Colour, 0, 128, 0},
        {"lightgoldenrodyellow", SvgPaintType::Colour, 250, 250, 210},
        {"rgb(255, 0, 0)", SvgPaintType::Colour, 255, 0, 0},
        {"rgb(100%, 0%, 0%)", SvgPaintType::Colour, 255, 0, 0},
        {"rgb(300,-4,50%)", SvgPaintType::Colour, 255, 0, 127},
        {"rgb(255 0 0)", SvgPaintType::Colour, 0, 0, 0},
        {"url(#g)", SvgPaintType::Gradient, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fill);
        auto document = LoadSvgBody(std::string("<rect width='1' height='1' fill='") + c.fill + "'/>");
        const SvgStyle& style = Child(*document, 0)->GetStyle();
        EXPECT_TRUE(style.fillSet);
        EXPECT_EQ(style.fill.type, c.type);
        if (c.type == SvgPaintType::Colour) {
            ExpectColour(style.fill.colour, c.r, c.g, c.b);
        }
    }
    // "url(" without "#" fails and leaves the fill unset.
    auto document = LoadSvgBody("<rect width='1' height='1' fill='url(g)'/>");
    EXPECT_FALSE(Child(*document, 0)->GetStyle().fillSet);
    // A gradient id keeps inner white space.
    SvgPaint paint;
    ASSERT_TRUE(SvgLoader::ParsePaint("url( #a b)", paint));
    EXPECT_STREQ(paint.gradientId.c_str(), "a b");
}

TEST(SvgLoader, NumbersOfStyleProperties) {
    auto document = LoadSvgBody(
        "<rect width='1' height='1' fill-opacity='50%' stroke-width='2px' fill-rule='EvenOdd'/>"
        "<rect width='1' height='1' fill-opacity='x' stroke-width='' fill-rule='odd'/>");
    const SvgStyle& first = Child(*document, 0)->GetStyle();
    EXPECT_FLOAT_EQ(first.fillOpacity, 0.5f);
    EXPECT_FLOAT_EQ(first.strokeWidth, 2.0f);
    EXPECT_EQ(first.fillRule, SvgFillRule::EvenOdd);
    const SvgStyle& second = Child(*document, 1)->GetStyle();
    EXPECT_FALSE(second.fillOpacitySet);
    EXPECT_FALSE(second.strokeWidthSet);
    EXPECT_FALSE(second.fillRuleSet);
}

TEST(SvgLoader, StyleDeclarationsWinOverAttributes) {
    for (const char* element : {"rect width='1' height='1'", "g", "use xlink:href='#x'"}) {
        SCOPED_TRACE(element);
        auto document = LoadSvgBody(std::string("<") + element +
                                    " style=' fill : blue;; bogus ; stroke-width:3' fill='red'/>");
        const SvgStyle& style = Child(*document, 0)->GetStyle();
        ExpectColour(style.fill.colour, 0, 0, 255);
        EXPECT_FLOAT_EQ(style.strokeWidth, 3.0f);
    }
    // Over-long names and values are skipped; a transform in a style does nothing.
    SvgStyle style;
    SvgLoader::ApplyStyleAttribute(
        ("fill:" + std::string(256, 'x') + ";transform:scale(2);stroke:red").c_str(), style);
    EXPECT_FALSE(style.fillSet);
    EXPECT_FALSE(style.hasTransform);
    EXPECT_TRUE(style.strokeSet);
}

TEST(SvgLoader, TransformLists) {
    const struct {
        const char* list;
        bool applied;
        float x, y;  // where (1, 1) goes
    } cases[] = {
        {"translate(10) scale(2)", true, 12, 2},
        {"scale(2) translate(10)", true, 22, 2},
        {"translate(10, 0) matrix(2 0 0 2 0 0)", true, 12, 2},
        {"translate(10,0),scale(2)", true, 12, 2},
        {"rotate(90)", true, -1, 1},
        {"rotate(45 10 10)", false, 1, 1},
        {"skewX(30)", true, 1, 1},
        {"skewX(30 2)", false, 1, 1},
        {"translate(1 ,2)", false, 1, 1},
        {"translate(1 2 3)", false, 1, 1},
        {"matrix(1 2)", false, 1, 1},
        {"spin(3)", false, 1, 1},
        {"scale(2", false, 1, 1},
        {"   ", false, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        auto document =
            LoadSvgBody(std::string("<rect width='1' height='1' transform='") + c.list + "'/>");
        const SvgStyle& style = Child(*document, 0)->GetStyle();
        EXPECT_EQ(style.hasTransform, c.applied);
        float x = 0;
        float y = 0;
        style.transform.Map(1, 1, x, y);
        EXPECT_NEAR(x, c.x, 1e-5f);
        EXPECT_NEAR(y, c.y, 1e-5f);
    }
}

TEST(SvgLoader, UseFindsItsNodeByIdWhereverItIs) {
    auto document = LoadSvgBody(
        "<use xlink:href='#late' x='5' y='6'/>"
        "<use xlink:href='#missing'/>"
        "<use xlink:href='#first'/>"
        "<defs><rect id='late' width='1' height='1'/></defs>"
        "<circle id='first' r='1'/><rect id='first' width='2' height='2'/>");
    const auto& children = document->GetChildren();
    ASSERT_EQ(children.size(), 5u);
    const auto* late = static_cast<const SvgGroup*>(Child(*document, 0));
    ASSERT_NE(Child(*late, 0), nullptr);
    EXPECT_TRUE(Child(*late, 0)->IsA(SvgNodeType::Rect));
    float x = 0;
    float y = 0;
    late->GetStyle().transform.Map(0, 0, x, y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    EXPECT_EQ(Child(*static_cast<const SvgGroup*>(Child(*document, 1)), 0), nullptr);
    const SvgNode* first = Child(*static_cast<const SvgGroup*>(Child(*document, 2)), 0);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsA(SvgNodeType::Ellipse));
    // The use without "#" is taken and dropped.
    EXPECT_EQ(LoadSvgBody("<use xlink:href='late'/><use/>")->GetChildren().size(), 0u);
}

TEST(SvgLoader, UseThatLeadsBackIntoItsAncestryLosesItsChild) {
    auto document = LoadSvgBody(
        "<use id='self' xlink:href='#self'/>"
        "<g id='outer'><g><use xlink:href='#outer'/></g></g>"
        "<g id='a'><use xlink:href='#b'/></g><g id='b'><use xlink:href='#a'/></g>");
    const auto* self = static_cast<const SvgGroup*>(Child(*document, 0));
    EXPECT_EQ(Child(*self, 0), nullptr);
    const auto* outer = static_cast<const SvgGroup*>(Child(*document, 1));
    const auto* inner = static_cast<const SvgGroup*>(Child(*outer, 0));
    EXPECT_EQ(Child(*static_cast<const SvgGroup*>(Child(*inner, 0)), 0), nullptr);
    // Bounds and drawing end.
    EXPECT_TRUE(document->GetLocalBounds().IsEmpty());
    VectorImage image;
    image.SetDocument(document.get());
    EXPECT_NE(image.Rasterize(VectorRasterParams{4, 4, {}}), nullptr);
}

TEST(SvgLoader, GradientsAndTheirInheritance) {
    auto document = LoadSvgBody(
        "<linearGradient id='base' spreadMethod='REFLECT' gradientUnits='userSpaceOnUse'>"
        "  <stop offset='0' stop-color='red'/>"
        "  <stop style='stop-color:#00f; stop-opacity:50%; offset:100%'/>"
        "  <stop stop-opacity='0.5' stop-color='lime'/>"
        "  <stop/>"
        "</linearGradient>"
        "<linearGradient id='child' xlink:href='#base' x1='0.25' gradientTransform='scale(2) bad(1)'/>"
        "<radialGradient id='round' cx='20%' cy='0.3' r='2'/>"
        "<rect width='1' height='1' fill='url(#child)' stroke='url(#nothing)'/>");
    const SvgStyle& style = Child(*document, 0)->GetStyle();
    ASSERT_NE(style.fill.gradient, nullptr);
    EXPECT_EQ(style.stroke.gradient, nullptr);
    const SvgGradient& child = *style.fill.gradient;
    EXPECT_FLOAT_EQ(child.coords[0], 0.25f);  // its own x1 stays
    EXPECT_FLOAT_EQ(child.coords[2], 1.0f);
    EXPECT_EQ(child.units, SvgGradientUnits::UserSpaceOnUse);
    EXPECT_EQ(child.spread, SvgSpread::Reflect);
    EXPECT_FLOAT_EQ(child.transform.a, 2.0f);  // applied before the failure
    ASSERT_EQ(child.stops.size(), 4u);
    EXPECT_EQ(child.stops[0].offset, 0.0f);
    ExpectColour(child.stops[0].colour, 255, 0, 0);
    EXPECT_FLOAT_EQ(child.stops[1].offset, 1.0f);
    ExpectColour(child.stops[1].colour, 0, 0, 255, 127);
    ExpectColour(child.stops[2].colour, 0, 255, 0, 255);  // the colour came after the opacity
    EXPECT_EQ(child.stops[3].offset, -1.0e38f);
    ExpectColour(child.stops[3].colour, 255, 255, 255);

    const SvgGradient* round = document->FindGradient(AsciiString("round"));
    ASSERT_NE(round, nullptr);
    EXPECT_FLOAT_EQ(round->coords[0], 0.2f);
    EXPECT_FLOAT_EQ(round->coords[1], 0.3f);
    EXPECT_FLOAT_EQ(round->coords[3], 0.2f);  // the focus defaults to the centre
    EXPECT_FLOAT_EQ(round->coords[4], 0.3f);
}

TEST(SvgLoader, GradientChainsThatLoopEnd) {
    auto document = LoadSvgBody(
        "<linearGradient id='a' xlink:href='#b'/><linearGradient id='b' xlink:href='#a'/>"
        "<rect width='1' height='1' fill='url(#a)'/>");
    const SvgGradient* a = Child(*document, 0)->GetStyle().fill.gradient;
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->units, SvgGradientUnits::ObjectBoundingBox);
    EXPECT_EQ(a->spread, SvgSpread::Pad);
}

TEST(SvgLoader, ViewBoxAndPoints) {
    const struct {
        const char* viewBox;
        SvgBounds bounds;
    } cases[] = {
        {"0 0 100 50", {0, 0, 100, 50}},
        {"10,10,100,50", {10, 10, 110, 60}},
        {" 1 , 2 3\t4", {1, 2, 4, 6}},
        {"0 0 100", {0, 1, 4, 3}},  // ignored: the shapes' bounds, minimum raised to 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.viewBox);
        auto document = LoadSvgBody("<rect x='-2' y='1' width='6' height='2'/>",
                                    std::string("viewBox='") + c.viewBox + "'");
        const SvgBounds b = document->GetLocalBounds();
        EXPECT_EQ(b.minX, c.bounds.minX);
        EXPECT_EQ(b.minY, c.bounds.minY);
        EXPECT_EQ(b.maxX, c.bounds.maxX);
        EXPECT_EQ(b.maxY, c.bounds.maxY);
    }
    auto document = LoadSvgBody("<polygon points='1,2 3'/><polyline points=' 1 2,3 4 , 5,6 x'/>");
    const auto* polygon = static_cast<const SvgPolyline*>(Child(*document, 0));
    EXPECT_TRUE(polygon->IsA(SvgNodeType::Polyline));
    EXPECT_EQ(polygon->GetPoints().size(), 1u);
    const auto* polyline = static_cast<const SvgPolyline*>(Child(*document, 1));
    ASSERT_EQ(polyline->GetPoints().size(), 3u);
    const SvgBounds b = polyline->GetLocalBounds();
    EXPECT_EQ(b.minX, 1);
    EXPECT_EQ(b.maxY, 6);
}

}  // namespace
}  // namespace Varnok
