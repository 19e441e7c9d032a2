#include "providers/Provider_Kontagent/KontagentActions.h"

#include "engine/core/Log.h"
#include "engine/services/IAnalyticsService.h"
#include "engine/services/ServiceManager.h"
#include "providers/Provider_Kontagent/KontagentAnalyticsService.h"
#include "providers/Provider_Kontagent/Provider_Kontagent.h"

#include <json/json.h>

#include <memory>

namespace Varnok {

KontagentAction::KontagentAction(ServiceManager* manager) : m_service(nullptr) {
    if (manager != nullptr) {
        m_service = dynamic_cast<KontagentAnalyticsService*>(
            manager->GetService<IAnalyticsService>(Provider_Kontagent::GetProviderName().c_str()));
    }
}

void KontagentAction::AddParam(const BuilderParam* param) {
    if (param != nullptr) {
        m_params[param->GetKey()] = param;
    }
}

std::string KontagentAction::Text(const Event& event, const char* key) const {
    const auto found = m_params.find(AsciiString(key));
    if (found == m_params.end()) {
        return std::string();
    }
    const AsciiString value = found->second->GetValue(event);
    return std::string(value.c_str());
}

Json::Value KontagentAction::AdditionalData(const Event& event) const {
    const std::string text = Text(event, "additionalData");
    if (text.empty()) {
        return Json::Value();
    }
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value data;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &data, &errors)) {
        Log("Kontagent: \"additionalData\" of %s is not JSON, sent without data", event.GetName());
        return Json::Value();
    }
    return data;
}

void KontagentCustomAction::Execute(const Event& event) {
    if (m_service == nullptr) {
        return;
    }
    const std::string eventName = Text(event, "eventName");
    const std::string value = Text(event, "value");
    const std::string level = Text(event, "level");
    const std::string subType1 = Text(event, "subType1");
    const std::string subType2 = Text(event, "subType2");
    const std::string subType3 = Text(event, "subType3");
    KontagentCustomEvent report;
    report.eventName = eventName.c_str();
    report.value = value.c_str();
    report.level = level.c_str();
    report.subType1 = subType1.c_str();
    report.subType2 = subType2.c_str();
    report.subType3 = subType3.c_str();
    m_service->TrackCustomEvent(report, AdditionalData(event));
}

void KontagentMTUAction::Execute(const Event& event) {
    if (m_service == nullptr) {
        return;
    }
    const std::string value = Text(event, "value");
    const std::string transactionType = Text(event, "transactionType");
    const std::string subType1 = Text(event, "subType1");
    const std::string subType2 = Text(event, "subType2");
    const std::string subType3 = Text(event, "subType3");
    KontagentRevenue report;
    report.value = value.c_str();
    report.transactionType = transactionType.c_str();
    report.subType1 = subType1.c_str();
    report.subType2 = subType2.c_str();
    report.subType3 = subType3.c_str();
    m_service->TrackRevenue(report, AdditionalData(event));
}

}  // namespace Varnok
