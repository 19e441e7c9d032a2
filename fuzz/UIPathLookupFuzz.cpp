// Dotted paths from anywhere against a fixed tree: a lookup answers null or
// a component of the tree, from any start, through the path search and the
// command arguments' keywords.
#include "engine/ui/Component.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/UICommand.h"
#include "engine/ui/UIManager.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

struct Tree {
    std::vector<Varnok::Component*> nodes;
    std::set<const Varnok::Component*> members;

    Varnok::Component* Add(Varnok::Component* parent, Varnok::Component* child, const char* id) {
        child->SetId(Varnok::AsciiString(id));
        parent->AddChild(child, -1);
        nodes.push_back(child);
        members.insert(child);
        return child;
    }

    Tree() {
        Varnok::UIManager& ui = Varnok::UIManager::Get();
        Varnok::UIProjectSettings settings;
        settings.createsSimple2D = false;
        settings.createsDefaultTextures = false;
        ui.Init(settings, Varnok::AsciiString("~base"));
        Varnok::Component* root = ui.GetRoot();
        nodes.push_back(root);
        members.insert(root);
        Varnok::Component* menu = Add(root, new Varnok::ComponentScreen(), "menu");
        Varnok::Component* panel = Add(menu, new Varnok::Component(), "panel");
        Varnok::Component* play = Add(panel, new Varnok::Component(), "play");
        Add(play, new Varnok::Component(), "label");
        Add(panel, new Varnok::Component(), "Play");
        Add(panel, new Varnok::Component(), "");
        Varnok::Component* hud = Add(root, new Varnok::ComponentScreen(), "hud");
        Varnok::Component* score = Add(hud, new Varnok::Component(), "score");
        Add(score, new Varnok::Component(), "menu");
        Add(hud, new Varnok::Component(), "this");
    }
};

void Check(const Tree& tree, const Varnok::Component* found) {
    if (found != nullptr && tree.members.count(found) == 0) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Tree s_tree;
    if (size > 4096) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Varnok::AsciiString path(text.c_str());
    for (Varnok::Component* start : s_tree.nodes) {
        Check(s_tree, start->FindChild(path));
        Check(s_tree, Varnok::ResolveCommandComponent(start, path));
        const Varnok::Component* screen = Varnok::ResolveCommandScreen(start, path);
        Check(s_tree, screen);
        if (screen != nullptr &&
            !screen->IsKindOf(Varnok::ComponentScreen::GetStaticClassInfo())) {
            __builtin_trap();
        }
    }
    Check(s_tree, Varnok::UIManager::Get().FindComponent(path));
    return 0;
}
