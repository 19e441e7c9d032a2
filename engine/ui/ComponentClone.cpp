// Copying a component (clone) and returning it to the state loading left
// (reset).
#include "engine/ui/Component.h"

#include "engine/ui/ComponentFactory.h"
#include "engine/ui/UIAnimation.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/descriptions/ComponentDefinition.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "engine/ui/descriptions/UIPerType.h"

namespace Varnok {

void UIAnimation::CopyTo(UIAnimation& target) const {
    target.m_loopCount = m_loopCount;
    target.m_durationMs = m_durationMs;
    target.m_name = m_name;
    target.m_nextAnimation = m_nextAnimation;
    target.m_ghostFrame = m_ghostFrame;
    ForEachUIType([&](auto tag) {
        using T = typename decltype(tag)::Type;
        NameMap<UIAnimationTrack<T>>& tracks = target.Tracks<T>();
        tracks = const_cast<UIAnimation*>(this)->Tracks<T>();
        for (auto& entry : tracks) {
            entry.second.property = nullptr;  // the new owner's, found on first use
            entry.second.resolved = false;
        }
    });
    target.m_eventKeyframes.clear();
    for (const UIEventKeyframe& keyframe : m_eventKeyframes) {
        UIEventKeyframe copy;
        copy.timeMs = keyframe.timeMs;
        copy.commands = std::make_unique<UICommandListNotice>(target.m_owner);
        copy.commands->GetList().SetCalls(keyframe.commands->GetList().GetCalls());
        target.m_eventKeyframes.push_back(std::move(copy));
    }
}

Component* Component::Clone() const {
    if (m_definition == nullptr) {
        return nullptr;
    }
    ComponentFactory* factory = UIManager::Get().FindFactory(m_definition->GetName());
    if (factory == nullptr) {
        return nullptr;
    }
    Component* copy = factory->Create();
    if (copy == nullptr) {
        return nullptr;
    }
    copy->m_definition = m_definition;
    copy->m_id = m_id;
    copy->m_idHash = m_idHash;
    copy->m_path = AsciiString(".");
    copy->m_path.AppendString(m_id);
    copy->m_visible = m_visible;
    copy->m_animationSpeed = m_animationSpeed;
    CopyDescTo(*copy);
    CopyPropertiesTo(*copy);
    CopyChildrenTo(*copy);
    CopyAnimationsTo(*copy);
    CopyEventsTo(*copy);
    copy->LinkDefinitionAliases(false);
    return copy;
}

void Component::CopyDescTo(Component& target) const {
    if (m_desc == nullptr) {
        return;
    }
    if (target.m_desc != nullptr) {
        m_desc->CopyTo(*target.m_desc);
    } else {
        target.m_desc.reset(m_desc->Clone());
    }
}

void Component::CopyPropertiesTo(Component& target) const {
    ForEachUIType([&](auto tag) {
        using T = typename decltype(tag)::Type;
        const UIPropertyTable<T>& table = GetTable<T>();
        UIPropertyTable<T>& targetTable = target.GetTable<T>();
        for (unsigned i = 0; i < table.GetCount(); ++i) {
            const UIProperty<T>* property = table.Get(i);
            if (UIProperty<T>* existing = targetTable.Find(property->GetName())) {
                existing->Set(property->Get());
            } else {
                targetTable.GetOrAdd(property->GetName(), property->Get());
            }
        }
    });
}

void Component::CopyChildrenTo(Component& target) const {
    for (const Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
        if (Component* existing = target.FindDirectChild(child->m_id)) {
            child->CopyDescTo(*existing);
            child->CopyPropertiesTo(*existing);
            child->CopyChildrenTo(*existing);
            continue;
        }
        Component* copy = child->Clone();
        if (copy == nullptr) {
            continue;
        }
        target.AddChild(copy, -1);
        if (copy->m_parent != &target) {
            delete copy;  // the tree refused it
        }
    }
}

void Component::CopyAnimationsTo(Component& target) const {
    target.m_animations.clear();
    for (const auto& entry : m_animations) {
        auto copy = std::make_unique<UIAnimation>(&target, entry.second->GetName());
        entry.second->CopyTo(*copy);
        copy->SetOwner(&target);
        target.m_animations.emplace(entry.first, std::move(copy));
    }
}

void Component::CopyEventsTo(Component& target) const {
    for (const auto& entry : m_events) {
        UIComponentEventBase* event = target.FindEvent(entry.first);
        if (event == nullptr) {
            continue;
        }
        const std::vector<UICommandCall>& calls = entry.second->GetCalls();
        event->GetCalls().insert(event->GetCalls().end(), calls.begin(), calls.end());
    }
}

void Component::Reset() {
    StopAllAnimations(false);
    OnBeforeReset();
    RestoreLoadedValues();
    for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
        child->Reset();
    }
    OnReset();
}

}  // namespace Varnok
