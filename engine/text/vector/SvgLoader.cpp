// Reading the SVG subset: elements, presentation attributes and style
// declarations, paints and colours, transform lists and gradients.
#include "engine/text/vector/SvgLoader.h"

#include <tinyxml.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace Varnok {
namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr int kMaxDeclarationName = 31;
constexpr int kMaxDeclarationValue = 255;

float ToFloat(double value) {
    if (value > FLT_MAX) {
        return INFINITY;
    }
    if (value < -FLT_MAX) {
        return -INFINITY;
    }
    return static_cast<float>(value);
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

const char* SkipSpace(const char* p) {
    while (IsSpace(*p)) {
        ++p;
    }
    return p;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const char* a, const char* b) {
    while (*a != '\0' && Lower(*a) == Lower(*b)) {
        ++a;
        ++b;
    }
    return Lower(*a) == Lower(*b);
}

bool StartsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (Lower(*text) != Lower(*prefix)) {
            return false;
        }
    }
    return true;
}

int CompareNoCase(const char* a, const char* b) {
    while (*a != '\0' && Lower(*a) == Lower(*b)) {
        ++a;
        ++b;
    }
    return static_cast<unsigned char>(Lower(*a)) - static_cast<unsigned char>(Lower(*b));
}

// A number with an optional "%" after optional white space (divided by 100).
bool ReadNumberOrPercent(const char* text, float& outValue) {
    const char* start = SkipSpace(text);
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if (end == start) {
        return false;
    }
    outValue = *SkipSpace(end) == '%' ? ToFloat(value / 100.0) : ToFloat(value);
    return true;
}

// White space, at most one comma, white space.
const char* SkipListSeparator(const char* p) {
    p = SkipSpace(p);
    if (*p == ',') {
        ++p;
    }
    return SkipSpace(p);
}

