#include "engine/services/ServiceManagerConfig.h"

#include "engine/core/XmlDocument.h"
#include "tests/engine/services/ServiceTestData.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using TestSupport::IosPhoneDefines;
using TestSupport::LogCapture;
using TestSupport::MountedServiceData;

std::unique_ptr<TiXmlDocument> Parse(const char* text) {
    auto document = std::make_unique<TiXmlDocument>();
    EXPECT_TRUE(ParseXmlDocument(*document, text, std::strlen(text)));
    return document;
}

// The names (and "id" attributes, when present) of an element's children.
std::vector<std::string> ChildNames(const TiXmlElement& element) {
    std::vector<std::string> names;
    for (const TiXmlElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        const char* id = child->Attribute("id");
        names.push_back(id != nullptr ? std::string(child->Value()) + ":" + id : child->Value());
    }
    return names;
}

int CountNamed(const TiXmlElement& element, const char* name) {
    int count = 0;
    for (const TiXmlElement* child = element.FirstChildElement(name); child != nullptr;
         child = child->NextSiblingElement(name)) {
        ++count;
    }
    return count;
}

TEST(ServiceConfigFilters, KeepOrDropByTheDefinesValueLists) {
    const struct {
        const char* filter;
        bool passes;
    } cases[] = {
        {R"(<filter platform="ios"/>)", true},
        {R"(<filter platform="android,ios"/>)", true},
        {R"(<filter platform="IOS"/>)", true},
        {R"(<filter product="sd,hd"/>)", true},
        {R"(<filter region="eu"/>)", true},        // names no define
        {R"(<filter platform=""/>)", true},         // empty value ignored
        {R"(<filter platform=",,ios,"/>)", true},   // empty entries ignored
        {R"(<filter/>)", true},
        {R"(<filter product="HD"/>)", false},
        {R"(<filter tablet="true"/>)", false},
        {R"(<filter platform="ios" tablet="true"/>)", false},
        {R"(<filter platform="ios "/>)", false},    // the space is part of the entry
        {R"(<filter platform=","/>)", false},       // not empty, yet no entry to share
    };
    const ServiceDefines defines = IosPhoneDefines();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        auto document = Parse(c.filter);
        EXPECT_EQ(FilterPasses(*document->RootElement(), defines), c.passes);
    }
}

TEST(ServiceConfigFilters, WithNoDefineEveryFilterGoes) {
    auto document = Parse(R"(<root><a/><filter><b/></filter><filter platform="ios"><c/></filter></root>)");
    ApplyFilters(*document->RootElement(), ServiceDefines());
    EXPECT_EQ(ChildNames(*document->RootElement()), (std::vector<std::string>{"a"}));
}

TEST(ServiceConfigFilters, PassingContentLandsAfterAllOthersAndNestedFiltersResolveNextPass) {
    auto document = Parse(R"(<root>
        <item id="1"/>
        <filter platform="ios"><item id="2"/><filter tablet="false"><item id="3"/></filter></filter>
        <item id="4"/>
        <filter tablet="true"><item id="lost"/></filter>
        <filter><item id="5"/></filter>
        <item id="6"><filter><deep/></filter></item>
    </root>)");
    ApplyFilters(*document->RootElement(), IosPhoneDefines());
    EXPECT_EQ(ChildNames(*document->RootElement()),
              (std::vector<std::string>{"item:1", "item:4", "item:6", "item:2", "item:5", "item:3"}));
    // A filter inside an ordinary element is never evaluated.
    const TiXmlElement* six = document->RootElement()->FirstChildElement("item");
    while (std::strcmp(six->Attribute("id"), "6") != 0) {
        six = six->NextSiblingElement("item");
    }
    EXPECT_NE(six->FirstChildElement("filter"), nullptr);
}

TEST(ServiceConfigMerge, JoinsSectionsWithoutAttributesIntoTheLastOneWithThem) {
    auto document = Parse(R"(<provider>
        <section><a/></section>
        <other/>
        <section><b/></section>
        <section name="second"><c/></section>
        <section><d/></section>
    </provider>)");
    MergeRepeatedSections(*document->RootElement());
    const TiXmlElement& root = *document->RootElement();
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"section", "other", "section"}));
    EXPECT_EQ(ChildNames(*root.FirstChildElement("section")), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(ChildNames(*root.FirstChildElement("section")->NextSiblingElement("section")),
              (std::vector<std::string>{"c", "d"}));
}

class ServiceConfigFiles : public testing::Test {
protected:
    MountedServiceData m_data;
};

