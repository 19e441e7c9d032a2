// Visual reordering on code points, then ICU's Arabic letter shaping.
// ICU here works in 16-bit code units, so text goes UTF-8 -> UTF-16 -> code
// points for the reordering (which must never split a surrogate pair) and
// back to UTF-16 for the shaping.
#include "engine/core/ArabicShaper.h"

#include "engine/core/Log.h"

#include <unicode/ushape.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace Varnok {

namespace {

bool IsArabicLetter(UChar32 c) {
    const bool inBlock = (c >= 0x0600 && c <= 0x06FF) || (c >= 0x0750 && c <= 0x077F) ||
                         (c >= 0x08A0 && c <= 0x08FF);
    const bool isDigit = (c >= 0x0660 && c <= 0x0669) || (c >= 0x06F0 && c <= 0x06F9);
    return inBlock && !isDigit;
}

bool IsNeutral(UChar32 c) {
    switch (c) {
        case ' ':
        case '!':
        case ':':
        case '=':
        case '_':
        case '\n':
        case '\r':
        case '(':
        case ')':
            return true;
        default:
            return false;
    }
}

UChar32 Mirrored(UChar32 c) {
    if (c == '(') {
        return ')';
    }
    if (c == ')') {
        return '(';
    }
    return c;
}

bool Utf8ToCodePoints(const char* text, std::vector<UChar32>& outCodePoints) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length16 = 0;
    u_strFromUTF8(nullptr, 0, &length16, text, -1, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) {
        return false;
    }
    std::vector<UChar> units(static_cast<size_t>(length16) + 1);
    status = U_ZERO_ERROR;
    u_strFromUTF8(units.data(), static_cast<int32_t>(units.size()), &length16, text, -1, &status);
    if (U_FAILURE(status)) {
        return false;
    }
    outCodePoints.clear();
    for (int32_t i = 0; i < length16;) {
        UChar32 c;
        U16_NEXT(units.data(), i, length16, c);
        outCodePoints.push_back(c);
    }
    return true;
}

// Right-to-left runs (Arabic letters and neutrals) come out reversed with
// their parentheses mirrored; left-to-right runs keep their reading order.
std::vector<UChar32> ToVisualOrder(const std::vector<UChar32>& logical) {
    const size_t n = logical.size();
    std::vector<UChar32> runs(n);
    size_t i = 0;
    while (i < n) {
        while (i < n && (IsArabicLetter(logical[i]) || IsNeutral(logical[i]))) {
            runs[i] = Mirrored(logical[i]);
            ++i;
        }
        // Neutrals inside a left-to-right run belong to it; each such run is
        // reversed here so that the final reversal restores it.
        size_t end = i;
        while (end < n && !IsArabicLetter(logical[end])) {
            ++end;
        }
        std::reverse_copy(logical.begin() + static_cast<std::ptrdiff_t>(i),
                          logical.begin() + static_cast<std::ptrdiff_t>(end),
                          runs.begin() + static_cast<std::ptrdiff_t>(i));
        i = end;
    }
    std::reverse(runs.begin(), runs.end());
    return runs;
}

std::vector<UChar> CodePointsToUtf16(const std::vector<UChar32>& codePoints) {
    std::vector<UChar> units;
    units.reserve(codePoints.size() * 2);
    for (UChar32 c : codePoints) {
        if (U_IS_BMP(c)) {
            units.push_back(static_cast<UChar>(c));
        } else {
            units.push_back(U16_LEAD(c));
            units.push_back(U16_TRAIL(c));
        }
    }
    return units;
}

}  // namespace

ArabicTextShaper& ArabicTextShaper::Get() {
    static ArabicTextShaper shaper;
    return shaper;
}

bool ArabicTextShaper::Transform(const char* text, std::string& inOutResult) const {
    if (text == nullptr) {
        Log("ArabicTextShaper: null text, left unshaped");
        return false;
    }
    std::vector<UChar32> logical;
    if (!Utf8ToCodePoints(text, logical)) {
        Log("ArabicTextShaper: text is not valid UTF-8, left unshaped");
        return false;
    }
    if (logical.empty()) {
        return false;
    }
    const std::vector<UChar> visual = CodePointsToUtf16(ToVisualOrder(logical));
    const int32_t visualLength = static_cast<int32_t>(visual.size());

    // Letter shaping never lengthens the text; twice its length is ample.
    std::vector<UChar> shaped(visual.size() * 2);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t shapedLength =
        u_shapeArabic(visual.data(), visualLength, shaped.data(), static_cast<int32_t>(shaped.size()),
                      U_SHAPE_LETTERS_SHAPE | U_SHAPE_TEXT_DIRECTION_VISUAL_LTR, &status);
    if (U_FAILURE(status)) {
        Log("ArabicTextShaper: shaping failed (%s), left unshaped", u_errorName(status));
        return false;
    }

    // Three bytes per code unit covers every sequence: a BMP code point
    // takes at most three, and a four-byte one comes from a surrogate pair.
    std::string utf8(static_cast<size_t>(shapedLength) * 3 + 1, '\0');
    int32_t utf8Length = 0;
    status = U_ZERO_ERROR;
    u_strToUTF8WithSub(&utf8[0], static_cast<int32_t>(utf8.size()), &utf8Length, shaped.data(),
                       shapedLength, 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) {
        Log("ArabicTextShaper: conversion to UTF-8 failed (%s), left unshaped", u_errorName(status));
        return false;
    }
    utf8.resize(static_cast<size_t>(utf8Length));
    inOutResult = std::move(utf8);
    return true;
}

}  // namespace Varnok
