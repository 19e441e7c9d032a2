// Right-to-left square-and-multiply over LargeUnsigned, with a time budget.
#include "engine/core/Rsa.h"

#include "engine/core/Clock.h"
#include "engine/core/Log.h"

#include <utility>

namespace Varnok {

namespace {

int WriteResult(const LargeUnsigned& value, uint8_t* out, int capacity) {
    return LargeUnsignedDigits(value, LargeUnsignedDigits::kByteBase).ToBytes(out, capacity);
}

}  // namespace

RsaPublicKey::RsaPublicKey(const uint8_t* modulus, int modulusLength, const uint8_t* exponent,
                           int exponentLength)
    : m_modulus(LargeUnsignedDigits(modulus, modulusLength).ToLargeUnsigned()),
      m_exponent(LargeUnsignedDigits(exponent, exponentLength).ToLargeUnsigned()) {
    if (m_modulus.IsZero()) {
        // Nothing would reduce the products: they would grow without bound.
        Log("RsaPublicKey: the modulus is zero; the key gives no results");
    }
}

std::unique_ptr<RsaExponentiation> RsaPublicKey::BeginPublicOp(const uint8_t* data, int length) const {
    auto state = std::make_unique<RsaExponentiation>();
    if (m_modulus.IsZero()) {
        return state;  // zero result, nothing left to do
    }
    state->base = LargeUnsignedDigits(data, length).ToLargeUnsigned();
    state->result = LargeUnsigned(1u);
    state->exponent = m_exponent;
    return state;
}

void RsaPublicKey::Step(RsaExponentiation& state) const {
    LargeUnsigned quotient;
    if (state.exponent.IsOdd()) {
        LargeUnsigned::Multiply(state.result, state.result, state.base);
        LargeUnsigned::DivideWithRemainder(state.result, m_modulus, quotient);
    }
    LargeUnsigned::ShiftRight(state.exponent, state.exponent, 1);
    LargeUnsigned::Multiply(state.base, state.base, state.base);
    LargeUnsigned::DivideWithRemainder(state.base, m_modulus, quotient);
}

bool RsaPublicKey::ContinuePublicOp(RsaExponentiation& state, int budgetUs, MicrosecondClock clock) const {
    if (clock == nullptr) {
        clock = GetMicroseconds;
    }
    const uint64_t start = clock();
    for (;;) {
        if (state.exponent.IsZero()) {
            return true;
        }
        const uint64_t elapsed = clock() - start;
        if (budgetUs <= 0 || elapsed >= static_cast<uint64_t>(budgetUs)) {
            return false;
        }
        Step(state);
    }
}

int RsaPublicKey::FinishPublicOp(std::unique_ptr<RsaExponentiation> state, uint8_t* out, int capacity) const {
    if (state == nullptr) {
        return 0;
    }
    while (!state->exponent.IsZero()) {
        Step(*state);
    }
    return WriteResult(state->result, out, capacity);
}

int RsaPublicKey::PublicOp(const uint8_t* data, int length, uint8_t* out, int capacity) const {
    return FinishPublicOp(BeginPublicOp(data, length), out, capacity);
}

}  // namespace Varnok
