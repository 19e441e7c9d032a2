#include "engine/ui/UIProjectReader.h"

#include "engine/core/XmlDocument.h"
#include "tests/engine/ui/UIFilesTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

// The settings read from a document's text over the defaults, and the result.
int ReadText(const std::string& text, UIProjectSettings& settings) {
    TiXmlDocument document;
    EXPECT_TRUE(ParseXmlDocument(document, text.data(), text.size()));
    return UIProjectReader::ReadRoot(document.RootElement(), settings);
}

const char* kProjectInfo =
    "<projectinfo><name>P</name><rootPath>ui</rootPath></projectinfo>";

TEST(UIProjectReader, EmptyRootKeepsEveryDefault) {
    UIProjectSettings settings;
    EXPECT_EQ(0, ReadText("<project/>", settings));
    EXPECT_STREQ("UI", settings.rootPath.c_str());
    EXPECT_EQ(480u, settings.workspaceWidth);
    EXPECT_EQ(320u, settings.workspaceHeight);
    EXPECT_STREQ("~base", settings.primarySkuName.c_str());
    EXPECT_EQ(-1, settings.defaultLayer);
    EXPECT_STREQ("stringtables", settings.stringTableDirectory.c_str());
    EXPECT_STREQ("English", settings.defaultSuffix.c_str());
    EXPECT_STREQ("en", settings.defaultLanguage.c_str());
    EXPECT_TRUE(settings.createsSimple2D);
    EXPECT_EQ(0u, settings.simple2DGlobalTransformIndex);
}

TEST(UIProjectReader, SectionsAndTheirEdgeCases) {
    UIProjectSettings settings;
    const std::string text = std::string("<p><PROJECTINFO><name>Game</name><rootPath>gui</rootPath>") +
        "<workspaceWidth>0</workspaceWidth><workspaceHeight>640</workspaceHeight></PROJECTINFO>"
        "<skulayout>"
        "<skuDefinition><name>X</name><fallback>Y</fallback><viewportWidth>1</viewportWidth>"
        "<viewportHeight>2</viewportHeight></skuDefinition>"
        "<skuDefinition><name>X</name><viewportWidth>3</viewportWidth>"
        "<viewportHeight>4</viewportHeight></skuDefinition>"
        "<primarySku>X</primarySku></skulayout>"
        "<layers><layer><name>nameless</name><default/></layer>"
        "<layer><name>menu</name><number>2</number><default/></layer></layers>"
        "<stringtables><stringtable default=\"TRUE\">menu</stringtable>"
        "<stringtable default=\"true\"></stringtable><defaultsuffix></defaultsuffix></stringtables>"
        "<languagemappings><mapping><deviceLanguage>fr</deviceLanguage>"
        "<languageSuffix>F</languageSuffix><default>true</default><default>false</default>"
        "</mapping><mapping><deviceLanguage>de</deviceLanguage></mapping></languagemappings>"
        "<colourmappings><mapping name=\"juice\" value=\"1,2,3,4\"/><mapping name=\"x\"/>"
        "</colourmappings>"
        "<settings><createsSimple2D/><simple2DglobalTransformIndex>3</simple2DglobalTransformIndex>"
        "</settings></p>";
    ASSERT_EQ(0, ReadText(text, settings));
    EXPECT_STREQ("Game", settings.projectName.c_str());
    EXPECT_STREQ("gui", settings.rootPath.c_str());
    EXPECT_EQ(480u, settings.workspaceWidth);  // 0 is no width
    EXPECT_EQ(640u, settings.workspaceHeight);
    ASSERT_EQ(1u, settings.skus.size());
    const UISkuDefinition& x = settings.skus.at(AsciiString("X"));
    EXPECT_EQ(3, x.viewportWidth);  // the second replaced the first
    EXPECT_STREQ("~default", x.fallbackName.c_str());
    EXPECT_STREQ("X", settings.primarySkuName.c_str());
    EXPECT_EQ(-1, settings.layers.at(AsciiString("nameless")));
    EXPECT_EQ(2, settings.defaultLayer);  // the numberless layer never was
    ASSERT_EQ(1u, settings.stringTables.size());
    EXPECT_TRUE(settings.defaultStringTable.IsEmpty());  // the candidate had no value
    EXPECT_STREQ("English", settings.defaultSuffix.c_str());
    EXPECT_STREQ("F", settings.languages.at(AsciiString("fr")).c_str());
    EXPECT_EQ(1u, settings.languages.size());
    EXPECT_STREQ("en", settings.defaultLanguage.c_str());  // its last "default" said false
    ASSERT_EQ(1u, settings.colours.size());
    EXPECT_EQ(Colour(1, 2, 3, 4).GetPacked(), settings.colours.at(AsciiString("juice")).GetPacked());
    EXPECT_FALSE(settings.createsSimple2D);  // an element without text
    EXPECT_EQ(3u, settings.simple2DGlobalTransformIndex);
}

TEST(UIProjectReader, FailuresStopTheReading) {
    const struct {
        const char* what;
        std::string text;
        int result;
    } cases[] = {
        {"project info without root path", "<p><projectinfo><name>n</name></projectinfo></p>", -1},
        {"project info without children", "<p><projectinfo/></p>", -1},
        {"SKU without viewport height",
         std::string("<p>") + kProjectInfo +
             "<skulayout><skuDefinition><name>s</name><viewportWidth>1</viewportWidth>"
             "</skuDefinition></skulayout></p>",
         -1},
        {"empty primary SKU", "<p><skulayout><primarySku/></skulayout></p>", 2},
        {"layer without name, fonts after it",
         "<p><layers><layer><number>1</number></layer></layers>"
         "<fonts><font path=\"a.ttf\"/></fonts></p>",
         -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UIProjectSettings settings;
        EXPECT_EQ(c.result, ReadText(c.text, settings));
        EXPECT_TRUE(settings.fonts.empty());
    }
    UIProjectSettings settings;
    EXPECT_EQ(-1, UIProjectReader::ReadRoot(nullptr, settings));
}

class UIProjectFile : public UITest::UIFilesTest {};

TEST_F(UIProjectFile, MissingMalformedAndReadFiles) {
    UIProjectSettings settings;
    EXPECT_EQ(1, UIProjectReader::Read("xml/none.xml", settings));
    Write("xml/broken.xml", "<p><projectinfo>");
    EXPECT_EQ(-1, UIProjectReader::Read("xml/broken.xml", settings));

    Write("xml/project.xml", std::string("<p>") + kProjectInfo +
                                 "<fonts><font path=\"a.ttf\"/><font path=\"b.ttf\" default=\"True\"/>"
                                 "<font/></fonts><layers><layer><name>menu</name><number>2</number>"
                                 "</layer></layers><settings><createsSimple2D>no</createsSimple2D></settings></p>");
    EXPECT_EQ(0, ui().LoadProject("xml/project.xml", AsciiString("~iPhone")));
    EXPECT_TRUE(ui().IsInitialised());
    ASSERT_EQ(2u, ui().GetFontList().size());
    EXPECT_STREQ("b.ttf", ui().GetDefaultFont().c_str());
    EXPECT_EQ(2, ui().GetLayerByName(AsciiString("menu")));
    ui().Shutdown();
}

}  // namespace
}  // namespace Varnok
