// Parsing is forgiving: a bad line costs only itself.
#include "platform/InputScript.h"

#include "engine/core/Log.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

namespace Varnok {
namespace {

bool ParsePhase(const std::string& word, PlatformTouch::Phase& outPhase) {
    static const struct {
        const char* word;
        PlatformTouch::Phase phase;
    } kPhases[] = {{"down", PlatformTouch::Began},
                   {"move", PlatformTouch::Moved},
                   {"up", PlatformTouch::Ended},
                   {"cancel", PlatformTouch::Cancelled}};
    for (const auto& p : kPhases) {
        if (word == p.word) {
            outPhase = p.phase;
            return true;
        }
    }
    return false;
}

}  // namespace

bool InputScript::Load(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Log("InputScript: cannot open %s", path);
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    Parse(text.str(), path);
    return true;
}

void InputScript::Parse(const std::string& text, const char* sourceName) {
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) {
            line.resize(hash);
        }
        std::istringstream words(line);
        InputScriptEvent event;
        std::string action;
        if (!(words >> event.frame)) {
            if (line.find_first_not_of(" \t\r") != std::string::npos) {
                Log("InputScript: %s:%d: expected a frame number", sourceName, lineNumber);
            }
            continue;
        }
        bool ok = static_cast<bool>(words >> action) && event.frame >= 0;
        if (ok && action == "text") {
            event.kind = InputScriptEvent::Text;
            std::string rest;
            std::getline(words, rest);
            const size_t first = rest.find_first_not_of(" \t\r");
            const size_t last = rest.find_last_not_of(" \t\r");
            ok = first != std::string::npos;
            if (ok) {
                event.text = rest.substr(first, last - first + 1);
            }
        } else if (ok && action == "accel") {
            event.kind = InputScriptEvent::Accel;
            ok = static_cast<bool>(words >> event.accel[0] >> event.accel[1] >> event.accel[2]);
        } else if (ok) {
            ok = ParsePhase(action, event.touch.phase) &&
                 static_cast<bool>(words >> event.touch.id >> event.touch.x >> event.touch.y) &&
                 event.touch.x >= 0.0f && event.touch.x <= 1.0f && event.touch.y >= 0.0f &&
                 event.touch.y <= 1.0f;
        }
        if (!ok) {
            Log("InputScript: %s:%d: malformed event, skipped", sourceName, lineNumber);
            continue;
        }
        m_events.push_back(event);
    }
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const InputScriptEvent& a, const InputScriptEvent& b) { return a.frame < b.frame; });
}

std::vector<InputScriptEvent> InputScript::EventsAt(int frame) const {
    auto first = std::lower_bound(m_events.begin(), m_events.end(), frame,
                                  [](const InputScriptEvent& e, int f) { return e.frame < f; });
    std::vector<InputScriptEvent> due;
    for (auto it = first; it != m_events.end() && it->frame == frame; ++it) {
        due.push_back(*it);
    }
    return due;
}

int InputScript::LastFrame() const {
    return m_events.empty() ? -1 : m_events.back().frame;
}

}  // namespace Varnok
