#include "engine/ui/descriptions/ComponentDefinition.h"

#include "engine/ui/descriptions/ComponentDesc.h"
#include "tests/engine/ui/UIFilesTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

class ComponentDefinitionTest : public UITest::UIFilesTest {
protected:
    ComponentDefinition* Get(const char* name) { return ui().GetDefinition(AsciiString(name)); }
    template <typename T>
    const UITypedPropertyDefinition<T>* Typed(ComponentDefinition* d, const char* name) {
        const UIPropertyDefinition* p = d->FindPropertyDefinition(AsciiString(name));
        return p != nullptr && p->m_type == UIValue<T>::TypeId()
                   ? static_cast<const UITypedPropertyDefinition<T>*>(p)
                   : nullptr;
    }
};

TEST_F(ComponentDefinitionTest, FileIsTheLowerCasedClassNameUnderTheRoot) {
    Define("componentbutton", "<propertyDefinition name=\"text\" type=\"string\" default=\"Go\"/>");
    InitUI();
    ComponentDefinition* d = Get("ComponentButton");
    EXPECT_TRUE(d->IsLoaded());
    ASSERT_NE(nullptr, Typed<AsciiString>(d, "TEXT"));
    EXPECT_STREQ("Go", Typed<AsciiString>(d, "text")->m_default.c_str());
    // Asked again: the same object, the file not read again.
    Write("ui/components/componentbutton.xml", "<componentDefinition/>");
    EXPECT_EQ(d, Get("ComponentButton"));
    EXPECT_NE(nullptr, d->FindPropertyDefinition(AsciiString("text")));
    // Another spelling is a definition of its own, from the same file.
    ComponentDefinition* other = Get("componentBUTTON");
    EXPECT_NE(d, other);
    EXPECT_EQ(nullptr, other->FindPropertyDefinition(AsciiString("text")));
}

TEST_F(ComponentDefinitionTest, NamesTypesAndSkippedElements) {
    Define("k",
           "<PROPERTYDEFINITION name=\"a\" type=\"float\" default=\"1.5\"/>"
           "<propertyDefinition Name=\"b\" type=\"int\"/>"
           "<propertyDefinition name=\"c\" type=\"Bool\"/>"
           "<propertyDefinition name=\"d\" type=\"UIPT_float\"/>"
           "<propertyDefinition name=\"ID\" type=\"string\"/>"
           "<propertyDefinition name=\"e\" type=\"int\" default=\"1\"/>"
           "<propertyDefinition name=\"e\" type=\"int\" default=\"2\"/>"
           "<unknown name=\"f\" type=\"int\"/>");
    InitUI();
    ComponentDefinition* d = Get("K");
    EXPECT_EQ(4, d->GetPropertyDefinitionCount());  // a, d and both e
    EXPECT_FLOAT_EQ(1.5f, Typed<float>(d, "a")->m_default);
    EXPECT_EQ(nullptr, d->FindPropertyDefinition(AsciiString("b")));
    EXPECT_EQ(nullptr, d->FindPropertyDefinition(AsciiString("c")));
    EXPECT_NE(nullptr, Typed<float>(d, "d"));
    EXPECT_EQ(nullptr, d->FindPropertyDefinition(AsciiString("id")));
    EXPECT_EQ(2, Typed<int>(d, "e")->m_default);  // the later of two wins
    bool found = true;
    EXPECT_EQ(0, d->GetDefault<int>(AsciiString("a"), found));  // a float, asked as int
    EXPECT_FALSE(found);
}

TEST_F(ComponentDefinitionTest, ItemsAndDefaults) {
    const char* items = "<item>left</item><ITEM>middle</ITEM><item></item><item>right</item>";
    Define("k", std::string("<propertyDefinition name=\"none\" type=\"string\">") + items +
                    "</propertyDefinition>"
                    "<propertyDefinition name=\"matches\" type=\"string\" default=\"MIDDLE\">" +
                    items + "</propertyDefinition>"
                    "<propertyDefinition name=\"stray\" type=\"string\" default=\"top\">" +
                    items + "</propertyDefinition>");
    InitUI();
    ComponentDefinition* d = Get("k");
    EXPECT_EQ(3u, Typed<AsciiString>(d, "none")->m_items.size());
    EXPECT_STREQ("left", Typed<AsciiString>(d, "none")->m_default.c_str());
    EXPECT_STREQ("MIDDLE", Typed<AsciiString>(d, "matches")->m_default.c_str());
    EXPECT_STREQ("left", Typed<AsciiString>(d, "stray")->m_default.c_str());
}

