// The UI manager's string tables and the font scale it derives from the
// viewport.
#include "engine/ui/UIManager.h"

#include "engine/text/FontManager.h"
#include "engine/text/TextBank.h"

namespace Varnok {

namespace {

AsciiString StringTablePath(const AsciiString& directory, const AsciiString& name,
                            const char* suffix) {
    AsciiString path = directory;
    path.AppendChar('/');
    path.AppendString(name);
    path.Append(suffix);
    return path;
}

}  // namespace

int UIManager::LoadStringTable(const AsciiString& name, TextBank** outTable) {
    auto it = m_stringTables.find(name);
    if (it != m_stringTables.end()) {
        if (outTable != nullptr) {
            *outTable = it->second.table;
        }
        return 0;
    }
    const AsciiString& directory = m_settings.stringTableDirectory;
    const AsciiString header = StringTablePath(directory, name, "_header.str");
    AsciiString languageSuffix("_");
    languageSuffix.AppendString(m_languageSuffix);
    languageSuffix.Append(".str");
    AsciiString defaultSuffix("_");
    defaultSuffix.AppendString(m_settings.defaultSuffix);
    defaultSuffix.Append(".str");

    auto table = std::make_unique<TextBank>();
    int result = 1;
    if (table->LoadKeys(header.c_str())) {
        if (table->LoadStrings(StringTablePath(directory, name, languageSuffix.c_str()).c_str()) ||
            table->LoadStrings(StringTablePath(directory, name, defaultSuffix.c_str()).c_str())) {
            result = 0;
        }
    }
    TextBank* raw = table.release();
    m_stringTables.emplace(name, UIStringTableEntry{raw, true});
    if (outTable != nullptr) {
        *outTable = raw;
    }
    return result;
}

void UIManager::LoadStringTables() {
    TextBank* gameTable = nullptr;
    for (const AsciiString& name : m_settings.stringTables) {
        TextBank* table = nullptr;
        (void)LoadStringTable(name, &table);
        if (!m_settings.defaultStringTable.IsEmpty() &&
            name.EqualsNoCase(m_settings.defaultStringTable)) {
            gameTable = table;
        }
    }
    if (gameTable != nullptr) {
        m_gameStringTable = gameTable;
    }
}

void UIManager::DeleteStringTables() {
    for (auto& entry : m_stringTables) {
        if (entry.second.owned) {
            if (m_gameStringTable == entry.second.table) {
                m_gameStringTable = nullptr;  // never left pointing at a freed table
            }
            delete entry.second.table;
        }
    }
    m_stringTables.clear();
}

void UIManager::ApplyFontScale() {
    FontManager::Get().SetScale(ComputeFontScale(m_screenSize, GetWorkspaceSize()));
}

}  // namespace Varnok
