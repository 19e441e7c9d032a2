// SVG path data: the "d" text cut into commands and numbers, the calls it
// makes on a path sink, and the store that records them with their bounds.
#pragma once

#include "engine/text/vector/SvgTypes.h"

#include <cstdint>
#include <vector>

namespace Varnok {

// The path operations shared by the recording store and the drawing backend.
class SvgPathSink {
public:
    virtual ~SvgPathSink() = default;
    virtual void MoveTo(float x, float y) = 0;
    virtual void LineTo(float x, float y) = 0;
    virtual void QuadTo(float cx, float cy, float x, float y) = 0;
    virtual void CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) = 0;
    // Rotation in radians.
    virtual void ArcTo(float rx, float ry, float rotation, bool largeArc, bool sweep, float x,
                       float y) = 0;
    virtual void Close() = 0;
    virtual void End() = 0;
};

class SvgPathTokenizer {
public:
    // Longest number copied at once; the rest of a longer run is the next number.
    static constexpr int kMaxNumberChars = 255;

    SvgPathTokenizer();

    // Null text gives a tokenizer that is at its end.
    void Begin(const char* text);
    // Moves to the next number; false at the end of the text or at a
    // character that is neither separator, command nor number.
    bool Next();
    // The next number when it still belongs to `command`, else 0.
    double NextNumber(char command);

    char GetCommand() const { return m_command; }
    double GetNumber() const { return m_number; }

private:
    bool Has(const uint8_t* set, char c) const;
    void ReadNumber();

    uint8_t m_separators[32] = {};
    uint8_t m_commands[32] = {};
    uint8_t m_numbers[32] = {};
    const char* m_position = nullptr;
    double m_number = 0.0;
    char m_command = 0;
};

namespace SvgPathCommand {
enum : uint8_t { Move = 0, Line = 1, Quad = 2, Cubic = 3, Arc = 4, Close = 5, End = 6 };
}

// A recorded path with the exact bounds of its segments.
class SvgPathStore final : public SvgPathSink {
public:
    void MoveTo(float x, float y) override;
    void LineTo(float x, float y) override;
    void QuadTo(float cx, float cy, float x, float y) override;
    void CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) override;
    void ArcTo(float rx, float ry, float rotation, bool largeArc, bool sweep, float x,
               float y) override;
    void Close() override;
    void End() override;

    // Calls the recorded operations on `sink` in order.
    void Replay(SvgPathSink& sink) const;

    const SvgBounds& GetBounds() const { return m_bounds; }
    const std::vector<uint8_t>& GetCommands() const { return m_commands; }
    const std::vector<float>& GetArguments() const { return m_arguments; }

private:
    void PreviousPoint(float& outX, float& outY) const;
    void Widen(const SvgBounds& box);

    std::vector<uint8_t> m_commands;
    std::vector<float> m_arguments;
    SvgBounds m_bounds;
};

// Issues the sink calls of the "d" text (null: none).
void BuildSvgPath(const char* pathData, SvgPathSink& sink);

}  // namespace Varnok