TEST_F(ComponentDefinitionTest, FontNamesComeFromTheProject) {
    const char* body =
        "<propertyDefinition name=\"font\" type=\"string\" dropDownSource=\"FontNames\" "
        "default=\"z.ttf\"><item>extra.ttf</item></propertyDefinition>";
    Define("k", body);
    UIProjectSettings settings = TestSettings();
    settings.fonts = {AsciiString("a.ttf"), AsciiString("b.ttf")};
    settings.defaultFontPath = AsciiString("b.ttf");
    InitUI(settings, "A");
    const auto* font = Typed<AsciiString>(Get("k"), "font");
    ASSERT_EQ(3u, font->m_items.size());
    EXPECT_STREQ("extra.ttf", font->m_items[2].c_str());
    EXPECT_STREQ("b.ttf", font->m_default.c_str());  // over the attribute
    ui().Shutdown();

    settings.defaultFontPath = AsciiString();
    InitUI(settings, "A");
    EXPECT_STREQ("z.ttf", Typed<AsciiString>(Get("k"), "font")->m_default.c_str());
    ui().Shutdown();

    Define("k", "<propertyDefinition name=\"font\" type=\"string\" dropDownSource=\"fontnames\"/>");
    InitUI(settings, "A");
    EXPECT_STREQ("a.ttf", Typed<AsciiString>(Get("k"), "font")->m_default.c_str());
}

TEST_F(ComponentDefinitionTest, BasesAliasesAndPrefabDefaults) {
    Define("base", "<propertyDefinition name=\"x\" type=\"int\" default=\"1\"/>"
                   "<propertyDefinition name=\"y\" type=\"int\" default=\"5\"/>");
    Define("label", "<propertyDefinition name=\"text\" type=\"string\" default=\"Label\"/>");
    Define("derived",
           "<propertyDefinition name=\"x\" type=\"int\" default=\"2\"/>"
           "<propertyDefinition name=\"caption\" type=\"string\">"
           "<alias target=\"nothing\"/><alias target=\"box.label.text\"/></propertyDefinition>"
           "<component type=\"Plain\" Id=\"box\"><component type=\"Label\" Id=\"label\"/></component>",
           "Base");
    InitUI();
    ComponentDefinition* d = Get("Derived");
    ASSERT_NE(nullptr, d->GetBaseDefinition());
    const ComponentDefinition* holder = nullptr;
    EXPECT_EQ(2, static_cast<const UITypedPropertyDefinition<int>*>(
                     ComponentDefinition::FindPropertyDefinition(d, AsciiString("x"), &holder))
                     ->m_default);
    EXPECT_EQ(d, holder);
    ComponentDefinition::FindPropertyDefinition(d, AsciiString("y"), &holder);
    EXPECT_EQ(d->GetBaseDefinition(), holder);
    const UIPropertyDefinition* caption = d->FindPropertyDefinition(AsciiString("caption"));
    ASSERT_EQ(2u, caption->m_aliases.size());
    EXPECT_TRUE(caption->m_aliases[0].m_childPath.IsEmpty());
    EXPECT_STREQ("nothing", caption->m_aliases[0].m_property.c_str());
    EXPECT_STREQ("box.label", caption->m_aliases[1].m_childPath.c_str());
    EXPECT_STREQ("text", caption->m_aliases[1].m_property.c_str());
    EXPECT_EQ(Get("Label"), d->FindPrefabChildDefinition(AsciiString("box.label")));
    bool found = false;
    EXPECT_STREQ("Label", d->GetDefault<AsciiString>(AsciiString("caption"), found).c_str());
    EXPECT_TRUE(found);
    ASSERT_EQ(1u, d->GetPrefabs().size());
    EXPECT_TRUE(d->GetPrefabs()[0]->IsInDefinition());
}

TEST_F(ComponentDefinitionTest, BaseChainsBackToThemselvesAreCut) {
    Define("loopa", "<propertyDefinition name=\"a\" type=\"int\"/>", "LoopB");
    Define("loopb", "<propertyDefinition name=\"b\" type=\"int\"/>", "LoopA");
    Define("self", "", "Self");
    InitUI();
    TestSupport::LogCapture log;
    ComponentDefinition* a = Get("LoopA");
    ComponentDefinition* self = Get("Self");
    const std::string text = log.Take();
    EXPECT_NE(std::string::npos, text.find("leads back"));
    EXPECT_EQ(nullptr, self->GetBaseDefinition());
    // The chain ends: lookups of a missing name return.
    EXPECT_EQ(nullptr, a->FindPropertyDefinition(AsciiString("zz")));
    EXPECT_NE(nullptr, a->FindPropertyDefinition(AsciiString("b")));
}

TEST_F(ComponentDefinitionTest, MalformedFilesLeaveEmptyLoadedDefinitions) {
    Write("ui/components/broken.xml", "<componentDefinition><propertyDefinition");
    Write("ui/components/other.xml", "<definition><propertyDefinition name=\"a\" type=\"int\"/></definition>");
    InitUI();
    for (const char* name : {"Broken", "Other", "Missing"}) {
        SCOPED_TRACE(name);
        ComponentDefinition* d = Get(name);
        EXPECT_TRUE(d->IsLoaded());
        EXPECT_EQ(0, d->GetPropertyDefinitionCount());
        EXPECT_EQ(nullptr, d->GetBaseDefinition());
    }
}

}  // namespace
}  // namespace Varnok
