// Schoolbook multiplication and Knuth's long division (algorithm D) over
// 32-bit limbs: enough for a 1024-bit public exponentiation.
#include "kiplink/Source/BigUnsigned.h"

#include "kiplink/Public/RefCounted.h"

#include <algorithm>
#include <utility>

namespace Kiplink {

BigUnsigned::BigUnsigned(uint32_t value) {
    if (value != 0) {
        m_limbs.push_back(value);
    }
}

void BigUnsigned::Trim() {
    while (!m_limbs.empty() && m_limbs.back() == 0) {
        m_limbs.pop_back();
    }
}

BigUnsigned BigUnsigned::FromBytes(const uint8_t* bytes, size_t count) {
    BigUnsigned result;
    result.m_limbs.assign((count + 3) / 4, 0);
    for (size_t i = 0; i < count; ++i) {
        const size_t digit = count - 1 - i;  // the last byte is the least significant
        result.m_limbs[digit / 4] |= static_cast<uint32_t>(bytes[i]) << (8 * (digit % 4));
    }
    result.Trim();
    return result;
}

std::vector<uint8_t> BigUnsigned::ToBytes() const {
    std::vector<uint8_t> bytes;
    if (m_limbs.empty()) {
        return bytes;
    }
    size_t count = m_limbs.size() * 4;
    while (((m_limbs[(count - 1) / 4] >> (8 * ((count - 1) % 4))) & 0xFF) == 0) {
        --count;  // the top limb is never zero, so this stops
    }
    bytes.resize(count);
    for (size_t digit = 0; digit < count; ++digit) {
        bytes[count - 1 - digit] = static_cast<uint8_t>(m_limbs[digit / 4] >> (8 * (digit % 4)));
    }
    return bytes;
}

int BigUnsigned::Compare(const BigUnsigned& a, const BigUnsigned& b) {
    if (a.m_limbs.size() != b.m_limbs.size()) {
        return a.m_limbs.size() < b.m_limbs.size() ? -1 : 1;
    }
    for (size_t i = a.m_limbs.size(); i-- > 0;) {
        if (a.m_limbs[i] != b.m_limbs[i]) {
            return a.m_limbs[i] < b.m_limbs[i] ? -1 : 1;
        }
    }
    return 0;
}

BigUnsigned BigUnsigned::Multiply(const BigUnsigned& a, const BigUnsigned& b) {
    BigUnsigned product;
    if (a.IsZero() || b.IsZero()) {
        return product;
    }
    product.m_limbs.assign(a.m_limbs.size() + b.m_limbs.size(), 0);
    for (size_t i = 0; i < a.m_limbs.size(); ++i) {
        uint64_t carry = 0;
        const uint64_t ai = a.m_limbs[i];
        for (size_t j = 0; j < b.m_limbs.size(); ++j) {
            const uint64_t t = ai * b.m_limbs[j] + product.m_limbs[i + j] + carry;
            product.m_limbs[i + j] = static_cast<uint32_t>(t);
            carry = t >> 32;
        }
        product.m_limbs[i + b.m_limbs.size()] = static_cast<uint32_t>(carry);
    }
    product.Trim();
    return product;
}

BigUnsigned BigUnsigned::ShiftedLeft(int bits) const {
    BigUnsigned result;
    if (IsZero() || bits == 0) {
        result.m_limbs = m_limbs;
        return result;
    }
    if (bits > 0) {
        const size_t limbShift = static_cast<size_t>(bits) / 32;
        const int bitShift = bits % 32;
        result.m_limbs.assign(m_limbs.size() + limbShift + 1, 0);
        for (size_t i = 0; i < m_limbs.size(); ++i) {
            const uint64_t moved = static_cast<uint64_t>(m_limbs[i]) << bitShift;
            result.m_limbs[i + limbShift] |= static_cast<uint32_t>(moved);
            result.m_limbs[i + limbShift + 1] |= static_cast<uint32_t>(moved >> 32);
        }
    } else {
        const size_t count = static_cast<size_t>(-static_cast<int64_t>(bits));
        const size_t limbShift = count / 32;
        const int bitShift = static_cast<int>(count % 32);
        if (limbShift >= m_limbs.size()) {
            return result;
        }
        result.m_limbs.assign(m_limbs.size() - limbShift, 0);
        for (size_t i = limbShift; i < m_limbs.size(); ++i) {
            const uint64_t pair = (static_cast<uint64_t>(i + 1 < m_limbs.size() ? m_limbs[i + 1] : 0) << 32) | m_limbs[i];
            result.m_limbs[i - limbShift] = static_cast<uint32_t>(pair >> bitShift);
        }
    }
    result.Trim();
    return result;
}

void BigUnsigned::Divide(const BigUnsigned& dividend, const BigUnsigned& divisor, BigUnsigned* outQuotient,
                         BigUnsigned* outRemainder) {
    KIPLINK_ASSERT(!divisor.IsZero());
    BigUnsigned quotient;
    BigUnsigned remainder;
    if (Compare(dividend, divisor) < 0) {
        remainder = dividend;
    } else if (divisor.m_limbs.size() == 1) {
        const uint64_t d = divisor.m_limbs[0];
        quotient.m_limbs.assign(dividend.m_limbs.size(), 0);
        uint64_t rest = 0;
        for (size_t i = dividend.m_limbs.size(); i-- > 0;) {
            const uint64_t current = (rest << 32) | dividend.m_limbs[i];
            quotient.m_limbs[i] = static_cast<uint32_t>(current / d);
            rest = current % d;
        }
        quotient.Trim();
        remainder = BigUnsigned(static_cast<uint32_t>(rest));
    } else {
        // Normalise so the divisor's top limb has its high bit set.
        int shift = 0;
        for (uint32_t top = divisor.m_limbs.back(); (top & 0x80000000u) == 0; top <<= 1) {
            ++shift;
        }
        const BigUnsigned v = divisor.ShiftedLeft(shift);
        BigUnsigned u = dividend.ShiftedLeft(shift);
        const size_t n = v.m_limbs.size();
        if (u.m_limbs.size() == dividend.m_limbs.size()) {
            u.m_limbs.push_back(0);
        }
        u.m_limbs.resize(std::max(u.m_limbs.size(), dividend.m_limbs.size() + 1), 0);
        const size_t m = u.m_limbs.size() - n - 1;
        quotient.m_limbs.assign(m + 1, 0);
        const uint64_t vTop = v.m_limbs[n - 1];
        const uint64_t vNext = v.m_limbs[n - 2];
        for (size_t j = m + 1; j-- > 0;) {
            const uint64_t numerator = (static_cast<uint64_t>(u.m_limbs[j + n]) << 32) | u.m_limbs[j + n - 1];
            uint64_t qHat = numerator / vTop;
            uint64_t rHat = numerator % vTop;
            while (qHat > 0xFFFFFFFFull || qHat * vNext > ((rHat << 32) | u.m_limbs[j + n - 2])) {
                --qHat;
                rHat += vTop;
                if (rHat > 0xFFFFFFFFull) {
                    break;
                }
            }
            // u[j..j+n] -= qHat * v
            int64_t borrow = 0;
            uint64_t carry = 0;
            for (size_t i = 0; i < n; ++i) {
                const uint64_t p = qHat * v.m_limbs[i] + carry;
                carry = p >> 32;
                const int64_t t = static_cast<int64_t>(u.m_limbs[i + j]) - static_cast<int64_t>(p & 0xFFFFFFFFu) + borrow;
                u.m_limbs[i + j] = static_cast<uint32_t>(t);
                borrow = t >> 32;
            }
            const int64_t t = static_cast<int64_t>(u.m_limbs[j + n]) - static_cast<int64_t>(carry) + borrow;
            u.m_limbs[j + n] = static_cast<uint32_t>(t);
            if (t < 0) {
                // qHat was one too large: add the divisor back.
                --qHat;
                uint64_t add = 0;
                for (size_t i = 0; i < n; ++i) {
                    const uint64_t s = static_cast<uint64_t>(u.m_limbs[i + j]) + v.m_limbs[i] + add;
                    u.m_limbs[i + j] = static_cast<uint32_t>(s);
                    add = s >> 32;
                }
                u.m_limbs[j + n] = static_cast<uint32_t>(u.m_limbs[j + n] + add);
            }
            quotient.m_limbs[j] = static_cast<uint32_t>(qHat);
        }
        quotient.Trim();
        u.m_limbs.resize(n);
        u.Trim();
        remainder = u.ShiftedRight(shift);
    }
    if (outQuotient != nullptr) {
        *outQuotient = std::move(quotient);
    }
    if (outRemainder != nullptr) {
        *outRemainder = std::move(remainder);
    }
}

}  // namespace Kiplink
