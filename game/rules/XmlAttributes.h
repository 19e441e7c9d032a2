// Number attributes of the challenge files: a missing attribute, or one that
// is not a number, leaves the value as it was.
#pragma once

#include <tinyxml.h>

#include <cstdint>

namespace Varnok {

inline void ReadInt(const TiXmlElement& element, const char* name, int32_t& value) {
    int read = 0;
    if (element.QueryIntAttribute(name, &read) == TIXML_SUCCESS) {
        value = read;
    }
}

inline void ReadFloat(const TiXmlElement& element, const char* name, float& value) {
    double read = 0.0;
    if (element.QueryDoubleAttribute(name, &read) == TIXML_SUCCESS) {
        value = static_cast<float>(read);
    }
}

}  // namespace Varnok
