// The UI project file: where the UI's files live, the workspace, the SKUs,
// layers, fonts, string tables, language and colour mappings and the 2D
// batch settings, read over a settings record's defaults.
#pragma once

#include "engine/ui/UIProjectSettings.h"

class TiXmlElement;

namespace Varnok {

class UIProjectReader {
public:
    enum Result : int {
        kRead = 0,
        kMissing = 1,            // no mounted file system has the file
        kMalformed = -1,         // unloadable, or incomplete project info, SKU or layer
        kEmptyPrimarySku = 2,
    };

    // Reads the file over the caller's defaults. Sections before a failing
    // one stay written; the caller throws the record away on any failure.
    static int Read(const char* path, UIProjectSettings& settings);
    // The same over an already parsed root element (null: malformed).
    static int ReadRoot(const TiXmlElement* root, UIProjectSettings& settings);
};

}  // namespace Varnok
