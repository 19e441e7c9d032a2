#include "engine/core/XmlDocument.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileObject.h"
#include "engine/core/FileSystem.h"
#include "engine/core/SaveContainerFileSystem.h"
#include "tests/engine/core/FileTestUtil.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>

namespace Varnok {
namespace {

std::string Printed(const TiXmlDocument& document) {
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.CStr();
}

// The game's mounts in small: a bundle folder (read-only, "base", 0), a
// documents folder ("save", 2) and the save container in it ("saveBin", 3).
class XmlFiles : public ::testing::Test {
protected:
    void SetUp() override {
        m_bundle = m_dir / "bundle";
        m_documents = m_dir / "documents";
        ASSERT_EQ(mkdir(m_bundle.c_str(), 0755), 0);
        ASSERT_EQ(mkdir(m_documents.c_str(), 0755), 0);
        Mount();
    }
    void TearDown() override {
        FileSystemRegistry::Get().Clear();
        SetScrambledData(false);
    }

    void Mount(bool withContainer = true) {
        FileSystemRegistry& registry = FileSystemRegistry::Get();
        registry.Clear();
        registry.Add(std::make_unique<DirectoryFileSystem>(m_bundle.c_str(), true),
                     FileSystemKey("base"), 0);
        registry.Add(std::make_unique<DirectoryFileSystem>(m_documents.c_str(), false),
                     FileSystemKey("save"), 2);
        if (withContainer) {
            auto container = std::make_unique<SaveContainerFileSystem>();
            container->LoadContainer(m_documents.c_str(), "save2.bin",
                                     SaveContainerFileSystem::kGameImageSize);
            m_container = container.get();
            registry.Add(std::move(container), FileSystemKey("saveBin"), 3);
        }
    }

    void WriteBundleFile(const std::string& name, const std::string& bytes) {
        VarnokTest::WriteHostFile(m_dir / "bundle/" + name, bytes);
    }

    VarnokTest::TempDir m_dir;
    std::string m_bundle;
    std::string m_documents;
    SaveContainerFileSystem* m_container = nullptr;
};

TEST_F(XmlFiles, LoadsTextThroughTheFileLayer) {
    WriteBundleFile("fruitlist.xml",
                    "<?xml version=\"1.0\" ?>\n<fruits><fruit name=\"apple\" score=\"10\"/>"
                    "<fruit name=\"kiwi\">green</fruit></fruits>");
    TiXmlDocument document;
    ASSERT_TRUE(LoadXmlDocument(document, "fruitlist.xml"));
    EXPECT_STREQ(document.Value(), "fruitlist.xml");
    const TiXmlElement* root = document.RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Value(), "fruits");
    const TiXmlElement* kiwi = root->FirstChildElement()->NextSiblingElement();
    ASSERT_NE(kiwi, nullptr);
    EXPECT_STREQ(kiwi->Attribute("name"), "kiwi");
    EXPECT_STREQ(kiwi->GetText(), "green");

    // Loading again replaces what the document held.
    WriteBundleFile("other.xml", "<other/>");
    ASSERT_TRUE(LoadXmlDocument(document, "other.xml"));
    EXPECT_STREQ(document.RootElement()->Value(), "other");
    EXPECT_EQ(document.RootElement()->NextSibling(), nullptr);
}

TEST_F(XmlFiles, MissingEmptyAndMalformedFilesSetTheirErrors) {
    WriteBundleFile("empty.xml", "");
    WriteBundleFile("broken.xml", "<a><b></a>");
    WriteBundleFile("magic-only.xml", "bxml");  // 4 bytes: read as text, not as an image
    const struct {
        const char* name;
        int error;
        const char* text;
    } cases[] = {
        {"missing.xml", TiXmlBase::TIXML_ERROR_OPENING_FILE, "Failed to open file"},
        {"empty.xml", TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY, "Error document empty."},
        {"broken.xml", TiXmlBase::TIXML_ERROR_READING_END_TAG, "Error reading end tag."},
        {"magic-only.xml", TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY, "Error document empty."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TiXmlDocument document;
        document.LinkEndChild(new TiXmlElement("stale"));
        EXPECT_FALSE(LoadXmlDocument(document, c.name));
        EXPECT_TRUE(document.Error());
        EXPECT_EQ(document.ErrorId(), c.error);
        EXPECT_STREQ(document.ErrorDesc(), c.text);
        // Emptied first (a parse error may leave what was read before it).
        const TiXmlElement* root = document.RootElement();
        EXPECT_TRUE(root == nullptr || std::string(root->Value()) != "stale");
    }
}

TEST(XmlDocument, CarriageReturnsCountLikeLineFeeds) {
    const std::string lf = "<a>\n<b>\n\n<c>\n</a>";
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"CR LF", "<a>\r\n<b>\r\n\r\n<c>\r\n</a>"},
        {"lone CR", "<a>\r<b>\r\r<c>\r</a>"},
    };
    TiXmlDocument expected;
    EXPECT_FALSE(ParseXmlDocument(expected, lf.data(), lf.size()));
    ASSERT_GT(expected.ErrorRow(), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TiXmlDocument document;
        EXPECT_FALSE(ParseXmlDocument(document, c.text.data(), c.text.size()));
        EXPECT_EQ(document.ErrorId(), expected.ErrorId());
        EXPECT_EQ(document.ErrorRow(), expected.ErrorRow());
        EXPECT_EQ(document.ErrorCol(), expected.ErrorCol());
    }

