// The RSA public operation (data^e mod n), in one call or in time-bounded
// slices so that checking a signature never stalls a frame.
#pragma once

#include "engine/core/LargeUnsigned.h"

#include <cstdint>
#include <memory>

namespace Varnok {

// A sliced exponentiation in progress; the caller keeps it between calls.
struct RsaExponentiation {
    LargeUnsigned base;
    LargeUnsigned result;
    LargeUnsigned exponent;  // the part still to process
};

// Microseconds of a monotonic clock. Tests pass their own.
using MicrosecondClock = uint64_t (*)();

class RsaPublicKey {
public:
    // Both numbers big-endian; leading zero bytes are allowed. A zero modulus
    // logs a line, and every operation of the key then gives 0 bytes.
    RsaPublicKey(const uint8_t* modulus, int modulusLength, const uint8_t* exponent, int exponentLength);

    // Writes data^e mod n, most significant byte first and without leading
    // zero bytes (a 1024-bit block whose top byte is zero gives 127 bytes).
    // Returns the byte count; 0 when the result is zero or does not fit.
    int PublicOp(const uint8_t* data, int length, uint8_t* out, int capacity) const;

    // base = data, result = 1, exponent = e.
    std::unique_ptr<RsaExponentiation> BeginPublicOp(const uint8_t* data, int length) const;
    // Runs steps (one exponent bit each) until the exponentiation is complete
    // (true) or budgetUs microseconds have passed since the call began
    // (false; the state keeps its progress). A budget of 0 makes no progress.
    bool ContinuePublicOp(RsaExponentiation& state, int budgetUs, MicrosecondClock clock = nullptr) const;
    // Completes any remaining steps, writes the result as PublicOp does and
    // frees the state. A null state gives 0.
    int FinishPublicOp(std::unique_ptr<RsaExponentiation> state, uint8_t* out, int capacity) const;

private:
    // One square-and-multiply step. Requires: a non-zero remaining exponent.
    void Step(RsaExponentiation& state) const;

    LargeUnsigned m_modulus;
    LargeUnsigned m_exponent;
};

}  // namespace Varnok
