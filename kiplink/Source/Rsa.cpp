// The RSA public operation and the project key compiled into the library.
#include "kiplink/Source/Crypto.h"

#include <cstring>

namespace Kiplink {

namespace {

// The development RSA-1024 pair's modulus, big-endian, with a leading zero
// byte; its private half signs remote configuration and static data.
const uint8_t kProjectModulus[129] = {
    0x00, 0xAF, 0x05, 0x58, 0x3F, 0xE8, 0x7B, 0xCC, 0xA1, 0xC6, 0xD7, 0x9B,
    0x15, 0x14, 0x70, 0x81, 0xAD, 0xDE, 0xB1, 0xD9, 0x8A, 0x51, 0xD1, 0xAF,
    0xE4, 0x7D, 0xE3, 0xE7, 0x01, 0x57, 0x63, 0x52, 0x4B, 0xCC, 0x62, 0xAA,
    0x61, 0x33, 0xCE, 0xD6, 0x53, 0x96, 0xE2, 0xA5, 0x47, 0x0C, 0xF0, 0x7D,
    0x33, 0x64, 0xA3, 0xED, 0x66, 0xD3, 0x9E, 0xF9, 0x63, 0xA3, 0x29, 0xE2,
    0x33, 0xE3, 0x3F, 0x96, 0x65, 0x31, 0xC3, 0x0A, 0xA2, 0x84, 0x67, 0x63,
    0x19, 0xA9, 0xB1, 0x31, 0xA1, 0x3D, 0xA1, 0x89, 0xD9, 0xCF, 0xFA, 0x60,
    0xA0, 0x14, 0x7E, 0x3B, 0x2B, 0x37, 0x04, 0x09, 0x83, 0x49, 0x9C, 0x39,
    0xA0, 0xA1, 0xE8, 0xD7, 0x19, 0x5F, 0x62, 0xF8, 0x7A, 0x39, 0x22, 0x7F,
    0x66, 0xA7, 0x16, 0x58, 0x97, 0xA0, 0xFF, 0xEB, 0xA8, 0xA2, 0xAA, 0xF3,
    0x0A, 0xB1, 0x91, 0xFA, 0x9A, 0x9B, 0x82, 0xFE, 0xA5,
};
const uint8_t kProjectExponent[3] = {0x01, 0x00, 0x01};

}  // namespace

RsaPublicKey::RsaPublicKey(const uint8_t* modulus, size_t modulusCount, const uint8_t* exponent,
                           size_t exponentCount)
    : m_modulus(BigUnsigned::FromBytes(modulus, modulusCount)),
      m_exponent(BigUnsigned::FromBytes(exponent, exponentCount)) {}

size_t RsaPublicKey::PublicOperation(const uint8_t* input, size_t inputCount, uint8_t* out,
                                     size_t outCapacity) const {
    if (m_modulus.IsZero()) {
        return 0;
    }
    // Reduced first: the same result, and an oversized input costs no more
    // than a modulus-sized one.
    BigUnsigned m;
    BigUnsigned::Divide(BigUnsigned::FromBytes(input, inputCount), m_modulus, nullptr, &m);
    BigUnsigned r(1);
    BigUnsigned e = m_exponent;
    while (!e.IsZero()) {
        if (e.IsOdd()) {
            BigUnsigned::Divide(BigUnsigned::Multiply(r, m), m_modulus, nullptr, &r);
        }
        e = e.ShiftedRight(1);
        if (!e.IsZero()) {
            BigUnsigned::Divide(BigUnsigned::Multiply(m, m), m_modulus, nullptr, &m);
        }
    }
    const std::vector<uint8_t> bytes = r.ToBytes();
    if (bytes.empty() || bytes.size() > outCapacity) {
        return 0;
    }
    memcpy(out, bytes.data(), bytes.size());
    return bytes.size();
}

const RsaPublicKey& GetRsaPublicKey() {
    static const RsaPublicKey& s_key =  // kept to the end: used at exit
        *new RsaPublicKey(kProjectModulus, sizeof(kProjectModulus), kProjectExponent, sizeof(kProjectExponent));
    return s_key;
}

}  // namespace Kiplink
