// SHA-512 (FIPS 180-4).
#pragma once

#include <cstddef>
#include <cstdint>

namespace Varnok {

struct Sha512State {
    uint32_t length[4];    // message bytes so far, lowest word first
    uint64_t hash[8];      // chaining values
    uint8_t block[128];    // the unfinished block; length mod 128 bytes used
};

void Sha512Init(Sha512State* state);
void Sha512Update(Sha512State* state, const void* data, size_t length);
// Pads, then writes the first n bytes (at most 64) of the digest.
void Sha512Final(Sha512State* state, uint8_t* out, int n);
// Hashes one 128-byte block into the chaining values.
void Sha512Transform(Sha512State* state, const uint8_t* block);

// The 64-byte digest of data in one call.
void Sha512Digest(const void* data, size_t length, uint8_t* out);

}  // namespace Varnok