    // Text stops at the first zero byte.
    const std::string withZero("<a>x</a>\0<garbage", 17);
    TiXmlDocument document;
    EXPECT_TRUE(ParseXmlDocument(document, withZero.data(), withZero.size()));
    EXPECT_STREQ(document.RootElement()->GetText(), "x");
}

TEST_F(XmlFiles, SavedDocumentLandsInTheContainerAndSurvivesARemount) {
    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
    auto* save = new TiXmlElement("save");
    save->SetAttribute("coins", 1250);
    auto* best = new TiXmlElement("best");
    best->LinkEndChild(new TiXmlText("arcade & zen"));
    save->LinkEndChild(best);
    document.LinkEndChild(save);
    const std::string expected = Printed(document);

    ASSERT_TRUE(SaveXmlDocument(document, "profile/save.xml"));
    // Written without a key: the container, the highest writable mount, took it.
    EXPECT_TRUE(m_container->Exists("profile/save.xml"));
    EXPECT_FALSE(FileExists("profile/save.xml", FileSystemKey("save")));

    // Drop every mount and mount again from the disk.
    FileSystemRegistry::Get().Clear();
    m_container = nullptr;
    Mount();
    FileObject file("profile/save.xml", kOpenRead);
    ASSERT_TRUE(file.Load());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.GetData()),
                          static_cast<size_t>(file.GetLength())),
              expected);
    file.Close();

    TiXmlDocument loaded;
    ASSERT_TRUE(LoadXmlDocument(loaded, "profile/save.xml"));
    EXPECT_EQ(Printed(loaded), expected);
    EXPECT_STREQ(loaded.RootElement()->FirstChildElement("best")->GetText(), "arcade & zen");

    // Saving again replaces the file whole.
    TiXmlDocument shorter;
    shorter.LinkEndChild(new TiXmlElement("s"));
    ASSERT_TRUE(SaveXmlDocument(shorter, "profile/save.xml"));
    ASSERT_TRUE(LoadXmlDocument(loaded, "profile/save.xml"));
    EXPECT_EQ(Printed(loaded), "<s />\n");
}

TEST_F(XmlFiles, SavesToAFolderWhenNoContainerIsMounted) {
    Mount(false);
    TiXmlDocument document;
    document.LinkEndChild(new TiXmlElement("settings"));
    ASSERT_TRUE(SaveXmlDocument(document, "settings.xml"));
    EXPECT_EQ(VarnokTest::ReadHostFile(m_dir / "documents/settings.xml"), "<settings />\n");
    TiXmlDocument loaded;
    EXPECT_TRUE(LoadXmlDocument(loaded, "settings.xml"));

    // Scrambled data: written scrambled, read back the same.
    SetScrambledData(true);
    ASSERT_TRUE(SaveXmlDocument(document, "scrambled.xml"));
    EXPECT_NE(VarnokTest::ReadHostFile(m_dir / "documents/scrambled.xml"), "<settings />\n");
    ASSERT_TRUE(LoadXmlDocument(loaded, "scrambled.xml"));
    EXPECT_STREQ(loaded.RootElement()->Value(), "settings");
    // A plain file read while the flag is set is descrambled into garbage.
    EXPECT_FALSE(LoadXmlDocument(loaded, "settings.xml"));
}

