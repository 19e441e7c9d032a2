// The line-break rules and the font's line cutter (Font::TakeLine and
// Font::WrapText), which measures with the same advance rule as layout.
#include "engine/text/LineBreak.h"

#include "engine/core/Utf8.h"
#include "engine/text/Font.h"
#include "engine/text/FontManager.h"

#include <algorithm>
#include <vector>

namespace Varnok {
namespace LineBreak {
namespace {

uint32_t s_options = kDefaultOptions;

// Sorted by code point: cannot start a line, cannot end a line.
const KinsokuRecord kKinsoku[kKinsokuTableSize] = {
    {0x0021, 1, 0}, {0x0024, 0, 1}, {0x0025, 1, 0}, {0x0027, 1, 1}, {0x0028, 0, 1}, {0x0029, 1, 0},
    {0x002C, 1, 0}, {0x002E, 1, 0}, {0x002F, 1, 1}, {0x003A, 1, 0}, {0x003B, 1, 0}, {0x003F, 1, 0},
    {0x005B, 0, 1}, {0x005C, 0, 1}, {0x005D, 1, 0}, {0x007B, 0, 1}, {0x007D, 1, 0}, {0x00A2, 1, 0},
    {0x00A3, 0, 1}, {0x00A5, 0, 1}, {0x00A7, 0, 1}, {0x00A8, 1, 0}, {0x00A9, 1, 0}, {0x00AE, 1, 0},
    {0x00B0, 1, 0}, {0x00B7, 1, 1}, {0x02C7, 1, 0}, {0x02C9, 1, 0}, {0x200B, 1, 0}, {0x2013, 1, 0},
    {0x2014, 1, 0}, {0x2015, 1, 0}, {0x2016, 1, 0}, {0x2018, 0, 1}, {0x2019, 1, 0}, {0x201C, 0, 1},
    {0x201D, 1, 0}, {0x2022, 1, 0}, {0x2025, 1, 0}, {0x2026, 1, 0}, {0x2027, 1, 0}, {0x2032, 1, 0},
    {0x2033, 1, 0}, {0x2035, 0, 1}, {0x2103, 1, 0}, {0x2122, 1, 0}, {0x2236, 1, 0}, {0x2574, 1, 0},
    {0x266F, 0, 1}, {0x3001, 1, 0}, {0x3002, 1, 0}, {0x3003, 1, 0}, {0x3005, 1, 0}, {0x3008, 0, 1},
    {0x3009, 1, 0}, {0x300A, 0, 1}, {0x300B, 1, 0}, {0x300C, 0, 1}, {0x300D, 1, 0}, {0x300E, 0, 1},
    {0x300F, 1, 0}, {0x3010, 0, 1}, {0x3011, 1, 0}, {0x3012, 0, 1}, {0x3014, 0, 1}, {0x3015, 1, 0},
    {0x3016, 0, 1}, {0x3017, 1, 0}, {0x301D, 0, 1}, {0x301E, 1, 0}, {0x301F, 1, 0}, {0x3041, 1, 0},
    {0x3043, 1, 0}, {0x3045, 1, 0}, {0x3047, 1, 0}, {0x3049, 1, 0}, {0x3063, 1, 0}, {0x3083, 1, 0},
    {0x3085, 1, 0}, {0x3087, 1, 0}, {0x308E, 1, 0}, {0x3099, 1, 0}, {0x309A, 1, 0}, {0x309B, 1, 0},
    {0x309C, 1, 0}, {0x309D, 1, 0}, {0x309E, 1, 0}, {0x30A1, 1, 0}, {0x30A3, 1, 0}, {0x30A5, 1, 0},
    {0x30A7, 1, 0}, {0x30A9, 1, 0}, {0x30C3, 1, 0}, {0x30E3, 1, 0}, {0x30E5, 1, 0}, {0x30E7, 1, 0},
    {0x30EE, 1, 0}, {0x30F5, 1, 0}, {0x30F6, 1, 0}, {0x30FB, 1, 0}, {0x30FC, 1, 0}, {0x30FD, 1, 0},
    {0x30FE, 1, 0}, {0xFE30, 1, 0}, {0xFE50, 1, 0}, {0xFE51, 1, 0}, {0xFE52, 1, 0}, {0xFE54, 1, 0},
    {0xFE55, 1, 0}, {0xFE56, 1, 0}, {0xFE57, 1, 0}, {0xFE59, 0, 1}, {0xFE5A, 1, 0}, {0xFE5B, 0, 1},
    {0xFE5C, 1, 0}, {0xFE5D, 0, 1}, {0xFE5E, 1, 0}, {0xFF01, 1, 0}, {0xFF02, 1, 0}, {0xFF04, 0, 1},
    {0xFF05, 1, 0}, {0xFF07, 1, 0}, {0xFF08, 0, 1}, {0xFF09, 1, 0}, {0xFF0C, 1, 0}, {0xFF0E, 1, 0},
    {0xFF1A, 1, 0}, {0xFF1B, 1, 0}, {0xFF1F, 1, 0}, {0xFF20, 0, 1}, {0xFF3B, 0, 1}, {0xFF3D, 1, 0},
    {0xFF40, 1, 0}, {0xFF5B, 0, 1}, {0xFF5C, 1, 0}, {0xFF5D, 1, 0}, {0xFF5E, 1, 0}, {0xFF61, 1, 0},
    {0xFF64, 1, 0}, {0xFF70, 1, 0}, {0xFF9E, 1, 0}, {0xFF9F, 1, 0}, {0xFFE0, 1, 1}, {0xFFE1, 0, 1},
    {0xFFE5, 0, 1}, {0xFFE6, 0, 1},
};

const KinsokuRecord* FindRecord(uint32_t codePoint) {
    const KinsokuRecord* end = kKinsoku + kKinsokuTableSize;
    const KinsokuRecord* found = std::lower_bound(
        kKinsoku, end, codePoint,
        [](const KinsokuRecord& record, uint32_t value) { return record.codePoint < value; });
    return found != end && found->codePoint == codePoint ? found : nullptr;
}

// Tab, CR, space and the ideographic space.
bool IsBreakSpace(uint32_t c) {
    return c == 9 || c == 13 || c == 32 || c == 0x3000;
}

bool IsAsciiSpace(uint32_t c) {
    return c == 9 || c == 13 || c == 32;
}

// The code point that ends just before `position`, decoded from its lead
// byte; 0 when position is the start. Sets outStart to where it begins.
uint32_t DecodeBefore(const char* position, const char* start, const char*& outStart) {
    if (position <= start) {
        outStart = start;
        return 0;
    }
    const char* lead = position - 1;
    int back = 0;
    while (lead > start && back < 5 && (static_cast<unsigned char>(*lead) & 0xC0) == 0x80) {
        --lead;
        ++back;
    }
    const char* cursor = lead;
    uint32_t c = Utf8Decode(cursor);
    if (cursor != position) {
        // Not one well-formed sequence: take the last byte on its own.
        lead = position - 1;
        cursor = lead;
        c = Utf8Decode(cursor);
    }
    outStart = lead;
    return c;
}

}  // namespace

uint32_t GetOptions() {
    return s_options;
}

void SetOptions(uint32_t options) {
    s_options = options;
}

const KinsokuRecord* GetKinsokuTable() {
    return kKinsoku;
}

bool LookupRule(uint32_t codePoint) {
    if ((s_options & kKinsokuRules) == 0) {
        return false;
    }
    const KinsokuRecord* record = FindRecord(codePoint);
    return record != nullptr && record->cannotStart != 0;
}

bool CannotEndLine(uint32_t codePoint) {
    if ((s_options & kKinsokuRules) == 0) {
        return false;
    }
    const KinsokuRecord* record = FindRecord(codePoint);
    return record != nullptr && record->cannotEnd != 0;
}

bool CanBreakBetween(uint32_t beforePrevious, uint32_t previous, uint32_t next,
                     uint32_t afterNext) {
    if (previous == 0 || next == 0) {
        return false;
    }
    if (IsBreakSpace(next) && afterNext != 0 && LookupRule(afterNext)) {
        return false;
    }
    if (IsBreakSpace(beforePrevious) && previous == '"' && !IsBreakSpace(next)) {
        return false;
    }
    bool checkCjk = true;
    if (IsBreakSpace(previous)) {
        checkCjk = !IsBreakSpace(next);
    } else if (IsBreakSpace(next)) {
        checkCjk = false;
    } else if (next == '"' && (IsAsciiSpace(afterNext) || afterNext == 0x3000)) {
        return false;
    }
    if (checkCjk && !(IsCJK(next) || IsCJK(previous) || previous == '-')) {
        return false;
    }
    if (LookupRule(next)) {
        return false;
    }
    return !CannotEndLine(previous);
}

bool CanBreakBefore(const char* position, uint32_t next, const char* start) {
    if (position == nullptr || start == nullptr || position <= start) {
        return false;
    }
    const char* previousStart = nullptr;
    const uint32_t previous = DecodeBefore(position, start, previousStart);
    const char* unused = nullptr;
    const uint32_t beforePrevious = DecodeBefore(previousStart, start, unused);
    const char* cursor = position;
    uint32_t afterNext = 0;
    if (Utf8Decode(cursor) != 0) {
        afterNext = Utf8Decode(cursor);
    }
    return CanBreakBetween(beforePrevious, previous, next, afterNext);
}

}  // namespace LineBreak

bool IsCJK(uint32_t c) {
    if ((LineBreak::GetOptions() & LineBreak::kHangulLikeLatin) != 0 &&
        ((c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F) ||
         (c >= 0xAC00 && c <= 0xD7A3))) {
        return false;
    }
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3000 && c <= 0xD7AF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFDC);
}

