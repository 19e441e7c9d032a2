// The shared game helpers.
#include "game/rules/GameHelpers.h"

#include "engine/core/FileSystem.h"
#include "engine/core/HashName.h"
#include "engine/core/Random.h"
#include "engine/model/MeshModel.h"
#include "engine/render/ImmediateVertex.h"
#include "engine/render/Texture.h"
#include "engine/ui/UIManager.h"
#include "game/rules/GameFunctions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Varnok {
namespace {

constexpr int kNameBytes = 256;

bool Format(char (&out)[kNameBytes], const char* pattern, const char* name) {
    const int written = std::snprintf(out, sizeof(out), pattern, name);
    return written >= 0 && written < kNameBytes;
}

uint32_t HashOf(const char* text, size_t length) {
    return HashName(text, static_cast<int>(length));
}

float UiHeight() {
    const float height = UIManager::Get().GetScreenSize().y;
    return height > 0.0f ? height : LogicalScreenHeight();
}

}  // namespace

SmartPtr<Texture> LoadNamedTexture(const char* name) {
    SmartPtr<Texture> texture;
    char path[kNameBytes];
    if (name == nullptr || name[0] == '\0' || !Format(path, "%s.tex", name)) {
        return texture;
    }
    LoadLocalizedTexture(texture, path);
    return texture;
}

SmartPtr<MeshModel> LoadNamedModel(const char* name) {
    char path[kNameBytes];
    if (name == nullptr || name[0] == '\0') {
        return SmartPtr<MeshModel>();
    }
    if (Format(path, "%s.mmd", name) && FileExists(path, 0)) {
        SmartPtr<MeshModel> model = LoadModel(ModelLoadList::Get(), AsciiString(path));
        if (model) {
            return model;
        }
    }
    if (!Format(path, "%s.binModel", name)) {
        return SmartPtr<MeshModel>();
    }
    return LoadModel(ModelLoadList::Get(), AsciiString(path));
}

bool ModelFileExists(const char* name) {
    char path[kNameBytes];
    if (name == nullptr) {
        return false;
    }
    return (Format(path, "%s.mmd", name) && FileExists(path, 0)) ||
           (Format(path, "%s.binModel", name) && FileExists(path, 0));
}

void TextureRef::SetName(const char* name) {
    m_texture = SmartPtr<Texture>();
    m_name = AsciiString(name);
}

void TextureRef::Load() {
    if (!m_texture && m_name.Length() > 0) {
        m_texture = LoadNamedTexture(m_name.c_str());
    }
}

void ParseColour(Colour& colour, const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return;
    }
    int parts[4] = {255, 255, 255, 255};
    const char* cursor = text;
    for (int i = 0; i < 4 && cursor != nullptr; ++i) {
        parts[i] = std::atoi(cursor);
        cursor = std::strchr(cursor, ',');
        if (cursor != nullptr) {
            ++cursor;
        }
    }
    colour = Colour(static_cast<uint8_t>(parts[0]), static_cast<uint8_t>(parts[1]),
                    static_cast<uint8_t>(parts[2]), static_cast<uint8_t>(parts[3]));
}

Vector3 ParseVector3(const char* text) {
    float parts[3] = {0.0f, 0.0f, 0.0f};
    const char* cursor = text != nullptr && text[0] != '\0' ? text : nullptr;
    for (int i = 0; i < 3 && cursor != nullptr; ++i) {
        parts[i] = static_cast<float>(std::atof(cursor));
        cursor = std::strchr(cursor, ',');
        if (cursor != nullptr) {
            ++cursor;
        }
    }
    return Vector3{parts[0], parts[1], parts[2]};
}

bool StringsEqual(const char* a, const char* b) {
    return a != nullptr && a[0] != '\0' && b != nullptr && std::strcmp(a, b) == 0;
}

int SplitCommaList(const char* text, std::vector<std::string>& list) {
    if (text == nullptr) {
        return 0;
    }
    int count = 0;
    const char* start = text;
    while (true) {
        const char* end = std::strchr(start, ',');
        const size_t length = end != nullptr ? static_cast<size_t>(end - start) : std::strlen(start);
        if (length > 0) {
            list.emplace_back(start, length);
            ++count;
        }
        if (end == nullptr) {
            break;
        }
        start = end + 1;
        while (*start == ' ' || *start == '\t') {
            ++start;
        }
    }
    return count;
}

bool StartsWith(const char* text, const char* prefix) {
    return text != nullptr && prefix != nullptr &&
           std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

int32_t ModeMaskFromNames(const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return -1;
    }
    int32_t mask = 0;
    const char* cursor = text;
    while (*cursor != '\0') {
        while (*cursor == ' ' || *cursor == '\t' || *cursor == ',') {
            ++cursor;
        }
        const char* start = cursor;
        while (*cursor != '\0' && *cursor != ',' && *cursor != ' ' && *cursor != '\t') {
            ++cursor;
        }
        if (cursor > start) {
            mask |= ModeBitMask(ModeIndexFromName(HashOf(start, static_cast<size_t>(cursor - start))));
        }
    }
    return mask;
}

