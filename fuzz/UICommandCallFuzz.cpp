// Arbitrary command calls and debugger console lines against a screen built
// in code from the library's classes (quads, text, a text field, a button,
// a trigger, the console). Each input line is one of:
//   a context byte, then a command name and its arguments separated by '|';
//   '>' and a console line typed into the console;
//   '#' and a frame: touches at the given bytes' positions, then an update
//   and a draw of every layer.
// Nothing may crash, leak or return a result outside 0..2.
#include "engine/core/InputEvent.h"
#include "engine/ui/ComponentButton.h"
#include "engine/ui/ComponentDebugger.h"
#include "engine/ui/ComponentQuad.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/ComponentText.h"
#include "engine/ui/ComponentTextInput.h"
#include "engine/ui/ComponentTrigger.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIMessages.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using Varnok::AsciiString;
using Varnok::Component;

// The screens are looked up by path for every line: commands may remove
// them, and a removed screen is built again.
struct Tree {
    Varnok::UIMessageListener* listener = nullptr;

    static void OnMessage(const Varnok::UIMessage& message, int32_t& result, bool&) {
        // Abort now and then so both broadcast outcomes are reached.
        if (message.type == Varnok::UIMessageType_Command && message.data != nullptr &&
            message.data->ToString().Length() == 3) {
            result = 2;
        }
    }

    static Component* Add(Component* parent, Component* child, const char* id) {
        child->SetId(AsciiString(id));
        parent->AddChild(child, -1);
        child->OnCreated();
        child->GetInputEnabledProperty()->Set(true);
        return child;
    }

    template <typename T>
    static void Set(Component* c, const char* name, const T& value) {
        c->GetOrAddProperty<T>(AsciiString(name), value)->Set(value);
    }

    static void BuildMenu(Component* root) {
        Component* menu = Add(root, new Varnok::ComponentScreen(), "menu");
        Component* panel = Add(menu, new Varnok::ComponentQuad(), "panel");
        Set(panel, "dock", AsciiString("Fill"));
        Set(panel, "blocksinputfromgame", true);
        Component* button = Add(panel, new Varnok::ComponentButton(), "button");
        Set(button, "position", Varnok::Vector3{20.0f, 20.0f, 0.0f});
        Set(button, "KeyName", AsciiString("MouseButton2"));
        Add(button, new Varnok::ComponentText(), "btnText");
        Add(panel, new Varnok::ComponentTextInput(), "field");
        Add(panel, new Varnok::ComponentTrigger(), "trigger");
        Component* top = Add(panel, new Varnok::ComponentQuad(), "top");
        Set(top, "dock", AsciiString("Top"));
        Set(top, "height", 30.0f);
        menu->MarkLoaded();
    }

    static void BuildHud(Component* root) {
        Component* hud = Add(root, new Varnok::ComponentScreen(), "hud");
        Add(hud, new Varnok::ComponentDebugger(), "console");
        hud->MarkLoaded();
    }

    // Rebuilds what a command removed; false without a root.
    static bool Ensure() {
        Component* root = Varnok::UIManager::Get().GetRoot();
        if (root == nullptr) {
            return false;
        }
        if (root->FindDirectChild(AsciiString("menu")) == nullptr) {
            BuildMenu(root);
        }
        if (root->FindDirectChild(AsciiString("hud")) == nullptr) {
            BuildHud(root);
        }
        return true;
    }

    static Component* Context(uint8_t selector) {
        static const char* const kPaths[] = {"menu", "menu.panel", "menu.panel.button",
                                             "menu.panel.button.btnText", "menu.panel.field",
                                             "menu.panel.trigger", "hud", "hud.console"};
        const size_t count = sizeof(kPaths) / sizeof(kPaths[0]);
        Varnok::UIManager& ui = Varnok::UIManager::Get();
        const size_t pick = selector % (count + 2);
        if (pick == count) {
            return nullptr;
        }
        if (pick == count + 1) {
            return ui.GetRoot();
        }
        return ui.FindComponent(AsciiString(kPaths[pick]));
    }

