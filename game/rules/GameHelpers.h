// Small helpers the game's parts share: textures and models by base name,
// parsers for the data files' colours, vectors, lists and mode names, easing
// curves and tweens, a colour ramp, a shuffle, and conversions between the
// game's logical coordinates and the UI's.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {

class MeshModel;
class Texture;
struct ImmediateVertex;

// "<name>.tex" through LoadLocalizedTexture; null for no name.
SmartPtr<Texture> LoadNamedTexture(const char* name);
// "<name>.mmd" when a file system has it, else (or when it gives no model)
// "<name>.binModel"; null for no name or a name too long for the path.
SmartPtr<MeshModel> LoadNamedModel(const char* name);
bool ModelFileExists(const char* name);

// A texture loaded on demand by base name; copies share the texture.
class TextureRef {
public:
    // Releases the texture; null clears the name.
    void SetName(const char* name);
    // Loads the named texture unless one is held.
    void Load();
    const SmartPtr<Texture>& GetTexture() const { return m_texture; }
    const char* GetName() const { return m_name.c_str(); }

private:
    SmartPtr<Texture> m_texture;
    AsciiString m_name;
};

// Up to four comma-separated decimal integers, red, green, blue, alpha
// (atoi each); parts not given are 255. Null or empty: colour unchanged.
void ParseColour(Colour& colour, const char* text);
// "x,y,z"; missing parts 0; null or empty (0, 0, 0).
Vector3 ParseVector3(const char* text);
// a present and not empty, b present, and equal.
bool StringsEqual(const char* a, const char* b);
// Appends the comma-separated parts, skipping empty parts and blanks right
// after a comma; answers how many were appended.
int SplitCommaList(const char* text, std::vector<std::string>& list);
bool StartsWith(const char* text, const char* prefix);
// ORs the mode bits of each comma-separated name; null or empty: all bits.
int32_t ModeMaskFromNames(const char* text);

enum class CompareOp : int32_t { Equal = 0, NotEqual = 1, Greater = 2, None = 3 };
CompareOp CompareOpFromName(const char* text);
bool TestCompare(CompareOp op, int32_t a, int32_t b);

// sin(t x A) / sin(A) with A the angle in engine units.
float SineEase(float t, float angleDegrees);
float EaseOutQuad(float t);
float EaseInOutCosine(float t);

struct Tween {
    using Easing = float (*)(float t, float parameter);
    Easing easing = nullptr;
    float parameter = 0.0f;
    float startTime = 0.0f;
    float endTime = 0.0f;
    float startValue = 0.0f;
    float endValue = 0.0f;

    // Start value before the start time, end value after the end.
    float Evaluate(float t) const;
};

// t <= 0 (or count 1) the first colour, t >= 1 the last, else each channel
// interpolated between its neighbours.
Colour SampleColourRamp(float t, const Colour* colours, int count);

// count / 2 swaps of two positions drawn with the game-wide generator.
void ShuffleArray(int32_t* values, int count);

Vector3 UIPointToLogical(const Vector3& point);
Vector3 LogicalToUIPoint(const Vector3& point);

// Six vertices A, A, B, C, D, D of the rectangle centred on (x, y), so that
// quads chain into one strip; answers the cursor past them.
ImmediateVertex* BuildQuadVertices(ImmediateVertex* cursor, float x, float y, float halfWidth,
                                   float halfHeight, const Colour& colour);

}  // namespace Varnok
