// The game's localised texts: the "TamberloFelisRex" text bank for the
// player's language (English (US) when that language has no file), handed
// to the UI manager for the screens and looked up by key for the game's own
// code. Main thread only.
#pragma once

namespace Varnok {

class StringTables {
public:
    static constexpr const char* kTableName = "TamberloFelisRex";
    static constexpr const char* kDefaultLanguage = "english_us";

    // The file name of a language index; index 0 and any unknown one give
    // "english_us".
    static const char* LanguageFileName(int languageIndex);

    // Loads the bank into the game record for its language index.
    static void Init();
    // Empties a bank loaded before, then loads keys and strings; a missing
    // language file falls back to English (US). A missing or damaged file
    // is logged once by the bank and leaves every lookup answering its key.
    static void Load();
    // Empties the bank when loaded (shutdown).
    static void Release();
    static bool IsLoaded();

    // The key's text, or the key itself (the very pointer passed) when the
    // bank has no such key or string. Valid while the bank stays loaded.
    static const char* Get(const char* key);
};

}  // namespace Varnok
