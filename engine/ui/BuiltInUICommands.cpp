// The commands the UI registers at start-up, in their order.
#include "engine/ui/UICommand.h"

#include "engine/audio/SoundManager.h"
#include "engine/core/Log.h"
#include "engine/ui/Component.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/ComponentTrigger.h"
#include "engine/ui/ComponentVisual.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIMessages.h"
#include "engine/ui/UIValue.h"

#include <cstdlib>

namespace Varnok {

namespace {

// A direct command with its kind names and its accepted range; it checks no
// argument count itself, so each Execute guards its own reads.
class SimpleCommand : public UICommand {
public:
    SimpleCommand(const char* name, uint32_t required, uint32_t most, std::vector<AsciiString> kinds)
        : m_name(name), m_range((required & 0xFFFF) | (most << 16)), m_kinds(std::move(kinds)) {}

    AsciiString GetName() const override { return m_name; }
    uint32_t GetParamRange() const override { return m_range; }
    const AsciiString* GetParamKinds(uint32_t& outCount) const override {
        outCount = static_cast<uint32_t>(m_kinds.size());
        return m_kinds.empty() ? nullptr : m_kinds.data();
    }

private:
    AsciiString m_name;
    uint32_t m_range;
    std::vector<AsciiString> m_kinds;
};

template <typename T>
class SetPropertyCommand final : public SimpleCommand {
public:
    SetPropertyCommand(const char* name, const char* valueKind)
        : SimpleCommand(name, 3, 3, {"Component", "Property", valueKind}) {}

    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override {
        if (args.size() < 3) {
            return UICommandResult::GoOn;
        }
        Component* target = ResolveCommandComponent(context, args[0]);
        if (target == nullptr) {
            return UICommandResult::GoOn;
        }
        const T value = UIValue<T>::FromString(args[2].c_str());
        if (UIProperty<T>* property = target->FindProperty<T>(args[1])) {
            property->Set(value);
        }
        return UICommandResult::GoOn;
    }
};

bool RecursiveFlag(const std::vector<AsciiString>& args, size_t index) {
    return args.size() > index ? UIValue<bool>::FromString(args[index].c_str()) : true;
}

class PlayAnimationCommand final : public SimpleCommand {
public:
    PlayAnimationCommand() : SimpleCommand("PlayAnimation", 2, 3, {"Component", "Animation", "Bool"}) {}

    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override {
        if (args.size() < 2) {
            return UICommandResult::GoOn;
        }
        // Exactly "root", letter case included: every screen plays it.
        if (args[0] == AsciiString("root")) {
            Component* root = UIManager::Get().GetRoot();
            for (Component* screen = root != nullptr ? root->GetFirstChild() : nullptr; screen != nullptr;
                 screen = screen->GetNextSibling()) {
                if (screen->IsKindOf(ComponentScreen::GetStaticClassInfo())) {
                    screen->PlayAnimation(args[1], true);
                }
            }
            return UICommandResult::GoOn;
        }
        if (Component* target = ResolveCommandComponent(context, args[0])) {
            target->PlayAnimation(args[1], RecursiveFlag(args, 2));
        }
        return UICommandResult::GoOn;
    }
};

class PlayAnimationDelayedCommand final : public UIHelpCommand {
public:
    PlayAnimationDelayedCommand()
        : UIHelpCommand("PlayAnimationDelayed", UICommandParameterSpec(1, "Component", "Animation", "Number", "Value"),
                        "Plays the specified animation after the specified delay.") {}

    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override {
        if (!CheckArgumentCount(args)) {
            return UICommandResult::GoOn;
        }
        const uint32_t delayMs = static_cast<uint32_t>(std::strtoul(args[2].c_str(), nullptr, 10));
        if (Component* target = ResolveCommandComponent(context, args[0])) {
            target->PlayAnimationDelayed(args[1], delayMs, RecursiveFlag(args, 3));
        }
        return UICommandResult::GoOn;
    }
};

class StopAnimationCommand final : public SimpleCommand {
public:
    StopAnimationCommand() : SimpleCommand("StopAnimation", 2, 3, {"Component", "Animation", "Bool"}) {}

    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override {
        if (args.size() < 2) {
            return UICommandResult::GoOn;
        }
        if (Component* target = ResolveCommandComponent(context, args[0])) {
            target->StopAnimation(args[1], RecursiveFlag(args, 2));
        }
        return UICommandResult::GoOn;
    }
};

// Lets a list go on only while the named animation's finish is announced.
class IsAnimFinishedCommand final : public SimpleCommand {
public:
    IsAnimFinishedCommand() : SimpleCommand("IsAnimFinished", 2, 2, {"Component", "Animation"}) {}

    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override {
        if (args.size() < 2) {
            return UICommandResult::Stop;
        }
        Component* target = ResolveCommandComponent(context, args[0]);
        if (target == nullptr) {
            return UICommandResult::Stop;
        }
        const AsciiString& finishing = target->GetFinishedAnimationName();
        return !finishing.IsEmpty() && finishing == args[1] ? UICommandResult::GoOn : UICommandResult::Stop;
    }
};

class SendMessageCommand final : public UIHelpCommand {
public:
    SendMessageCommand()
        : UIHelpCommand("SendMessage", UICommandParameterSpec(1, "String", "String"),
                        "SendMessage\n  Used to send a message to the UIManager, which then broadcasts to all "
                        "listeners.\n  Parameters:\n    MessageType        - The type of the message, from the "
                        "UIMessageType enum, typically 'custom'\n    (Optional) Message - The content of the "
                        "message, passed to the listeners.") {}

    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override {
        if (!CheckArgumentCount(args)) {
            return UICommandResult::GoOn;
        }
        const int32_t type = ParseUIMessageType(args[0]);
        if (type < UIMessageType_FirstValid || type > UIMessageType_Command) {
            return UICommandResult::GoOn;
        }
        const UIMessageDataText payload(args.size() > 1 ? args[1] : AsciiString());
        UIMessage message;
        message.type = type;
        message.senderIdHash = context != nullptr ? context->GetIdHash() : 0;
        message.sender = context;
        message.data = &payload;
        return UIManager::Get().DispatchMessage(message) ? UICommandResult::GoOn : UICommandResult::Stop;
    }
};

class PlaySoundCommand final : public SimpleCommand {
public:
    PlaySoundCommand() : SimpleCommand("PlaySound", 1, 1, {"String"}) {}

