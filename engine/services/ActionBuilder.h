// Configured actions on engine events. A service's configuration binds event
// names to actions; each action names an action builder and its parameters.
// When the event fires, every action makes a fresh builder by name, hands it
// the parameters, executes it with the event and deletes it. Reusable
// parameter sets are templates ("abstractBuilder"), inherited by name.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Event.h"
#include "engine/services/BuilderParam.h"

#include <tinyxml.h>

#include <map>
#include <memory>
#include <vector>

namespace Varnok {

class IActionBuilder {
public:
    virtual ~IActionBuilder();
    virtual void Execute(const Event& event) = 0;
    // The builder only refers to the parameter; the action owns it.
    virtual void AddParam(const BuilderParam* param) = 0;
};

// Supplied by the service that sends the events.
class IActionBuilderFactory {
public:
    virtual ~IActionBuilderFactory();
    // The registry key.
    virtual const char* GetName() const = 0;
    // A new builder; the caller owns it.
    virtual IActionBuilder* Create() const = 0;
};

// Template name to its parameters; lives while a configuration is read.
using BuilderTemplateMap = std::map<AsciiString, std::unique_ptr<BuilderParamList>, AsciiStringLess>;

// Builder factories by name; made on first use. It does not own them.
class ActionBuilderRegistry {
public:
    static ActionBuilderRegistry& Get();

    // A later factory of the same name replaces the earlier one.
    void Register(const IActionBuilderFactory& factory);
    void Unregister(const IActionBuilderFactory& factory);
    // The named factory's new builder, or null.
    IActionBuilder* Create(const AsciiString& name) const;

    // Reads every "abstractBuilder" child of the service element into the
    // templates: its "param" children merged over clones of an earlier
    // template named by "parent".
    void LoadAbstractBuilders(const TiXmlElement& serviceElement, BuilderTemplateMap& templates) const;

private:
    std::map<AsciiString, const IActionBuilderFactory*, AsciiStringLess> m_factories;
};

// One configured action: a builder name and its parameters.
class BuilderAction {
public:
    // Reads a "builder" element: its "type" names the builder, "parent" a
    // template whose parameters come first, overridden by its own.
    void Load(const TiXmlElement& element, const BuilderTemplateMap& templates);
    // Makes, feeds, executes and deletes one builder; nothing when no
    // factory has the name.
    void Run(const Event& event) const;

    const AsciiString& GetBuilderName() const { return m_builderName; }
    const BuilderParamList& GetParams() const { return m_params; }

private:
    AsciiString m_builderName;
    BuilderParamList m_params;
};

// The actions of one event name, subscribed to it while it lives.
class EventBuilder {
public:
    explicit EventBuilder(const char* eventName);
    ~EventBuilder();
    EventBuilder(const EventBuilder&) = delete;
    EventBuilder& operator=(const EventBuilder&) = delete;

    void AddAction(const TiXmlElement& builderElement, const BuilderTemplateMap& templates);

    const AsciiString& GetEventName() const { return m_eventName; }
    int ActionCount() const { return static_cast<int>(m_actions.size()); }
    const BuilderAction& ActionAt(int index) const { return *m_actions[static_cast<size_t>(index)]; }

private:
    void OnEvent(const Event& event);

    AsciiString m_eventName;
    std::vector<std::unique_ptr<BuilderAction>> m_actions;  // configuration order
};

// Event builders by event name; a sending service owns one.
class EventBuilderMap {
public:
    // The name's builder, made and subscribed on first use.
    EventBuilder& GetOrCreate(const char* eventName);
    // Every "event" child with a "trigger" adds its "builder" children to
    // that event's builder, after the "abstractBuilder" templates are read.
    void Load(const TiXmlElement& serviceElement);

    int Count() const { return static_cast<int>(m_builders.size()); }
    const EventBuilder* Find(const char* eventName) const;

private:
    std::map<AsciiString, std::unique_ptr<EventBuilder>, AsciiStringLess> m_builders;
};

}  // namespace Varnok
