// The two files that keep Kontagent work the service cannot do yet, both in
// "save":
//
// "kontagent.dat", the messages waiting for the network or the endpoint,
// oldest first; every integer unsigned 32-bit big-endian, no header:
//   count                      number of messages
//   count times: length, text  the query text, no terminator
//
// "kontagent-precompiled.dat", the reports made before the player had an
// online-service id: a JSON array of records as compact JSON text, a line
// feed and one NUL byte.
#pragma once

#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace Varnok {

constexpr const char* kKontagentQueueFile = "kontagent.dat";
constexpr const char* kKontagentRecordsFile = "kontagent-precompiled.dat";
constexpr size_t kKontagentQueueLimit = 100;

// Appends the file's non-empty texts in order, keeping the newest
// kKontagentQueueLimit. Reading ends at the first text whose length runs
// past the end; what was read before stays. outFault names the first fault
// in one line (a file shorter than 4 bytes, a text past the end, bytes after
// the last text, more texts than the limit), empty for a sound file.
void ParseKontagentQueue(const uint8_t* bytes, size_t length, std::deque<std::string>& outMessages,
                         std::string& outFault);
std::string SerialiseKontagentQueue(const std::deque<std::string>& messages);

// The records: null or an array. Reads the text up to its first NUL; text
// that does not parse, or a value other than null or an array, leaves null
// and names the fault in outFault.
void ParseKontagentRecords(const char* text, size_t length, Json::Value& outRecords, std::string& outFault);
std::string SerialiseKontagentRecords(const Json::Value& records);

// Whole-file access through the file registry: "save" for writing, any
// mounted file system (highest priority first) for reading. Reading answers
// false when the file is missing; writing when it cannot be opened or
// written, and then the file stays as it was.
bool ReadKontagentFile(const char* name, std::string& outBytes);
bool WriteKontagentFile(const char* name, const std::string& bytes);

}  // namespace Varnok