    Tree() {
        Varnok::UIManager& ui = Varnok::UIManager::Get();
        Varnok::UIProjectSettings settings;
        settings.createsSimple2D = false;
        settings.createsDefaultTextures = false;
        ui.Init(settings, AsciiString("~base"));
        ui.SetSoundSwitch(true);  // no sound files in the fuzzer
        listener = new Varnok::UIMessageListener("fuzz", Varnok::UIMessageHandler(&Tree::OnMessage));
        ui.AddMessageListener(listener);
    }
};

void RunFrame(const uint8_t* bytes, size_t size) {
    Varnok::UIManager& ui = Varnok::UIManager::Get();
    ui.BeginInputFrame();
    for (size_t i = 0; i + 1 < size; i += 2) {
        Varnok::InputEvent x = Varnok::InputEvent::MakeAxis(Varnok::InputCode::kMouseAxisX, Varnok::InputEvent::kMoved,
                                                            bytes[i] / 255.0f, 0.0f, 0);
        Varnok::InputEvent y = Varnok::InputEvent::MakeAxis(Varnok::InputCode::kMouseAxisY, Varnok::InputEvent::kMoved,
                                                            bytes[i + 1] / 255.0f, 0.0f, 0);
        const uint32_t state = (bytes[i] & 1) != 0 ? Varnok::InputEvent::kPressed : Varnok::InputEvent::kReleased;
        Varnok::InputEvent touch = Varnok::InputEvent::MakeButton(Varnok::InputCode::kMouseButton1, state, 1.0f, 0);
        Varnok::InputEvent key =
            Varnok::InputEvent::MakeButton(bytes[i + 1] % 140, Varnok::InputEvent::kPressed, 1.0f, 0);
        for (Varnok::InputEvent* event : {&x, &y, &touch, &key}) {
            ui.HandleInputEvent(*event);
        }
    }
    ui.EndInputFrame();
    ui.Update(0.016f);
    for (int32_t layer : {0, 1, 2, 3, Varnok::UIManager::kAllLayers}) {
        ui.Draw(layer);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Tree s_tree;
    (void)s_tree;
    // The console keeps every line it printed; each input starts it empty
    // so that memory stays flat across runs.
    if (Component* output = Varnok::UIManager::Get().FindComponent(AsciiString("hud.console.console.consoleOutput"))) {
        output->SetText(AsciiString());
    }
    Varnok::UIManager& ui = Varnok::UIManager::Get();
    size_t start = 0;
    while (start < size) {
        size_t end = start;
        while (end < size && data[end] != '\n') {
            ++end;
        }
        if (end > start && Tree::Ensure()) {
            const char kind = static_cast<char>(data[start]);
            const AsciiString rest(reinterpret_cast<const char*>(data + start + 1), static_cast<int>(end - start - 1));
            if (kind == '>') {
                Component* found = ui.FindComponent(AsciiString("hud.console"));
                if (found != nullptr && found->IsKindOf(Varnok::ComponentDebugger::GetStaticClassInfo())) {
                    auto* console = static_cast<Varnok::ComponentDebugger*>(found);
                    if (Varnok::ComponentTextInput* input = console->GetInput()) {
                        input->OnKeyboardTextChanged(rest);
                        console->SubmitInput();
                    }
                }
            } else if (kind == '#') {
                RunFrame(data + start + 1, end - start - 1);
            } else {
                Component* context = Tree::Context(data[start]);
                std::vector<AsciiString> fields;
                size_t field = start + 1;
                for (size_t i = start + 1; i <= end; ++i) {
                    if (i == end || data[i] == '|') {
                        fields.emplace_back(reinterpret_cast<const char*>(data + field), static_cast<int>(i - field));
                        field = i + 1;
                    }
                }
                if (!fields.empty()) {
                    const AsciiString name = fields.front();
                    fields.erase(fields.begin());
                    const int32_t result = ui.ExecuteCommand(context, name, fields);
                    if (result < 0 || result > 2) {
                        __builtin_trap();
                    }
                }
            }
        }
        start = end + 1;
    }
    ui.ProcessPostUpdateNotices();
    return 0;
}
