// The UI project's settings record with its defaults, the device layouts
// (SKUs) it defines, and the version number of screen files.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Colour.h"
#include "engine/core/NameMap.h"

#include <cstdint>
#include <vector>

namespace Varnok {

// A device layout. Values fall back along the fallback SKUs; the built-in
// "~default" ends every chain.
struct UISkuDefinition {
    AsciiString name;
    AsciiString fallbackName;
    int32_t viewportWidth = -1;  // pixels
    int32_t viewportHeight = -1;
    UISkuDefinition* fallback = nullptr;  // set by UIManager::Init; null: chain ends
};

struct UIProjectSettings {
    AsciiString projectName;
    AsciiString rootPath{"UI"};
    AsciiString primarySkuName{"~base"};
    NameMap<UISkuDefinition> skus;
    uint32_t workspaceWidth = 480;
    uint32_t workspaceHeight = 320;
    bool createsSimple2D = true;
    bool createsDefaultTextures = true;  // no file setting changes it
    AsciiString defaultTexturePath{"textures/kipui/kudefault.tex"};
    AsciiString defaultBoxTexturePath{"textures/kipui/kudefaultbox.tex"};
    NameMap<int32_t> layers;  // layer name to number
    int32_t defaultLayer = -1;
    AsciiString defaultFontPath;
    std::vector<AsciiString> fonts;
    AsciiString stringTableDirectory{"stringtables"};
    AsciiString defaultStringTable;
    std::vector<AsciiString> stringTables;
    AsciiString defaultSuffix{"English"};
    NameMap<AsciiString> languages;  // device language to file suffix
    AsciiString defaultLanguage{"en"};
    NameMap<Colour> colours;
    uint32_t simple2DGlobalTransformIndex = 0;
};

struct UIScreenVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t patch = 0;

    // "%u.%u.%u".
    AsciiString ToString() const;
    // The empty text gives 0.0.0 and succeeds; a text without all three
    // numbers gives 0.0.0 and fails.
    [[nodiscard]] bool Parse(const char* text);
};

}  // namespace Varnok