TEST_F(ServiceConfigFiles, ServiceManagerFileDefinesFiltersAndNamesRemoteConfig) {
    LogCapture log;
    ServiceManagerConfig config("config", IosPhoneDefines());
    EXPECT_EQ(log.Take(), "");
    EXPECT_STREQ(config.GetFolder().c_str(), "config/");
    ASSERT_NE(config.GetRoot(), nullptr);
    EXPECT_STREQ(config.GetRemoteConfigName().c_str(), "first.example.test");
    const auto store = config.GetDefines().find(AsciiString("store"));
    ASSERT_NE(store, config.GetDefines().end());
    EXPECT_STREQ(store->second.c_str(), "apple");

    EXPECT_TRUE(config.IsProviderDisabled("Provider_Off"));
    EXPECT_TRUE(config.IsProviderDisabled("Provider_Apple"));  // by the file's own define
    EXPECT_FALSE(config.IsProviderDisabled("Provider_Tablet"));  // inside a failing filter
    EXPECT_FALSE(config.IsProviderDisabled("provider_off"));
    EXPECT_FALSE(config.IsProviderDisabled(""));
}

TEST_F(ServiceConfigFiles, IncludesFiltersAndMergedSectionsOfAProviderFile) {
    ServiceManagerConfig config("config\\", IosPhoneDefines());
    EXPECT_STREQ(config.GetFolder().c_str(), "config/");
    LogCapture log;
    TiXmlElement* root = config.GetProviderConfig("Provider_Test");
    EXPECT_EQ(log.Take(), "");
    ASSERT_NE(root, nullptr);

    // The backslash include is read relative to the including file, and its
    // own include relative to the subfolder.
    const TiXmlElement* deeper = config.GetProviderConfigElement("Provider_Test", "deeper");
    ASSERT_NE(deeper, nullptr);
    EXPECT_STREQ(deeper->Attribute("value"), "sub");
    EXPECT_EQ(CountNamed(*root, "deeper"), 1);

    // Two files that include each other are each entered once.
    EXPECT_EQ(CountNamed(*root, "fromA"), 1);
    EXPECT_EQ(CountNamed(*root, "fromB"), 1);

    // The section split over the file, an include and a filter is one element.
    EXPECT_EQ(CountNamed(*root, "IAnalyticsService"), 1);
    const TiXmlElement* analytics = config.GetProviderConfigElement("Provider_Test", "IAnalyticsService");
    ASSERT_NE(analytics, nullptr);
    EXPECT_STREQ(analytics->Attribute("name"), "analytics");
    EXPECT_EQ(ChildNames(*analytics), (std::vector<std::string>{"abstractBuilder", "event", "event"}));
    EXPECT_STREQ(analytics->FirstChildElement("event")->Attribute("trigger"), "OnMainMenu");

    // Prepared once: later requests answer the same element.
    EXPECT_EQ(config.GetProviderConfig("Provider_Test"), root);
    EXPECT_EQ(config.GetProviderConfigElement("Provider_Test", "nothing"), nullptr);
}

TEST_F(ServiceConfigFiles, BadFilesGiveOneLineNamingThemAndNoConfiguration) {
    ServiceManagerConfig config("config", IosPhoneDefines());
    const struct {
        const char* provider;
        const char* fault;
    } cases[] = {
        {"Provider_Missing", "cannot read config/Provider_Missing.xml"},
        {"Provider_Malformed", "config/Provider_Malformed.xml"},
        {"Provider_WrongRoot", "config/Provider_WrongRoot.xml has no \"provider\" root"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.provider);
        LogCapture log;
        EXPECT_EQ(config.GetProviderConfig(c.provider), nullptr);
        EXPECT_EQ(config.GetProviderConfigElement(c.provider, "supportEmail"), nullptr);
        const std::string text = log.Take();
        // Tried again on each request: two requests, two lines.
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
        EXPECT_NE(text.find(c.fault), std::string::npos) << text;
    }
}

TEST_F(ServiceConfigFiles, AMissingIncludeIsSkippedWithOneLine) {
    ServiceManagerConfig config("config", IosPhoneDefines());
    LogCapture log;
    TiXmlElement* root = config.GetProviderConfig("Provider_MissingInclude");
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(log.Take(), "ServiceManagerConfig", "config/NotThere.xml"));
    ASSERT_NE(root, nullptr);
    EXPECT_NE(root->FirstChildElement("kept"), nullptr);
}

TEST_F(ServiceConfigFiles, AMissingServiceManagerFileLeavesNoRootAndTheHandedInDefines) {
    LogCapture log;
    ServiceManagerConfig config("nowhere", IosPhoneDefines());
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(log.Take(), "ServiceManagerConfig",
                                                "nowhere/ServiceManager.xml"));
    EXPECT_EQ(config.GetRoot(), nullptr);
    EXPECT_TRUE(config.GetRemoteConfigName().IsEmpty());
    EXPECT_EQ(config.GetDefines().size(), 3u);
    EXPECT_FALSE(config.IsProviderDisabled("Provider_Off"));
}

}  // namespace
}  // namespace Varnok
