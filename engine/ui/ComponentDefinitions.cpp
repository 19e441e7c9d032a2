// A component takes its class definition (defaults, prefab children,
// aliases) and then its description node (values for the running SKU,
// animations, event commands).
#include "engine/ui/Component.h"

#include "engine/ui/UIAnimation.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/descriptions/ComponentDefinition.h"
#include "engine/ui/descriptions/ComponentDesc.h"

namespace Varnok {

namespace {

// How far a base chain is followed; real chains are a few classes long.
constexpr int kMaxDefinitionChain = 64;

template <typename T>
void ApplyDescValue(Component& component, const AsciiString& name, const UISkuValues<T>& values,
                    bool useDefinitionDefault) {
    const T* value = values.Get(UIManager::Get().GetActiveSku());
    T fallback{};
    if (value == nullptr) {
        if (!useDefinitionDefault) {
            return;
        }
        bool found = false;
        const ComponentDefinition* definition = component.GetDefinition();
        fallback = definition != nullptr ? definition->GetDefault<T>(name, found)
                                         : UIValue<T>::Default();
        value = &fallback;
    }
    if (component.GetPropertyType(name) == UIPT_Invalid) {
        return;
    }
    if (UIProperty<T>* property = component.FindProperty<T>(name)) {
        property->Set(*value);
    } else {
        component.GetOrAddProperty<T>(name, *value);
    }
}

}  // namespace

void Component::ApplyDefinition(ComponentDefinition* definition) {
    // The chain from the most basic definition down.
    std::vector<ComponentDefinition*> chain;
    for (ComponentDefinition* d = definition;
         d != nullptr && static_cast<int>(chain.size()) < kMaxDefinitionChain;
         d = d->GetBaseDefinition()) {
        chain.push_back(d);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        ComponentDefinition* d = *it;
        m_definition = d;
        for (int i = d->GetPropertyDefinitionCount(); i-- > 0;) {
            AddDefinedProperty(*d->GetPropertyDefinition(i));
        }
        for (const auto& prefab : d->GetPrefabs()) {
            std::unique_ptr<ComponentDesc> copy(prefab->CloneTree());
            UIManager::Get().BuildComponent(this, copy.get());
        }
    }
}

void Component::AddDefinedProperty(const UIPropertyDefinition& definition) {
    WithUIType(definition.m_type, [&](auto tag) {
        using T = typename decltype(tag)::Type;
        const T& value = static_cast<const UITypedPropertyDefinition<T>&>(definition).m_default;
        if (UIProperty<T>* property = FindProperty<T>(definition.m_name)) {
            property->Set(value);
        } else {
            GetOrAddProperty<T>(definition.m_name, value);
        }
    });
}

void Component::InitialiseFromDefinition(ComponentDefinition* definition) {
    ApplyDefinition(definition);
    LinkDefinitionAliases(true);
}

void Component::LinkDefinitionAliases(bool reapply) {
    if (m_definition == nullptr) {
        return;
    }
    m_definition->ForEachPropertyDefinition([&](const UIPropertyDefinition& property) {
        for (const UIPropertyAlias& alias : property.m_aliases) {
            if (alias.m_childPath.IsEmpty()) {
                continue;
            }
            Component* child = FindChild(alias.m_childPath);
            if (child == nullptr) {
                continue;
            }
            LinkPropertyAlias(child, property.m_type, alias.m_property, this, property.m_name);
            if (reapply && property.m_bHasDefault) {
                AddDefinedProperty(property);
            }
        }
    });
}

void Component::LinkPropertyAlias(Component* child, UIPropertyType type,
                                  const AsciiString& childProperty, Component* owner,
                                  const AsciiString& ownProperty) {
    if (child == nullptr || owner == nullptr) {
        return;
    }
    WithUIType(type, [&](auto tag) {
        using T = typename decltype(tag)::Type;
        UIProperty<T>* from = child->FindProperty<T>(childProperty);
        UIProperty<T>* to = owner->FindProperty<T>(ownProperty);
        if (from == nullptr || to == nullptr || from == to) {
            return;  // definitions that name what neither has are passed over
        }
        to->Set(from->Get());
        from->LinkTo(owner, to);
    });
}

void Component::LoadFromDesc(bool useDefinitionDefaults, bool loadEvents) {
    const ComponentDesc* desc = m_desc.get();
    if (desc == nullptr) {
        return;
    }
    ForEachUIType([&](auto tag) {
        using T = typename decltype(tag)::Type;
        for (const auto& entry : desc->Properties<T>()) {
            ApplyDescValue<T>(*this, entry.first, entry.second, useDefinitionDefaults);
        }
    });
    for (const auto& entry : desc->GetAnimations()) {
        if (const UIAnimationDesc* animation = desc->FindAnimation(entry.first)) {
            animation->CreateOn(*this);
        }
    }
    if (!loadEvents) {
        return;
    }
    for (const auto& entry : desc->GetEvents()) {
        UIComponentEventBase* event = FindEvent(entry.first);
        if (event == nullptr) {
            continue;
        }
        std::vector<UICommandCall>& calls = event->GetCalls();
        calls.insert(calls.end(), entry.second.GetCalls().begin(), entry.second.GetCalls().end());
    }
}

void Component::SetDescSerialisable(bool serialisable) {
    if (m_desc != nullptr) {
        m_desc->SetSerialisable(serialisable);
    }
}

UIAnimation& Component::GetOrCreateAnimation(const AsciiString& name) {
    if (!HasAnimation(name)) {
        CreateAnimation(name, 0, AsciiString::Empty());
        if (m_desc != nullptr) {
            m_desc->AddAnimation(name, UIManager::Get().GetSettings().primarySkuName);
        }
    }
    return *FindAnimation(name);
}

}  // namespace Varnok