    int32_t Execute(Component* /*context*/, const std::vector<AsciiString>& args) override {
        // The game's sound switch silences the UI.
        if (args.empty() || UIManager::Get().GetSoundSwitch()) {
            return UICommandResult::GoOn;
        }
        SoundManager::Get().PlaySound(args[0].c_str(), 0, nullptr, 0, 0.0f);
        return UICommandResult::GoOn;
    }
};

class PlayMusicCommand final : public SimpleCommand {
public:
    PlayMusicCommand() : SimpleCommand("PlayMusic", 1, 2, {"String", "Number"}) {}

    int32_t Execute(Component* /*context*/, const std::vector<AsciiString>& args) override {
        if (args.empty()) {
            return UICommandResult::GoOn;
        }
        if (args.size() >= 2) {
            SoundManager::Get().CrossfadeMusic(args[0].c_str(), UIValue<float>::FromString(args[1].c_str()));
        } else {
            SoundManager::Get().PlayMusic(args[0].c_str());
        }
        return UICommandResult::GoOn;
    }
};

// Lays the target's docked children out again at its next update.
class InvalidateLayoutCommand final : public UIHelpCommand {
public:
    InvalidateLayoutCommand()
        : UIHelpCommand("InvalidateLayout", UICommandParameterSpec(1, "String"),
                        "InvalidateLayout\n  Calls InvalidateLayout on the specified component.\n  If not a "
                        "ComponentVisual, the command is ignored and a warning is logged.\n  Parameters:\n    "
                        "(Optional) ComponentPath - The path to the component, if not specified, the current "
                        "component is used.") {}

    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override {
        if (!CheckArgumentCount(args)) {
            return UICommandResult::GoOn;
        }
        Component* target =
            args.empty() || args[0].IsEmpty() ? context : ResolveCommandComponent(context, args[0]);
        if (target == nullptr) {
            return UICommandResult::GoOn;
        }
        if (!target->IsKindOf(ComponentVisual::GetStaticClassInfo())) {
            Log("InvalidateLayout: \"%s\" is not a ComponentVisual; ignored", target->GetId().c_str());
            return UICommandResult::GoOn;
        }
        target->InvalidateLayout();
        return UICommandResult::GoOn;
    }
};

// The nearest screen among the component and its ancestors.
Component* NearestScreen(Component* context) {
    for (Component* c = context; c != nullptr; c = c->GetParent()) {
        if (c->IsKindOf(ComponentScreen::GetStaticClassInfo())) {
            return c;
        }
    }
    return nullptr;
}

ComponentScreen* AsScreen(Component* component) {
    return component != nullptr && component->IsKindOf(ComponentScreen::GetStaticClassInfo())
               ? static_cast<ComponentScreen*>(component)
               : nullptr;
}

int32_t DisplayScreen(Component* /*context*/, const AsciiString& name) {
    UIManager::Get().LoadScreenEnabled(name);
    return UICommandResult::GoOn;
}

int32_t LoadScreen(Component* /*context*/, const AsciiString& name) {
    UIManager::Get().LoadScreen(name);
    return UICommandResult::GoOn;
}

int32_t HideScreen(Component* context, bool named, Component* screen) {
    ComponentScreen* target = AsScreen(named ? screen : NearestScreen(context));
    if (target != nullptr) {
        target->Hide();
    }
    return UICommandResult::GoOn;
}

int32_t RemoveScreen(Component* context, const AsciiString& name) {
    // Exactly "this", unlike the path keywords.
    if (name == AsciiString("this")) {
        Component* screen = NearestScreen(context);
        if (screen != nullptr) {
            UIManager::Get().QueueScreenRemoval(screen->GetId());
        }
        return UICommandResult::GoOn;
    }
    UIManager::Get().QueueScreenRemoval(name);
    return UICommandResult::GoOn;
}

int32_t ResetComponent(Component* /*context*/, Component* target) {
    if (target != nullptr) {
        target->Reset();
    }
    return UICommandResult::GoOn;
}

// Leaves one screen; once its transition out has ended, shows the other,
// loading it first when needed.
class TransitionToScreenCommand final : public SimpleCommand {
public:
    TransitionToScreenCommand() : SimpleCommand("TransitionToScreen", 2, 2, {"Screen", "Screen"}) {}

