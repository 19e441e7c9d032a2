// StringTables: choosing the files and the English fall-back.
#include "game/rules/StringTables.h"

#include "engine/core/AsciiString.h"
#include "engine/text/TextBank.h"
#include "engine/ui/UIManager.h"
#include "game/rules/GameRecord.h"

#include <cstdio>

namespace Varnok {
namespace {

constexpr int kPathBytes = 256;

bool s_loaded = false;

const char* const kLanguageFiles[] = {
    "english_us",      "english_uk", "french",      "spanish",        "german",
    "italian",         "dutch",      "swedish",     "danish",         "norwegian",
    "finnish",         "korean",     "japanese",    "chinese",        "tradchinese",
    "latin spanish",   "polish",     "portuguese (pt)", "portuguese (br)", "russian",
    "arabic",
};

}  // namespace

const char* StringTables::LanguageFileName(int languageIndex) {
    constexpr int kCount = static_cast<int>(sizeof(kLanguageFiles) / sizeof(kLanguageFiles[0]));
    if (languageIndex <= 0 || languageIndex >= kCount) {
        return kDefaultLanguage;
    }
    return kLanguageFiles[languageIndex];
}

void StringTables::Init() {
    Load();
    s_loaded = true;
}

void StringTables::Load() {
    TextBank& bank = GetGameRecord().textBank;
    if (s_loaded) {
        bank.Clear();
    }
    const char* language = LanguageFileName(GetGameRecord().languageIndex);
    char path[kPathBytes];
    std::snprintf(path, sizeof(path), "stringtables/%s_header.str", kTableName);
    // A refusal is logged by the bank; without keys no string can be found,
    // so the string files are not tried (one line for a missing table).
    if (bank.LoadKeys(path)) {
        std::snprintf(path, sizeof(path), "stringtables/%s_%s.str", kTableName, language);
        if (!bank.LoadStrings(path)) {
            std::snprintf(path, sizeof(path), "stringtables/%s_%s.str", kTableName, kDefaultLanguage);
            (void)bank.LoadStrings(path);
        }
    }
    UIManager& ui = UIManager::Get();
    ui.SetGameStringTable(&bank);
    ui.SetDefaultLanguageSuffix(AsciiString(kDefaultLanguage));
    ui.SetLanguageSuffix(AsciiString(language));
}

void StringTables::Release() {
    if (!s_loaded) {
        return;
    }
    GetGameRecord().textBank.Clear();
    if (UIManager::Get().GetGameStringTable() == &GetGameRecord().textBank) {
        UIManager::Get().SetGameStringTable(nullptr);
    }
    s_loaded = false;
}

bool StringTables::IsLoaded() {
    return s_loaded;
}

const char* StringTables::Get(const char* key) {
    if (key == nullptr) {
        return key;
    }
    const char* text = GetGameRecord().textBank.FindText(key);
    return text != nullptr ? text : key;
}

}  // namespace Varnok
