// Loading and saving TinyXML documents through FileObject.
#include "engine/core/XmlDocument.h"

#include "engine/core/BinaryXml.h"
#include "engine/core/FileObject.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Log.h"

#include <cstring>
#include <string>

namespace Varnok {

namespace {

void SetDocumentError(TiXmlDocument& document, int error) {
    document.SetError(error, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
}

// TinyXML's own file loader treats line ends this way; the file layer hands
// us raw bytes, so the same is done here before parsing.
std::string NormaliseLineEnds(const char* bytes, size_t length) {
    std::string text;
    text.reserve(length);
    for (size_t i = 0; i < length && bytes[i] != '\0'; ++i) {
        if (bytes[i] == '\r') {
            text.push_back('\n');
            if (i + 1 < length && bytes[i + 1] == '\n') {
                ++i;
            }
        } else {
            text.push_back(bytes[i]);
        }
    }
    return text;
}

}  // namespace

bool LoadXmlDocument(TiXmlDocument& document, const char* fileName, TiXmlEncoding encoding) {
    document.SetValue(fileName != nullptr ? fileName : "");
    FileObject file(fileName != nullptr ? fileName : "", kOpenRead, 0);
    return LoadXmlDocumentFromFile(document, file, encoding);
}

bool LoadXmlDocumentFromFile(TiXmlDocument& document, FileObject& file, TiXmlEncoding encoding) {
    document.Clear();
    document.ClearError();
    bool ok = false;
    if (!file.Load()) {
        SetDocumentError(document, TiXmlBase::TIXML_ERROR_OPENING_FILE);
    } else if (file.GetLength() <= 0) {
        Log("XmlDocument: %s is empty", file.GetName().c_str());
        SetDocumentError(document, TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY);
    } else {
        ok = ParseXmlDocument(document, reinterpret_cast<const char*>(file.GetData()),
                              static_cast<size_t>(file.GetLength()), encoding);
    }
    file.CloseStream();
    return ok;
}

bool ParseXmlDocument(TiXmlDocument& document, const char* bytes, size_t length,
                      TiXmlEncoding encoding) {
    document.Clear();
    document.ClearError();
    if (IsBinaryXml(bytes, length)) {
        ReadBinaryXml(document, reinterpret_cast<const uint8_t*>(bytes), length);
        return !document.Error();
    }
    const std::string text = NormaliseLineEnds(bytes != nullptr ? bytes : "", length);
    document.Parse(text.c_str(), nullptr, encoding);
    if (document.Error()) {
        const char* name = document.Value()[0] != '\0' ? document.Value() : "text in memory";
        if (document.ErrorRow() > 0) {
            Log("XmlDocument: %s: %s (line %d, column %d)", name, document.ErrorDesc(),
                document.ErrorRow(), document.ErrorCol());
        } else {
            Log("XmlDocument: %s: %s", name, document.ErrorDesc());
        }
        return false;
    }
    return true;
}

bool SaveXmlDocument(const TiXmlDocument& document, const char* fileName) {
    const char* name = fileName != nullptr ? fileName : "";
    // Printed whole first, so that one write either stores all of it or fails.
    TiXmlPrinter printer;
    document.Accept(&printer);

    FileObject file(name, kOpenWrite, 0);
    if (!file.Open()) {
        Log("XmlDocument: cannot open %s for writing", name);
        return false;
    }
    // A refused write leaves the old file: the file systems keep it until a
    // write has succeeded.
    bool ok = true;
    if (printer.Size() > 0) {
        ok = file.Write(printer.CStr(), static_cast<int32_t>(printer.Size()));
    }
    if (!ok) {
        Log("XmlDocument: writing %s failed; its old contents were kept", name);
    }
    file.CloseStream();
    return ok;
}

}  // namespace Varnok
