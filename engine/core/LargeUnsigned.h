// Arbitrary-precision unsigned integers for the RSA public operation, and
// their conversion to and from digit strings (base 256 for bytes).
#pragma once

#include <cstdint>
#include <vector>

namespace Varnok {

class LargeUnsigned {
public:
    LargeUnsigned() = default;  // zero
    explicit LargeUnsigned(uint32_t value);
    // Values of 0 and below give zero.
    explicit LargeUnsigned(int32_t value);

    // In 32-bit words; 0 is the value zero. The most significant stored word
    // is never 0.
    uint32_t Length() const { return static_cast<uint32_t>(m_words.size()); }
    uint32_t Capacity() const { return static_cast<uint32_t>(m_words.capacity()); }
    // Least significant first; 0 past the end.
    uint32_t Word(uint32_t index) const { return index < Length() ? m_words[index] : 0u; }
    bool IsZero() const { return m_words.empty(); }
    bool IsOdd() const { return !m_words.empty() && (m_words[0] & 1u) != 0; }

    // The value when it is a single word below 65536, else 0.
    uint16_t ToUInt16() const;

    // The result of every operation below may be one of its operands.

    // -1, 0 or 1.
    static int Compare(const LargeUnsigned& a, const LargeUnsigned& b);
    static void Add(LargeUnsigned& result, const LargeUnsigned& a, const LargeUnsigned& b);
    static void Multiply(LargeUnsigned& result, const LargeUnsigned& a, const LargeUnsigned& b);
    // x becomes x mod divisor and quotient x div divisor. A zero divisor leaves
    // x unchanged and sets the quotient to zero.
    static void DivideWithRemainder(LargeUnsigned& x, const LargeUnsigned& divisor, LargeUnsigned& quotient);
    // A negative bit count shifts the other way.
    static void ShiftLeft(LargeUnsigned& result, const LargeUnsigned& a, int bits);
    static void ShiftRight(LargeUnsigned& result, const LargeUnsigned& a, int bits);

    // value = value * factor + addend, for the digit conversions.
    void MultiplyAdd(uint32_t factor, uint32_t addend);
    // value = value div divisor; returns value mod divisor. Requires: divisor > 0.
    uint32_t DivideBySmall(uint32_t divisor);

private:
    void Trim();

    std::vector<uint32_t> m_words;  // least significant first
};

// The same kind of value as a string of digits in a base.
class LargeUnsignedDigits {
public:
    static constexpr uint16_t kByteBase = 256;

    LargeUnsignedDigits() = default;  // zero in base 256
    // Big-endian bytes in base 256; leading zero bytes are dropped.
    LargeUnsignedDigits(const uint8_t* bytes, int length);
    // Digits of value in base (2 or more; a smaller base logs a line and gives
    // no digits). Zero gives no digits.
    LargeUnsignedDigits(const LargeUnsigned& value, uint16_t base);

    LargeUnsigned ToLargeUnsigned() const;
    // Writes the digits most significant first. 0 when the base is not 256,
    // when there are no digits, or when capacity is below the digit count.
    int ToBytes(uint8_t* out, int capacity) const;

    uint32_t Length() const { return static_cast<uint32_t>(m_digits.size()); }
    uint16_t Base() const { return m_base; }
    // Least significant first; 0 past the end.
    uint16_t Digit(uint32_t index) const { return index < Length() ? m_digits[index] : uint16_t{0}; }

private:
    std::vector<uint16_t> m_digits;  // least significant first
    uint16_t m_base = kByteBase;
};

}  // namespace Varnok
