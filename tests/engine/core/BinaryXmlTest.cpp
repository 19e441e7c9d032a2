#include "engine/core/BinaryXml.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/XmlDocument.h"
#include "tests/engine/core/FileTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace Varnok {
namespace {

// Builds images byte by byte as the offline tool lays them out.
class ImageBuilder {
public:
    // A string in the pool; answers its reference.
    uint32_t Str(const std::string& text) {
        const uint32_t reference = static_cast<uint32_t>(m_pool.size());
        m_pool += text;
        m_pool.push_back('\0');
        return reference;
    }

    ImageBuilder& Element(const std::string& name,
                          std::initializer_list<std::pair<std::string, std::string>> attributes,
                          uint32_t childCount) {
        Byte(1);
        Word(Str(name));
        Word(static_cast<uint32_t>(attributes.size()));
        for (const auto& a : attributes) {
            Word(Str(a.first));
            Word(Str(a.second));
        }
        Word(childCount);
        return *this;
    }
    ImageBuilder& Node(uint8_t type, const std::string& text) {
        Byte(type);
        Word(Str(text));
        return *this;
    }
    ImageBuilder& Declaration(const std::string& version, const std::string& encoding,
                              const std::string& standalone) {
        Byte(5);
        Word(Str(version));
        Word(Str(encoding));
        Word(Str(standalone));
        return *this;
    }
    ImageBuilder& Byte(uint8_t value) {
        m_nodes.push_back(static_cast<char>(value));
        return *this;
    }
    ImageBuilder& Word(uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            m_nodes.push_back(static_cast<char>(value >> (8 * i)));
        }
        return *this;
    }

    std::string Build(uint32_t topCount, uint16_t depthLimit = 8, uint16_t version = 1) const {
        std::string image = "bxml";
        AppendU16(image, version);
        AppendU16(image, depthLimit);
        AppendU32(image, static_cast<uint32_t>(12 + m_pool.size()));
        image += m_pool;
        image += std::string(12, '\x7F');  // skipped by the reader
        AppendU32(image, topCount);
        return image + m_nodes;
    }

private:
    static void AppendU16(std::string& out, uint16_t v) {
        out.push_back(static_cast<char>(v));
        out.push_back(static_cast<char>(v >> 8));
    }
    static void AppendU32(std::string& out, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<char>(v >> (8 * i)));
        }
    }

    std::string m_pool;
    std::string m_nodes;
};

// <?xml version="1.0" encoding="UTF-8" ?>
// <!-- fruit -->
// <fruits count="2" kind="all">
//     <fruit name="apple">red</fruit>
//     <fruit name="kiwi"><![unknown]><seeds /></fruit>
// </fruits>
std::string SampleImage() {
    ImageBuilder b;
    b.Declaration("1.0", "UTF-8", "");
    b.Node(2, " fruit ");
    b.Element("fruits", {{"count", "2"}, {"kind", "all"}}, 2);
    b.Element("fruit", {{"name", "apple"}}, 1).Node(4, "red");
    b.Element("fruit", {{"name", "kiwi"}}, 2).Node(3, "!unknown").Element("seeds", {}, 0);
    return b.Build(3);
}

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

TEST(BinaryXml, BuildsTheSameTreeAsText) {
    const std::string image = SampleImage();
    TiXmlDocument document;
    const uint8_t* end = ReadBinaryXml(document, Bytes(image), image.size());
    EXPECT_EQ(end, Bytes(image) + image.size());
    ASSERT_FALSE(document.Error());

    const TiXmlNode* first = document.FirstChild();
    ASSERT_NE(first, nullptr);
    const TiXmlDeclaration* declaration = first->ToDeclaration();
    ASSERT_NE(declaration, nullptr);
    EXPECT_STREQ(declaration->Version(), "1.0");
    EXPECT_STREQ(declaration->Encoding(), "UTF-8");
    const TiXmlComment* comment = first->NextSibling()->ToComment();
    ASSERT_NE(comment, nullptr);
    EXPECT_STREQ(comment->Value(), " fruit ");

    const TiXmlElement* fruits = document.RootElement();
    ASSERT_NE(fruits, nullptr);
    EXPECT_STREQ(fruits->Attribute("count"), "2");
    EXPECT_STREQ(fruits->FirstAttribute()->Name(), "count");  // attributes in order
    EXPECT_STREQ(fruits->LastAttribute()->Name(), "kind");
    const TiXmlElement* apple = fruits->FirstChildElement("fruit");
    ASSERT_NE(apple, nullptr);
    EXPECT_STREQ(apple->Attribute("name"), "apple");
    EXPECT_STREQ(apple->GetText(), "red");
    const TiXmlElement* kiwi = apple->NextSiblingElement();
    ASSERT_NE(kiwi, nullptr);
    ASSERT_NE(kiwi->FirstChild()->ToUnknown(), nullptr);
    EXPECT_STREQ(kiwi->FirstChild()->Value(), "!unknown");
    EXPECT_NE(kiwi->FirstChildElement("seeds"), nullptr);
    EXPECT_EQ(kiwi->NextSibling(), nullptr);

    // Through the dispatcher the same bytes give the same document as its text.
    TiXmlDocument viaParse;
    EXPECT_TRUE(ParseXmlDocument(viaParse, image.data(), image.size()));
    TiXmlPrinter binaryPrinted;
    viaParse.Accept(&binaryPrinted);
    TiXmlDocument fromText;
    const std::string text = binaryPrinted.CStr();
    ASSERT_TRUE(ParseXmlDocument(fromText, text.data(), text.size()));
    TiXmlPrinter textPrinted;
    fromText.Accept(&textPrinted);
    EXPECT_EQ(std::string(textPrinted.CStr()), text);
}

