// Percent-encoding of text for URL query parameters.
#pragma once

#include <string>

namespace Varnok {

// Keeps ASCII letters, digits and - . * _; a space becomes '+' when
// spaceAsPlus is set; '&' and '=' stay as they are unless encodeReserved is
// set; every other byte becomes %XX (upper-case hexadecimal). outText is
// cleared first; a null text gives an empty one. Returns outText's characters.
const char* UrlEncode(const char* text, std::string& outText, bool encodeReserved, bool spaceAsPlus);

}  // namespace Varnok