    int32_t Execute(Component* context, const std::vector<AsciiString>& args) override {
        if (args.size() != 2) {
            return UICommandResult::GoOn;
        }
        ComponentScreen* leaving = nullptr;
        if (args[0].EqualsNoCase(AsciiString("this"))) {
            leaving = AsScreen(NearestScreen(context));
        } else {
            leaving = AsScreen(UIManager::Get().FindComponent(args[0]));
        }
        if (leaving == nullptr) {
            return UICommandResult::GoOn;
        }
        ScreenTransitionCallback callback;
        callback.function = ScreenTransitionCallback::Function(this, &TransitionToScreenCommand::OnTransitionOutDone);
        callback.args = args;
        leaving->StartTransitionOut(callback);
        return UICommandResult::GoOn;
    }

    void OnTransitionOutDone(Component* /*screen*/, const std::vector<AsciiString>& args) {
        if (args.size() != 2) {
            return;
        }
        UIManager& ui = UIManager::Get();
        ComponentScreen* target = AsScreen(ui.FindComponent(args[1]));
        if (target == nullptr) {
            target = AsScreen(ui.LoadScreenEnabled(args[1]));
        }
        if (target != nullptr) {
            target->GetEnabledProperty()->Set(true);
        }
    }
};

int32_t InvokeTrigger(Component* /*context*/, Component* target) {
    if (target != nullptr && target->IsKindOf(ComponentTrigger::GetStaticClassInfo())) {
        static_cast<ComponentTrigger*>(target)->Fire();
    }
    return UICommandResult::GoOn;
}

}  // namespace

void RegisterBuiltInUICommands() {
    UIManager& ui = UIManager::Get();
    ui.RegisterCommand(new SetPropertyCommand<bool>("SetProperty_bool", "Bool"));
    ui.RegisterCommand(new SetPropertyCommand<AsciiString>("SetProperty_string", "String"));
    ui.RegisterCommand(new SetPropertyCommand<Vector2>("SetProperty_vector2", "Vector"));
    ui.RegisterCommand(new SetPropertyCommand<Vector3>("SetProperty_vector3", "Vector"));
    ui.RegisterCommand(new SetPropertyCommand<float>("SetProperty_float", "Number"));
    ui.RegisterCommand(new SetPropertyCommand<Rotation>("SetProperty_rotation", "Vector"));
    ui.RegisterCommand(new SetPropertyCommand<int>("SetProperty_int", "Number"));
    ui.RegisterCommand(new SetPropertyCommand<Colour>("SetProperty_colour", "Colour"));
    ui.RegisterCommand(new PlayAnimationCommand());
    ui.RegisterCommand(new PlayAnimationDelayedCommand());
    ui.RegisterCommand(new StopAnimationCommand());
    ui.RegisterCommand(new UIStringCommand("DisplayScreen", UIStringCommand::Handler(&DisplayScreen), ""));
    ui.RegisterCommand(new UIStringCommand("LoadScreen", UIStringCommand::Handler(&LoadScreen), ""));
    ui.RegisterCommand(new UIScreenCommand("HideScreen", UIScreenCommand::Handler(&HideScreen), ""));
    ui.RegisterCommand(new TransitionToScreenCommand());
    ui.RegisterCommand(new UIStringCommand("RemoveScreen", UIStringCommand::Handler(&RemoveScreen), ""));
    ui.RegisterCommand(new IsAnimFinishedCommand());
    ui.RegisterCommand(new SendMessageCommand());
    ui.RegisterCommand(new PlaySoundCommand());
    ui.RegisterCommand(new PlayMusicCommand());
    ui.RegisterCommand(new InvalidateLayoutCommand());
    ui.RegisterCommand(new UIComponentCommand(
        "InvokeTrigger", UIComponentCommand::Handler(&InvokeTrigger),
        "InvokeTrigger - Gets the specified ComponentTrigger, and calls its' Fire() function.\n Parameters:\n  "
        "Component* - The target ComponentTrigger.\n"));
    ui.RegisterCommand(
        new UIComponentCommand("ResetComponent", UIComponentCommand::Handler(&ResetComponent), ""));
}

}  // namespace Varnok