float QueryNumber(const TiXmlElement& element, const char* name) {
    double value = 0.0;
    if (element.QueryDoubleAttribute(name, &value) != TIXML_SUCCESS) {
        return 0.0f;
    }
    return ToFloat(value);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool IsAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

struct NamedColour {
    const char* name;
    Colour colour;
};

// SVG 1.1's colour keywords, sorted by name.
const NamedColour kColourKeywords[] = {
    {"aliceblue", {240, 248, 255, 255}},
    {"antiquewhite", {250, 235, 215, 255}},
    {"aqua", {0, 255, 255, 255}},
    {"aquamarine", {127, 255, 212, 255}},
    {"azure", {240, 255, 255, 255}},
    {"beige", {245, 245, 220, 255}},
    {"bisque", {255, 228, 196, 255}},
    {"black", {0, 0, 0, 255}},
    {"blanchedalmond", {255, 235, 205, 255}},
    {"blue", {0, 0, 255, 255}},
    {"blueviolet", {138, 43, 226, 255}},
    {"brown", {165, 42, 42, 255}},
    {"burlywood", {222, 184, 135, 255}},
    {"cadetblue", {95, 158, 160, 255}},
    {"chartreuse", {127, 255, 0, 255}},
    {"chocolate", {210, 105, 30, 255}},
    {"coral", {255, 127, 80, 255}},
    {"cornflowerblue", {100, 149, 237, 255}},
    {"cornsilk", {255, 248, 220, 255}},
    {"crimson", {220, 20, 60, 255}},
    {"cyan", {0, 255, 255, 255}},
    {"darkblue", {0, 0, 139, 255}},
    {"darkcyan", {0, 139, 139, 255}},
    {"darkgoldenrod", {184, 134, 11, 255}},
    {"darkgray", {169, 169, 169, 255}},
    {"darkgreen", {0, 100, 0, 255}},
    {"darkgrey", {169, 169, 169, 255}},
    {"darkkhaki", {189, 183, 107, 255}},
    {"darkmagenta", {139, 0, 139, 255}},
    {"darkolivegreen", {85, 107, 47, 255}},
    {"darkorange", {255, 140, 0, 255}},
    {"darkorchid", {153, 50, 204, 255}},
    {"darkred", {139, 0, 0, 255}},
    {"darksalmon", {233, 150, 122, 255}},
    {"darkseagreen", {143, 188, 143, 255}},
    {"darkslateblue", {72, 61, 139, 255}},
    {"darkslategray", {47, 79, 79, 255}},
    {"darkslategrey", {47, 79, 79, 255}},
    {"darkturquoise", {0, 206, 209, 255}},
    {"darkviolet", {148, 0, 211, 255}},
    {"deeppink", {255, 20, 147, 255}},
    {"deepskyblue", {0, 191, 255, 255}},
    {"dimgray", {105, 105, 105, 255}},
    {"dimgrey", {105, 105, 105, 255}},
    {"dodgerblue", {30, 144, 255, 255}},
    {"firebrick", {178, 34, 34, 255}},
    {"floralwhite", {255, 250, 240, 255}},
    {"forestgreen", {34, 139, 34, 255}},
    {"fuchsia", {255, 0, 255, 255}},
    {"gainsboro", {220, 220, 220, 255}},
    {"ghostwhite", {248, 248, 255, 255}},
    {"gold", {255, 215, 0, 255}},
    {"goldenrod", {218, 165, 32, 255}},
    {"gray", {128, 128, 128, 255}},
    {"green", {0, 128, 0, 255}},
    {"greenyellow", {173, 255, 47, 255}},
    {"grey", {128, 128, 128, 255}},
    {"honeydew", {240, 255, 240, 255}},
    {"hotpink", {255, 105, 180, 255}},
    {"indianred", {205, 92, 92, 255}},
    {"indigo", {75, 0, 130, 255}},
    {"ivory", {255, 255, 240, 255}},
    {"khaki", {240, 230, 140, 255}},
    {"lavender", {230, 230, 250, 255}},
    {"lavenderblush", {255, 240, 245, 255}},
    {"lawngreen", {124, 252, 0, 255}},
    {"lemonchiffon", {255, 250, 205, 255}},
    {"lightblue", {173, 216, 230, 255}},
    {"lightcoral", {240, 128, 128, 255}},
    {"lightcyan", {224, 255, 255, 255}},
    {"lightgoldenrodyellow", {250, 250, 210, 255}},
    {"lightgray", {211, 211, 211, 255}},
    {"lightgreen", {144, 238, 144, 255}},
    {"lightgrey", {211, 211, 211, 255}},
    {"lightpink", {255, 182, 193, 255}},
    {"lightsalmon", {255, 160, 122, 255}},
    {"lightseagreen", {32, 178, 170, 255}},
    {"lightskyblue", {135, 206, 250, 255}},
    {"lightslategray", {119, 136, 153, 255}},
    {"lightslategrey", {119, 136, 153, 255}},
    {"lightsteelblue", {176, 196, 222, 255}},
    {"lightyellow", {255, 255, 224, 255}},
    {"lime", {0, 255, 0, 255}},
    {"limegreen", {50, 205, 50, 255}},
    {"linen", {250, 240, 230, 255}},
    {"magenta", {255, 0, 255, 255}},
    {"maroon", {128, 0, 0, 255}},
    {"mediumaquamarine", {102, 205, 170, 255}},
    {"mediumblue", {0, 0, 205, 255}},
    {"mediumorchid", {186, 85, 211, 255}},
    {"mediumpurple", {147, 112, 219, 255}},
    {"mediumseagreen", {60, 179, 113, 255}},
    {"mediumslateblue", {123, 104, 238, 255}},
    {"mediumspringgreen", {0, 250, 154, 255}},
    {"mediumturquoise", {72, 209, 204, 255}},
    {"mediumvioletred", {199, 21, 133, 255}},
    {"midnightblue", {25, 25, 112, 255}},
    {"mintcream", {245, 255, 250, 255}},
    {"mistyrose", {255, 228, 225, 255}},
    {"moccasin", {255, 228, 181, 255}},
    {"navajowhite", {255, 222, 173, 255}},
    {"navy", {0, 0, 128, 255}},
    {"oldlace", {253, 245, 230, 255}},
    {"olive", {128, 128, 0, 255}},
    {"olivedrab", {107, 142, 35, 255}},
    {"orange", {255, 165, 0, 255}},
    {"orangered", {255, 69, 0, 255}},
    {"orchid", {218, 112, 214, 255}},
    {"palegoldenrod", {238, 232, 170, 255}},
    {"palegreen", {152, 251, 152, 255}},
    {"paleturquoise", {175, 238, 238, 255}},
    {"palevioletred", {219, 112, 147, 255}},
    {"papayawhip", {255, 239, 213, 255}},
    {"peachpuff", {255, 218, 185, 255}},
    {"peru", {205, 133, 63, 255}},
    {"pink", {255, 192, 203, 255}},
    {"plum", {221, 160, 221, 255}},
    {"powderblue", {176, 224, 230, 255}},
    {"purple", {128, 0, 128, 255}},
    {"red", {255, 0, 0, 255}},
    {"rosybrown", {188, 143, 143, 255}},
    {"royalblue", {65, 105, 225, 255}},
    {"saddlebrown", {139, 69, 19, 255}},
    {"salmon", {250, 128, 114, 255}},
    {"sandybrown", {244, 164, 96, 255}},
    {"seagreen", {46, 139, 87, 255}},
    {"seashell", {255, 245, 238, 255}},
    {"sienna", {160, 82, 45, 255}},
    {"silver", {192, 192, 192, 255}},
    {"skyblue", {135, 206, 235, 255}},
    {"slateblue", {106, 90, 205, 255}},
    {"slategray", {112, 128, 144, 255}},
    {"slategrey", {112, 128, 144, 255}},
    {"snow", {255, 250, 250, 255}},
    {"springgreen", {0, 255, 127, 255}},
    {"steelblue", {70, 130, 180, 255}},
    {"tan", {210, 180, 140, 255}},
    {"teal", {0, 128, 128, 255}},
    {"thistle", {216, 191, 216, 255}},
    {"tomato", {255, 99, 71, 255}},
    {"turquoise", {64, 224, 208, 255}},
    {"violet", {238, 130, 238, 255}},
    {"wheat", {245, 222, 179, 255}},
    {"white", {255, 255, 255, 255}},
    {"whitesmoke", {245, 245, 245, 255}},
    {"yellow", {255, 255, 0, 255}},
    {"yellowgreen", {154, 205, 50, 255}},
};

// ---- presentation attributes ----

using AttributeHandler = bool (*)(const char* value, SvgStyle& style);

bool HandleIgnored(const char*, SvgStyle&) {
    return true;
}

bool HandleFill(const char* value, SvgStyle& style) {
    if (!SvgLoader::ParsePaint(value, style.fill)) {
        return false;
    }
    style.fillSet = true;
    return true;
}

bool HandleStroke(const char* value, SvgStyle& style) {
    if (!SvgLoader::ParsePaint(value, style.stroke)) {
        return false;
    }
    style.strokeSet = true;
    return true;
}

bool HandleFillOpacity(const char* value, SvgStyle& style) {
    if (!ReadNumberOrPercent(value, style.fillOpacity)) {
        return false;
    }
    style.fillOpacitySet = true;
    return true;
}

bool HandleStrokeWidth(const char* value, SvgStyle& style) {
    if (!ReadNumberOrPercent(value, style.strokeWidth)) {
        return false;
    }
    style.strokeWidthSet = true;
    return true;
}

bool HandleFillRule(const char* value, SvgStyle& style) {
    if (EqualsNoCase(value, "nonzero")) {
        style.fillRule = SvgFillRule::NonZero;
    } else if (EqualsNoCase(value, "evenodd")) {
        style.fillRule = SvgFillRule::EvenOdd;
    } else {
        return false;
    }
    style.fillRuleSet = true;
    return true;
}

struct PresentationAttribute {
    const char* name;
    AttributeHandler handler;
};

// Sorted by strcmp on first use; looked up by binary search.
const std::vector<PresentationAttribute>& PresentationTable() {
    static const std::vector<PresentationAttribute> s_table = [] {
        std::vector<PresentationAttribute> table = {
            {"clip", HandleIgnored},
            {"color", HandleIgnored},
            {"cursor", HandleIgnored},
            {"display", HandleIgnored},
            {"overflow", HandleIgnored},
            {"visibility", HandleIgnored},
            {"clip-path", HandleIgnored},
            {"clip-rule", HandleIgnored},
            {"mask", HandleIgnored},
            {"opacity", HandleIgnored},
            {"enable-background", HandleIgnored},
            {"filter", HandleIgnored},
            {"flood-color", HandleIgnored},
            {"flood-opacity", HandleIgnored},
            {"lighting-color", HandleIgnored},
            {"stop-color", HandleIgnored},
            {"stop-opacity", HandleIgnored},
            {"pointer-events", HandleIgnored},
            {"color-interpolation", HandleIgnored},
            {"color-interpolation-filters", HandleIgnored},
            {"color-profile", HandleIgnored},
            {"color-rendering", HandleIgnored},
            {"fill", HandleFill},
            {"fill-opacity", HandleFillOpacity},
            {"fill-rule", HandleFillRule},
            {"image-rendering", HandleIgnored},
            {"marker", HandleIgnored},
            {"marker-end", HandleIgnored},
            {"marker-mid", HandleIgnored},
            {"marker-start", HandleIgnored},
            {"shape-rendering", HandleIgnored},
            {"stroke", HandleStroke},
            {"stroke-dasharray", HandleIgnored},
            {"stroke-dashoffset", HandleIgnored},
            {"stroke-linecap", HandleIgnored},
            {"stroke-linejoin", HandleIgnored},
            {"stroke-miterlimit", HandleIgnored},
            {"stroke-opacity", HandleIgnored},
            {"stroke-width", HandleStrokeWidth},
        };
        std::sort(table.begin(), table.end(),
                  [](const PresentationAttribute& a, const PresentationAttribute& b) {
                      return std::strcmp(a.name, b.name) < 0;
                  });
        return table;
    }();
    return s_table;
}

// Splits a "style" text into declarations; each one within the size limits
// goes to `apply` with its name and value.
template <typename Apply>
void ForEachDeclaration(const char* text, Apply apply) {
    const char* p = text;
    while (*p != '\0') {
        p = SkipSpace(p);
        const char* nameStart = p;
        while (IsAlnum(*p) || *p == '_' || *p == '-') {
            ++p;
        }
        const char* nameEnd = p;
        p = SkipSpace(p);
        if (*p != ':') {
            while (*p != '\0' && *p != ';') {
                ++p;
            }
            if (*p == ';') {
                ++p;
            }
            continue;
        }
        p = SkipSpace(p + 1);
        const char* valueStart = p;
        while (*p != '\0' && *p != ';') {
            ++p;
        }
        const char* valueEnd = p;
        if (*p == ';') {
            ++p;
        }
        const long nameLength = nameEnd - nameStart;
        const long valueLength = valueEnd - valueStart;
        if (nameLength <= kMaxDeclarationName && valueLength <= kMaxDeclarationValue) {
            char name[kMaxDeclarationName + 1];
            char value[kMaxDeclarationValue + 1];
            std::memcpy(name, nameStart, static_cast<size_t>(nameLength));
            name[nameLength] = '\0';
            std::memcpy(value, valueStart, static_cast<size_t>(valueLength));
            value[valueLength] = '\0';
            apply(name, value);
        }
    }
}

// ---- the element walk ----

class DocumentBuilder {
public:
    explicit DocumentBuilder(SvgDocument& document) : m_document(document) {}

    void ParseChildren(const TiXmlElement& parent, SvgGroup* group) {
        for (const TiXmlElement* child = parent.FirstChildElement(); child != nullptr;
             child = child->NextSiblingElement()) {
            if (!ParseShape(*child, group) && !ParseContainer(*child, group)) {
                ParseGradient(*child);
            }
        }
    }

    static void ApplyAttributes(const TiXmlElement& element, SvgStyle& style) {
        for (const TiXmlAttribute* attribute = element.FirstAttribute(); attribute != nullptr;
             attribute = attribute->Next()) {
            const char* name = attribute->Name();
            const char* value = attribute->Value();
            if (SvgLoader::ApplyPresentationAttribute(name, value, style)) {
                continue;
            }
            if (std::strcmp(name, "transform") == 0) {
                SvgAffine matrix;
                if (SvgLoader::ParseTransform(value, matrix)) {
                    style.transform = matrix;
                    style.hasTransform = true;
                }
            }
        }
    }

private:
    // Id, attributes, then the style attribute, which thus wins.
    void Decorate(const TiXmlElement& element, SvgNode& node) {
        const char* id = element.Attribute("id");
        if (id != nullptr && id[0] != '\0') {
            m_document.RegisterNodeId(AsciiString(id), &node);
        }
        ApplyAttributes(element, node.GetStyle());
        const char* style = element.Attribute("style");
        if (style != nullptr) {
            SvgLoader::ApplyStyleAttribute(style, node.GetStyle());
        }
    }

    template <typename T>
    void Append(SvgGroup* group, T* node, const TiXmlElement& element) {
        group->AddChild(node);
        Decorate(element, *node);
    }

    bool ParseShape(const TiXmlElement& element, SvgGroup* group) {
        const char* name = element.Value();
        if (std::strcmp(name, "path") == 0) {
            const char* d = element.Attribute("d");
            if (d != nullptr && d[0] != '\0') {
                SvgPath* path = m_document.Create<SvgPath>();
                Append(group, path, element);
                BuildSvgPath(d, path->GetStore());
            }
            return true;
        }
        if (std::strcmp(name, "rect") == 0) {
            const float x = QueryNumber(element, "x");
            const float y = QueryNumber(element, "y");
            const float width = QueryNumber(element, "width");
            const float height = QueryNumber(element, "height");
            if (width > 0.0f && height > 0.0f) {
                Append(group,
                       m_document.Create<SvgRect>(x, y, x + width, y + height,
                                                  QueryNumber(element, "rx"),
                                                  QueryNumber(element, "ry")),
                       element);
            }
            return true;
        }
        if (std::strcmp(name, "circle") == 0) {
            const float r = QueryNumber(element, "r");
            if (r > 0.0f) {
                Append(group,
                       m_document.Create<SvgEllipse>(QueryNumber(element, "cx"),
                                                     QueryNumber(element, "cy"), r, r),
                       element);
            }
            return true;
        }
        if (std::strcmp(name, "ellipse") == 0) {
            const float rx = QueryNumber(element, "rx");
            const float ry = QueryNumber(element, "ry");
            if (rx > 0.0f && ry > 0.0f) {
                Append(group,
                       m_document.Create<SvgEllipse>(QueryNumber(element, "cx"),
                                                     QueryNumber(element, "cy"), rx, ry),
                       element);
            }
            return true;
        }
        if (std::strcmp(name, "line") == 0) {
            Append(group,
                   m_document.Create<SvgLine>(
                       QueryNumber(element, "x1"), QueryNumber(element, "y1"),
                       QueryNumber(element, "x2"), QueryNumber(element, "y2")),
                   element);
            return true;
        }
        const bool polygon = std::strcmp(name, "polygon") == 0;
        if (polygon || std::strcmp(name, "polyline") == 0) {
            SvgPolyline* node = polygon ? m_document.Create<SvgPolygon>()
                                        : m_document.Create<SvgPolyline>();
            Append(group, node, element);
            ParsePoints(element.Attribute("points"), *node);
            return true;
        }
        return false;
    }

    static void ParsePoints(const char* text, SvgPolyline& node) {
        if (text == nullptr) {
            return;
        }
        const char* p = SkipSpace(text);
        while (*p != '\0') {
            char* end = nullptr;
            const double x = std::strtod(p, &end);
            if (end == p) {
                return;
            }
            p = SkipListSeparator(end);
            const double y = std::strtod(p, &end);
            if (end == p) {
                return;
            }
            p = SkipListSeparator(end);
            node.AddPoint(ToFloat(x), ToFloat(y));
        }
    }

    bool ParseContainer(const TiXmlElement& element, SvgGroup* group) {
        const char* name = element.Value();
        if (std::strcmp(name, "g") == 0) {
            SvgGroup* node = m_document.Create<SvgGroup>();
            Append(group, node, element);
            ParseChildren(element, node);
            return true;
        }
        if (std::strcmp(name, "defs") == 0) {
            // Parsed for its ids and gradients, never drawn itself.
            SvgGroup* node = m_document.Create<SvgGroup>();
            Decorate(element, *node);
            ParseChildren(element, node);
            node->GetChildren().clear();
            return true;
        }
        if (std::strcmp(name, "use") == 0) {
            const char* href = element.Attribute("xlink:href");
            if (href == nullptr || href[0] != '#') {
                return true;
            }
            SvgGroup* node = m_document.Create<SvgGroup>();
            node->MarkUse();
            group->AddChild(node);
            node->GetChildren().push_back(
                SvgNodeRef{true, nullptr, m_document.LookUpNodeId(AsciiString(href + 1))});
            Decorate(element, *node);
            SvgAffine offset;
            offset.e = QueryNumber(element, "x");
            offset.f = QueryNumber(element, "y");
            SvgStyle& style = node->GetStyle();
            style.transform = (style.hasTransform ? style.transform : SvgAffine{}).Times(offset);
            style.hasTransform = true;
            return true;
        }
        return std::strcmp(name, "symbol") == 0 || std::strcmp(name, "svg") == 0;
    }

    static void ApplyStopAttribute(const char* name, const char* value, SvgGradientStop& stop) {
        if (EqualsNoCase(name, "stop-color")) {
            SvgLoader::ParseColour(value, stop.colour);
        } else if (EqualsNoCase(name, "stop-opacity")) {
            float opacity = 0.0f;
            if (ReadNumberOrPercent(value, opacity)) {
                const float alpha = opacity * 255.0f;
                stop.colour.a = alpha >= 255.0f ? 255
                                : alpha > 0.0f  ? static_cast<uint8_t>(alpha)
                                                : 0;
            }
        } else if (EqualsNoCase(name, "offset")) {
            ReadNumberOrPercent(value, stop.offset);
        }
    }

    static float ReadCoordinate(const TiXmlElement& element, const char* name, float fallback) {
        const char* text = element.Attribute(name);
        if (text == nullptr) {
            return fallback;
        }
        float value = 0.0f;
        return ReadNumberOrPercent(text, value) ? value : 0.0f;
    }

    void ParseGradient(const TiXmlElement& element) {
        const char* name = element.Value();
        const bool linear = std::strcmp(name, "linearGradient") == 0;
        if (!linear && std::strcmp(name, "radialGradient") != 0) {
            return;
        }
        auto gradient = std::make_unique<SvgGradient>();
        gradient->kind = linear ? SvgGradientKind::Linear : SvgGradientKind::Radial;
        for (const TiXmlElement* child = element.FirstChildElement(); child != nullptr;
             child = child->NextSiblingElement()) {
            if (std::strcmp(child->Value(), "stop") != 0) {
                continue;
            }
            SvgGradientStop stop;
            for (const TiXmlAttribute* attribute = child->FirstAttribute(); attribute != nullptr;
                 attribute = attribute->Next()) {
                if (std::strcmp(attribute->Name(), "style") == 0) {
                    ForEachDeclaration(attribute->Value(),
                                       [&stop](const char* n, const char* v) {
                                           ApplyStopAttribute(n, v, stop);
                                       });
                } else {
                    ApplyStopAttribute(attribute->Name(), attribute->Value(), stop);
                }
            }
            gradient->stops.push_back(stop);
        }
        if (const char* units = element.Attribute("gradientUnits")) {
            gradient->units = EqualsNoCase(units, "objectBoundingBox") ? SvgGradientUnits::ObjectBoundingBox
                              : EqualsNoCase(units, "userSpaceOnUse")  ? SvgGradientUnits::UserSpaceOnUse
                                                                       : SvgGradientUnits::NotGiven;
        }
        if (const char* spread = element.Attribute("spreadMethod")) {
            gradient->spread = EqualsNoCase(spread, "pad")       ? SvgSpread::Pad
                               : EqualsNoCase(spread, "reflect") ? SvgSpread::Reflect
                               : EqualsNoCase(spread, "repeat")  ? SvgSpread::Repeat
                                                                 : SvgSpread::NotGiven;
        }
        if (const char* transform = element.Attribute("gradientTransform")) {
            SvgLoader::ParseTransform(transform, gradient->transform);
        }
        if (const char* href = element.Attribute("xlink:href")) {
            const char* p = SkipSpace(href);
            if (*p != '\0') {
                ++p;  // the "#"
            }
            gradient->href = AsciiString(p);
        }
        float* c = gradient->coords;
        if (linear) {
            c[0] = ReadCoordinate(element, "x1", 0.0f);
            c[1] = ReadCoordinate(element, "y1", 0.0f);
            c[2] = ReadCoordinate(element, "x2", 1.0f);
            c[3] = ReadCoordinate(element, "y2", 0.0f);
            c[4] = 0.0f;
        } else {
            c[0] = ReadCoordinate(element, "cx", 0.5f);
            c[1] = ReadCoordinate(element, "cy", 0.5f);
            c[2] = ReadCoordinate(element, "r", 0.5f);
            c[3] = ReadCoordinate(element, "fx", c[0]);
            c[4] = ReadCoordinate(element, "fy", c[1]);
        }
        if (const char* id = element.Attribute("id")) {
            m_document.RegisterGradient(AsciiString(id), std::move(gradient));
        }
    }

    SvgDocument& m_document;
};

}  // namespace

