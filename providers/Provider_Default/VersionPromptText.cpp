// The version prompts' texts: the "kiplink" string table when the UI has it
// loaded, else English.
#include "providers/Provider_Default/Provider_Default.h"

#include "engine/text/TextBank.h"
#include "engine/ui/UIManager.h"

namespace Varnok {

const char* FindVersionPromptText(const char* key, const char* fallback) {
    static const AsciiString s_table("kiplink");
    if (const TextBank* table = UIManager::Get().FindStringTable(s_table)) {
        if (const char* text = table->FindText(key)) {
            return text;
        }
    }
    return fallback;
}

}  // namespace Varnok
