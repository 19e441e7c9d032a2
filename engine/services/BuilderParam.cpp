// The four parameter kinds, their registry and the owning list's merge.
#include "engine/services/BuilderParam.h"

#include "engine/core/Event.h"

#include <json/json.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <typeinfo>

namespace Varnok {

BuilderParam::~BuilderParam() = default;
BuilderParamList::~BuilderParamList() = default;

void BuilderParamList::Add(BuilderParam* param, bool clone) {
    if (param == nullptr) {
        return;
    }
    m_params.emplace_back(clone ? param->Clone() : param);
}

void BuilderParamList::Clear() {
    m_params.clear();
}

void BuilderParamList::CopyFrom(const BuilderParamList& other) {
    if (&other == this) {
        return;
    }
    Clear();
    for (const auto& param : other.m_params) {
        m_params.emplace_back(param->Clone());
    }
}

void BuilderParamList::Merge(const BuilderParamList& other) {
    if (&other == this) {
        return;
    }
    for (const auto& incoming : other.m_params) {
        bool found = false;
        for (auto& existing : m_params) {
            if (!existing->GetKey().Equals(incoming->GetKey())) {
                continue;
            }
            const BuilderParam& held = *existing;
            const BuilderParam& offered = *incoming;
            if (typeid(held) == typeid(offered)) {
                existing->Assign(*incoming);
            } else {
                existing.reset(incoming->Clone());  // another kind takes the place
            }
            found = true;
            break;
        }
        if (!found) {
            m_params.emplace_back(incoming->Clone());
        }
    }
}

void BuilderParamList::LoadChildren(const TiXmlElement& element) {
    for (const TiXmlElement* child = element.FirstChildElement("param"); child != nullptr;
         child = child->NextSiblingElement("param")) {
        const char* type = child->Attribute("type");
        if (type == nullptr) {
            continue;
        }
        BuilderParam* param = BuilderParamRegistry::Get().Create(type);
        if (param == nullptr) {
            continue;
        }
        param->Load(*child);
        Add(param, false);
    }
}

const BuilderParam* BuilderParamList::Find(const char* key) const {
    const AsciiString wanted(key);
    for (const auto& param : m_params) {
        if (param->GetKey().Equals(wanted)) {
            return param.get();
        }
    }
    return nullptr;
}

void BasicParam::Load(const TiXmlElement& element) {
    m_key = element.Attribute("key");
    m_value = element.Attribute("value");
}

void BasicParam::Assign(const BuilderParam& other) {
    const auto* same = dynamic_cast<const BasicParam*>(&other);
    if (same != nullptr && same->m_key.Equals(m_key)) {
        m_value = same->m_value;
    }
}

AsciiString BasicParam::GetValue(const Event& /*event*/) const {
    return m_value;
}

void EventArgParam::Load(const TiXmlElement& element) {
    m_key = element.Attribute("key");
    m_argName = element.Attribute("arg");
}

void EventArgParam::Assign(const BuilderParam& other) {
    const auto* same = dynamic_cast<const EventArgParam*>(&other);
    if (same != nullptr && same->m_key.Equals(m_key)) {
        m_argName = same->m_argName;
    }
}

AsciiString EventArgParam::GetValue(const Event& event) const {
    return event.GetArgText(m_argName.c_str());
}

void JsonParam::Load(const TiXmlElement& element) {
    m_key = element.Attribute("key");
    m_params.LoadChildren(element);
}

BuilderParam* JsonParam::Clone() const {
    auto* copy = new JsonParam();
    copy->m_key = m_key;
    copy->m_params.CopyFrom(m_params);
    return copy;
}

void JsonParam::Assign(const BuilderParam& other) {
    const auto* same = dynamic_cast<const JsonParam*>(&other);
    if (same != nullptr && same->m_key.Equals(m_key)) {
        m_params.Merge(same->m_params);
    }
}

bool JsonParam::IsValid() const {
    if (m_key.IsEmpty()) {
        return false;
    }
    for (int i = 0; i < m_params.Count(); ++i) {
        if (!m_params.At(i)->IsValid()) {
            return false;
        }
    }
    return true;
}

AsciiString JsonParam::GetValue(const Event& event) const {
    Json::Value object;  // null until the first member
    for (int i = 0; i < m_params.Count(); ++i) {
        const BuilderParam* param = m_params.At(i);
        if (!param->IsValid()) {
            continue;
        }
        const AsciiString text = param->GetValue(event);
        if (!text.IsEmpty()) {
            object[param->GetKey().c_str()] = Json::Value(text.c_str());
        }
    }
    // The compact writer is what the analytics wire format expects: no
    // spaces, members in byte order of their keys, a final line feed.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::FastWriter writer;
    const std::string written = writer.write(object);
#pragma GCC diagnostic pop
    return AsciiString(written.c_str(), static_cast<int>(written.size()));
}

void RegisteredVarParam::Load(const TiXmlElement& element) {
    m_key = element.Attribute("key");
    m_variable.SetName(element.Attribute("value"));
    m_modulus = 0;
    if (const char* mod = element.Attribute("mod")) {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(mod, &end, 10);
        if (end != mod && *end == '\0' && errno == 0 && value >= INT32_MIN && value <= INT32_MAX) {
            m_modulus = static_cast<int32_t>(value);
        }
    }
}

void RegisteredVarParam::Assign(const BuilderParam& other) {
    const auto* same = dynamic_cast<const RegisteredVarParam*>(&other);
    if (same != nullptr && same->m_key.Equals(m_key)) {
        m_variable = same->m_variable;
        m_modulus = same->m_modulus;
    }
}

bool RegisteredVarParam::IsValid() const {
    return !m_key.IsEmpty() && m_variable.Bind();
}

AsciiString RegisteredVarParam::GetValue(const Event& /*event*/) const {
    if (!m_variable.Bind()) {
        return AsciiString("");
    }
    if (m_modulus == 0) {
        return m_variable.GetString();
    }
    const int32_t value = m_variable.GetInt();
    // -1 divides everything; the most negative value would trap in %.
    const int32_t remainder = m_modulus == -1 ? 0 : value % m_modulus;
    AsciiString text("");
    text.AppendInt(remainder);
    return text;
}

namespace {

template <typename Param>
class KindFactory final : public BuilderParamFactory {
public:
    explicit KindFactory(const char* name) : m_name(name) {}
    const char* GetName() const override { return m_name; }
    BuilderParam* Create() const override { return new Param(); }

private:
    const char* m_name;
};

}  // namespace

BuilderParamRegistry::BuilderParamRegistry() {
    static const KindFactory<BasicParam> s_basic("Basic");
    static const KindFactory<EventArgParam> s_eventArg("EventArg");
    static const KindFactory<JsonParam> s_json("Json");
    static const KindFactory<RegisteredVarParam> s_registeredVar("RegisteredVar");
    for (const BuilderParamFactory* factory :
         {static_cast<const BuilderParamFactory*>(&s_basic),
          static_cast<const BuilderParamFactory*>(&s_eventArg),
          static_cast<const BuilderParamFactory*>(&s_json),
          static_cast<const BuilderParamFactory*>(&s_registeredVar)}) {
        m_factories[AsciiString(factory->GetName())] = factory;
    }
}

BuilderParamRegistry& BuilderParamRegistry::Get() {
    static BuilderParamRegistry s_registry;
    return s_registry;
}

BuilderParam* BuilderParamRegistry::Create(const char* type) const {
    const auto found = m_factories.find(AsciiString(type));
    return found != m_factories.end() ? found->second->Create() : nullptr;
}

}  // namespace Varnok
