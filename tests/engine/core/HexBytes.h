// Hex text to bytes and back, for the cipher, digest and RSA tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace VarnokTest {

inline std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

inline std::string ToHex(const void* data, size_t length) {
    static const char kDigits[] = "0123456789abcdef";
    const uint8_t* p = static_cast<const uint8_t*>(data);
    std::string hex;
    for (size_t i = 0; i < length; ++i) {
        hex += kDigits[p[i] >> 4];
        hex += kDigits[p[i] & 0x0F];
    }
    return hex;
}

inline std::string ToHex(const std::vector<uint8_t>& bytes) { return ToHex(bytes.data(), bytes.size()); }
inline std::string ToHex(const std::string& bytes) { return ToHex(bytes.data(), bytes.size()); }

}  // namespace VarnokTest