void Font::TakeLine(std::string& text, std::string& outRest, float size, int charSpacing,
                    float maximumWidth, float* outWidth, bool* outCut, int* outConsumed) {
    // Code points with the byte offset of each; one past the last for the end.
    thread_local std::vector<uint32_t> codePoints;
    thread_local std::vector<size_t> offsets;
    codePoints.clear();
    offsets.clear();
    const char* begin = text.c_str();
    const char* cursor = begin;
    for (;;) {
        const size_t at = static_cast<size_t>(cursor - begin);
        const uint32_t c = Utf8Decode(cursor);
        if (c == 0) {
            break;
        }
        codePoints.push_back(c);
        offsets.push_back(at);
    }
    const int count = static_cast<int>(codePoints.size());
    offsets.push_back(static_cast<size_t>(cursor - begin));

    const float step = static_cast<float>(charSpacing + m_owner.GetExtraSpacing()) *
                       m_reciprocalScale;
    if (outCut != nullptr) {
        *outCut = false;
    }
    const bool limited = maximumWidth != -1.0f;
    float width = 0.0f;
    float lineWidth = 0.0f;
    int lastBreak = -1;
    bool skip = true;
    bool breakBefore = false;
    int stoppedAt = -1;  // the round that ended the line; -1 when the text ran out
    bool stoppedByWidth = false;
    Glyph previous;
    auto at = [&](int i) { return i >= 0 && i < count ? codePoints[i] : 0u; };
    for (int c = 0; c < count; ++c) {
        const uint32_t o = codePoints[c];
        const Glyph glyph = GetMetricsGlyph(o, size);
        const bool nextBreakBefore =
            c + 1 < count && LineBreak::CanBreakBetween(at(c - 1), o, at(c + 1), at(c + 2));
        if (o == 9 || o == 13 || o == 32 || o == 0x3000 || o == 0x200B) {
            lastBreak = c;
            skip = true;
            lineWidth = width;
        } else if (breakBefore) {
            lastBreak = c;
            skip = false;
            lineWidth = width;
        }
        if (o == 10) {
            if (c == 0) {
                lastBreak = 1;
                skip = false;
            } else {
                lastBreak = c;
                skip = true;
            }
            lineWidth = width;
            stoppedAt = c;
            break;
        }
        width += (c == 0 ? glyph.advanceX : glyph.GetAdvanceWithKerning(&previous)) + step + 1.0f;
        if (limited && width > maximumWidth) {
            if (lastBreak < 0) {
                if (outCut != nullptr) {
                    *outCut = true;
                }
                lastBreak = c;
                skip = false;
                lineWidth = width;
            }
            stoppedAt = c;
            stoppedByWidth = true;
            break;
        }
        breakBefore = nextBreakBefore;
        previous = glyph;
    }

    if (stoppedAt < 0 || (stoppedAt == 0 && stoppedByWidth)) {
        // All of it fits, or not even the first character does: the whole
        // text is the line, so the caller still moves on.
        outRest.clear();
        if (outWidth != nullptr) {
            *outWidth = width;
        }
        return;
    }
    if (outWidth != nullptr) {
        *outWidth = lineWidth;
    }
    const int taken = std::min(count, lastBreak + (skip ? 1 : 0));
    outRest.assign(text, offsets[taken], std::string::npos);
    text.resize(offsets[std::min(lastBreak, count)]);
    if (outConsumed != nullptr) {
        *outConsumed = taken;
    }
}

bool Font::WrapText(float size, const char* text, int charSpacing, float maximumWidth,
                    std::vector<std::string>* outLines, std::vector<int>* outLineStarts) {
    if (outLines != nullptr) {
        outLines->clear();
    }
    if (outLineStarts != nullptr) {
        outLineStarts->clear();
    }
    bool anyCut = false;
    std::string remaining = text != nullptr ? text : "";
    std::string rest;
    int start = 0;
    while (!remaining.empty()) {
        int consumed = 0;
        bool cut = false;
        TakeLine(remaining, rest, size, charSpacing, maximumWidth, nullptr, &cut, &consumed);
        anyCut = anyCut || cut;
        if (outLines != nullptr) {
            outLines->push_back(remaining);
        }
        if (outLineStarts != nullptr) {
            outLineStarts->push_back(start);
        }
        start += consumed;
        remaining.swap(rest);
    }
    return anyCut;
}

}  // namespace Varnok
