#include "engine/services/ActionBuilder.h"

#include "engine/core/XmlDocument.h"
#include "engine/services/ServiceManagerConfig.h"
#include "tests/engine/services/ServiceTestData.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace Varnok {
namespace {

using TestSupport::IosPhoneDefines;
using TestSupport::MountedServiceData;

// What one execution of a builder saw: its parameters' keys and texts.
using Execution = std::vector<std::pair<std::string, std::string>>;

class RecordingBuilder final : public IActionBuilder {
public:
    explicit RecordingBuilder(std::vector<Execution>& log) : m_log(log) {}
    void AddParam(const BuilderParam* param) override { m_params.push_back(param); }
    void Execute(const Event& event) override {
        Execution seen;
        for (const BuilderParam* param : m_params) {
            seen.emplace_back(param->GetKey().c_str(), param->GetValue(event).c_str());
        }
        m_log.push_back(seen);
    }

private:
    std::vector<Execution>& m_log;
    std::vector<const BuilderParam*> m_params;
};

class RecordingFactory final : public IActionBuilderFactory {
public:
    explicit RecordingFactory(const char* name) : m_name(name) {}
    const char* GetName() const override { return m_name; }
    IActionBuilder* Create() const override { return new RecordingBuilder(executions); }

    mutable std::vector<Execution> executions;

private:
    const char* m_name;
};

class ActionBuilders : public testing::Test {
protected:
    ActionBuilders() { ActionBuilderRegistry::Get().Register(m_factory); }
    ~ActionBuilders() override { ActionBuilderRegistry::Get().Unregister(m_factory); }

    std::unique_ptr<TiXmlDocument> Parse(const char* text) {
        auto document = std::make_unique<TiXmlDocument>();
        EXPECT_TRUE(ParseXmlDocument(*document, text, std::strlen(text)));
        return document;
    }

