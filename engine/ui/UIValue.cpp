// Text forms of the UI value types. Every "%f" and "%d" runs in the C locale
// so that a process locale with a decimal comma changes nothing.
#include "engine/ui/UIValue.h"

#include "engine/core/CString.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <locale.h>

namespace Varnok {

namespace {

// Switches this thread to the C locale for the scope.
class CLocaleScope {
public:
    CLocaleScope() {
        static const locale_t s_cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        m_previous = s_cLocale != static_cast<locale_t>(0) ? uselocale(s_cLocale)
                                                           : static_cast<locale_t>(0);
    }
    ~CLocaleScope() {
        if (m_previous != static_cast<locale_t>(0)) {
            uselocale(m_previous);
        }
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous;
};

bool IsAbsent(const char* text) { return text == nullptr || text[0] == '\0'; }

// Fixed with five decimals, then trailing '0' and '.' dropped, never past
// the first point.
AsciiString FormatTrimmed(float value) {
    char format[16];
    char text[64];
    {
        CLocaleScope scope;
        std::snprintf(format, sizeof(format), "%%.%uf", 5u);
        std::snprintf(text, sizeof(text), format, static_cast<double>(value));
    }
    const char* point = std::strchr(text, '.');
    if (point != nullptr) {
        size_t length = std::strlen(text);
        const size_t pointIndex = static_cast<size_t>(point - text);
        while (length > pointIndex && (text[length - 1] == '0' || text[length - 1] == '.')) {
            --length;
        }
        text[length] = '\0';
    }
    return AsciiString(text);
}


int32_t ParseNoCase(const AsciiString* names, int count, const AsciiString& name) {
    for (int value = 0; value + 1 < count; ++value) {
        if (names[value + 1].EqualsNoCase(name)) {
            return value;
        }
    }
    return -1;
}

const AsciiString* ScaleModeNames() {
    static const AsciiString s_names[] = {"Invalid", "None", "KeepAspect", "ScaleX", "ScaleY",
                                          "Scale"};
    return s_names;
}
const AsciiString* TransitionNames() {
    static const AsciiString s_names[] = {"Invalid", "None", "Zoom", "SweepLeft"};
    return s_names;
}
constexpr int kScaleModeNameCount = 6;
constexpr int kTransitionNameCount = 4;

}  // namespace

const bool& UIValue<bool>::Default() {
    static const bool s_default = false;
    return s_default;
}
bool UIValue<bool>::FromString(const char* text) {
    return !IsAbsent(text) && StrCompareNoCase(text, "True") == 0;
}
AsciiString UIValue<bool>::ToString(bool value) { return AsciiString(value ? "True" : "False"); }

const AsciiString& UIValue<AsciiString>::Default() { return AsciiString::Empty(); }
AsciiString UIValue<AsciiString>::FromString(const char* text) {
    return IsAbsent(text) ? Default() : AsciiString(text);
}
AsciiString UIValue<AsciiString>::ToString(const AsciiString& value) { return value; }

const Vector3& UIValue<Vector3>::Default() {
    static const Vector3 s_default;
    return s_default;
}
Vector3 UIValue<Vector3>::FromString(const char* text) {
    Vector3 value = Default();
    if (!IsAbsent(text)) {
        CLocaleScope scope;
        (void)std::sscanf(text, "%f,%f,%f", &value.x, &value.y, &value.z);
    }
    return value;
}
AsciiString UIValue<Vector3>::ToString(const Vector3& value) {
    AsciiString text = FormatTrimmed(value.x);
    text.AppendChar(',');
    text.AppendString(FormatTrimmed(value.y));
    text.AppendChar(',');
    text.AppendString(FormatTrimmed(value.z));
    return text;
}

const Vector2& UIValue<Vector2>::Default() {
    static const Vector2 s_default;
    return s_default;
}
Vector2 UIValue<Vector2>::FromString(const char* text) {
    Vector2 value = Default();
    if (!IsAbsent(text)) {
        CLocaleScope scope;
        (void)std::sscanf(text, "%f,%f", &value.x, &value.y);
    }
    return value;
}
AsciiString UIValue<Vector2>::ToString(const Vector2& value) {
    AsciiString text = FormatTrimmed(value.x);
    text.AppendChar(',');
    text.AppendString(FormatTrimmed(value.y));
    return text;
}

const float& UIValue<float>::Default() {
    static const float s_default = 0.0f;
    return s_default;
}
float UIValue<float>::FromString(const char* text) {
    float value = Default();
    if (!IsAbsent(text)) {
        CLocaleScope scope;
        (void)std::sscanf(text, "%f", &value);
    }
    return value;
}
AsciiString UIValue<float>::ToString(float value) { return FormatTrimmed(value); }

const Rotation& UIValue<Rotation>::Default() {
    static const Rotation s_default;
    return s_default;
}
Rotation UIValue<Rotation>::FromString(const char* text) {
    Rotation value = Default();
    if (!IsAbsent(text)) {
        CLocaleScope scope;
        (void)std::sscanf(text, "%f,%f,%f", &value.x, &value.y, &value.z);
    }
    return value;
}
AsciiString UIValue<Rotation>::ToString(const Rotation& value) {
    return UIValue<Vector3>::ToString(Vector3{value.x, value.y, value.z});
}

const int& UIValue<int>::Default() {
    static const int s_default = 0;
    return s_default;
}
int UIValue<int>::FromString(const char* text) {
    int value = Default();
    if (!IsAbsent(text)) {
        CLocaleScope scope;
        (void)std::sscanf(text, "%d", &value);
    }
    return value;
}
AsciiString UIValue<int>::ToString(int value) {
    char text[16];
    CLocaleScope scope;
    std::snprintf(text, sizeof(text), "%d", value);
    return AsciiString(text);
}

const Colour& UIValue<Colour>::Default() { return kColourWhite; }
Colour UIValue<Colour>::FromString(const char* text) {
    if (IsAbsent(text)) {
        return Default();
    }
    const Colour& fallback = Default();
    int channels[4] = {fallback.r, fallback.g, fallback.b, fallback.a};
    {
        CLocaleScope scope;
        (void)std::sscanf(text, "%d,%d,%d,%d", &channels[0], &channels[1], &channels[2],
                          &channels[3]);
    }
    return Colour(static_cast<uint8_t>(channels[0] & 0xFF), static_cast<uint8_t>(channels[1] & 0xFF),
                  static_cast<uint8_t>(channels[2] & 0xFF), static_cast<uint8_t>(channels[3] & 0xFF));
}
AsciiString UIValue<Colour>::ToString(const Colour& value) {
    char text[32];
    CLocaleScope scope;
    std::snprintf(text, sizeof(text), "%d,%d,%d,%d", value.r, value.g, value.b, value.a);
    return AsciiString(text);
}

unsigned UIValue<unsigned>::FromString(const char* text) {
    unsigned value = 0;
    if (!IsAbsent(text)) {
        CLocaleScope scope;
        (void)std::sscanf(text, "%u", &value);
    }
    return value;
}

const UILerpType& UIValue<UILerpType>::Default() {
    static const UILerpType s_default = UILerp_Linear;
    return s_default;
}
UILerpType UIValue<UILerpType>::FromString(const char* text) {
    if (IsAbsent(text)) {
        return Default();
    }
    return static_cast<UILerpType>(ParseUILerpType(AsciiString(text)));
}
AsciiString UIValue<UILerpType>::ToString(UILerpType value) { return GetUILerpTypeName(value); }

const AsciiString& GetUIPropertyTypeName(int32_t type) {
    static const AsciiString s_names[] = {"Invalid", "bool",     "string", "vector3", "vector2",
                                          "float",   "rotation", "int",    "colour"};
    if (type < 1 || type > kUIPropertyTypeCount) {
        return s_names[0];
    }
    return s_names[type];
}

UIPropertyType ParseUIPropertyType(const AsciiString& name) {
    static const AsciiString s_enumerators[] = {"",           "UIPT_bool",     "UIPT_string",
                                                "UIPT_vector3", "UIPT_vector2", "UIPT_float",
                                                "UIPT_rotation", "UIPT_int",    "UIPT_colour"};
    for (int type = 1; type <= kUIPropertyTypeCount; ++type) {
        if (GetUIPropertyTypeName(type).Equals(name) || s_enumerators[type].Equals(name)) {
            return static_cast<UIPropertyType>(type);
        }
    }
    return UIPT_Invalid;
}

void NextUIPropertyType(UIPropertyType& type) {
    type = (type >= 1 && type < kUIPropertyTypeCount) ? static_cast<UIPropertyType>(type + 1)
                                                      : UIPT_Invalid;
}

int32_t ParseUIScreenScaleMode(const AsciiString& name) {
    return ParseNoCase(ScaleModeNames(), kScaleModeNameCount, name);
}
int32_t ParseUIScreenTransition(const AsciiString& name) {
    return ParseNoCase(TransitionNames(), kTransitionNameCount, name);
}
const AsciiString& GetUIScreenScaleModeName(int32_t mode) {
    const bool named = mode >= 0 && mode + 1 < kScaleModeNameCount;
    return ScaleModeNames()[named ? mode + 1 : 0];
}
const AsciiString& GetUIScreenTransitionName(int32_t transition) {
    const bool named = transition >= 0 && transition + 1 < kTransitionNameCount;
    return TransitionNames()[named ? transition + 1 : 0];
}

}  // namespace Varnok
