// Arbitrary command calls against a small tree built in code: each input
// line is a command name and its arguments separated by '|', run from a
// context chosen by the line's first byte. Nothing may crash or leak.
#include "engine/ui/Component.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIMessages.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

struct Tree {
    std::vector<Varnok::Component*> contexts;
    Varnok::UIMessageListener* listener = nullptr;

    static void OnMessage(const Varnok::UIMessage& message, int32_t& result, bool&) {
        // Abort now and then so both broadcast outcomes are reached.
        if (message.data != nullptr && message.data->ToString().Length() == 3) {
            result = 2;
        }
    }

    Varnok::Component* Add(Varnok::Component* parent, Varnok::Component* child, const char* id) {
        child->SetId(Varnok::AsciiString(id));
        parent->AddChild(child, -1);
        contexts.push_back(child);
        return child;
    }

    Tree() {
        Varnok::UIManager& ui = Varnok::UIManager::Get();
        Varnok::UIProjectSettings settings;
        settings.createsSimple2D = false;
        settings.createsDefaultTextures = false;
        ui.Init(settings, Varnok::AsciiString("~base"));
        ui.SetSoundSwitch(true);  // no sound files in the fuzzer
        contexts.push_back(nullptr);
        contexts.push_back(ui.GetRoot());
        Varnok::Component* menu = Add(ui.GetRoot(), new Varnok::ComponentScreen(), "menu");
        Varnok::Component* button = Add(menu, new Varnok::Component(), "button");
        button->GetOrAddProperty<float>("alpha", 1.0f);
        button->GetOrAddProperty<bool>("glow", false);
        Add(button, new Varnok::Component(), "label");
        Add(ui.GetRoot(), new Varnok::ComponentScreen(), "hud");
        listener = new Varnok::UIMessageListener("fuzz", Varnok::UIMessageHandler(&Tree::OnMessage));
        ui.AddMessageListener(listener);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Tree s_tree;
    Varnok::UIManager& ui = Varnok::UIManager::Get();
    size_t start = 0;
    while (start < size) {
        size_t end = start;
        while (end < size && data[end] != '\n') {
            ++end;
        }
        if (end > start) {
            Varnok::Component* context = s_tree.contexts[data[start] % s_tree.contexts.size()];
            std::vector<Varnok::AsciiString> fields;
            size_t field = start + 1;
            for (size_t i = start + 1; i <= end; ++i) {
                if (i == end || data[i] == '|') {
                    fields.emplace_back(reinterpret_cast<const char*>(data + field), static_cast<int>(i - field));
                    field = i + 1;
                }
            }
            if (!fields.empty()) {
                const Varnok::AsciiString name = fields.front();
                fields.erase(fields.begin());
                const int32_t result = ui.ExecuteCommand(context, name, fields);
                if (result < 0 || result > 2) {
                    __builtin_trap();
                }
            }
        }
        start = end + 1;
    }
    ui.ProcessPostUpdateNotices();
    return 0;
}