// ---- SvgLoader ----

std::unique_ptr<SvgDocument> SvgLoader::Load(const TiXmlElement* root) {
    if (root == nullptr || std::strcmp(root->Value(), "svg") != 0) {
        return nullptr;
    }
    auto document = std::make_unique<SvgDocument>();
    SvgStyle& style = document->GetStyle();
    style.strokeWidth = 1.0f;
    style.strokeWidthSet = true;
    style.stroke.type = SvgPaintType::None;
    style.strokeSet = true;

    DocumentBuilder builder(*document);
    builder.ParseChildren(*root, document.get());
    DocumentBuilder::ApplyAttributes(*root, style);
    if (const char* styleText = root->Attribute("style")) {
        ApplyStyleAttribute(styleText, style);
    }
    if (const char* viewBox = root->Attribute("viewBox")) {
        ParseViewBox(viewBox, document->GetViewBox());
    }
    document->FinishLoading();
    return document;
}

bool SvgLoader::ParseColour(const char* text, Colour& outColour) {
    const char* p = SkipSpace(text);
    if (*p == '#') {
        ++p;
        const bool sixDigits = p[0] != '\0' && p[1] != '\0' && p[2] != '\0' && IsAlnum(p[3]);
        const int count = sixDigits ? 6 : 3;
        int digits[6];
        for (int i = 0; i < count; ++i) {
            digits[i] = HexDigit(p[i]);
            if (digits[i] < 0) {
                return false;
            }
        }
        if (sixDigits) {
            outColour = Colour(static_cast<uint8_t>(digits[0] * 16 + digits[1]),
                               static_cast<uint8_t>(digits[2] * 16 + digits[3]),
                               static_cast<uint8_t>(digits[4] * 16 + digits[5]), 255);
        } else {
            outColour = Colour(static_cast<uint8_t>(digits[0] * 17),
                               static_cast<uint8_t>(digits[1] * 17),
                               static_cast<uint8_t>(digits[2] * 17), 255);
        }
        return true;
    }
    if (StartsWithNoCase(p, "rgb(")) {
        p += 4;
        uint8_t channels[3];
        for (int i = 0; i < 3; ++i) {
            p = SkipSpace(p);
            char* end = nullptr;
            float value = ToFloat(std::strtod(p, &end));
            if (end == p) {
                return false;
            }
            p = end;
            if (*p == '%') {
                value *= 2.55f;
                ++p;
            }
            channels[i] = value >= 255.0f ? 255 : value > 0.0f ? static_cast<uint8_t>(value) : 0;
            p = SkipSpace(p);
            if (i < 2) {
                if (*p != ',' && *p != ')') {
                    return false;
                }
                ++p;
            }
        }
        outColour = Colour(channels[0], channels[1], channels[2], 255);
        return true;
    }
    const NamedColour* begin = std::begin(kColourKeywords);
    const NamedColour* end = std::end(kColourKeywords);
    const NamedColour* found = std::lower_bound(
        begin, end, p, [](const NamedColour& entry, const char* name) {
            return CompareNoCase(entry.name, name) < 0;
        });
    if (found == end || CompareNoCase(found->name, p) != 0) {
        return false;
    }
    outColour = found->colour;
    return true;
}

