// The server's own runner of cloud-object operation lists and its own value
// hash (zlib's CRC-32), written apart from the client's so that a fault of
// one cannot hide behind the same fault of the other. Both are Lua
// (ServerCloudOps.lua, built in) run by the system's Lua 5.2; these calls
// convert jsoncpp values to the script's tables and back.
#pragma once

#include <json/json.h>

#include <cstdint>

namespace Varnok {
namespace Tools {

// Scalars hash their text ("" for null, "true"/"false", integers in
// decimal, reals as "%f"); arrays XOR their elements' hashes continued with
// the decimal index, objects with the key.
uint32_t ServerCloudHash(const Json::Value& value);

// Runs list over data and meta at time now; false on a fault (the caller
// keeps its copy: operations before the fault stay applied).
bool RunServerCloudOps(const Json::Value& list, Json::Value& data, Json::Value& meta, uint32_t now);

// A stored copy {"ownerId", "cloudObjectId", "crc", "data", "meta"} after
// list ran on it; a failed run leaves it as it was.
void UpdateServerCloudCopy(Json::Value& copy, const std::string& ownerId, const std::string& objectId,
                           const Json::Value& list, uint32_t now);

}  // namespace Tools
}  // namespace Varnok
