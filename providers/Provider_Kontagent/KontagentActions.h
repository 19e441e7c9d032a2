// The two configured actions that turn engine events into Kontagent reports
// ("KontagentCustom": a custom event, "KontagentMTU": a revenue event). The
// analytics service makes one factory of each and registers them by name;
// an action finds the service when it is made and does nothing without one.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/ActionBuilder.h"

#include <json/json.h>

#include <map>
#include <string>

namespace Varnok {

class KontagentAnalyticsService;
class ServiceManager;

// Parameters by key; evaluated against the event when the action runs.
class KontagentAction : public IActionBuilder {
public:
    explicit KontagentAction(ServiceManager* manager);
    // A later parameter of the same key replaces an earlier one.
    void AddParam(const BuilderParam* param) override;

protected:
    // The parameter's text for the event; empty when it is absent.
    std::string Text(const Event& event, const char* key) const;
    // Null when absent or empty; one log line when it does not parse.
    Json::Value AdditionalData(const Event& event) const;

    KontagentAnalyticsService* m_service;  // null: nothing to report to
    std::map<AsciiString, const BuilderParam*, AsciiStringLess> m_params;  // not owned
};

class KontagentCustomAction final : public KontagentAction {
public:
    using KontagentAction::KontagentAction;
    // "eventName", "value", "level", "subType1".."subType3", "additionalData".
    void Execute(const Event& event) override;
};

class KontagentMTUAction final : public KontagentAction {
public:
    using KontagentAction::KontagentAction;
    // "value", "transactionType", "subType1".."subType3", "additionalData".
    void Execute(const Event& event) override;
};

// manager may be null: its actions then find no service.
class KontagentCustomBuilder final : public IActionBuilderFactory {
public:
    explicit KontagentCustomBuilder(ServiceManager* manager) : m_manager(manager) {}
    const char* GetName() const override { return "KontagentCustom"; }
    IActionBuilder* Create() const override { return new KontagentCustomAction(m_manager); }

private:
    ServiceManager* m_manager;
};

class KontagentMTUBuilder final : public IActionBuilderFactory {
public:
    explicit KontagentMTUBuilder(ServiceManager* manager) : m_manager(manager) {}
    const char* GetName() const override { return "KontagentMTU"; }
    IActionBuilder* Create() const override { return new KontagentMTUAction(m_manager); }

private:
    ServiceManager* m_manager;
};

}  // namespace Varnok
