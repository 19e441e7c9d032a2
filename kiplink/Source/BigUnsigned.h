// Unsigned integers of any size for the RSA public operation: 32-bit limbs,
// least significant first, never a most significant zero limb (zero has none).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kiplink {

class BigUnsigned {
public:
    BigUnsigned() = default;
    explicit BigUnsigned(uint32_t value);

    // Big-endian bytes (leading zeros allowed).
    static BigUnsigned FromBytes(const uint8_t* bytes, size_t count);
    // Significant bytes, big-endian: none for zero.
    std::vector<uint8_t> ToBytes() const;

    bool IsZero() const { return m_limbs.empty(); }
    bool IsOdd() const { return !m_limbs.empty() && (m_limbs[0] & 1u) != 0; }
    size_t LimbCount() const { return m_limbs.size(); }
    uint32_t Limb(size_t i) const { return i < m_limbs.size() ? m_limbs[i] : 0; }

    // By limb count first, then limb by limb from the most significant.
    static int Compare(const BigUnsigned& a, const BigUnsigned& b);
    static BigUnsigned Multiply(const BigUnsigned& a, const BigUnsigned& b);
    // Requires: divisor not zero.
    static void Divide(const BigUnsigned& dividend, const BigUnsigned& divisor, BigUnsigned* outQuotient,
                       BigUnsigned* outRemainder);
    // A negative count shifts the other way.
    BigUnsigned ShiftedLeft(int bits) const;
    BigUnsigned ShiftedRight(int bits) const { return ShiftedLeft(-bits); }

private:
    void Trim();

    std::vector<uint32_t> m_limbs;
};

}  // namespace Kiplink
