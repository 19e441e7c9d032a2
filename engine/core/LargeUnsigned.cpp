// Word-level arithmetic on LargeUnsigned; division is binary long division,
// which is plenty for 1024-bit keys and short exponents.
#include "engine/core/LargeUnsigned.h"

#include "engine/core/Log.h"

#include <algorithm>
#include <utility>

namespace Varnok {

namespace {

constexpr int kWordBits = 32;

int BitLength(const std::vector<uint32_t>& words) {
    if (words.empty()) {
        return 0;
    }
    uint32_t top = words.back();
    int bits = 0;
    while (top != 0) {
        ++bits;
        top >>= 1;
    }
    return static_cast<int>(words.size() - 1) * kWordBits + bits;
}

// Compares untrimmed word arrays of any lengths.
int CompareWords(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    for (size_t i = std::max(a.size(), b.size()); i-- > 0;) {
        const uint32_t x = i < a.size() ? a[i] : 0u;
        const uint32_t y = i < b.size() ? b[i] : 0u;
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

// a -= b. Requires: a >= b.
void SubtractWords(std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    uint64_t borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const uint64_t sub = (i < b.size() ? uint64_t{b[i]} : 0u) + borrow;
        const uint64_t x = a[i];
        a[i] = static_cast<uint32_t>(x - sub);
        borrow = x < sub ? 1u : 0u;
    }
}

// words = words * 2 + bit, growing by one word when the top bit spills.
void ShiftInBit(std::vector<uint32_t>& words, uint32_t bit) {
    uint32_t carry = bit;
    for (uint32_t& w : words) {
        const uint32_t next = w >> (kWordBits - 1);
        w = (w << 1) | carry;
        carry = next;
    }
    if (carry != 0) {
        words.push_back(carry);
    }
}

}  // namespace

LargeUnsigned::LargeUnsigned(uint32_t value) {
    if (value != 0) {
        m_words.push_back(value);
    }
}

LargeUnsigned::LargeUnsigned(int32_t value) {
    if (value > 0) {
        m_words.push_back(static_cast<uint32_t>(value));
    }
}

void LargeUnsigned::Trim() {
    while (!m_words.empty() && m_words.back() == 0) {
        m_words.pop_back();
    }
}

uint16_t LargeUnsigned::ToUInt16() const {
    if (m_words.size() == 1 && m_words[0] < 0x10000u) {
        return static_cast<uint16_t>(m_words[0]);
    }
    return 0;
}

int LargeUnsigned::Compare(const LargeUnsigned& a, const LargeUnsigned& b) {
    if (a.m_words.size() != b.m_words.size()) {
        return a.m_words.size() < b.m_words.size() ? -1 : 1;
    }
    return CompareWords(a.m_words, b.m_words);
}

void LargeUnsigned::Add(LargeUnsigned& result, const LargeUnsigned& a, const LargeUnsigned& b) {
    const size_t n = std::max(a.m_words.size(), b.m_words.size());
    std::vector<uint32_t> sum(n + 1, 0u);
    uint64_t carry = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t s = uint64_t{a.Word(static_cast<uint32_t>(i))} + b.Word(static_cast<uint32_t>(i)) + carry;
        sum[i] = static_cast<uint32_t>(s);
        carry = s >> kWordBits;
    }
    sum[n] = static_cast<uint32_t>(carry);
    result.m_words = std::move(sum);
    result.Trim();
}

void LargeUnsigned::Multiply(LargeUnsigned& result, const LargeUnsigned& a, const LargeUnsigned& b) {
    if (a.IsZero() || b.IsZero()) {
        result.m_words.clear();
        return;
    }
    const std::vector<uint32_t>& x = a.m_words;
    const std::vector<uint32_t>& y = b.m_words;
    std::vector<uint32_t> product(x.size() + y.size(), 0u);
    for (size_t i = 0; i < x.size(); ++i) {
        uint64_t carry = 0;
        for (size_t j = 0; j < y.size(); ++j) {
            const uint64_t t = uint64_t{x[i]} * y[j] + product[i + j] + carry;
            product[i + j] = static_cast<uint32_t>(t);
            carry = t >> kWordBits;
        }
        product[i + y.size()] = static_cast<uint32_t>(carry);
    }
    result.m_words = std::move(product);
    result.Trim();
}

void LargeUnsigned::DivideWithRemainder(LargeUnsigned& x, const LargeUnsigned& divisor, LargeUnsigned& quotient) {
    if (divisor.IsZero() || x.m_words.size() < divisor.m_words.size()) {
        quotient.m_words.clear();
        return;
    }
    // Bring x in bit by bit from the top; whenever the running remainder
    // reaches the divisor, subtract it and set that quotient bit.
    const std::vector<uint32_t>& d = divisor.m_words;
    const int bits = BitLength(x.m_words);
    std::vector<uint32_t> remainder;
    remainder.reserve(d.size() + 1);
    std::vector<uint32_t> q(x.m_words.size(), 0u);
    for (int bit = bits - 1; bit >= 0; --bit) {
        const uint32_t in = (x.m_words[static_cast<size_t>(bit / kWordBits)] >> (bit % kWordBits)) & 1u;
        ShiftInBit(remainder, in);
        if (CompareWords(remainder, d) >= 0) {
            SubtractWords(remainder, d);
            q[static_cast<size_t>(bit / kWordBits)] |= 1u << (bit % kWordBits);
        }
    }
    // Quotient first: when both are the same object, the remainder wins.
    quotient.m_words = std::move(q);
    quotient.Trim();
    x.m_words = std::move(remainder);
    x.Trim();
}

void LargeUnsigned::ShiftLeft(LargeUnsigned& result, const LargeUnsigned& a, int bits) {
    if (bits < 0) {
        // Through 64 bits so that the most negative count cannot overflow.
        const int64_t right = -static_cast<int64_t>(bits);
        ShiftRight(result, a, static_cast<int>(std::min<int64_t>(right, INT32_MAX)));
        return;
    }
    if (a.IsZero() || bits == 0) {
        result.m_words = a.m_words;
        return;
    }
    const size_t wordShift = static_cast<size_t>(bits / kWordBits);
    const int bitShift = bits % kWordBits;
    std::vector<uint32_t> shifted(a.m_words.size() + wordShift + 1, 0u);
    for (size_t i = 0; i < a.m_words.size(); ++i) {
        const uint64_t w = uint64_t{a.m_words[i]} << bitShift;
        shifted[i + wordShift] |= static_cast<uint32_t>(w);
        shifted[i + wordShift + 1] |= static_cast<uint32_t>(w >> kWordBits);
    }
    result.m_words = std::move(shifted);
    result.Trim();
}

void LargeUnsigned::ShiftRight(LargeUnsigned& result, const LargeUnsigned& a, int bits) {
    if (bits < 0) {
        const int64_t left = -static_cast<int64_t>(bits);
        ShiftLeft(result, a, static_cast<int>(std::min<int64_t>(left, INT32_MAX)));
        return;
    }
    const size_t wordShift = static_cast<size_t>(bits / kWordBits);
    if (wordShift >= a.m_words.size()) {
        result.m_words.clear();
        return;
    }
    const int bitShift = bits % kWordBits;
    std::vector<uint32_t> shifted(a.m_words.size() - wordShift, 0u);
    for (size_t i = 0; i < shifted.size(); ++i) {
        const uint64_t pair = (uint64_t{a.Word(static_cast<uint32_t>(i + wordShift + 1))} << kWordBits) |
                              a.m_words[i + wordShift];
        shifted[i] = static_cast<uint32_t>(pair >> bitShift);
    }
    result.m_words = std::move(shifted);
    result.Trim();
}

void LargeUnsigned::MultiplyAdd(uint32_t factor, uint32_t addend) {
    uint64_t carry = addend;
    for (uint32_t& w : m_words) {
        const uint64_t t = uint64_t{w} * factor + carry;
        w = static_cast<uint32_t>(t);
        carry = t >> kWordBits;
    }
    if (carry != 0) {
        m_words.push_back(static_cast<uint32_t>(carry));
    }
    Trim();  // a zero factor
}

uint32_t LargeUnsigned::DivideBySmall(uint32_t divisor) {
    uint64_t remainder = 0;
    for (size_t i = m_words.size(); i-- > 0;) {
        const uint64_t current = (remainder << kWordBits) | m_words[i];
        m_words[i] = static_cast<uint32_t>(current / divisor);
        remainder = current % divisor;
    }
    Trim();
    return static_cast<uint32_t>(remainder);
}

LargeUnsignedDigits::LargeUnsignedDigits(const uint8_t* bytes, int length) {
    int first = 0;
    while (first < length && bytes[first] == 0) {
        ++first;
    }
    for (int i = length - 1; i >= first; --i) {
        m_digits.push_back(bytes[i]);
    }
}

LargeUnsignedDigits::LargeUnsignedDigits(const LargeUnsigned& value, uint16_t base) : m_base(base) {
    if (base < 2) {
        // Repeated division by 0 or 1 would never end.
        Log("LargeUnsignedDigits: base %u is below 2, no digits made", static_cast<unsigned>(base));
        return;
    }
    LargeUnsigned rest = value;
    while (!rest.IsZero()) {
        m_digits.push_back(static_cast<uint16_t>(rest.DivideBySmall(base)));
    }
}

LargeUnsigned LargeUnsignedDigits::ToLargeUnsigned() const {
    LargeUnsigned value;
    for (size_t i = m_digits.size(); i-- > 0;) {
        value.MultiplyAdd(m_base, m_digits[i]);
    }
    return value;
}

int LargeUnsignedDigits::ToBytes(uint8_t* out, int capacity) const {
    if (m_base != kByteBase || m_digits.empty() || capacity < static_cast<int>(m_digits.size())) {
        return 0;
    }
    const int count = static_cast<int>(m_digits.size());
    for (int i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>(m_digits[static_cast<size_t>(count - 1 - i)]);
    }
    return count;
}

}  // namespace Varnok