bool SvgLoader::ParsePaint(const char* text, SvgPaint& outPaint) {
    const char* p = SkipSpace(text);
    if (EqualsNoCase(p, "none")) {
        outPaint = SvgPaint{};
        outPaint.type = SvgPaintType::None;
        return true;
    }
    if (!StartsWithNoCase(p, "url(")) {
        SvgPaint paint;
        paint.type = SvgPaintType::Colour;
        paint.colour = kColourBlack;
        ParseColour(p, paint.colour);
        outPaint = paint;
        return true;
    }
    p = SkipSpace(p + 4);
    if (*p != '#') {
        return false;
    }
    ++p;
    const char* end = p;
    while (*end != '\0' && *end != ')') {
        ++end;
    }
    SvgPaint paint;
    paint.type = SvgPaintType::Gradient;
    paint.gradientId = AsciiString(p, static_cast<int>(end - p));
    outPaint = paint;
    return true;
}

bool SvgLoader::ParseTransform(const char* text, SvgAffine& ioMatrix) {
    struct Operation {
        const char* name;
        int maxArguments;
    };
    static const Operation kOperations[] = {{"matrix", 6}, {"translate", 2}, {"scale", 2},
                                            {"rotate", 3}, {"skewX", 1},     {"skewY", 1}};
    const char* p = SkipSpace(text);
    if (*p == '\0') {
        return false;
    }
    while (*p != '\0') {
        const char* nameStart = p;
        while (IsAlnum(*p) || *p == '-' || *p == '_') {
            ++p;
        }
        const std::string name(nameStart, p);
        const Operation* operation = nullptr;
        for (const Operation& candidate : kOperations) {
            if (EqualsNoCase(name.c_str(), candidate.name)) {
                operation = &candidate;
            }
        }
        if (operation == nullptr) {
            return false;
        }
        p = SkipSpace(p);
        if (*p != '(') {
            return false;
        }
        ++p;
        double arguments[6] = {};
        int count = 0;
        for (;;) {
            p = SkipSpace(p);
            char* end = nullptr;
            const double value = std::strtod(p, &end);
            if (end == p) {
                return false;
            }
            arguments[count++] = value;
            p = end;
            const char* after = SkipSpace(p);
            if (*after == ')') {
                p = after + 1;
                break;
            }
            if ((*p != ',' && !IsSpace(*p)) || count >= operation->maxArguments) {
                return false;
            }
            ++p;
        }
        SvgAffine step;
        const std::string opName = operation->name;
        if (opName == "matrix") {
            if (count != 6) {
                return false;
            }
            step = SvgAffine{ToFloat(arguments[0]), ToFloat(arguments[1]), ToFloat(arguments[2]),
                             ToFloat(arguments[3]), ToFloat(arguments[4]), ToFloat(arguments[5])};
        } else if (opName == "translate") {
            step.e = ToFloat(arguments[0]);
            step.f = count > 1 ? ToFloat(arguments[1]) : 0.0f;
        } else if (opName == "scale") {
            step.a = ToFloat(arguments[0]);
            step.d = count > 1 ? ToFloat(arguments[1]) : step.a;
        } else if (opName == "rotate") {
            if (count != 1) {
                return false;  // no rotation about a point
            }
            const double radians = ToFloat(arguments[0]) * kDegreesToRadians;
            const float c = static_cast<float>(std::cos(radians));
            const float s = static_cast<float>(std::sin(radians));
            step = SvgAffine{c, s, -s, c, 0.0f, 0.0f};
        } else if (count != 1) {
            return false;  // skews take one angle and are not applied
        }
        ioMatrix = ioMatrix.Times(step);
        p = SkipListSeparator(p);
    }
    return true;
}

bool SvgLoader::ParseViewBox(const char* text, SvgViewBox& outViewBox) {
    float values[4];
    const char* p = text;
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        const double value = std::strtod(p, &end);
        if (end == p) {
            return false;
        }
        values[i] = ToFloat(value);
        p = SkipListSeparator(end);
    }
    outViewBox = SvgViewBox{values[0], values[1], values[2], values[3]};
    return true;
}

bool SvgLoader::ApplyPresentationAttribute(const char* name, const char* value, SvgStyle& style) {
    const std::vector<PresentationAttribute>& table = PresentationTable();
    auto it = std::lower_bound(table.begin(), table.end(), name,
                               [](const PresentationAttribute& entry, const char* wanted) {
                                   return std::strcmp(entry.name, wanted) < 0;
                               });
    if (it == table.end() || std::strcmp(it->name, name) != 0) {
        return false;
    }
    it->handler(value, style);
    return true;
}

void SvgLoader::ApplyStyleAttribute(const char* text, SvgStyle& style) {
    ForEachDeclaration(text, [&style](const char* name, const char* value) {
        ApplyPresentationAttribute(name, value, style);
    });
}

}  // namespace Varnok
