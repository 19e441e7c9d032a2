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

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

size_t SkipSpace(const std::string& text, size_t i) {
    while (i < text.size() && IsXmlSpace(text[i])) {
        ++i;
    }
    return i;
}

bool StartsAt(const std::string& text, size_t i, const char* prefix) {
    return text.compare(i, std::strlen(prefix), prefix) == 0;
}

// The position just past `terminator` from i on, or npos.
size_t After(const std::string& text, size_t i, const char* terminator) {
    const size_t at = text.find(terminator, i);
    return at == std::string::npos ? at : at + std::strlen(terminator);
}

// The first of `stops` from i on, quoted text skipped, or npos.
size_t FindOutsideQuotes(const std::string& text, size_t i, const char* stops) {
    char quote = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c != '\0' && std::strchr(stops, c) != nullptr) {
            return i;
        }
    }
    return std::string::npos;
}

// The position just past the '>' that ends a declaration, quoted text
// skipped, or npos.
size_t AfterDeclaration(const std::string& text, size_t i) {
    const size_t end = FindOutsideQuotes(text, i, ">");
    return end == std::string::npos ? end : end + 1;
}

enum class Subset { None, Blanked, Unterminated };

// TinyXML reads "<!DOCTYPE" only up to the first '>', so an internal subset
// ("[ <!ELEMENT r (#PCDATA)> ]") ends the declaration early and the parse
// stops quietly at the rest, without the root. A subset that ends is blanked
// here (line ends kept, so that TinyXML's line numbers still match the file)
// and the declaration's whole text, without its angle brackets, goes to
// `outDeclaration` to be put back after the parse.
Subset BlankInternalSubset(std::string& text, std::string& outDeclaration, size_t& outAt) {
    size_t i = StartsAt(text, 0, "\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {  // the prolog: declaration, comments, processing instructions
        i = SkipSpace(text, i);
        const size_t next = StartsAt(text, i, "<!--") ? After(text, i + 4, "-->")
                            : StartsAt(text, i, "<?") ? After(text, i + 2, "?>")
                                                      : i;
        if (next == i || next == std::string::npos) {
            break;
        }
        i = next;
    }
    if (!StartsAt(text, i, "<!DOCTYPE")) {
        return Subset::None;
    }
    const size_t start = i;
    outAt = start;
    const size_t open = FindOutsideQuotes(text, start + 9, ">[");
    if (open == std::string::npos) {
        return Subset::Unterminated;
    }
    if (text[open] == '>') {
        return Subset::None;
    }
    i = open + 1;
    for (;;) {
        i = SkipSpace(text, i);
        if (i >= text.size()) {
            return Subset::Unterminated;
        }
        if (text[i] == ']') {
            break;
        }
        size_t next = std::string::npos;
        if (StartsAt(text, i, "<!--")) {
            next = After(text, i + 4, "-->");
        } else if (StartsAt(text, i, "<?")) {
            next = After(text, i + 2, "?>");
        } else if (StartsAt(text, i, "<!")) {
            next = AfterDeclaration(text, i + 2);
        } else if (text[i] == '%') {  // a parameter-entity reference
            next = After(text, i + 1, ";");
        }
        if (next == std::string::npos) {
            return Subset::Unterminated;
        }
        i = next;
    }
    const size_t close = i;
    i = SkipSpace(text, close + 1);
    if (i >= text.size() || text[i] != '>') {
        return Subset::Unterminated;
    }
    outDeclaration = text.substr(start + 1, i - start - 1);
    for (size_t k = open; k <= close; ++k) {
        if (text[k] != '\n') {
            text[k] = ' ';
        }
    }
    return Subset::Blanked;
}

// Puts the declaration's whole text back into the unknown node that TinyXML
// made of the blanked one, so that saving writes the subset again.
void RestoreDeclaration(TiXmlDocument& document, const std::string& declaration) {
    for (TiXmlNode* node = document.FirstChild(); node != nullptr; node = node->NextSibling()) {
        if (node->ToUnknown() != nullptr && std::strncmp(node->Value(), "!DOCTYPE", 8) == 0) {
            node->SetValue(declaration.c_str());
            return;
        }
    }
}

void LineAndColumn(const std::string& text, size_t at, int& outLine, int& outColumn) {
    outLine = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < at && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++outLine;
            lineStart = i + 1;
        }
    }
    outColumn = static_cast<int>(at - lineStart) + 1;
}

const char* DocumentName(const TiXmlDocument& document) {
    return document.Value()[0] != '\0' ? document.Value() : "text in memory";
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
    std::string text = NormaliseLineEnds(bytes != nullptr ? bytes : "", length);
    std::string declaration;
    size_t declarationAt = 0;
    int line = 0;
    int column = 0;
    const Subset subset = BlankInternalSubset(text, declaration, declarationAt);
    if (subset == Subset::Unterminated) {
        LineAndColumn(text, declarationAt, line, column);
        Log("XmlDocument: %s: the document type's internal subset is malformed or does not end (line %d)",
            DocumentName(document), line);
        SetDocumentError(document, TiXmlBase::TIXML_ERROR_PARSING_UNKNOWN);
        return false;
    }
    // TinyXML steps over a UTF-8 lead byte's whole length without looking
    // for the end; zeros past the end keep a cut sequence inside the buffer.
    text.append(8, '\0');
    const char* end = document.Parse(text.c_str(), nullptr, encoding);
    if (!document.Error() && end != nullptr && *end != '\0') {
        // TinyXML stops without an error at text it cannot place; what it
        // left would be lost on the next save.
        LineAndColumn(text, static_cast<size_t>(end - text.c_str()), line, column);
        Log("XmlDocument: %s: unreadable content after the document (line %d, column %d)",
            DocumentName(document), line, column);
        document.Clear();
        SetDocumentError(document, TiXmlBase::TIXML_ERROR);
        return false;
    }
    if (document.Error()) {
        const char* name = DocumentName(document);
        if (document.ErrorRow() > 0) {
            Log("XmlDocument: %s: %s (line %d, column %d)", name, document.ErrorDesc(),
                document.ErrorRow(), document.ErrorCol());
        } else {
            Log("XmlDocument: %s: %s", name, document.ErrorDesc());
        }
        return false;
    }
    if (subset == Subset::Blanked) {
        RestoreDeclaration(document, declaration);
    }
    return true;
}

bool SaveXmlDocument(const TiXmlDocument& document, const char* fileName) {
    const char* name = fileName != nullptr ? fileName : "";
    const int error = document.ErrorId();
    if (document.Error() && error != TiXmlBase::TIXML_ERROR_OPENING_FILE &&
        error != TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY) {
        // Its load was refused: the file holds what the document does not.
        Log("XmlDocument: not saving %s: the document did not load (%s)", name,
            document.ErrorDesc());
        return false;
    }
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
    // Publishing happens on close: a file system that could not store the
    // file keeps the old one, and that is a failed save.
    FileStream* stream = file.GetStream();
    stream->Close();
    if (ok && !stream->IsPublished()) {
        Log("XmlDocument: %s could not be stored; its old contents were kept", name);
        ok = false;
    }
    file.CloseStream();
    return ok;
}

}  // namespace Varnok
