// The about screen's readings: the credit pages' string keys and the
// version text of "buildNumber.xml".
#pragma once

#include <cstddef>
#include <string>

class TiXmlDocument;

namespace Varnok {

class AboutScreen {
public:
    static constexpr const char* kBuildNumberFile = "buildNumber.xml";
    // A damaged count in the string tables must not make a million pages.
    static constexpr int kMaxCreditPages = 1000;

    // "CREDIT_" and the page index in at least three digits: "CREDIT_007",
    // "CREDIT_123" (every page gets its own key, 100 and beyond too).
    static std::string CreditKey(int page);
    // The page count the "CREDITS_NUM" text gives: atoi, 0 for anything
    // that is not a number or is negative, at most kMaxCreditPages.
    static int CreditPageCount(const char* text);
    // "version: <v>" from the document's "VersionNumber" element's "version"
    // attribute; empty when the document has none.
    static std::string VersionText(const TiXmlDocument& document);
    // The same from the bytes of the file; empty when they do not parse.
    static std::string VersionTextFromBytes(const char* bytes, size_t length);
    // The same from the mounted file systems.
    static std::string LoadVersionText();
};

}  // namespace Varnok
