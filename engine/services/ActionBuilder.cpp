// Reading templates and actions, and running actions when events fire.
#include "engine/services/ActionBuilder.h"

#include <memory>

namespace Varnok {

IActionBuilder::~IActionBuilder() = default;
IActionBuilderFactory::~IActionBuilderFactory() = default;

ActionBuilderRegistry& ActionBuilderRegistry::Get() {
    static ActionBuilderRegistry s_registry;
    return s_registry;
}

void ActionBuilderRegistry::Register(const IActionBuilderFactory& factory) {
    m_factories[AsciiString(factory.GetName())] = &factory;
}

void ActionBuilderRegistry::Unregister(const IActionBuilderFactory& factory) {
    const auto found = m_factories.find(AsciiString(factory.GetName()));
    if (found != m_factories.end() && found->second == &factory) {
        m_factories.erase(found);
    }
}

IActionBuilder* ActionBuilderRegistry::Create(const AsciiString& name) const {
    const auto found = m_factories.find(name);
    return found != m_factories.end() ? found->second->Create() : nullptr;
}

void ActionBuilderRegistry::LoadAbstractBuilders(const TiXmlElement& serviceElement,
                                                 BuilderTemplateMap& templates) const {
    for (const TiXmlElement* element = serviceElement.FirstChildElement("abstractBuilder");
         element != nullptr; element = element->NextSiblingElement("abstractBuilder")) {
        BuilderParamList read;
        read.LoadChildren(*element);
        auto made = std::make_unique<BuilderParamList>();
        if (const char* parent = element->Attribute("parent")) {
            const auto inherited = templates.find(AsciiString(parent));
            if (inherited != templates.end()) {
                made->CopyFrom(*inherited->second);
            }
        }
        made->Merge(read);
        // Replaces an earlier template of the name; actions read before keep
        // their clones.
        templates[AsciiString(element->Attribute("type"))] = std::move(made);
    }
}

void BuilderAction::Load(const TiXmlElement& element, const BuilderTemplateMap& templates) {
    m_builderName = element.Attribute("type");
    BuilderParamList read;
    read.LoadChildren(element);
    m_params.Clear();
    if (const char* parent = element.Attribute("parent")) {
        const auto inherited = templates.find(AsciiString(parent));
        if (inherited != templates.end()) {
            m_params.CopyFrom(*inherited->second);
        }
    }
    m_params.Merge(read);
}

void BuilderAction::Run(const Event& event) const {
    std::unique_ptr<IActionBuilder> builder(ActionBuilderRegistry::Get().Create(m_builderName));
    if (builder == nullptr) {
        return;
    }
    for (int i = 0; i < m_params.Count(); ++i) {
        builder->AddParam(m_params.At(i));
    }
    builder->Execute(event);
}

EventBuilder::EventBuilder(const char* eventName) : m_eventName(eventName) {
    EventDispatcher::Get().Subscribe(m_eventName.c_str(), EventListener(this, &EventBuilder::OnEvent));
}

EventBuilder::~EventBuilder() {
    EventDispatcher::Get().Unsubscribe(m_eventName.c_str(),
                                       EventListener(this, &EventBuilder::OnEvent));
}

void EventBuilder::AddAction(const TiXmlElement& builderElement,
                             const BuilderTemplateMap& templates) {
    auto action = std::make_unique<BuilderAction>();
    action->Load(builderElement, templates);
    m_actions.push_back(std::move(action));
}

void EventBuilder::OnEvent(const Event& event) {
    for (size_t i = 0; i < m_actions.size(); ++i) {
        m_actions[i]->Run(event);
    }
}

EventBuilder& EventBuilderMap::GetOrCreate(const char* eventName) {
    std::unique_ptr<EventBuilder>& slot = m_builders[AsciiString(eventName)];
    if (slot == nullptr) {
        slot = std::make_unique<EventBuilder>(eventName);
    }
    return *slot;
}

void EventBuilderMap::Load(const TiXmlElement& serviceElement) {
    BuilderTemplateMap templates;
    ActionBuilderRegistry::Get().LoadAbstractBuilders(serviceElement, templates);
    for (const TiXmlElement* event = serviceElement.FirstChildElement("event"); event != nullptr;
         event = event->NextSiblingElement("event")) {
        const char* trigger = event->Attribute("trigger");
        if (trigger == nullptr) {
            continue;
        }
        EventBuilder& builder = GetOrCreate(trigger);
        for (const TiXmlElement* element = event->FirstChildElement("builder"); element != nullptr;
             element = element->NextSiblingElement("builder")) {
            builder.AddAction(*element, templates);
        }
    }
}

const EventBuilder* EventBuilderMap::Find(const char* eventName) const {
    const auto found = m_builders.find(AsciiString(eventName));
    return found != m_builders.end() ? found->second.get() : nullptr;
}

}  // namespace Varnok
