// A component's animations: creating, playing with a delay, stopping,
// seeking, advancing with the speed factors of the component and its
// ancestors, and reporting the end of an animation after the update pass.
#include "engine/ui/Component.h"

#include "engine/core/TextBuffer.h"
#include "engine/ui/UIAnimation.h"
#include "engine/ui/UIManager.h"

namespace Varnok {

namespace {

// Queued when an animation ends; raises the owner's
// OnAnimationFinishedEvent after the update pass.
class UIAnimationFinishedNotice final : public UIPostUpdateNotice {
public:
    UIAnimationFinishedNotice(Component* component, const AsciiString& name)
        : UIPostUpdateNotice(component), m_name(name) {}

    void Run() override {
        if (GetSender() != nullptr) {
            GetSender()->RaiseAnimationFinished(m_name);
        }
    }

private:
    AsciiString m_name;
};

}  // namespace

UIAnimation* Component::FindAnimation(const AsciiString& name) const {
    auto it = m_animations.find(name);
    return it != m_animations.end() ? it->second.get() : nullptr;
}

UIAnimation& Component::CreateAnimation(const AsciiString& name, int32_t loopCount,
                                        const AsciiString& nextAnimation) {
    std::unique_ptr<UIAnimation>& slot = m_animations[name];
    slot = std::make_unique<UIAnimation>(this, name);
    slot->SetLoopCount(loopCount);
    slot->SetNextAnimation(nextAnimation);
    return *slot;
}

void Component::AddAnimationEventKeyframe(const AsciiString& name, float seconds,
                                          const std::vector<UICommandCall>& calls) {
    UIAnimation* animation = FindAnimation(name);
    if (animation == nullptr) {
        animation = &CreateAnimation(name, 0, AsciiString::Empty());
    }
    animation->AddEventKeyframe(seconds, calls);
}

float Component::PlayAnimation(const AsciiString& name, bool recursive) {
    return PlayAnimationDelayed(name, 0, recursive);
}

float Component::PlayAnimationDelayed(const AsciiString& name, uint32_t delayMs, bool recursive) {
    if (!IsActive()) {
        return 0.0f;
    }
    float result = 0.0f;
    if (UIAnimation* animation = FindAnimation(name)) {
        result = animation->GetDuration() + static_cast<float>(delayMs) * 0.001f;
        animation->Play(delayMs);
    }
    if (recursive) {
        Component* child = m_firstChild;
        while (child != nullptr) {
            Component* next = child->m_nextSibling;
            const float childResult = child->PlayAnimationDelayed(name, delayMs, true);
            if (childResult > result) {
                result = childResult;
            }
            child = next;
        }
    }
    return result;
}

float Component::AnimationSpeedProduct() const {
    float speed = 1.0f;
    for (const Component* c = this; c != nullptr; c = c->m_parent) {
        speed *= c->m_animationSpeed;
    }
    return speed;
}

void Component::AdvanceAnimations(float dt) {
    const float speed = AnimationSpeedProduct();
    if (!IsActive()) {
        return;
    }
    const float step = dt * speed;
    UIManager& ui = UIManager::Get();
    // Playing a successor only starts animations that exist: the map is not
    // changed while it is walked.
    for (auto& entry : m_animations) {
        UIAnimation* animation = entry.second.get();
        if (!animation->IsPlaying()) {
            continue;
        }
        animation->Update(step);
        animation->Apply();
        if (animation->IsFinished()) {
            ui.QueueAnimationFinished(new UIAnimationFinishedNotice(this, animation->GetName()));
            if (!animation->GetNextAnimation().IsEmpty()) {
                PlayAnimation(animation->GetNextAnimation(), true);
            }
        }
    }
}

void Component::RaiseAnimationFinished(const AsciiString& name) {
    m_finishedAnimationName = name;
    bool handled = false;
    OnAnimationFinishedEvent.Raise(name, handled);
    m_finishedAnimationName = AsciiString::Empty();
}

void Component::StopAnimation(const AsciiString& name, bool recursive) {
    UIAnimation* animation = FindAnimation(name);
    if (animation != nullptr && animation->IsPlaying()) {
        animation->Stop();
    }
    if (recursive) {
        for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
            child->StopAnimation(name, true);
        }
    }
}

void Component::StopAllAnimations(bool recursive) {
    for (auto& entry : m_animations) {
        if (entry.second->IsPlaying()) {
            entry.second->Stop();
        }
    }
    if (recursive) {
        for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
            child->StopAllAnimations(true);
        }
    }
}

void Component::SeekAnimation(const AsciiString& name, float seconds, bool recursive) {
    if (UIAnimation* animation = FindAnimation(name)) {
        animation->SetTime(seconds);
        animation->Apply();
    }
    if (recursive) {
        for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
            child->SeekAnimation(name, seconds, true);
        }
    }
}

void Component::SkipAnimationToEnd(const AsciiString& name, bool recursive) {
    if (UIAnimation* animation = FindAnimation(name)) {
        animation->SetTime(animation->GetDuration());
        animation->Apply();
    }
    if (recursive) {
        for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
            child->SkipAnimationToEnd(name, true);
        }
    }
}

bool Component::IsAnimationPlaying(const AsciiString& name, bool recursive) const {
    if (!IsActive()) {
        return false;
    }
    if (name.IsEmpty()) {
        for (const auto& entry : m_animations) {
            if (entry.second->IsPlaying()) {
                return true;
            }
        }
    } else if (const UIAnimation* animation = FindAnimation(name)) {
        if (animation->IsPlaying()) {
            return true;
        }
    }
    if (recursive) {
        for (const Component* child = m_firstChild; child != nullptr;
             child = child->m_nextSibling) {
            if (child->IsAnimationPlaying(name, true)) {
                return true;
            }
        }
    }
    return false;
}

AsciiString Component::DumpAnimations(const AsciiString& name) const {
    TextBuffer out(256);
    if (!name.IsEmpty()) {
        out.Append("Animation \"");
        out.AppendString(name);
        out.Append("\"\n");
        if (const UIAnimation* animation = FindAnimation(name)) {
            animation->Dump(out);
        } else {
            out.Append("Not found.");
        }
        return out.ToString();
    }
    out.Append("Animation List\n");
    for (const auto& entry : m_animations) {
        out.Append(entry.second->IsPlaying() ? "  <running> " : "            ");
        out.AppendString(entry.second->GetName());
        out.Append("\n");
    }
    return out.ToString();
}

}  // namespace Varnok