TEST_F(XmlFiles, FailedSavesReportFailure) {
    TiXmlDocument small;
    small.LinkEndChild(new TiXmlElement("kept"));
    ASSERT_TRUE(SaveXmlDocument(small, "kept.xml"));

    // More than the container can hold: the write fails and says so.
    TiXmlDocument huge;
    auto* root = new TiXmlElement("huge");
    root->LinkEndChild(new TiXmlText(std::string(200000, 'x').c_str()));
    huge.LinkEndChild(root);
    EXPECT_FALSE(SaveXmlDocument(huge, "huge.xml"));
    // Over an existing file: the old contents stay, now and after a remount.
    EXPECT_FALSE(SaveXmlDocument(huge, "kept.xml"));
    TiXmlDocument loaded;
    EXPECT_TRUE(LoadXmlDocument(loaded, "kept.xml"));
    EXPECT_EQ(Printed(loaded), "<kept />\n");
    ASSERT_TRUE(SaveXmlDocument(small, "other.xml"));  // a later save publishes the image

    // The container on disk is still whole and holds the earlier file.
    FileSystemRegistry::Get().Clear();
    Mount();
    EXPECT_TRUE(m_container->IsImageValid());
    EXPECT_TRUE(LoadXmlDocument(loaded, "kept.xml"));
    EXPECT_EQ(Printed(loaded), "<kept />\n");
    EXPECT_TRUE(LoadXmlDocument(loaded, "other.xml"));

    // Nothing accepts writing: the open fails.
    FileSystemRegistry::Get().Clear();
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(m_bundle.c_str(), true),
                                  FileSystemKey("base"), 0);
    EXPECT_FALSE(SaveXmlDocument(small, "kept.xml"));
}

TEST(XmlDocument, ReadsPastAnInternalSubset) {
    const std::string text =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE r [\n"
        "  <!ELEMENT r (#PCDATA)>\n"
        "  <!ATTLIST r a CDATA \"x>y\"> <!-- a ] in a comment --> %extra;\n"
        "]>\n"
        "<r a=\"1\">text</r>\n";
    TiXmlDocument document;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(ParseXmlDocument(document, text.data(), text.size()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const TiXmlElement* root = document.RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Value(), "r");
    EXPECT_STREQ(root->Attribute("a"), "1");
    EXPECT_STREQ(root->GetText(), "text");
    EXPECT_EQ(root->Row(), 6);  // lines inside the subset still count
    // Printed again with its subset.
    EXPECT_NE(Printed(document).find("<!DOCTYPE r [\n  <!ELEMENT r (#PCDATA)>"), std::string::npos)
        << Printed(document);
}

TEST(XmlDocument, RefusesWhatItCannotReadWholeWithOneLine) {
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"text after the root", "<r a=\"1\">text</r>\n<!-- note -->\nleft over"},
        {"an internal subset that does not end", "<!DOCTYPE r [ <!ELEMENT r ANY>\n<r/>"},
        {"stray text in an internal subset", "<!DOCTYPE r [ junk ]>\n<r/>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TiXmlDocument document;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(ParseXmlDocument(document, c.text.data(), c.text.size()));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(document.Error());
        EXPECT_EQ(document.RootElement(), nullptr);
        EXPECT_EQ(log.rfind("XmlDocument: text in memory: ", 0), 0u) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    }
}

TEST_F(XmlFiles, ARefusedLoadIsNotSavedOverItsFile) {
    Mount(false);  // saves land in the documents folder
    const std::string damaged = "<prefs volume=\"3\"/>\ngarbage the next version may read";
    const std::string path = m_documents + "/prefs.xml";
    VarnokTest::WriteHostFile(path, damaged);
    TiXmlDocument document;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadXmlDocument(document, "prefs.xml"));
    EXPECT_FALSE(SaveXmlDocument(document, "prefs.xml"));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("not saving prefs.xml"), std::string::npos) << log;
    EXPECT_EQ(VarnokTest::ReadHostFile(path), damaged);

    // A missing file is no loss: the fresh document is saved.
    TiXmlDocument fresh;
    EXPECT_FALSE(LoadXmlDocument(fresh, "new.xml"));
    fresh.LinkEndChild(new TiXmlElement("new"));
    EXPECT_TRUE(SaveXmlDocument(fresh, "new.xml"));

    // A document type with an internal subset loads, and saves whole.
    VarnokTest::WriteHostFile(path, "<!DOCTYPE prefs [ <!ELEMENT prefs EMPTY> ]>\n<prefs/>\n");
    ASSERT_TRUE(LoadXmlDocument(document, "prefs.xml"));
    document.RootElement()->SetAttribute("volume", 5);
    ASSERT_TRUE(SaveXmlDocument(document, "prefs.xml"));
    EXPECT_EQ(VarnokTest::ReadHostFile(path),
              "<!DOCTYPE prefs [ <!ELEMENT prefs EMPTY> ]>\n<prefs volume=\"5\" />\n");
}

}  // namespace
}  // namespace Varnok
