// The compact binary image of an XML document, turned into a TinyXML node
// tree without parsing text. Images are prepared offline; nothing here writes
// them.
//
// Layout (every multi-byte field little-endian, unaligned):
//   0   'b' 'x' 'm' 'l'
//   4   version, u16, must be 1
//   6   nesting limit D, u16: elements nest at most D deep below the document
//   8   N, u32: offset of the node stream
//   12  string pool: zero-terminated strings; reference r names the string
//       at byte 12 + r
//   N   12 bytes skipped, then at N + 12 the top-level node count (u32),
//       then the top-level nodes from N + 16
// Node records, children right after their element, depth first:
//   1 element      type byte, name ref, attribute count n, n (name ref, value
//                  ref) pairs, child count c, then the c child records
//   2 comment      type byte, text ref
//   3 unknown      type byte, text ref
//   4 text         type byte, text ref
//   5 declaration  type byte, version ref, encoding ref, standalone ref
#pragma once

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>

namespace Varnok {

constexpr uint16_t kBinaryXmlVersion = 1;
// Deeper trees than this are refused whatever the image's own limit says:
// TinyXML destroys and prints trees recursively.
constexpr int kBinaryXmlMaxDepth = 1000;

// More than 4 bytes that begin with b, x, m, l.
bool IsBinaryXml(const void* bytes, size_t length);

// Builds the image's nodes into `document`, after clearing its error. Answers
// the position after the last record, or null when reading stopped on an error
// or on an unknown node type (which stops reading without an error, keeping
// the nodes made so far).
// Errors go to the document: a version other than 1 or a header that does not
// fit the image gives TIXML_ERROR_OPENING_FILE; an element deeper than the
// limit gives TIXML_ERROR_PARSING_ELEMENT; a reference or count that points
// outside the image gives the parse error of the node kind it belongs to.
const uint8_t* ReadBinaryXml(TiXmlDocument& document, const uint8_t* image, size_t length);

}  // namespace Varnok
