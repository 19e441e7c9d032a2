// The version prompts' texts. The "kiplink" string table is looked up here
// once the UI's string tables are part of the build; until then every prompt
// shows its English text.
#include "providers/Provider_Default/Provider_Default.h"

namespace Varnok {

const char* FindVersionPromptText(const char* /*key*/, const char* fallback) {
    return fallback;
}

}  // namespace Varnok
