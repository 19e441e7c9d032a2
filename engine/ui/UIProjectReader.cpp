// The project file's sections, each a small reader over its child elements.
#include "engine/ui/UIProjectReader.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Log.h"
#include "engine/core/XmlDocument.h"
#include "engine/ui/UIValue.h"
#include "engine/ui/descriptions/internal/XmlNames.h"

#include <cstdlib>

namespace Varnok {

namespace {

// The element's text, or null when its first child is no text.
const char* Text(const TiXmlElement& element) { return element.GetText(); }

int ReadProjectInfo(const TiXmlElement& section, UIProjectSettings& settings) {
    const char* name = nullptr;
    const char* rootPath = nullptr;
    for (const TiXmlElement* e = section.FirstChildElement(); e != nullptr;
         e = e->NextSiblingElement()) {
        if (ElementIs(*e, "name")) {
            name = Text(*e);
        } else if (ElementIs(*e, "rootPath")) {
            rootPath = Text(*e);
        } else if (ElementIs(*e, "workspaceWidth") || ElementIs(*e, "workspaceHeight")) {
            const char* text = Text(*e);
            const int value = text != nullptr ? std::atoi(text) : 0;
            if (value >= 1) {
                (ElementIs(*e, "workspaceWidth") ? settings.workspaceWidth
                                                 : settings.workspaceHeight) =
                    static_cast<uint32_t>(value);
            }
        }
    }
    if (name == nullptr || rootPath == nullptr) {
        return UIProjectReader::kMalformed;
    }
    settings.projectName = AsciiString(name);
    settings.rootPath = AsciiString(rootPath);
    return UIProjectReader::kRead;
}

int ReadSkuDefinition(const TiXmlElement& element, UIProjectSettings& settings) {
    const char* name = nullptr;
    const char* fallback = nullptr;
    const char* width = nullptr;
    const char* height = nullptr;
    for (const TiXmlElement* e = element.FirstChildElement(); e != nullptr;
         e = e->NextSiblingElement()) {
        if (ElementIs(*e, "name")) {
            name = Text(*e);
        } else if (ElementIs(*e, "fallback")) {
            fallback = Text(*e);
        } else if (ElementIs(*e, "viewportWidth")) {
            width = Text(*e);
        } else if (ElementIs(*e, "viewportHeight")) {
            height = Text(*e);
        }
    }
    if (!HasText(name) || !HasText(width) || !HasText(height)) {
        return UIProjectReader::kMalformed;
    }
    UISkuDefinition sku;
    sku.name = AsciiString(name);
    sku.fallbackName = AsciiString(fallback != nullptr ? fallback : "~default");
    sku.viewportWidth = std::atoi(width);
    sku.viewportHeight = std::atoi(height);
    settings.skus[sku.name] = sku;
    return UIProjectReader::kRead;
}

int ReadSkuLayout(const TiXmlElement& section, UIProjectSettings& settings) {
    for (const TiXmlElement* e = section.FirstChildElement(); e != nullptr;
         e = e->NextSiblingElement()) {
        if (ElementIs(*e, "skuDefinition")) {
            const int result = ReadSkuDefinition(*e, settings);
            if (result != UIProjectReader::kRead) {
                return result;
            }
        } else if (ElementIs(*e, "primarySku")) {
            const char* text = Text(*e);
            if (text == nullptr) {
                return UIProjectReader::kEmptyPrimarySku;
            }
            settings.primarySkuName = AsciiString(text);
        }
    }
    return UIProjectReader::kRead;
}

int ReadLayers(const TiXmlElement& section, UIProjectSettings& settings) {
    for (const TiXmlElement* layer = section.FirstChildElement(); layer != nullptr;
         layer = layer->NextSiblingElement()) {
        if (!ElementIs(*layer, "layer")) {
            continue;
        }
        const char* name = nullptr;
        const char* number = nullptr;
        bool isDefault = false;
        for (const TiXmlElement* e = layer->FirstChildElement(); e != nullptr;
             e = e->NextSiblingElement()) {
            if (ElementIs(*e, "name")) {
                name = Text(*e);
            } else if (ElementIs(*e, "number")) {
                number = Text(*e);
            } else if (ElementIs(*e, "default")) {
                isDefault = true;
            }
        }
        if (name == nullptr) {
            return UIProjectReader::kMalformed;
        }
        const int32_t value = number != nullptr ? std::atoi(number) : -1;
        settings.layers[AsciiString(name)] = value;
        if (isDefault && value >= 0) {
            settings.defaultLayer = value;
        }
    }
    return UIProjectReader::kRead;
}

bool IsTrue(const char* text) {
    return text != nullptr && NamesEqualNoCase(text, "true");
}

void ReadFonts(const TiXmlElement& section, UIProjectSettings& settings) {
    for (const TiXmlElement* font = section.FirstChildElement(); font != nullptr;
         font = font->NextSiblingElement()) {
        if (!ElementIs(*font, "font")) {
            continue;
        }
        const char* path = Attr(*font, "path");
        if (path == nullptr) {
            continue;
        }
        settings.fonts.emplace_back(path);
        if (IsTrue(Attr(*font, "default"))) {
            settings.defaultFontPath = AsciiString(path);
        }
    }
}

void ReadStringTables(const TiXmlElement& section, UIProjectSettings& settings) {
    const char* suffix = nullptr;
    const char* directory = nullptr;
    const char* defaultTable = nullptr;
    for (const TiXmlElement* e = section.FirstChildElement(); e != nullptr;
         e = e->NextSiblingElement()) {
        if (ElementIs(*e, "defaultsuffix")) {
            suffix = Text(*e);
        } else if (ElementIs(*e, "rootpath")) {
            directory = Text(*e);
        } else if (ElementIs(*e, "stringtable")) {
            const char* name = Text(*e);
            if (name != nullptr) {
                settings.stringTables.emplace_back(name);
            }
            if (IsTrue(Attr(*e, "default"))) {
                defaultTable = name != nullptr ? name : "";
            }
        }
    }
    if (HasText(suffix)) {
        settings.defaultSuffix = AsciiString(suffix);
    }
    if (HasText(directory)) {
        settings.stringTableDirectory = AsciiString(directory);
    }
    if (HasText(defaultTable)) {
        settings.defaultStringTable = AsciiString(defaultTable);
    }
}

void ReadLanguageMappings(const TiXmlElement& section, UIProjectSettings& settings) {
    for (const TiXmlElement* mapping = section.FirstChildElement(); mapping != nullptr;
         mapping = mapping->NextSiblingElement()) {
        if (!ElementIs(*mapping, "mapping")) {
            continue;
        }
        const char* language = nullptr;
        const char* suffix = nullptr;
        bool isDefault = false;
        for (const TiXmlElement* e = mapping->FirstChildElement(); e != nullptr;
             e = e->NextSiblingElement()) {
            if (ElementIs(*e, "deviceLanguage")) {
                language = Text(*e);
            } else if (ElementIs(*e, "languageSuffix")) {
                suffix = Text(*e);
            } else if (ElementIs(*e, "default")) {
                isDefault = IsTrue(Text(*e));
            }
        }
        if (language == nullptr || suffix == nullptr) {
            continue;
        }
        settings.languages[AsciiString(language)] = AsciiString(suffix);
        if (isDefault) {
            settings.defaultLanguage = AsciiString(language);
        }
    }
}

void ReadColourMappings(const TiXmlElement& section, UIProjectSettings& settings) {
    for (const TiXmlElement* mapping = section.FirstChildElement(); mapping != nullptr;
         mapping = mapping->NextSiblingElement()) {
        if (!ElementIs(*mapping, "mapping")) {
            continue;
        }
        const char* name = Attr(*mapping, "name");
        const char* value = Attr(*mapping, "value");
        if (HasText(name) && HasText(value)) {
            settings.colours[AsciiString(name)] = UIValue<Colour>::FromString(value);
        }
    }
}

void ReadSettings(const TiXmlElement& section, UIProjectSettings& settings) {
    for (const TiXmlElement* e = section.FirstChildElement(); e != nullptr;
         e = e->NextSiblingElement()) {
        if (ElementIs(*e, "createsSimple2D")) {
            settings.createsSimple2D = IsTrue(Text(*e));
        } else if (ElementIs(*e, "simple2DglobalTransformIndex")) {
            const char* text = Text(*e);
            settings.simple2DGlobalTransformIndex =
                text != nullptr ? UIValue<unsigned>::FromString(text) : 0u;
        }
    }
}

}  // namespace

int UIProjectReader::Read(const char* path, UIProjectSettings& settings) {
    if (path == nullptr || !FileExists(path, 0)) {
        return kMissing;
    }
    TiXmlDocument document;
    if (!LoadXmlDocument(document, path)) {
        Log("UI project \"%s\": %s", path, document.ErrorDesc());
        return kMalformed;
    }
    const int result = ReadRoot(document.RootElement(), settings);
    if (result != kRead) {
        Log("UI project \"%s\": section incomplete (result %d)", path, result);
    }
    return result;
}

int UIProjectReader::ReadRoot(const TiXmlElement* root, UIProjectSettings& settings) {
    if (root == nullptr) {
        return kMalformed;
    }
    for (const TiXmlElement* section = root->FirstChildElement(); section != nullptr;
         section = section->NextSiblingElement()) {
        int result = kRead;
        if (ElementIs(*section, "projectinfo")) {
            result = ReadProjectInfo(*section, settings);
        } else if (ElementIs(*section, "skulayout")) {
            result = ReadSkuLayout(*section, settings);
        } else if (ElementIs(*section, "layers")) {
            result = ReadLayers(*section, settings);
        } else if (ElementIs(*section, "fonts")) {
            ReadFonts(*section, settings);
        } else if (ElementIs(*section, "stringtables")) {
            ReadStringTables(*section, settings);
        } else if (ElementIs(*section, "languagemappings")) {
            ReadLanguageMappings(*section, settings);
        } else if (ElementIs(*section, "colourmappings")) {
            ReadColourMappings(*section, settings);
        } else if (ElementIs(*section, "settings")) {
            ReadSettings(*section, settings);
        }
        if (result != kRead) {
            return result;
        }
    }
    return kRead;
}

}  // namespace Varnok