CompareOp CompareOpFromName(const char* text) {
    if (text == nullptr) {
        return CompareOp::None;
    }
    static const uint32_t s_equal = HashOf("EQUAL", 5);
    static const uint32_t s_notEqual = HashOf("NOT_EQUAL", 9);
    static const uint32_t s_greater = HashOf("GREATER", 7);
    const uint32_t hash = HashOf(text, std::strlen(text));
    if (hash == s_equal) {
        return CompareOp::Equal;
    }
    if (hash == s_notEqual) {
        return CompareOp::NotEqual;
    }
    return hash == s_greater ? CompareOp::Greater : CompareOp::None;
}

bool TestCompare(CompareOp op, int32_t a, int32_t b) {
    switch (op) {
        case CompareOp::Equal: return a == b;
        case CompareOp::NotEqual: return a != b;
        case CompareOp::Greater: return a > b;
        default: return false;
    }
}

float SineEase(float t, float angleDegrees) {
    const Angle angle = AngleFromDegrees(angleDegrees);
    const float denominator = SinLookup(angle);
    if (denominator == 0.0f) {
        return t;  // a zero angle has no curve; the straight line is its limit
    }
    const Angle scaled = static_cast<Angle>(static_cast<int64_t>(t * static_cast<float>(angle)));
    return SinLookup(scaled) / denominator;
}

float EaseOutQuad(float t) {
    return 1.0f - (1.0f - t) * (1.0f - t);
}

float EaseInOutCosine(float t) {
    const Angle a = static_cast<Angle>(static_cast<int64_t>(t * 65535.0f * 0.5f));
    return (1.0f - CosLookup(a)) * 0.5f;
}

float Tween::Evaluate(float t) const {
    const float span = endTime - startTime;
    float u = span != 0.0f ? (t - startTime) / span : (t < startTime ? 0.0f : 1.0f);
    if (!(u > 0.0f)) {
        u = 0.0f;
    } else if (u > 1.0f) {
        u = 1.0f;
    }
    if (easing != nullptr) {
        u = easing(u, parameter);
    }
    return startValue + u * (endValue - startValue);
}

Colour SampleColourRamp(float t, const Colour* colours, int count) {
    if (colours == nullptr || count <= 0) {
        return Colour();
    }
    if (t >= 1.0f) {
        return colours[count - 1];
    }
    if (!(t > 0.0f) || count == 1) {
        return colours[0];
    }
    const float p = static_cast<float>(count - 1) * t;
    const int i = static_cast<int>(p);
    const float f = p - static_cast<float>(i);
    const Colour& a = colours[i];
    const Colour& b = colours[i + 1];
    auto mix = [f](uint8_t x, uint8_t y) {
        return static_cast<uint8_t>(static_cast<float>(x) + f * (static_cast<float>(y) - x));
    };
    return Colour(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a));
}

void ShuffleArray(int32_t* values, int count) {
    if (values == nullptr || count <= 0) {
        return;
    }
    Random& random = GlobalRandom();
    for (int swap = 0; swap < count / 2; ++swap) {
        const uint32_t first = random.NextBelow(static_cast<uint32_t>(count));
        const uint32_t second = random.NextBelow(static_cast<uint32_t>(count));
        const int32_t kept = values[first];
        values[first] = values[second];
        values[second] = kept;
    }
}

Vector3 UIPointToLogical(const Vector3& point) {
    const float scale = LogicalScreenHeight() / UiHeight();
    return Vector3{point.x * scale - LogicalScreenWidth() * 0.5f,
                   LogicalScreenHeight() * 0.5f - point.y * scale, point.z * scale};
}

Vector3 LogicalToUIPoint(const Vector3& point) {
    const float scale = LogicalScreenHeight() / UiHeight();
    return Vector3{(point.x + LogicalScreenWidth() * 0.5f) / scale,
                   (LogicalScreenHeight() * 0.5f - point.y) / scale, point.z / scale};
}

ImmediateVertex* BuildQuadVertices(ImmediateVertex* cursor, float x, float y, float halfWidth,
                                   float halfHeight, const Colour& colour) {
    auto corner = [&](float px, float py, float u, float v) {
        ImmediateVertex vertex;
        vertex.x = px;
        vertex.y = py;
        vertex.z = -5000.0f;
        vertex.nz = 1.0f;
        vertex.r = colour.r;
        vertex.g = colour.g;
        vertex.b = colour.b;
        vertex.a = colour.a;
        vertex.u = u;
        vertex.v = v;
        return vertex;
    };
    const ImmediateVertex a = corner(x - halfWidth, y - halfHeight, 0.0f, 1.0f);
    const ImmediateVertex b = corner(x - halfWidth, y + halfHeight, 0.0f, 0.0f);
    const ImmediateVertex c = corner(x + halfWidth, y - halfHeight, 1.0f, 1.0f);
    const ImmediateVertex d = corner(x + halfWidth, y + halfHeight, 1.0f, 0.0f);
    for (const ImmediateVertex* vertex : {&a, &a, &b, &c, &d, &d}) {
        *cursor++ = *vertex;
    }
    return cursor;
}

}  // namespace Varnok