    RecordingFactory m_factory{"KontagentCustom"};
};

TEST_F(ActionBuilders, AConfiguredEventRunsItsActionsWithInheritedParameters) {
    MountedServiceData data;
    ServiceManagerConfig config("config", IosPhoneDefines());
    const TiXmlElement* analytics = config.GetProviderConfigElement("Provider_Test", "IAnalyticsService");
    ASSERT_NE(analytics, nullptr);
    int32_t coins = -23;
    const auto registered = RegisteredVariables::Get().Register("test.coins", &coins);

    {
        EventBuilderMap builders;
        builders.Load(*analytics);
        EXPECT_EQ(builders.Count(), 2);

        Event mainMenu("OnMainMenu");
        mainMenu.SetString("screen", "main");
        EventDispatcher::Get().Fire(mainMenu);
        ASSERT_EQ(m_factory.executions.size(), 1u);
        EXPECT_EQ(m_factory.executions[0],
                  (Execution{{"level", "1"}, {"eventName", "MainMenu"}, {"subType1", "main"}}));

        EventDispatcher::Get().Fire(Event("OnLevelEnd"));
        ASSERT_EQ(m_factory.executions.size(), 2u);
        EXPECT_EQ(m_factory.executions[1],
                  (Execution{{"level", "1"}, {"additionalData", "{\"a\":\"1\"}\n"}, {"value", "-3"}}));
    }
    // Destroying the map unsubscribes every event.
    EventDispatcher::Get().Fire(Event("OnMainMenu"));
    EXPECT_EQ(m_factory.executions.size(), 2u);
}

TEST_F(ActionBuilders, TemplatesInheritOnlyEarlierOnesAndRedefinitionsAffectLaterActions) {
    auto document = Parse(R"(<IAnalyticsService>
        <abstractBuilder type="Child" parent="Base"><param type="Basic" key="own" value="c"/></abstractBuilder>
        <abstractBuilder type="Base"><param type="Basic" key="x" value="1"/><param type="Basic" key="y" value="2"/></abstractBuilder>
        <abstractBuilder type="Merged" parent="Base"><param type="Basic" key="y" value="3"/><param type="Basic" key="z" value="4"/></abstractBuilder>
        <event trigger="OnTest"><builder type="KontagentCustom" parent="Base"/></event>
        <abstractBuilder type="Base"><param type="Basic" key="fresh" value="f"/></abstractBuilder>
        <event trigger="OnTest">
            <builder type="KontagentCustom" parent="Base"/>
            <builder type="KontagentCustom" parent="Child"/>
            <builder type="KontagentCustom" parent="Merged"/>
            <builder type="KontagentCustom" parent="Nobody"><param type="Basic" key="alone" value="a"/></builder>
            <builder type="Unknown" parent="Base"/>
        </event>
        <event><builder type="KontagentCustom"/></event>
    </IAnalyticsService>)");
    EventBuilderMap builders;
    builders.Load(*document->RootElement());
    ASSERT_EQ(builders.Count(), 1);  // two "event" elements, one subscription
    EXPECT_EQ(builders.Find("OnTest")->ActionCount(), 6);

    EventDispatcher::Get().Fire(Event("OnTest"));
    const std::vector<Execution> expected = {
        {{"fresh", "f"}},                      // every template is read before any action
        {{"fresh", "f"}},
        {{"own", "c"}},                        // its parent came later in the file
        {{"x", "1"}, {"y", "3"}, {"z", "4"}},  // merged: override in place, append
        {{"alone", "a"}},
    };
    EXPECT_EQ(m_factory.executions, expected);

    // Actions read before a template is redefined keep the clones they took.
    auto first = Parse(R"(<s><abstractBuilder type="T"><param type="Basic" key="old" value="o"/></abstractBuilder></s>)");
    auto second = Parse(R"(<s><abstractBuilder type="T"><param type="Basic" key="new" value="n"/></abstractBuilder></s>)");
    auto action = Parse(R"(<builder type="KontagentCustom" parent="T"/>)");
    BuilderTemplateMap templates;
    EventBuilderMap later;
    EventBuilder& builder = later.GetOrCreate("OnRedefined");
    ActionBuilderRegistry::Get().LoadAbstractBuilders(*first->RootElement(), templates);
    builder.AddAction(*action->RootElement(), templates);
    ActionBuilderRegistry::Get().LoadAbstractBuilders(*second->RootElement(), templates);
    builder.AddAction(*action->RootElement(), templates);
    m_factory.executions.clear();
    EventDispatcher::Get().Fire(Event("OnRedefined"));
    EXPECT_EQ(m_factory.executions, (std::vector<Execution>{{{"old", "o"}}, {{"new", "n"}}}));
}

TEST_F(ActionBuilders, ParameterKindsGiveTheirTexts) {
    auto document = Parse(R"(<builder type="KontagentCustom">
        <param type="EventArg" key="count" arg="count"/>
        <param type="EventArg" key="ratio" arg="ratio"/>
        <param type="EventArg" key="missing" arg="nothing"/>
        <param type="Json" key="empty"/>
        <param type="Json" key="nested"><param type="Json" key="inner"><param type="Basic" key="k" value="v"/></param></param>
        <param type="RegisteredVar" key="big" value="test.big"/>
        <param type="RegisteredVar" key="lowest" value="test.lowest" mod="-1"/>
        <param type="RegisteredVar" key="badMod" value="test.big" mod="ten"/>
        <param type="RegisteredVar" key="unbound" value="test.nobody" mod="10"/>
    </builder>)");
    uint32_t big = 4294967295u;
    int32_t lowest = INT_MIN;
    const auto a = RegisteredVariables::Get().Register("test.big", &big);
    const auto b = RegisteredVariables::Get().Register("test.lowest", &lowest);
    BuilderAction action;
    action.Load(*document->RootElement(), BuilderTemplateMap());
    Event event("OnAnything");
    event.SetInt("count", 7);
    event.SetFloat("ratio", 0.5f);
    action.Run(event);
    ASSERT_EQ(m_factory.executions.size(), 1u);
    EXPECT_EQ(m_factory.executions[0], (Execution{
                                           {"count", "7"},
                                           {"ratio", "0.500000"},
                                           {"missing", ""},
                                           {"empty", "null\n"},
                                           {"nested", "{\"inner\":\"{\\\"k\\\":\\\"v\\\"}\\n\"}\n"},
                                           {"big", "4294967295"},
                                           {"lowest", "0"},
                                           {"badMod", "4294967295"},
                                           {"unbound", ""},
                                       }));
    EXPECT_TRUE(action.GetParams().Find("empty")->IsValid());
    EXPECT_FALSE(action.GetParams().Find("unbound")->IsValid());
}

// An override of another kind takes the inherited one's place as a copy of
// itself; neither list is disturbed by the other afterwards.
TEST_F(ActionBuilders, AnOverrideOfAnotherKindReplacesInPlace) {
    auto document = Parse(R"(<IAnalyticsService>
        <abstractBuilder type="Base"><param type="Basic" key="first" value="1"/><param type="Basic" key="who" value="constant"/><param type="Basic" key="last" value="9"/></abstractBuilder>
        <event trigger="OnOverride"><builder type="KontagentCustom" parent="Base"><param type="EventArg" key="who" arg="name"/></builder></event>
        <event trigger="OnOverride"><builder type="KontagentCustom" parent="Base"/></event>
    </IAnalyticsService>)");
    EventBuilderMap builders;
    builders.Load(*document->RootElement());
    Event event("OnOverride");
    event.SetString("name", "player");
    EventDispatcher::Get().Fire(event);
    const std::vector<Execution> expected = {
        {{"first", "1"}, {"who", "player"}, {"last", "9"}},
        {{"first", "1"}, {"who", "constant"}, {"last", "9"}},
    };
    EXPECT_EQ(m_factory.executions, expected);
}

}  // namespace
}  // namespace Varnok
