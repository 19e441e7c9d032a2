// XML documents loaded and saved through the file layer. A file may hold XML
// text or a binary image of the document (see BinaryXml.h); both give the same
// TinyXML node tree.
#pragma once

#include <tinyxml.h>

#include <cstddef>

namespace Varnok {

class FileObject;

// Names the document after the file, finds the file in the mounted file
// systems (any key) and loads it. True when the document parsed without
// error; otherwise the document's error id and text say why
// (TIXML_ERROR_OPENING_FILE for a missing or unreadable file).
[[nodiscard]] bool LoadXmlDocument(TiXmlDocument& document, const char* fileName,
                     TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);

// Empties the document and loads the file object's data into it. An empty
// file gives TIXML_ERROR_DOCUMENT_EMPTY, a file that does not load
// TIXML_ERROR_OPENING_FILE. The file's stream is closed in every case.
[[nodiscard]] bool LoadXmlDocumentFromFile(TiXmlDocument& document, FileObject& file,
                             TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);

// Empties the document and fills it from `length` bytes: a binary image when
// there are more than 4 bytes beginning with b, x, m, l, otherwise XML text
// (up to the first zero byte, with CR LF and lone CR read as LF). True when
// the document has no error. An internal subset in the document type
// declaration is read past (and kept for saving); text left over after the
// document is refused with one log line rather than dropped.
[[nodiscard]] bool ParseXmlDocument(TiXmlDocument& document, const char* bytes, size_t length,
                      TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);

// Prints the document into the named file, opened for writing through the
// file layer (the first mounted file system that accepts writing takes it).
// False when the file does not open or the bytes could not all be written.
// A document whose load was refused on its content (any error but a missing
// or empty file) is not saved: the file's contents would be written away.
// ClearError() first to overwrite such a file on purpose.
[[nodiscard]] bool SaveXmlDocument(const TiXmlDocument& document, const char* fileName);

}  // namespace Varnok
