// What screen files and string tables hand a text or a timer, from anywhere:
// alignment words, timer templates with their placeholders, unit names,
// durations and elapsed times. Nothing crashes, alignment flags stay within
// the label's bits, the time string holds only digits, colons and the signs
// of negative units, and a countdown never goes below zero.
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/ComponentText.h"
#include "engine/ui/ComponentTimer.h"
#include "engine/ui/UIManager.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

// The input split at newlines into at most `count` fields (missing ones
// empty); each stops at a zero byte, as file texts do.
std::vector<std::string> Fields(const uint8_t* data, size_t size, size_t count) {
    std::vector<std::string> fields(count);
    size_t field = 0;
    for (size_t i = 0; i < size && field < count; ++i) {
        if (data[i] == '\n') {
            ++field;
        } else {
            fields[field] += static_cast<char>(data[i]);
        }
    }
    for (std::string& text : fields) {
        text = text.c_str();
    }
    return fields;
}

void SetText(Component& component, const char* name, const std::string& text) {
    const AsciiString key(name);
    const UIPropertyType type = component.GetPropertyType(key);
    if (type != UIPT_Invalid) {
        component.GetTableByType(type).FindItem(key)->SetFromString(text.c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) {
        return 0;  // these texts are short
    }
    static bool s_started = false;
    if (!s_started) {
        s_started = true;
        UIProjectSettings settings;
        settings.createsSimple2D = false;
        UIManager::Get().Init(settings, AsciiString("~base"));
    }
    const std::vector<std::string> f = Fields(data, size, 14);

    const int flags = ComponentText::ParseAlignment(AsciiString(f[0].c_str()));
    if ((flags & ~0x2F) != 0 || flags == 0x0F + 0x20) {
        __builtin_trap();
    }
    (void)ComponentTimer::ParseUnit(AsciiString(f[1].c_str()));
    (void)ComponentTimer::FillTemplate(f[2].c_str(), f[3].c_str());

    auto* screen = new ComponentScreen();
    screen->SetId(AsciiString("fuzz"));
    UIManager::Get().GetRoot()->AddChild(screen, -1);
    auto* timer = new ComponentTimer();
    timer->SetId(AsciiString("timer"));
    screen->AddChild(timer, -1);
    SetText(*timer, "selfCountdown", "False");
    SetText(*timer, "text", f[2]);
    const char* const units[] = {"weeks", "days", "hours", "minutes", "seconds"};
    for (int i = 0; i < 5; ++i) {
        SetText(*timer, units[i], f[4 + i]);
    }
    SetText(*timer, "maxDisplayItem", f[1]);
    SetText(*timer, "minDisplayItem", f[9]);
    SetText(*timer, "millisecondDigitsToDisplay", f[10]);
    SetText(*timer, "timeFormat", f[11]);
    SetText(*timer, "alignment", f[0]);
    screen->MarkLoaded();
    // Elapsed times from the last field's bytes, in tenths, some huge.
    const std::string& steps = f[12];
    for (size_t i = 0; i < steps.size() && i < 16; ++i) {
        const uint8_t byte = static_cast<uint8_t>(steps[i]);
        const float elapsed = byte >= 250 ? 1.0e9f * static_cast<float>(byte - 249) : 0.1f * static_cast<float>(byte);
        // A negative duration from the file is shown as it is and never
        // counts; a positive one never counts below zero.
        const bool counting = timer->GetTotalSeconds() > 0;
        timer->Tick(elapsed, true);
        if ((counting && timer->GetTotalSeconds() < 0) || timer->GetFraction() < 0.0f ||
            timer->GetFraction() > 1.0f) {
            __builtin_trap();
        }
        for (const char* p = timer->GetTimeText().c_str(); *p != '\0'; ++p) {
            if (!((*p >= '0' && *p <= '9') || *p == ':' || *p == '-')) {
                __builtin_trap();
            }
        }
    }
    SetText(*timer, "seconds", f[13]);
    SetText(*timer, "maxDisplayItem", f[13]);
    UIManager::Get().RemoveFromDrawLists(screen);
    UIManager::Get().RemoveFromDrawLists(timer);
    screen->Detach();
    delete screen;
    return 0;
}
