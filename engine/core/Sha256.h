// SHA-256 (FIPS 180-4), as routines over a state and as a heap-held context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Varnok {

struct Sha256State {
    uint32_t length[2];    // message bytes so far, low word first
    uint32_t hash[8];      // chaining values
    uint8_t block[64];     // the unfinished block; length mod 64 bytes used
};

void Sha256Init(Sha256State* state);
void Sha256Update(Sha256State* state, const void* data, size_t length);
// Pads, then writes the first n bytes (at most 32) of the digest. The state
// must be initialised again before further use.
void Sha256Final(Sha256State* state, uint8_t* out, int n);
// Hashes one 64-byte block into the chaining values.
void Sha256Transform(Sha256State* state, const uint8_t* block);

class Sha256Context {
public:
    static constexpr int kDigestSize = 32;

    Sha256Context() = default;
    Sha256Context(const Sha256Context&) = delete;
    Sha256Context& operator=(const Sha256Context&) = delete;

    // Drops any state. (It is freed, so that resetting a live context
    // cannot leak it.)
    void Reset();
    // A fresh state; any earlier one is freed.
    void Create();
    // Does nothing without a state.
    void Update(const void* data, size_t length);
    // Writes the 32-byte digest and frees the state: the context must be
    // created again. False, with nothing written, when there is no state.
    bool Finish(uint8_t* out);
    void Destroy();

    bool HasState() const { return m_state != nullptr; }

private:
    std::unique_ptr<Sha256State> m_state;  // null when none
};

}  // namespace Varnok
