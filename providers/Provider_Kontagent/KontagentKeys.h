// The user keys that every Kontagent message carries: one derived from the
// device id (CRC-64/XZ), one from the online-service id (SHA-256).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Varnok {

// CRC-64/XZ: the reflected ECMA-182 polynomial (0xC96C5795D7870F42 in
// reflected form), initial value and final XOR all ones. The same value as
// liblzma's lzma_crc64(data, length, 0).
uint64_t Crc64Xz(const void* data, size_t length);

// The CRC-64/XZ of the id's bytes with the top bit cleared; 0 for an empty id.
uint64_t KontagentDeviceKey(const std::string& deviceId);
// The first 8 bytes of the SHA-256 of the id, read little-endian, shifted
// right by one bit.
uint64_t KontagentOnlineIdKey(const std::string& onlineId);
// The decimal text of a key ("%llu").
std::string KontagentKeyText(uint64_t key);

}  // namespace Varnok
