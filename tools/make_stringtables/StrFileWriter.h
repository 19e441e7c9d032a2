// Writes text banks as ".str" key and string files (the byte layout is in
// engine/text/TextBank.h), and reads the authored text they are made from.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Varnok {
namespace StrFile {

// key -> text; std::map keeps the keys in byte order, as the search needs.
using Texts = std::map<std::string, std::string>;

// The key file: every key with its row, which is its place in byte order.
std::vector<uint8_t> WriteKeyFile(const std::string& bankName, const Texts& texts);
// The string file of one language: the texts in the order of their keys.
std::vector<uint8_t> WriteStringFile(const std::string& bankName, const Texts& texts);

// Authored text: one "KEY = text" a line; blank lines and lines starting with
// '#' are skipped; "\n", "\t" and "\\" in a text stand for a newline, a tab
// and a backslash. False with a message naming the line for anything else.
[[nodiscard]] bool ParseTexts(const std::string& source, Texts& outTexts, std::string& outError);

}  // namespace StrFile
}  // namespace Varnok
