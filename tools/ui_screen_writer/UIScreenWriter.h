// Screens from their XML form to the binary screen file: the XML is read
// with the engine's own description reader (so only properties the class
// definitions declare survive), then each description node becomes one
// component record.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/ui/descriptions/UIScreenFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class ComponentDesc;

namespace UIScreenWriter {

// The records of a description tree, root first, children after their
// parents. The SKU table starts with the project's primary SKU.
UIScreenFile ToRecords(const ComponentDesc& root);
// The file's bytes, big-endian.
std::vector<uint8_t> ToBytes(const UIScreenFile& file);
// A "screen" element's text to a description tree; null with one log line
// when the text is no XML or holds no screen element.
std::unique_ptr<ComponentDesc> ReadScreenXml(const std::string& text, const char* source);
// A file image back to descriptions, as the screen loader reads it.
std::unique_ptr<ComponentDesc> ReadScreenBytes(const std::vector<uint8_t>& bytes);

}  // namespace UIScreenWriter
}  // namespace Varnok