TEST(BinaryXml, LoadsFromAFile) {
    VarnokTest::TempDir dir;
    VarnokTest::WriteHostFile(dir / "screen.xml", SampleImage());
    FileSystemRegistry& registry = FileSystemRegistry::Get();
    registry.Clear();
    registry.Add(std::make_unique<DirectoryFileSystem>(dir.Path().c_str(), true),
                 FileSystemKey("base"), 0);
    TiXmlDocument document;
    EXPECT_TRUE(LoadXmlDocument(document, "screen.xml"));
    ASSERT_NE(document.RootElement(), nullptr);
    EXPECT_STREQ(document.RootElement()->Value(), "fruits");
    registry.Clear();
}

TEST(BinaryXml, VersionAndNestingLimit) {
    ImageBuilder b;
    b.Element("a", {}, 1).Element("b", {}, 1).Node(4, "deep");
    const std::string twoLevels = b.Build(1, 2);

    const struct {
        const char* what;
        std::string image;
        int error;  // 0: none
        const char* root;
    } cases[] = {
        {"limit 2 holds two levels and their text", twoLevels, 0, "a"},
        {"version 2", b.Build(1, 2, 2), TiXmlBase::TIXML_ERROR_OPENING_FILE, nullptr},
        {"version 0", b.Build(1, 2, 0), TiXmlBase::TIXML_ERROR_OPENING_FILE, nullptr},
        // The element past the limit is appended, then reading stops.
        {"limit 1", b.Build(1, 1), TiXmlBase::TIXML_ERROR_PARSING_ELEMENT, "a"},
        {"limit 0", b.Build(1, 0), TiXmlBase::TIXML_ERROR_PARSING_ELEMENT, "a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TiXmlDocument document;
        const uint8_t* end = ReadBinaryXml(document, Bytes(c.image), c.image.size());
        EXPECT_EQ(document.ErrorId(), c.error);
        EXPECT_EQ(end != nullptr, c.error == 0);
        if (c.error == TiXmlBase::TIXML_ERROR_PARSING_ELEMENT) {
            EXPECT_STREQ(document.ErrorDesc(), "Error parsing Element.");
        }
        const TiXmlElement* root = document.RootElement();
        if (c.root == nullptr) {
            EXPECT_EQ(root, nullptr);
        } else {
            ASSERT_NE(root, nullptr);
            EXPECT_STREQ(root->Value(), c.root);
        }
    }

    // Whatever an image claims, trees deeper than the reader's own cap are
    // refused: TinyXML frees and prints them recursively.
    ImageBuilder deep;
    for (int i = 0; i <= kBinaryXmlMaxDepth; ++i) {
        deep.Element("n", {}, 1);
    }
    deep.Node(4, "bottom");
    const std::string deepImage = deep.Build(1, 0xFFFF);
    {
        TiXmlDocument document;
        EXPECT_EQ(ReadBinaryXml(document, Bytes(deepImage), deepImage.size()), nullptr);
        EXPECT_EQ(document.ErrorId(), TiXmlBase::TIXML_ERROR_PARSING_ELEMENT);
    }

    // Texts at the top level need no element level at all.
    ImageBuilder flat;
    flat.Node(4, "loose").Node(2, "note");
    const std::string flatImage = flat.Build(2, 0);
    TiXmlDocument document;
    EXPECT_NE(ReadBinaryXml(document, Bytes(flatImage), flatImage.size()), nullptr);
    EXPECT_FALSE(document.Error());
}

TEST(BinaryXml, UnknownNodeTypeStopsWithoutAnError) {
    ImageBuilder b;
    b.Element("kept", {}, 0).Byte(9).Element("lost", {}, 0);
    const std::string image = b.Build(3);
    TiXmlDocument document;
    EXPECT_EQ(ReadBinaryXml(document, Bytes(image), image.size()), nullptr);
    EXPECT_FALSE(document.Error());
    ASSERT_NE(document.RootElement(), nullptr);
    EXPECT_STREQ(document.RootElement()->Value(), "kept");
    EXPECT_EQ(document.RootElement()->NextSibling(), nullptr);
}

// Damaged images fail with an error and never read outside the bytes they
// were given (the sanitizers watch every case).
TEST(BinaryXml, DamagedImagesFailCleanly) {
    const std::string good = SampleImage();
    const uint32_t streamOffset = static_cast<uint32_t>(good.find('\x7F'));
    auto withWord = [&good](size_t offset, uint32_t value) {
        std::string image = good;
        for (int i = 0; i < 4; ++i) {
            image[offset + i] = static_cast<char>(value >> (8 * i));
        }
        return image;
    };
    const size_t firstRecord = streamOffset + 16;
    // A text whose reference names two bytes at the very end with no zero.
    ImageBuilder unterminated;
    unterminated.Node(4, "x");
    std::string lastString = unterminated.Build(1) + "zz";
    const uint32_t tail = static_cast<uint32_t>(lastString.size()) - 2 - 12;
    for (int i = 0; i < 4; ++i) {
        lastString[lastString.size() - 6 + i] = static_cast<char>(tail >> (8 * i));
    }

    const struct {
        const char* what;
        std::string image;
    } cases[] = {
        {"header cut short", good.substr(0, 8)},
        {"stream offset past the end", withWord(8, static_cast<uint32_t>(good.size()))},
        {"stream offset wraps", withWord(8, 0xFFFFFFF8)},
        {"top-level count too large", withWord(streamOffset + 12, 1000000)},
        {"declaration reference outside", withWord(firstRecord + 1, 0xFFFFFFF0)},
        {"reference just past the end",
         withWord(firstRecord + 1, static_cast<uint32_t>(good.size()) - 12)},
        {"attribute count too large", withWord(firstRecord + 13 + 5 + 5, 0x20000000)},
        {"string without terminator", lastString},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A copy on the heap of exactly the image's size, so that any read
        // past it is caught.
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[c.image.size()]);
        std::copy(c.image.begin(), c.image.end(), bytes.get());
        TiXmlDocument document;
        EXPECT_EQ(ReadBinaryXml(document, bytes.get(), c.image.size()), nullptr);
        EXPECT_TRUE(document.Error());
    }

    // Every cut of a good image fails, every one-byte change at most fails.
    for (size_t length = 0; length < good.size(); ++length) {
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[length + 1]);
        std::copy(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length), bytes.get());
        TiXmlDocument document;
        EXPECT_EQ(ReadBinaryXml(document, bytes.get(), length), nullptr) << length;
    }
    for (size_t at = 0; at < good.size(); ++at) {
        for (uint8_t value : {0x00, 0x05, 0x80, 0xFF}) {
            std::string image = good;
            image[at] = static_cast<char>(value);
            std::unique_ptr<uint8_t[]> bytes(new uint8_t[image.size()]);
            std::copy(image.begin(), image.end(), bytes.get());
            TiXmlDocument document;
            ReadBinaryXml(document, bytes.get(), image.size());
        }
    }
}

TEST(BinaryXml, UnknownNodeTypeIsLoggedOnceNamingTheFile) {
    ImageBuilder b;
    b.Element("kept", {}, 0).Byte(9).Element("lost", {}, 0).Byte(7);
    VarnokTest::TempDir dir;
    VarnokTest::WriteHostFile(dir / "screen.xml", b.Build(4));
    FileSystemRegistry& registry = FileSystemRegistry::Get();
    registry.Clear();
    registry.Add(std::make_unique<DirectoryFileSystem>(dir.Path().c_str(), true),
                 FileSystemKey("base"), 0);
    TiXmlDocument document;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadXmlDocument(document, "screen.xml"));  // the load stands, as before
    const std::string log = testing::internal::GetCapturedStderr();
    registry.Clear();
    EXPECT_EQ(log.rfind("BinaryXml: screen.xml: unknown node type 9 at byte ", 0), 0u) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    ASSERT_NE(document.RootElement(), nullptr);
    EXPECT_EQ(document.RootElement()->NextSibling(), nullptr);
}

}  // namespace
}  // namespace Varnok
