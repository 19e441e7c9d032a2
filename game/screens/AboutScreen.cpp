// The about screen's readings.
#include "game/screens/AboutScreen.h"

#include "engine/core/Log.h"
#include "engine/core/XmlDocument.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>

namespace Varnok {

std::string AboutScreen::CreditKey(int page) {
    char key[32];
    std::snprintf(key, sizeof(key), "CREDIT_%03d", page < 0 ? 0 : page);
    return key;
}

int AboutScreen::CreditPageCount(const char* text) {
    const int count = text != nullptr ? std::atoi(text) : 0;
    if (count > kMaxCreditPages) {
        Log("About: %d credit pages asked for, %d shown", count, kMaxCreditPages);
        return kMaxCreditPages;
    }
    return count > 0 ? count : 0;
}

std::string AboutScreen::VersionText(const TiXmlDocument& document) {
    const TiXmlElement* element = document.FirstChildElement("VersionNumber");
    const char* version = element != nullptr ? element->Attribute("version") : nullptr;
    if (version == nullptr) {
        return std::string();
    }
    return std::string("version: ") + version;
}

std::string AboutScreen::VersionTextFromBytes(const char* bytes, size_t length) {
    TiXmlDocument document;
    if (!ParseXmlDocument(document, bytes, length)) {
        return std::string();
    }
    return VersionText(document);
}

std::string AboutScreen::LoadVersionText() {
    TiXmlDocument document;
    if (!LoadXmlDocument(document, kBuildNumberFile)) {
        return std::string();
    }
    return VersionText(document);
}

}  // namespace Varnok
